// What pv7100ctl says on standard error when something goes wrong: one line, saying what
// happened and what to do.
#pragma once

#include <string>
#include <string_view>

#include "port/serial_port.h"

namespace pv7100::ctl {

// "pv7100ctl: " and `message`, on standard error.
void complain(std::string_view message);

// Why the port would not open, and the remedy.
std::string openFailureText(const PortError& error);
// The port failed while in use.
std::string portFailureText(const PortError& error);

}  // namespace pv7100::ctl
