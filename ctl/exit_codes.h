// The exit status of pv7100ctl, the same for every command.
#pragma once

namespace pv7100::ctl {

enum ExitCode {
  kDone = 0,
  kNoReply = 1,     // no complete reply within the time-out (wait, probe: not found)
  kUsage = 2,       // bad arguments, or a log file that cannot be appended to
  kCannotOpen = 3,  // the port could not be opened
  kRefused = 4,     // the projector refused (NAK), or a status reply matched no row
  kPortFailed = 5,  // the port failed while in use
};

}  // namespace pv7100::ctl
