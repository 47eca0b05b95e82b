// What pv7100ctl says on standard error when something goes wrong: one line, saying what
// happened and what to do.
#pragma once

#include <string>
#include <string_view>

#include "port/serial_port.h"

namespace pv7100::ctl {

// "pv7100ctl: " and `message`, on standard error, its control bytes escaped: one line that
// does nothing to the terminal.
void complain(std::string_view message);
// `text` with every control byte written as an escape: \r, \n, \t, \x1b.
std::string escaped(std::string_view text);
// Standard output as it stands: "" when all of it was written, else why not.
std::string outputFailure();

// Why the port would not open, and the remedy.
std::string openFailureText(const PortError& error);
// The port failed while in use, or was turned away (busy) as soon as it opened.
std::string portFailureText(const PortError& error);
// Nothing came back for `what` (a code, or a read and its code) from `device` in `timeoutMs`.
std::string noReplyText(std::string_view what, const std::string& device, int timeoutMs);

// A STATUS line's text as a line of output: without its leading blanks.
std::string_view withoutLeadingBlanks(std::string_view text);

}  // namespace pv7100::ctl
