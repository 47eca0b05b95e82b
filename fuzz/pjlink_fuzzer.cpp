// The PJLink request reader on arbitrary bytes from a client: cut into lines at arbitrary
// points, read only as far as there is room for waiting lines, and each line parsed.
//
// Input: the bytes a client sends, after two bytes. The first says where they are split into
// the pieces that arrive one by one; the second how many waiting lines are taken after each
// piece (0: all of them, once kMaxWaitingLines wait).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

void checkLine(const LineCutter::Line& line) {
  require(line.text.size() <= kMaxLineLength, "a line is never longer than the limit");
  require(line.text.find_first_of("\r\n") == std::string::npos, "a line holds no CR or LF");
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

// The lines in `text` by another road: CR LF made CR, LF made CR, the text split at CR, each
// part longer than the limit cut there, the last part (not ended) only when it is too long.
struct Model {
  std::vector<LineCutter::Line> lines;
  bool pending = false;
  std::uint64_t begun = 0;
};

Model model(std::string text) {
  for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 1))
    text.erase(at + 1, 1);
  std::replace(text.begin(), text.end(), '\n', '\r');
  Model model;
  std::size_t start = 0;
  for (auto end = text.find('\r');; end = text.find('\r', start)) {
    const std::string part =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const bool tooLong = part.size() > kMaxLineLength;
    if (end != std::string::npos || tooLong)
      model.lines.push_back({.text = part.substr(0, kMaxLineLength), .tooLong = tooLong});
    model.begun += !part.empty();
    if (end == std::string::npos) {
      model.pending = !part.empty();
      return model;
    }
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t piece = data[0] % 16 + 1;
  const std::size_t takeEach = data[1] % 4;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  LineCutter cutter(kMaxLineLength);
  std::vector<LineCutter::Line> lines;
  auto take = [&](std::size_t most) {
    for (; most > 0 && cutter.lines() > 0; --most) {
      lines.push_back(*cutter.next());
      checkLine(lines.back());
    }
  };
  for (std::size_t at = 0; at < bytes.size();) {
    const std::string_view offered = bytes.substr(at, piece);
    const std::size_t taken = cutter.add(offered, kMaxWaitingLines);
    require(taken <= offered.size(), "the reader takes no more than it is offered");
    require(cutter.lines() <= kMaxWaitingLines, "no more lines wait than the bound");
    require(taken == offered.size() || cutter.lines() == kMaxWaitingLines,
            "the reader leaves bytes only when the waiting lines are at their bound");
    at += taken;
    take(takeEach > 0 ? takeEach : cutter.lines() == kMaxWaitingLines ? kMaxWaitingLines : 0);
  }
  take(kMaxWaitingLines);
  const Model expected = model(std::string(bytes));
  require(lines.size() == expected.lines.size(), "as many lines as the model");
  for (std::size_t i = 0; i < lines.size(); ++i)
    require(
        lines[i].text == expected.lines[i].text && lines[i].tooLong == expected.lines[i].tooLong,
        "each line as the model cuts it");
  require(cutter.pending() == expected.pending, "a line not ended is pending");
  require(cutter.begun() == expected.begun, "every line with a byte has begun");
  return 0;
}
