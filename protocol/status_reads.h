// The nine status reads: the name pv7100ctl and the daemon ask them by, the code sent, and how
// the reply is decoded. In the order `pv7100ctl status` asks them.
#pragma once

#include <array>
#include <string_view>

namespace pv7100 {

enum class Decoding {
  operatingState,
  inputMode,
  lampHours,
  reversal,
  temperatures,
  lampMode,
  asShown,
  mute,
  pressure,
};

struct StatusRead {
  std::string_view name;
  std::string_view code;
  Decoding decoding;
};

inline constexpr std::array kStatusReads = std::to_array<StatusRead>({
    {"state", "CR0", Decoding::operatingState},
    {"input", "CR1", Decoding::inputMode},
    {"lamp-hours", "CR3", Decoding::lampHours},
    {"reversal", "CR4", Decoding::reversal},
    {"temperatures", "CR6", Decoding::temperatures},
    {"lamp-mode", "CR7", Decoding::lampMode},
    {"version", "CR9", Decoding::asShown},
    {"mute", "CRA", Decoding::mute},
    {"pressure", "CR PRESSURE", Decoding::pressure},
});

// The read called `name`, nullptr when there is none.
constexpr const StatusRead* statusReadNamed(std::string_view name) {
  for (const StatusRead& read : kStatusReads) {
    if (read.name == name) return &read;
  }
  return nullptr;
}

}  // namespace pv7100
