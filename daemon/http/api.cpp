#include "daemon/http/api.h"

#include "daemon/core/json_text.h"
#include "protocol/commands.h"

namespace pv7100::daemon {
namespace {

std::string_view kindWord(CommandKind kind) {
  return kind == CommandKind::repeat ? "repeat" : "one-shot";
}

}  // namespace

std::string commandListJson() {
  std::string json = "[";
  for (const Command& command : commands()) {
    if (json.size() > 1) json += ",\n ";
    json += "{\"name\": " + jsonString(command.name) + ", \"group\": " + jsonString(command.group) +
            ", \"caption\": " + jsonString(command.caption) +
            ", \"kind\": " + jsonString(kindWord(command.kind)) + ", \"period_ms\": " +
            (command.kind == CommandKind::repeat ? std::to_string(holdPeriod(command).count())
                                                 : "null") +
            "}";
  }
  return json + "]";
}

std::string outcomeJson(std::string_view command, const CommandDoor::Result& result) {
  return "{\"command\": " + jsonString(command) +
         ", \"outcome\": " + jsonString(outcomeWord(result.outcome)) +
         ", \"error\": " + (result.error.empty() ? "null" : jsonString(result.error)) + "}";
}

int statusOf(const CommandDoor::Result& result) {
  using Outcome = CommandDoor::Outcome;
  using Refusal = CommandDoor::Refusal;
  switch (result.outcome) {
    case Outcome::ack:
      return 200;
    case Outcome::nak:
      return 409;
    case Outcome::noReply:
      return 504;
    case Outcome::portDown:
      return 503;
    case Outcome::refused:
      break;
  }
  if (result.refusal == Refusal::unknown) return 404;
  return result.refusal == Refusal::busy ? 409 : 400;
}

std::string errorJson(std::string_view error) {
  return "{\"error\": " + jsonString(error) + "}";
}

}  // namespace pv7100::daemon
