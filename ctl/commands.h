// The commands of pv7100ctl. Each returns the exit status (exit_codes.h) and says what went
// wrong on standard error; a port that fails while in use leaves as PortError.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ctl/options.h"
#include "ctl/projector_line.h"
#include "protocol/commands.h"
#include "protocol/status_reads.h"

namespace pv7100::ctl {

int runList(bool json);
// The time between the lines of a hold that starts from nothing: the cursor pad arrows keep
// the repeat's start period.
int holdPeriod(const Command& command);
// NAME: once, or held for --for.
int runCommand(ProjectorLine& link, const Command& command, const Options& options);
int runSend(ProjectorLine& link, const std::string& code, const Options& options);
int runStatus(ProjectorLine& link, const std::vector<const StatusRead*>& reads,
              const Options& options);
int runWait(ProjectorLine& link, std::string_view state, const Options& options);
// Needs a QCoreApplication: the ports are asked side by side in its event loop.
int runProbe(const std::vector<std::string>& devices, const Options& options);

}  // namespace pv7100::ctl
