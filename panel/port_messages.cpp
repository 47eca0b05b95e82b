#include "panel/port_messages.h"

namespace pv7100 {
namespace {

std::string inParentheses(const std::string& reason) {
  return reason.empty() ? "" : " (" + reason + ")";
}

}  // namespace

std::string portLabel(int port, const std::string& device) {
  return "COM" + std::to_string(port) + " (" + device + ")";
}

std::string notOpenText() {
  return "No port is open: choose COM1 or COM2 under COM.";
}

std::string settingsRefusedText(int port, const PortError& error) {
  return portLabel(port, error.device()) + " keeps its speed: " + error.reason() + ".";
}

std::string outputRefusedText(int port, const PortError& error) {
  return portLabel(port, error.device()) + " refused the output" + inParentheses(error.reason()) +
         ".";
}

}  // namespace pv7100
