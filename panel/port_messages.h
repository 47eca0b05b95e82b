// The texts that tell the user what went wrong with a port and what to do about it. Each
// names the port and its device the way the user knows them: "COM1 (/dev/ttyS0)".
#pragma once

#include <functional>
#include <string>

#include "port/serial_port.h"

namespace pv7100 {

// "COM1 (/dev/ttyS0)".
std::string portLabel(int port, const std::string& device);

// The texts for a port that will not open and for one that went away. The program words them:
// their remedies depend on what a port's name stands for (a device, a converter, pv7100d).
struct PortTroubleTexts {
  std::function<std::string(int port, const PortError& error)> openFailure;
  std::function<std::string(int port, const PortError& error)> lost;
};

// No port names itself: after a failed choice no port is open, whatever option is selected.
std::string notOpenText();
std::string settingsRefusedText(int port, const PortError& error);
std::string outputRefusedText(int port, const PortError& error);

}  // namespace pv7100
