#include "daemon/mqtt/set_request.h"

#include <cmath>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace pv7100::daemon {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view trimmed(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(kBlanks);
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
}

SetRequest refused(std::string error, std::string command = {}) {
  return {std::move(command), std::nullopt, std::move(error)};
}

// A name as pv7100ctl list prints it: printable ASCII without blanks; what it names is the
// door's to check.
bool looksLikeName(std::string_view text) {
  for (const char c : text) {
    if (c <= ' ' || c > '~') return false;
  }
  return !text.empty();
}

SetRequest fromJson(std::string_view text) {
  QJsonParseError error{};
  const QJsonDocument document =
      QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
  if (error.error != QJsonParseError::NoError || !document.isObject())
    return refused("bad JSON: expected {\"command\": NAME} or {\"command\": NAME, \"for_ms\": MS}");
  const QJsonObject object = document.object();
  for (auto key = object.begin(); key != object.end(); ++key) {
    if (key.key() != "command" && key.key() != "for_ms")
      return refused("bad JSON: unknown key \"" + key.key().toStdString() + "\"");
  }
  const QJsonValue command = object.value("command");
  if (!command.isString() || !looksLikeName(command.toString().toStdString()))
    return refused("bad JSON: \"command\" takes a command's name");
  SetRequest request{command.toString().toStdString(), std::nullopt, {}};
  if (object.contains("for_ms")) {
    const double ms = object.value("for_ms").toDouble(-1);
    // Whole milliseconds; the door says how long a hold may last.
    if (!object.value("for_ms").isDouble() || ms < 0 || ms > 1e9 || std::floor(ms) != ms)
      return refused("bad JSON: \"for_ms\" takes a whole number of milliseconds", request.command);
    request.holdFor = std::chrono::milliseconds(static_cast<long>(ms));
  }
  return request;
}

}  // namespace

SetRequest parseSetRequest(std::string_view payload) {
  if (payload.size() > kMaxSetPayload)
    return refused("too long: a command takes at most " + std::to_string(kMaxSetPayload) +
                   " bytes");
  const std::string_view text = trimmed(payload);
  if (text.starts_with('{')) return fromJson(text);
  if (!looksLikeName(text)) return refused("expected a command's name, such as power-on");
  return {std::string(text), std::nullopt, {}};
}

}  // namespace pv7100::daemon
