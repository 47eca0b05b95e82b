// The PJLink datagram reader on arbitrary datagrams, cut to what the UDP face reads of one:
// only a search is answered, and a search is "%2SRCH" with one line end at most, in any case;
// what projectors send ("%2" and a command, "=" and a value) is told apart from the rest.
//
// Input: one datagram as it came.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "daemon/pjlink_udp/datagram.h"
#include "fuzz/require.h"

namespace {

using pv7100::fuzz::require;
using namespace pv7100::daemon;

// Whether `bytes` is a search, by another road: upper-cased, the line end dropped, compared.
bool searchModel(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) text += c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
  for (const std::string_view end : {"\r\n", "\r", "\n"}) {
    if (text.ends_with(end)) {
      text.resize(text.size() - end.size());
      break;
    }
  }
  return text == "%2SRCH";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data),
                               size < kMaxDatagram + 1 ? size : kMaxDatagram + 1);
  const DatagramKind kind = readDatagram(bytes);
  const bool search = kind == DatagramKind::search;
  require(search == searchModel(bytes), "a datagram is a search exactly as the model reads it");
  require((kind == DatagramKind::fromProjector) ==
              (bytes.size() > 6 && bytes.substr(0, 2) == "%2" && bytes[6] == '='),
          "what a projector sends is its header and \"=\"");
  require(!search || bytes.size() <= 8, "a search is short");
  const std::string answer = datagramText("ACKN", bytes.substr(0, 17));
  require(answer.starts_with("%2ACKN=") && answer.ends_with('\r'),
          "what the projector sends has its header and its CR");
  return 0;
}
