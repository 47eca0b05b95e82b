#include "ctl/messages.h"

#include <iostream>

#include "serial/port_lock.h"

namespace pv7100::ctl {

namespace {

std::string inParentheses(const std::string& reason) {
  return reason.empty() ? "" : " (" + reason + ")";
}

std::string holderText(long holder) {
  if (holder <= 0) return "another program";
  const std::string name = processName(holder);
  return "another program (PID " + std::to_string(holder) + (name.empty() ? "" : ", " + name) + ")";
}

}  // namespace

void complain(std::string_view message) {
  std::cerr << "pv7100ctl: " << message << '\n';
}

std::string openFailureText(const PortError& error) {
  const std::string start = error.device() + " cannot be opened";
  const std::string reason = inParentheses(error.reason());
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
      return start + ": " + holderText(error.holder()) + " is using it" + reason +
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

std::string portFailureText(const PortError& error) {
  if (error.fault() == PortFault::gone)
    return error.device() + " went away" + inParentheses(error.reason()) +
           ". Check the cable or adapter and try again.";
  return error.device() + " failed" + inParentheses(error.reason()) +
         ". Check the device and try again.";
}

}  // namespace pv7100::ctl
