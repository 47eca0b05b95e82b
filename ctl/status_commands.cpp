#include <cstdint>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>

#include <unistd.h>

#include "ctl/commands.h"
#include "ctl/exit_codes.h"
#include "ctl/json.h"
#include "ctl/messages.h"
#include "ctl/stop_signals.h"
#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"

namespace pv7100::ctl {

namespace {

using std::chrono::milliseconds;

struct ReadResult {
  const StatusRead* read = nullptr;
  std::optional<std::string> reply;  // as the monitor line renders it
  std::optional<std::string> text;   // the STATUS line's text
  int status = kDone;
  std::optional<std::string> error;  // why the read ended before its reply
  StatusValue value = {};            // what the reply carries, where it carries a value
};

// One status read, decoded as the panel's STATUS line decodes it.
ReadResult readStatus(ProjectorLine& link, const StatusRead& read, const Options& options) {
  ReadResult result;
  result.read = &read;
  const std::string line = commandLine(read.code);
  const auto reply = link.ask(line, milliseconds(options.timeoutMs));
  if (!reply) {
    result.status = kNoReply;
    return result;
  }
  result.reply = renderMonitor(*reply);
  if (!refused(*reply)) {
    if (std::optional<DecodedStatus> decoded = decodeStatus(line, *result.reply)) {
      result.text = std::move(decoded->text);
      result.value = decoded->value;
    }
  }
  if (!result.text) result.status = kRefused;
  return result;
}

std::string jsonObject(const ReadResult& result) {
  return "{\"read\": " + jsonString(result.read->name) +
         ", \"code\": " + jsonString(result.read->code) +
         ", \"reply\": " + jsonOrNull(result.reply) + ", \"text\": " + jsonOrNull(result.text) +
         ", \"value\": " + jsonValue(result.value) +
         (result.error ? ", \"error\": " + jsonString(*result.error) : "") + "}";
}

std::string stoppedText(const Stopped& stop) {
  return "stopped by signal " + std::to_string(stop.signal) + " (" + ::strsignal(stop.signal) + ")";
}

// The read; a port that fails or a stop signal leaves it with its error, and `end` holds what
// ends the run once what was read is printed.
ReadResult readOrEnd(ProjectorLine& link, const StatusRead& read, const Options& options,
                     std::exception_ptr& end) {
  try {
    return readStatus(link, read, options);
  } catch (const PortError& error) {
    end = std::current_exception();
    return {&read, std::nullopt, std::nullopt, kPortFailed, portFailureText(error)};
  } catch (const Stopped& stop) {
    end = std::current_exception();
    return {&read, std::nullopt, std::nullopt, kPortFailed, stoppedText(stop)};
  }
}

void explain(const ProjectorLine& link, const ReadResult& result, const Options& options) {
  const std::string what =
      std::string(result.read->name) + " (" + std::string(result.read->code) + ")";
  if (result.status == kNoReply)
    complain(noReplyText(what, link.device(), options.timeoutMs));
  else if (result.status == kRefused)
    complain("the reply \"" + result.reply.value_or("") + "\" to " + what +
             " is no known status. Check the speed (--baud) and the cable.");
}

}  // namespace

// JSON is printed whole at the end, so that it stays one complete array whatever ends the run.
int runStatus(ProjectorLine& link, const std::vector<const StatusRead*>& reads,
              const Options& options) {
  int status = kDone;
  std::exception_ptr end;
  std::string objects;
  for (const StatusRead* read : reads) {
    const ReadResult result = readOrEnd(link, *read, options, end);
    if (options.json)
      objects += (objects.empty() ? "  " : ",\n  ") + jsonObject(result);
    else if (result.text)
      std::cout << result.read->name << ": " << withoutLeadingBlanks(*result.text) << '\n';
    if (end) break;
    explain(link, result, options);
    if (status == kDone) status = result.status;
  }
  if (options.json) std::cout << "[\n" << objects << (objects.empty() ? "]\n" : "\n]\n");
  if (end) std::rethrow_exception(end);
  return status;
}

// Reads the state once a second, never faster, until it is the one wanted.
int runWait(ProjectorLine& link, std::string_view state, const Options& options) {
  const std::string wanted = state == "on" ? " Power ON" : " Stand by";
  const StatusRead& read = *statusReadNamed("state");
  const bool progress = ::isatty(STDERR_FILENO);
  const auto start = Clock::now();
  const auto end = start + std::chrono::seconds(options.withinS.value_or(60));
  std::optional<ReadResult> last;
  try {
    for (auto next = start;;) {
      link.idleUntil(next);
      const auto asked = Clock::now();
      const ReadResult& result = last.emplace(readStatus(link, read, options));
      const bool there = result.text == wanted;
      if (progress) {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(asked - start).count();
        std::cerr << "\rwaiting for " << state << ": "
                  << withoutLeadingBlanks(result.text.value_or("no answer")) << ", " << seconds
                  << " s\x1b[K" << (there ? "\n" : "") << std::flush;
      }
      next = asked + std::chrono::seconds(1);
      if (!there && next <= end) continue;
      // The next read would come after the time is up: the time runs out first.
      if (!there) link.idleUntil(end);
      if (options.json) std::cout << jsonObject(result) << '\n';
      if (there) return kDone;
      if (progress) std::cerr << '\n';
      complain("the projector was not " + std::string(state) + " within " +
               std::to_string(options.withinS.value_or(60)) + " s (last state: " +
               std::string(withoutLeadingBlanks(result.text.value_or("no answer"))) +
               "). Check it, or wait longer with --within S.");
      return kNoReply;
    }
  } catch (...) {
    // A failed port or a stop signal: the progress line is ended, JSON tells the last state.
    if (progress) std::cerr << '\n';
    if (options.json && last) std::cout << jsonObject(*last) << '\n';
    throw;
  }
}

}  // namespace pv7100::ctl
