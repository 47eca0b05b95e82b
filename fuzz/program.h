// A fuzz input read as a little program: one byte at a time, a two-byte word, or a run of bytes;
// past the end every byte reads as 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pv7100::fuzz {

class Program {
 public:
  explicit Program(std::string_view bytes) : bytes_(bytes) {}
  bool done() const { return at_ == bytes_.size(); }
  std::uint8_t next() { return done() ? 0 : static_cast<std::uint8_t>(bytes_[at_++]); }
  // Two bytes, the low one first.
  std::uint16_t word() {
    const std::uint8_t low = next();
    return static_cast<std::uint16_t>(low + 256 * next());
  }
  // The next `n` bytes, fewer when the input ends.
  std::string_view take(std::size_t n) {
    const std::string_view taken = bytes_.substr(at_, n);
    at_ += taken.size();
    return taken;
  }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

}  // namespace pv7100::fuzz
