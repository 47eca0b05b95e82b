// The monitor rendering on arbitrary bytes: every character's token and width, the length of
// the whole text, rendering piece by piece, and the column of each printable character.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/require.h"
#include "protocol/monitor_text.h"
#include "protocol/reply_text.h"

namespace {

using pv7100::fuzz::require;

bool printable(unsigned char code) {
  return code >= ' ' && code <= 'z';
}

// The token of one character, straight from the rendering table.
std::string tokenOf(unsigned char code) {
  switch (code) {
    case 6:
      return "ACK ";
    case 20:
      return "&";
    case 13:
      return "CR ";
    case 10:
      return "LF ";
    default:
      return printable(code) ? std::string{static_cast<char>(code), ' '} : "? ";
  }
}

// The length by counting: ACK four columns, CR and LF three, DC4 one, every other character
// two, and the leading space.
std::size_t expectedLength(std::string_view line) {
  const auto count = [line](char c) {
    return static_cast<std::size_t>(std::ranges::count(line, c));
  };
  const std::size_t ack = count('\x06');
  const std::size_t dc4 = count('\x14');
  const std::size_t crLf = count('\r') + count('\n');
  const std::size_t others = line.size() - ack - dc4 - crLf;
  return 1 + 4 * ack + dc4 + 3 * crLf + 2 * others;
}

void checkTokens(std::string_view line, const std::string& monitor) {
  require(monitor.starts_with(' '), "the monitor text starts with a space");
  std::size_t at = 1;
  for (const char c : line) {
    const std::string token = tokenOf(static_cast<unsigned char>(c));
    require(monitor.compare(at, token.size(), token) == 0, "each character shows as its token");
    at += token.size();
  }
  require(at == monitor.size(), "the tokens fill the monitor text");
  require(monitor.size() == expectedLength(line), "length is one plus the token widths");
}

// While every character so far is printable, character k stands at column 2k (from 1) and
// every odd column holds a space.
void checkColumns(std::string_view line, const std::string& monitor) {
  const auto run = std::ranges::find_if_not(
      line, [](char c) { return printable(static_cast<unsigned char>(c)); });
  const auto printableRun = static_cast<std::size_t>(run - line.begin());
  for (std::size_t k = 1; k <= printableRun; ++k) {
    require(monitor[2 * k - 1] == line[k - 1], "printable character k at column 2k");
    require(monitor[2 * k - 2] == ' ', "a space before each printable character");
  }
  require(monitor[2 * printableRun] == ' ', "a space after the printable run");
}

void checkPieces(std::string_view line, const std::string& monitor, std::size_t split) {
  std::string twoPieces = pv7100::renderMonitor(line.substr(0, split));
  pv7100::appendMonitorTokens(twoPieces, line.substr(split));
  require(twoPieces == monitor, "rendering in two pieces equals rendering in one");

  std::string byCharacter(1, ' ');
  for (std::size_t i = 0; i < line.size(); ++i) {
    pv7100::appendMonitorTokens(byCharacter, line.substr(i, 1));
  }
  require(byCharacter == monitor, "rendering character by character equals rendering at once");

  pv7100::ReplyText reply;
  reply.append(line.substr(0, split));
  reply.append(line.substr(split));
  const std::string_view kept = line.substr(0, pv7100::ReplyText::kCapacity);
  require(reply.text() == kept, "the reply text keeps what arrived, up to its capacity");
  require(reply.dropped() == line.size() - kept.size(), "the reply text counts what it dropped");
  const std::string keptMonitor =
      kept.size() == line.size() ? monitor : pv7100::renderMonitor(kept);
  require(reply.monitor() == keptMonitor, "the reply text renders as it grows");
  reply.clear();
  require(reply.text().empty() && reply.monitor() == " ",
          "an emptied reply text renders as a space");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const std::string monitor = pv7100::renderMonitor(line);
  checkTokens(line, monitor);
  checkColumns(line, monitor);
  checkPieces(line, monitor, size / 2);
  if (size > 0) checkPieces(line, monitor, data[0] % (size + 1));
  return 0;
}
