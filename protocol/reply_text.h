// What has arrived since the reply buffer was last emptied, with its monitor rendering kept in
// step, so that each receive event renders only the characters it brings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pv7100 {

class ReplyText {
 public:
  // The most characters kept: the 16-bit count of the monitor rendering. Characters beyond it
  // are dropped (and counted) until the buffer is emptied; what the RXD line shows and what the
  // status decoder reads both lie at the start, so they are the same as if all were kept.
  static constexpr std::size_t kCapacity = 32767;

  ReplyText() : monitor_(1, ' ') {}

  void append(std::string_view chars);
  void clear();

  const std::string& text() const { return text_; }
  // The monitor rendering of text().
  const std::string& monitor() const { return monitor_; }
  // Characters dropped since the buffer was last emptied.
  std::size_t dropped() const { return dropped_; }

 private:
  std::string text_;
  std::string monitor_;
  std::size_t dropped_ = 0;
};

}  // namespace pv7100
