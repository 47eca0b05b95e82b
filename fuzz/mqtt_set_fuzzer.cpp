// The set topic's reader on arbitrary payloads from the broker: whatever comes, it is either a
// command's name (and perhaps a hold) or refused with a reason, never both.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "daemon/mqtt/set_request.h"
#include "fuzz/require.h"

using pv7100::fuzz::require;
using namespace pv7100::daemon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view payload(reinterpret_cast<const char*>(data), size);
  const SetRequest request = parseSetRequest(payload);
  require(!request.error.empty() || !request.command.empty(),
          "a request that is not refused names a command");
  if (size > kMaxSetPayload) require(!request.error.empty(), "an over-long payload is refused");
  if (!request.error.empty()) {
    require(!request.holdFor, "a refused request holds nothing");
    return 0;
  }
  for (const char c : request.command)
    require(c > ' ' && c <= '~', "a command's name is printable ASCII without blanks");
  if (request.holdFor) require(request.holdFor->count() >= 0, "a hold lasts no negative time");
  // A plain name comes back as it was sent, blanks around it aside.
  if (payload.find('{') == std::string_view::npos)
    require(payload.find(request.command) != std::string_view::npos, "a plain name is kept");
  return 0;
}
