// The web face's reader on arbitrary bytes from a client: a path (or a Host, an Origin, an
// Authorization header) up to the first newline, and a JSON body after it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "daemon/http/request.h"
#include "fuzz/require.h"

namespace {

using pv7100::fuzz::require;
using namespace pv7100::daemon;

bool plain(std::string_view name) {
  for (const char c : name) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.')) return false;
  }
  return !name.empty() && name.size() <= 64;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string_view line = bytes.substr(0, bytes.find('\n'));
  const std::string_view body = line.size() < bytes.size() ? bytes.substr(line.size() + 1) : "";

  const Route route = routeOf(line);
  if (route.endpoint == Endpoint::command || route.endpoint == Endpoint::asset)
    require(plain(route.name) && route.name.front() != '.', "a name is plain");
  if (route.endpoint == Endpoint::renew || route.endpoint == Endpoint::release)
    require(route.hold > 0, "a hold has a number");
  require(route.endpoint != Endpoint::notFound || route.name.empty(), "nothing has no name");

  for (const bool starting : {true, false}) {
    std::string error;
    const auto hold = readHoldBody(body, starting, error);
    require(hold.has_value() == error.empty(), "a body is read or said to be wrong");
    if (hold && starting) require(!hold->command.empty(), "a hold names its command");
    if (hold && hold->lease) require(hold->lease->count() >= 1, "a lease lasts");
  }

  const HostRules rules{{"localhost"}, 8080, false};
  if (namesDaemon(line, rules)) require(!line.empty(), "an empty Host names nothing");
  if (sameOrigin(body, line, false))
    require(body.size() == line.size() + 7 && body.find("://") == 4, "an origin has a scheme");
  if (const auto password = basicPassword(line))
    require(password->size() < line.size(), "a password comes from its header");
  return 0;
}
