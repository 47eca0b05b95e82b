// The program's command line, read before any window system is touched, so that --help,
// --version and a bad option answer without a display.
#pragma once

#include <string>
#include <variant>

#include "panel/port_devices.h"

namespace pv7100 {

struct Options {
  PortDevices devices;
  bool simulate = false;  // COM1 on a simulated projector
  std::string logFile;    // where the traffic is logged, "" for nowhere
};

// What the command line asks for: run the panel with these options, or print this text and
// end with this status (help and version: 0, on standard output; a bad option: 2, one line
// on standard error).
struct Exit {
  std::string text;
  int status = 0;
};
std::variant<Options, Exit> readOptions(int argc, char** argv);

// Why no window can be opened here ("" when one can): no display is named for the window
// system the panel would use.
std::string missingDisplay();

}  // namespace pv7100
