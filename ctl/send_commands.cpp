#include <algorithm>
#include <iostream>

#include "ctl/commands.h"
#include "ctl/exit_codes.h"
#include "ctl/json.h"
#include "ctl/messages.h"
#include "protocol/line_format.h"
#include "protocol/monitor_text.h"

namespace pv7100::ctl {

namespace {

using std::chrono::milliseconds;

void printJson(std::string_view name, std::string_view code, int lines,
               const std::vector<std::string>& replies) {
  std::cout << "{\"command\": " << jsonString(name) << ", \"code\": " << jsonString(code)
            << ", \"lines\": " << lines << ", \"replies\": [";
  for (std::size_t i = 0; i < replies.size(); ++i)
    std::cout << (i ? ", " : "") << jsonString(renderMonitor(replies[i]));
  std::cout << "]}\n";
}

// Prints what came for `lines` lines of `code` and judges it: every line must be answered by
// ACK (`anyReply`: by any complete reply that is no refusal).
int report(const ProjectorLine& link, std::string_view name, std::string_view code, int lines,
           const std::vector<std::string>& replies, bool anyReply, const Options& options) {
  if (options.json) {
    printJson(name, code, lines, replies);
  } else if (anyReply) {
    for (const std::string& reply : replies) std::cout << renderMonitor(reply) << '\n';
  }
  for (const std::string& reply : replies) {
    if (refused(reply)) {
      complain("the projector refused " + std::string(code) + " (reply \"" + renderMonitor(reply) +
               "\"): it does not know the code, or not now. Most commands need the lamp lit: "
               "pv7100ctl power-on, then pv7100ctl wait on.");
      return kRefused;
    }
    if (!anyReply && reply.back() != kAck) {
      complain("the projector answered " + std::string(code) + " with \"" + renderMonitor(reply) +
               "\" rather than ACK. Check the speed (--baud) and the command.");
      return kRefused;
    }
  }
  if (static_cast<int>(replies.size()) < lines) {
    complain(lines == 1 ? noReplyText(code, link.device(), options.timeoutMs)
                        : std::to_string(lines - static_cast<int>(replies.size())) + " of " +
                              std::to_string(lines) + " lines got no reply. " +
                              noReplyText(code, link.device(), options.timeoutMs));
    return kNoReply;
  }
  return kDone;
}

bool anyRefused(const std::vector<std::string>& replies) {
  return std::any_of(replies.begin(), replies.end(), refused);
}

// The lines of a held button: the first at once, then one at each period while held, until
// the projector refuses one.
int hold(ProjectorLine& link, const Command& command, const Options& options) {
  const std::string line = commandLine(command.code);
  const auto start = Clock::now();
  std::vector<std::string> replies;
  int lines = 0;
  const int period = holdPeriod(command);
  try {
    for (; lines * period < *options.holdMs; ++lines) {
      const auto at = start + milliseconds(lines * period);
      while (!anyRefused(replies)) {
        auto reply = link.nextReply(at);
        if (!reply) break;
        replies.push_back(*reply);
      }
      if (anyRefused(replies)) break;
      link.send(line);
    }
    const auto deadline = Clock::now() + milliseconds(options.timeoutMs);
    while (static_cast<int>(replies.size()) < lines && !anyRefused(replies)) {
      auto reply = link.nextReply(deadline);
      if (!reply) {
        link.dropLateReply(milliseconds(options.timeoutMs));
        break;
      }
      replies.push_back(*reply);
    }
  } catch (...) {
    if (options.json) printJson(command.name, command.code, lines, replies);
    throw;
  }
  return report(link, command.name, command.code, lines, replies, false, options);
}

}  // namespace

int holdPeriod(const Command& command) {
  return command.cursorArrow() ? kStartRepeatPeriod : command.pacing.period;
}

int runCommand(ProjectorLine& link, const Command& command, const Options& options) {
  if (options.holdMs) return hold(link, command, options);
  const auto reply = link.ask(commandLine(command.code), milliseconds(options.timeoutMs));
  std::vector<std::string> replies;
  if (reply) replies.push_back(*reply);
  return report(link, command.name, command.code, 1, replies, false, options);
}

int runSend(ProjectorLine& link, const std::string& code, const Options& options) {
  const auto reply = link.ask(commandLine(code), milliseconds(options.timeoutMs));
  std::vector<std::string> replies;
  if (reply) replies.push_back(*reply);
  return report(link, "send", code, 1, replies, true, options);
}

}  // namespace pv7100::ctl
