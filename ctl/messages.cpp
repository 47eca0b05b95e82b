#include "ctl/messages.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "serial/open_failure_remedies.h"

namespace pv7100::ctl {

namespace {

std::string inParentheses(const std::string& reason) {
  return reason.empty() ? "" : " (" + reason + ")";
}

const RemedyHints kHints{.nameDevice = "--port DEVICE (pv7100ctl probe looks for it)",
                         .retry = "try again",
                         .otherSpeed = "Try the other speed with --baud",
                         .usePort = "--port"};

}  // namespace

void complain(std::string_view message) {
  std::cerr << "pv7100ctl: " << escaped(message) << '\n';
}

std::string escaped(std::string_view text) {
  std::string result;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r')
      result += "\\r";
    else if (c == '\n')
      result += "\\n";
    else if (c == '\t')
      result += "\\t";
    else if (byte < 0x20 || byte == 0x7f)
      result += "\\x" + std::string{"0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15]};
    else
      result += c;
  }
  return result;
}

std::string outputFailure() {
  std::cout.flush();
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout) && std::cout.good()) return "";
  return std::string("standard output cannot be written") +
         (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
}

std::string openFailureText(const PortError& error) {
  return pv7100::openFailureText(error.device(), error, kHints);
}

std::string noReplyText(std::string_view what, const std::string& device, int timeoutMs) {
  return "no reply to " + std::string(what) + " from " + device + " within " +
         std::to_string(timeoutMs) +
         " ms. Check the cable, the projector's power and its speed (--baud 9600 or 19200).";
}

std::string_view withoutLeadingBlanks(std::string_view text) {
  return text.substr(std::min(text.find_first_not_of(' '), text.size()));
}

std::string portFailureText(const PortError& error) {
  if (error.fault() == PortFault::gone || error.fault() == PortFault::busy)
    return portLostText(error.device(), error, kHints);
  return error.device() + " failed" + inParentheses(error.reason()) +
         ". Check the device and try again.";
}

}  // namespace pv7100::ctl
