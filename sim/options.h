// The command-line options of pv7100-sim.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "sim/projector_model.h"
#include "sim/reply_scheduler.h"

namespace pv7100::sim {

struct Options {
  std::string device;  // a serial device to serve; empty for a new pseudo-terminal
  std::string link;    // a symbolic link to make to the device; empty for none
  int baud = 19200;
  bool exitWithStdin = false;
  bool verbose = false;
  Shaping shaping;
  ModelSettings model;
};

enum class Request { Run, Help, Version };

struct ParsedOptions {
  Request request = Request::Run;
  Options options;
  std::string error;  // what is wrong with the arguments; empty when they are fine
};

// Reads the arguments that follow the program name.
ParsedOptions parseOptions(std::span<const std::string_view> arguments);

// The text that --help prints.
std::string usage();

}  // namespace pv7100::sim
