// The one-shot buttons: what each sends and which reply-window pair it sets.
#pragma once

#include <span>
#include <string_view>

namespace pv7100 {

// Intervals (ms) a timed button gives Timer2 (reply window) and Timer4 (display clear).
struct Timing {
  int replyWindow = 0;
  int displayClear = 0;
};

struct OneShotRow {
  std::string_view control;
  std::string_view caption;
  std::string_view code;
  Timing timing;  // both 0: the button leaves the intervals that stand
  // "A-PC Adj" and "MENU ON": after the send Timer1 gets 200 ms and ArrowMode 1.
  bool preparesCursorPad = false;

  bool timed() const { return timing.replyWindow != 0; }
};

std::span<const OneShotRow> oneShotButtons();

}  // namespace pv7100
