#include "ctl/messages.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "serial/port_names.h"

namespace pv7100::ctl {

namespace {

std::string inParentheses(const std::string& reason) {
  return reason.empty() ? "" : " (" + reason + ")";
}

std::string holderText(const PortError& error) {
  if (error.holder() <= 0) return "another program";
  const std::string& name = error.holderName();
  return "another program (PID " + std::to_string(error.holder()) +
         (name.empty() ? "" : ", " + name) + ")";
}

// What carries the line to the projector.
std::string whatToCheck(const std::string& device) {
  switch (portKindOf(device)) {
    case PortKind::tcp:
      return "the converter and the network";
    case PortKind::local:
      return "that pv7100d runs";
    case PortKind::device:
      break;
  }
  return "the cable or adapter";
}

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
  const std::string start = error.device() + " cannot be opened";
  const std::string reason = inParentheses(error.reason());
  // A socket's reasons say what to do themselves; a group and a holder are as for a device.
  if (portKindOf(error.device()) != PortKind::device && error.fault() != PortFault::noPermission &&
      error.fault() != PortFault::busy)
    return start + ": " + error.reason() + ".";
  switch (error.fault()) {
    case PortFault::noDevice:
      return start + ": there is no such device" + reason +
             ". Plug in the cable or adapter, or name the device with --port DEVICE "
             "(pv7100ctl probe looks for it).";
    case PortFault::noPermission:
      return start + ": permission denied" + reason +
             ". Your user must be in the dialout group: sudo adduser $USER dialout, then log "
             "out and in.";
    case PortFault::busy:
      return start + ": " + holderText(error) + " holds it" + reason +
             ". Close that program and try again.";
    case PortFault::notSerial:
      return start + ": it is not a serial device" + reason +
             ". Name the serial device with --port DEVICE.";
    case PortFault::settingsRefused:
      return start + ": the device refused the line settings" + reason +
             ". Try the other speed with --baud.";
    default:
      break;
  }
  return start + reason + ". Check the device, or name another with --port DEVICE.";
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
  if (error.fault() == PortFault::gone)
    return error.device() + " went away" + inParentheses(error.reason()) + ". Check " +
           whatToCheck(error.device()) + " and try again.";
  return error.device() + " failed" + inParentheses(error.reason()) +
         ". Check the device and try again.";
}

}  // namespace pv7100::ctl
