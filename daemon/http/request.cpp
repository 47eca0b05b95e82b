#include "daemon/http/request.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include <arpa/inet.h>
#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace pv7100::daemon {
namespace {

// A command's or an asset's name: lower-case letters, digits, '-' (and '.' for a file), not
// starting with '.', at most 64 characters.
bool plainName(std::string_view name, bool file) {
  if (name.empty() || name.size() > 64 || name.front() == '.') return false;
  return std::all_of(name.begin(), name.end(), [file](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || (file && c == '.');
  });
}

std::optional<std::uint64_t> holdNumber(std::string_view digits) {
  std::uint64_t number = 0;
  if (digits.empty() || digits.front() == '0') return std::nullopt;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  return number;
}

bool ipAddress(const std::string& text, bool v6) {
  unsigned char bytes[16];
  return inet_pton(v6 ? AF_INET6 : AF_INET, text.c_str(), bytes) == 1;
}

}  // namespace

std::string lowerCase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

Route routeOf(std::string_view path) {
  constexpr std::string_view kCommands = "/api/commands/";
  constexpr std::string_view kHold = "/api/hold/";
  constexpr std::string_view kRelease = "/release";
  constexpr std::string_view kOutcomes = "/api/outcomes/";
  if (path == "/") return {Endpoint::asset, "index.html", 0};
  if (path == "/api/state") return {Endpoint::state, {}, 0};
  if (path == "/api/commands") return {Endpoint::commandList, {}, 0};
  if (path == "/api/events") return {Endpoint::events, {}, 0};
  if (path == "/api/hold") return {Endpoint::hold, {}, 0};
  if (path == "/metrics") return {Endpoint::metrics, {}, 0};
  if (path.starts_with(kCommands)) {
    const std::string_view name = path.substr(kCommands.size());
    if (plainName(name, false)) return {Endpoint::command, std::string(name), 0};
  } else if (path.starts_with(kOutcomes)) {
    const std::string_view ticket = path.substr(kOutcomes.size());
    if (plainName(ticket, false)) return {Endpoint::outcome, std::string(ticket), 0};
  } else if (path.starts_with(kHold)) {
    std::string_view id = path.substr(kHold.size());
    const bool release = id.ends_with(kRelease);
    if (release) id.remove_suffix(kRelease.size());
    if (const auto number = holdNumber(id))
      return {release ? Endpoint::release : Endpoint::renew, {}, *number};
  } else if (path.size() > 1 && path.find('/', 1) == std::string_view::npos &&
             plainName(path.substr(1), true)) {
    return {Endpoint::asset, std::string(path.substr(1)), 0};
  }
  return {};
}

std::optional<HoldBody> readHoldBody(std::string_view body, bool starting, std::string& error) {
  HoldBody hold;
  if (body.empty() && !starting) return hold;
  QJsonParseError parseError;
  const QJsonDocument json = QJsonDocument::fromJson(
      QByteArray(body.data(), static_cast<qsizetype>(body.size())), &parseError);
  if (!json.isObject()) {
    error = R"(the body must be a JSON object such as {"command": "zoom-plus"})";
    return std::nullopt;
  }
  const QJsonObject object = json.object();
  for (auto field = object.begin(); field != object.end(); ++field) {
    if (field.key() == "command" && starting && field.value().isString()) {
      hold.command = field.value().toString().toStdString();
    } else if (field.key() == "token" && !starting && field.value().isString()) {
      hold.token = field.value().toString().toStdString();
    } else if (field.key() == "for_ms") {
      const double ms = field.value().toDouble(-1);
      if (ms < 1 || ms > 1e9 || std::floor(ms) != ms) {
        error = "for_ms takes a whole number of milliseconds";
        return std::nullopt;
      }
      hold.lease = std::chrono::milliseconds(static_cast<long>(ms));
    } else {
      // Made as a QString: GCC 12 at -O3 takes "\"" + std::string for an overlapping copy.
      error = ("\"" + field.key() + "\" is not a key here, or not of its type").toStdString();
      return std::nullopt;
    }
  }
  if (starting && hold.command.empty()) {
    error = "the body names no command";
    return std::nullopt;
  }
  return hold;
}

bool namesDaemon(std::string_view host, const HostRules& rules) {
  std::string name;
  std::string_view port;
  if (host.starts_with('[')) {
    const std::size_t close = host.find(']');
    if (close == std::string_view::npos) return false;
    name = std::string(host.substr(1, close - 1));
    if (!ipAddress(name, true)) return false;
    port = host.substr(close + 1);
    if (!port.empty() && !port.starts_with(':')) return false;
  } else {
    const std::size_t colon = host.rfind(':');
    name = lowerCase(host.substr(0, colon));
    if (colon != std::string_view::npos) port = host.substr(colon);
    if (!ipAddress(name, false) &&
        std::find(rules.names.begin(), rules.names.end(), name) == rules.names.end())
      return false;
  }
  if (port.empty()) return rules.port == (rules.tls ? 443 : 80);
  std::uint16_t number = 0;
  const auto [end, error] = std::from_chars(port.data() + 1, port.data() + port.size(), number);
  return error == std::errc{} && end == port.data() + port.size() && number == rules.port &&
         port.size() > 1 && port[1] != '0';
}

bool sameOrigin(std::string_view origin, std::string_view host, bool tls) {
  return !host.empty() &&
         lowerCase(origin) == std::string(tls ? "https://" : "http://") + lowerCase(host);
}

bool fromBrowser(std::string_view userAgent, std::string_view fetchSite) {
  return !fetchSite.empty() || userAgent.starts_with("Mozilla/");
}

std::optional<std::string> basicPassword(std::string_view authorization) {
  constexpr std::string_view kScheme = "basic ";
  if (authorization.size() <= kScheme.size() ||
      lowerCase(authorization.substr(0, kScheme.size())) != kScheme)
    return std::nullopt;
  const std::string_view encoded = authorization.substr(kScheme.size());
  const auto decoded = QByteArray::fromBase64Encoding(
      QByteArray(encoded.data(), static_cast<qsizetype>(encoded.size())),
      QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded) return std::nullopt;
  const qsizetype colon = decoded.decoded.indexOf(':');
  if (colon < 0) return std::nullopt;
  return decoded.decoded.mid(colon + 1).toStdString();
}

}  // namespace pv7100::daemon
