// The hold-to-repeat buttons: what each sends while held and at which pace.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace pv7100 {

// Intervals (ms) a press gives Timer1 (repeat), Timer2 (reply window) and Timer4 (clear).
// The cursor-pad arrows set none of them: ArrowMode chooses Timer2 and Timer4, and Timer1
// keeps the period it last received.
struct Pacing {
  int period = 0;
  int timeout = 0;
  int clear = 0;
};

struct RepeatRow {
  std::string_view control;
  std::string_view caption;
  std::uint8_t repeatCode;
  std::string_view code;
  Pacing pacing;  // all 0: a cursor-pad arrow
  // "D.Zoom": the release sets Timer1 to 5 ms and ArrowMode to 3.
  bool fastArrowsOnRelease = false;

  bool cursorArrow() const { return pacing.period == 0; }
};

std::span<const RepeatRow> repeatButtons();
// The row whose repeat code is `repeatCode`, or nullptr.
const RepeatRow* repeatRowByCode(std::uint8_t repeatCode);

}  // namespace pv7100
