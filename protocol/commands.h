// The panel's command vocabulary as data: what each button sends, and how. The panel's
// buttons and the command-line program read the same two tables.
#pragma once

#include <span>
#include <string_view>

namespace pv7100 {

// Intervals (ms) a timed one-shot button gives the reply window and the display clear.
struct Timing {
  int replyWindow = 0;
  int displayClear = 0;
};

// A button whose click sends one command.
struct OneShotCommand {
  std::string_view control;  // the button on the window
  std::string_view group;    // the group title, or what the untitled block holds
  std::string_view caption;
  std::string_view code;
  Timing timing;  // both 0: the button leaves the intervals that stand
  // "A-PC Adj" and "MENU ON": after the send the repeat period becomes 200 ms and the cursor
  // pad arrows are paced for the menu.
  bool preparesCursorPad = false;

  bool timed() const { return timing.replyWindow != 0; }
};

// Intervals (ms) a press gives the repeat, the reply window and the display clear.
struct Pacing {
  int period = 0;
  int timeout = 0;
  int clear = 0;
};

// A button that sends its command at the press and again at every period while held.
struct RepeatCommand {
  std::string_view control;
  std::string_view group;
  std::string_view caption;
  std::string_view code;
  // All 0: a cursor pad arrow, which keeps the period the repeat last received and takes its
  // reply window and display clear from the cursor pad's pacing.
  Pacing pacing;
  // "D.Zoom": the release makes the cursor pad arrows repeat every 5 ms.
  bool fastArrowsOnRelease = false;

  bool cursorArrow() const { return pacing.period == 0; }
};

// The 46 one-shot buttons and the 21 hold-to-repeat buttons, in panel order.
std::span<const OneShotCommand> oneShotCommands();
std::span<const RepeatCommand> repeatCommands();

// "DISPLAY CLEAR": one command like a one-shot button's, with no intervals of its own.
inline constexpr std::string_view kDisplayClearCode = "C1E";

}  // namespace pv7100
