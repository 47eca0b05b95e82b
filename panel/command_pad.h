// The command buttons: a one-shot button sends its command once; a hold-to-repeat button sends
// its command at the press and again at every period until it is released.
#pragma once

#include "panel/exchange.h"
#include "panel/port_link.h"
#include "panel/toolkit.h"
#include "protocol/commands.h"

namespace pv7100 {

// How the cursor pad arrows time their replies: not chosen yet (they leave the intervals that
// stand), paced for the menu ("A-PC Adj", "MENU ON": 150 / 190 ms), or fast after a digital
// zoom (5 / 5 ms).
enum class ArrowPacing { unchosen, menu, fast };

class CommandPad {
 public:
  CommandPad(Exchange& exchange, PortLink& link, ui::Toolkit& toolkit);

  void click(const Command& command);
  void press(const Command& command);
  void release(const Command& command);
  void repeat();
  // The window lost the mouse: a held button will not be released there, so the hold ends.
  void windowLost();

 private:
  Exchange& exchange_;
  PortLink& portLink_;
  ui::Timer& repeatTimer_;
  const Command* held_ = nullptr;
  ArrowPacing arrowPacing_ = ArrowPacing::unchosen;
};

}  // namespace pv7100
