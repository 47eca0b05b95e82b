#include "daemon/pjlink/request.h"

#include <algorithm>

namespace pv7100::daemon {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

bool printable(char c) {
  return c >= ' ' && c <= '~';
}

}  // namespace

std::size_t LineCutter::add(std::string_view bytes, std::size_t maxLines) {
  std::size_t taken = 0;
  for (; taken < bytes.size() && complete_.size() < maxLines; ++taken) {
    const char c = bytes[taken];
    const bool crLf = afterCr_ && c == kLineFeed;
    afterCr_ = c == kCarriageReturn;
    if (crLf) continue;
    if (c == kCarriageReturn || c == kLineFeed) {
      if (!skipping_) complete_.push_back({.text = std::move(partial_), .tooLong = false});
      partial_.clear();
      skipping_ = false;
    } else if (skipping_) {
      // The rest of a line too long.
    } else if (partial_.size() == maxLength_) {
      complete_.push_back({.text = std::move(partial_), .tooLong = true});
      partial_.clear();
      skipping_ = true;
    } else {
      if (partial_.empty()) ++begun_;
      partial_ += c;
    }
  }
  return taken;
}

std::optional<LineCutter::Line> LineCutter::next() {
  if (complete_.empty()) return std::nullopt;
  Line line = std::move(complete_.front());
  complete_.pop_front();
  return line;
}

ParsedRequest parseRequest(std::string_view line) {
  ParsedRequest parsed;
  constexpr std::size_t kHeaderLength = 6;  // "%1POWR"
  if (line.size() < kHeaderLength || line[0] != '%' ||
      !std::all_of(line.begin() + 1, line.begin() + kHeaderLength, printable)) {
    parsed.fault = RequestFault::noHeader;
    return parsed;
  }
  parsed.request.pjlinkClass = line[1];
  // Commands are read in any case and answered in PJLink's upper case.
  for (const char c : line.substr(2, 4))
    parsed.request.command += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  const bool spaced = line.size() > kHeaderLength + 1 && line[kHeaderLength] == ' ';
  if (spaced) parsed.request.parameter = std::string(line.substr(kHeaderLength + 1));
  if (!spaced || line.size() + 1 > kMaxRequestLength ||
      !std::all_of(line.begin(), line.end(), printable))
    parsed.fault = RequestFault::badParameter;
  return parsed;
}

}  // namespace pv7100::daemon
