// The command vocabulary as data, keyed by each command's public name: what each button of the
// panel sends, and how. The panel, pv7100ctl and the daemon read the same table.
#pragma once

#include <span>
#include <string_view>

namespace pv7100 {

// Intervals (ms) a timed one-shot command gives the reply window and the display clear.
struct Timing {
  int replyWindow = 0;
  int displayClear = 0;
};

// Intervals (ms) a press gives the repeat, the reply window and the display clear.
struct Pacing {
  int period = 0;
  int timeout = 0;
  int clear = 0;
};

// The reply window and the display clear at start, and again after every hold.
inline constexpr Timing kDefaultTiming{500, 1000};
// The repeat period at start: the cursor pad arrows repeat at it until another hold sets one.
inline constexpr int kStartRepeatPeriod = 200;

enum class CommandKind { oneShot, repeat };

// What a command does besides its send.
enum class SideEffect {
  none,
  // "A-PC Adj" and "MENU ON": after the send the repeat period becomes 200 ms and the cursor
  // pad arrows are paced for the menu.
  pacesArrowsForMenu,
  // "D.Zoom": the release makes the cursor pad arrows repeat every 5 ms.
  fastArrowsOnRelease,
};

struct Command {
  std::string_view name;     // public: "power-on", "vol-plus"
  std::string_view group;    // the group title, or what the untitled block holds; "" alone
  std::string_view caption;  // the button's caption
  std::string_view code;
  CommandKind kind = CommandKind::oneShot;
  // One-shot: both 0 leave the intervals that stand.
  Timing timing;
  // Repeat: all 0 for a cursor pad arrow, which keeps the period the repeat last received and
  // takes its reply window and display clear from the cursor pad's pacing.
  Pacing pacing;
  SideEffect effect = SideEffect::none;

  bool timed() const { return timing.replyWindow != 0; }
  bool cursorArrow() const { return kind == CommandKind::repeat && pacing.period == 0; }
};

// Every command of the panel's buttons, the one-shot ones first, in panel order.
std::span<const Command> commands();

// The command called `name`, nullptr when there is none.
const Command* commandNamed(std::string_view name);

}  // namespace pv7100
