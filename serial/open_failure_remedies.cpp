#include "serial/open_failure_remedies.h"

#include "serial/port_names.h"

namespace pv7100 {
namespace {

std::string inParentheses(const std::string& reason) {
  return reason.empty() ? "" : " (" + reason + ")";
}

// "another program (PID 4321, pv7100ctl)".
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

struct Remedy {
  std::string reason;  // what happened, before the system's own words
  std::string remedy;  // what to do
};

// pv7100d shares what it holds: its socket is the way in, named where it says, else the form
// of its default. On its socket, busy means it serves as many clients as it takes.
Remedy busyRemedy(const PortError& error, const RemedyHints& hints) {
  if (portKindOf(error.device()) == PortKind::local)
    return {std::string(kDaemonName) + " turned it away",
            "Close a program that uses the socket and " + hints.retry + "."};
  if (error.holderName() == kDaemonName)
    return {holderText(error) + " holds it",
            "Reach the projector through the daemon's socket instead: " + hints.usePort + " unix:" +
                (error.sharedAt().empty() ? std::string(kDefaultSocketForm) : error.sharedAt()) +
                "."};
  return {holderText(error) + " holds it", "Close that program and " + hints.retry + "."};
}

// The row of `error`'s fault; the system's own words go between its two halves.
Remedy remedyFor(const PortError& error, const RemedyHints& hints) {
  switch (error.fault()) {
    case PortFault::noDevice:
      return {"there is no such device",
              "Plug in the cable or adapter, or name the device with " + hints.nameDevice + "."};
    case PortFault::noPermission:
      return {"permission denied",
              "Your user must be in the dialout group: run sudo adduser $USER dialout, then log "
              "out and log in again."};
    case PortFault::busy:
      return busyRemedy(error, hints);
    case PortFault::notSerial:
      return {"it is not a serial device", "Name the serial device with " + hints.nameDevice + "."};
    case PortFault::settingsRefused:
      return {"the device refused the line settings", hints.otherSpeed + "."};
    default:
      break;
  }
  return {"", "Check the device, or name another with " + hints.nameDevice + "."};
}

}  // namespace

std::string openFailureText(const std::string& subject, const PortError& error,
                            const RemedyHints& hints) {
  const std::string start = subject + " cannot be opened";
  // A socket's reasons say what to do themselves (start ser2net, start pv7100d); a group and
  // a holder are as for a device.
  if (portKindOf(error.device()) != PortKind::device && error.fault() != PortFault::noPermission &&
      error.fault() != PortFault::busy)
    return start + ": " + error.reason() + ".";
  const Remedy row = remedyFor(error, hints);
  return start + (row.reason.empty() ? "" : ": " + row.reason) + inParentheses(error.reason()) +
         ". " + row.remedy;
}

// A line turned away as soon as it opened (busy) never was the program's.
std::string portLostText(const std::string& subject, const PortError& error,
                         const RemedyHints& hints) {
  if (error.fault() == PortFault::busy) return openFailureText(subject, error, hints);
  return subject + " went away" + inParentheses(error.reason()) + ". Check " +
         whatToCheck(error.device()) + " and " + hints.retry + ".";
}

}  // namespace pv7100
