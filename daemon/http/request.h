// What the web face reads from a request's outside bytes: the endpoint its path names, the
// JSON body of a hold, whether its Host names this daemon and its Origin is the page's own,
// and the password of its Authorization header. No I/O: the fuzzer's target.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pv7100::daemon {

// `text` in lower case, ASCII letters only: header names, host names, schemes.
std::string lowerCase(std::string_view text);

enum class Endpoint {
  notFound,
  asset,        // GET /, /NAME: the page and what it loads
  state,        // GET /api/state
  commandList,  // GET /api/commands
  command,      // POST /api/commands/NAME
  hold,         // POST /api/hold
  renew,        // POST /api/hold/ID
  release,      // POST /api/hold/ID/release
  outcome,      // GET /api/outcomes/TICKET: a command's outcome, once the projector has answered
  events,       // GET /api/events
  metrics,      // GET /metrics
};

struct Route {
  Endpoint endpoint = Endpoint::notFound;
  std::string name;  // the asset's file, the command's name, or an outcome's ticket
  std::uint64_t hold = 0;
  // By POST; every other endpoint by GET (or HEAD).
  bool changes() const {
    return endpoint == Endpoint::command || endpoint == Endpoint::hold ||
           endpoint == Endpoint::renew || endpoint == Endpoint::release;
  }
};

Route routeOf(std::string_view path);

// A hold's body: {"command": "zoom-plus", "for_ms": 1000} when starting it; a renewal's or a
// release's {"token": "...", "for_ms": 1000}, the token the start was answered with. nullopt
// with `error` set when it is not that.
struct HoldBody {
  std::string command;
  std::string token;
  std::optional<std::chrono::milliseconds> lease;
};
std::optional<HoldBody> readHoldBody(std::string_view body, bool starting, std::string& error);

// The names, besides IP addresses, by which the daemon is reached, in lower case.
struct HostRules {
  std::vector<std::string> names;
  std::uint16_t port = 0;
  bool tls = false;
};
// `host` (the Host header) names this daemon: an IP address or one of its names, and its
// port. A name that is neither is a DNS rebinding's.
bool namesDaemon(std::string_view host, const HostRules& rules);
// `origin` is the page's own, served for `host`.
bool sameOrigin(std::string_view origin, std::string_view host, bool tls);
// A browser sends Origin with every POST: one that came without is not taken.
bool fromBrowser(std::string_view userAgent, std::string_view fetchSite);

// The password of "Basic BASE64(user:password)", nullopt for anything else.
std::optional<std::string> basicPassword(std::string_view authorization);

}  // namespace pv7100::daemon
