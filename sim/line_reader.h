// Cuts the received byte stream into command lines at each CR.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pv7100::sim {

// The longest command line taken, CR not counted; anything longer is refused.
inline constexpr std::size_t kMaxLineLength = 256;

struct ReceivedLine {
  std::string code;       // the line without its CR
  bool overflow = false;  // the line grew past kMaxLineLength; `code` is empty
};

class LineReader {
 public:
  // Takes received bytes and returns the lines they complete, in order. A LF is dropped
  // wherever it stands. A line that grows past the limit is reported once, at the byte that
  // overflows it, and the rest of it up to its CR is thrown away.
  std::vector<ReceivedLine> feed(std::string_view bytes);

 private:
  std::string pending_;
  bool discarding_ = false;
};

}  // namespace pv7100::sim
