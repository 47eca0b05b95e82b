#include "panel/port_messages.h"

namespace pv7100 {
namespace {

std::string portChoice(int port) {
  return "COM" + std::to_string(port);
}

std::string optionFor(int port) {
  return "--com" + std::to_string(port) + " DEVICE";
}

std::string inParentheses(const std::string& reason) {
  return reason.empty() ? "" : " (" + reason + ")";
}

// Named as pv7100ctl names it: "another program (PID 4321, pv7100ctl)".
std::string holderText(const PortError& error) {
  if (error.holder() <= 0) return "";
  const std::string& name = error.holderName();
  return " (PID " + std::to_string(error.holder()) + (name.empty() ? "" : ", " + name) + ")";
}

}  // namespace

std::string portLabel(int port, const std::string& device) {
  return portChoice(port) + " (" + device + ")";
}

std::string openFailureText(int port, const PortError& error) {
  const std::string start = portLabel(port, error.device()) + " cannot be opened";
  const std::string reason = inParentheses(error.reason());
  switch (error.fault()) {
    case PortFault::noDevice:
      return start + ": there is no such device" + reason +
             ". Plug in the cable or adapter, or name the device with " + optionFor(port) + ".";
    case PortFault::noPermission:
      return start + ": permission denied" + reason +
             ". Your user must be in the dialout group: run sudo adduser $USER dialout, then log "
             "out and log in again.";
    case PortFault::busy:
      return start + ": another program" + holderText(error) + " holds it" + reason +
             ". Close that program, or choose " + portChoice(3 - port) + " under COM.";
    case PortFault::notSerial:
      return start + ": it is not a serial device" + reason + ". Name the serial device with " +
             optionFor(port) + ".";
    case PortFault::settingsRefused:
      return start + ": " + error.reason() + ".";
    default:
      break;
  }
  return start + reason + ". Check the device, or name another with " + optionFor(port) + ".";
}

std::string notOpenText() {
  return "No port is open: choose COM1 or COM2 under COM.";
}

std::string portLostText(int port, const PortError& error) {
  return portLabel(port, error.device()) + " went away" + inParentheses(error.reason()) +
         ". Plug it back in and choose " + portChoice(port) + " under COM.";
}

std::string settingsRefusedText(int port, const PortError& error) {
  return portLabel(port, error.device()) + " keeps its speed: " + error.reason() + ".";
}

std::string outputRefusedText(int port, const PortError& error) {
  return portLabel(port, error.device()) + " refused the output" + inParentheses(error.reason()) +
         ".";
}

}  // namespace pv7100
