#include "app/port_messages.h"

#include <cerrno>

namespace pv7100 {

namespace {

std::string portChoice(std::int16_t port) {
  return "COM" + std::to_string(port);
}

std::string optionFor(std::int16_t port) {
  return "--com" + std::to_string(port) + " DEVICE";
}

std::string inParentheses(const std::string& reason) {
  return reason.empty() ? "" : " (" + reason + ")";
}

std::string holderText(long holder) {
  return holder > 0 ? " (PID " + std::to_string(holder) + ")" : "";
}

}  // namespace

OpenFailure openFailureOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
      return OpenFailure::noDevice;
    case EACCES:
    case EPERM:
    case EROFS:
      return OpenFailure::noPermission;
    case EBUSY:
      return OpenFailure::busy;
    case EISDIR:
    case ENOTTY:
    case EINVAL:
      return OpenFailure::notSerial;
    default:
      return OpenFailure::other;
  }
}

std::string portLabel(std::int16_t port, const std::string& device) {
  return portChoice(port) + " (" + device + ")";
}

std::string openFailureText(std::int16_t port, const std::string& device,
                            const OpenFailureFacts& facts) {
  const std::string start = portLabel(port, device) + " cannot be opened";
  const std::string reason = inParentheses(facts.reason);
  switch (facts.kind) {
    case OpenFailure::noDevice:
      return start + ": there is no such device" + reason +
             ". Plug in the cable or adapter, or name the device with " + optionFor(port) + ".";
    case OpenFailure::noPermission:
      return start + ": permission denied" + reason +
             ". Your user must be in the dialout group: run sudo adduser $USER dialout, then log "
             "out and log in again.";
    case OpenFailure::busy:
      return start + ": another program" + holderText(facts.holder) + " is using it" + reason +
             ". Close that program, or choose " + portChoice(3 - port) + " under COM.";
    case OpenFailure::notSerial:
      return start + ": it is not a serial device" + reason + ". Name the serial device with " +
             optionFor(port) + ".";
    case OpenFailure::alreadyOpen:
      return start + ": it is open already. Close it before opening it again.";
    case OpenFailure::other:
      break;
  }
  return start + reason + ". Check the device, or name another with " + optionFor(port) + ".";
}

std::string notOpenText() {
  return "No port is open: choose COM1 or COM2 under COM.";
}

std::string portLostText(std::int16_t port, const std::string& device, const std::string& reason) {
  return portLabel(port, device) + " went away" + inParentheses(reason) +
         ". Plug it back in and choose " + portChoice(port) + " under COM.";
}

std::string invalidPortText(std::int16_t port) {
  return "Invalid port number " + std::to_string(port) + ": the panel has COM1 and COM2.";
}

std::string portChangeWhileOpenText(std::int16_t port, const std::string& device) {
  return "Port already open: close " + portLabel(port, device) + " before choosing another port.";
}

std::string invalidSettingsText(const std::string& settings) {
  return "Invalid settings \"" + settings +
         "\": write speed, parity (N, E, O, M or S), data bits (5 to 8) and stop bits (1, 1.5 "
         "or 2), such as 19200,N,8,1.";
}

std::string settingsRefusedText(std::int16_t port, const std::string& device,
                                const std::string& settings, const std::string& reason) {
  return portLabel(port, device) + " did not accept the settings " + settings +
         inParentheses(reason) + ".";
}

std::string outputRefusedText(std::int16_t port, const std::string& device,
                              const std::string& reason) {
  return portLabel(port, device) + " refused the output" + inParentheses(reason) + ".";
}

}  // namespace pv7100
