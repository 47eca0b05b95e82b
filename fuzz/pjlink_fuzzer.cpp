// The PJLink request reader on arbitrary bytes from a client: cut into lines at arbitrary
// points, and each line parsed.
//
// Input: the bytes a client sends. The first byte, when there is one, says where the rest is
// split into the pieces that arrive one by one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "daemon/pjlink/request.h"
#include "fuzz/require.h"

namespace {

using pv7100::fuzz::require;
using namespace pv7100::daemon;

bool printable(std::string_view text) {
  for (const char c : text) {
    if (c < ' ' || c > '~') return false;
  }
  return true;
}

void checkLine(const LineCutter::Line& line, std::size_t maxLength) {
  require(line.text.size() <= maxLength, "a line is never longer than the limit");
  require(line.text.find('\r') == std::string::npos, "a line holds no CR");
  const ParsedRequest parsed = parseRequest(line.text);
  if (parsed.fault == RequestFault::noHeader) return;
  require(parsed.request.command.size() == 4, "a header has a command of four characters");
  require(parsed.request.header().size() == 6, "a reply header has six characters");
  if (parsed.fault == RequestFault::none) {
    require(printable(line.text), "an accepted request is printable ASCII");
    require(line.text.size() < kMaxRequestLength, "an accepted request fits in 136 bytes");
    require(!parsed.request.parameter.empty(), "an accepted request has a parameter");
    require(line.text.substr(7) == parsed.request.parameter,
            "an accepted request's parameter follows its header and a space");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = data[0] % 16 + 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  constexpr std::size_t kMaxLength = kMaxRequestLength - 1 + kDigestLength;
  LineCutter cutter(kMaxLength);
  std::size_t crs = 0;
  std::size_t lines = 0;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    cutter.add(bytes.substr(at, piece));
    while (auto line = cutter.next()) {
      checkLine(*line, kMaxLength);
      ++lines;
    }
  }
  for (const char c : bytes) crs += c == '\r';
  require(lines <= crs + bytes.size() / kMaxLength, "no more lines than CRs and cut-offs");
  return 0;
}
