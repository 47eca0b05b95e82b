// The texts that tell the user what went wrong with a port and what to do about it. Each
// names the port and its device the way the user knows them: "COM1 (/dev/ttyS0)".
#pragma once

#include <string>

#include "port/serial_port.h"

namespace pv7100 {

// "COM1 (/dev/ttyS0)".
std::string portLabel(int port, const std::string& device);

std::string openFailureText(int port, const PortError& error);
// No port names itself: after a failed choice no port is open, whatever option is selected.
std::string notOpenText();
std::string portLostText(int port, const PortError& error);
std::string settingsRefusedText(int port, const PortError& error);
std::string outputRefusedText(int port, const PortError& error);

}  // namespace pv7100
