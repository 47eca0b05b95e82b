#include "sim/line_reader.h"

#include "protocol/line_format.h"

namespace pv7100::sim {

std::vector<ReceivedLine> LineReader::feed(std::string_view bytes) {
  std::vector<ReceivedLine> lines;
  for (const char byte : bytes) {
    if (byte == '\n') continue;
    if (byte == kCarriageReturn) {
      if (!discarding_) lines.push_back({pending_, false});
      pending_.clear();
      discarding_ = false;
      continue;
    }
    if (discarding_) continue;
    if (pending_.size() == kMaxLineLength) {
      lines.push_back({"", true});
      pending_.clear();
      discarding_ = true;
      continue;
    }
    pending_.push_back(byte);
  }
  return lines;
}

}  // namespace pv7100::sim
