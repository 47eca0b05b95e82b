#include "panel/command_pad.h"

namespace pv7100 {
namespace {

constexpr int kFastRepeatMs = 5;

}  // namespace

CommandPad::CommandPad(Exchange& exchange, PortLink& link, ui::Toolkit& toolkit)
    : exchange_(exchange), portLink_(link), repeatTimer_(toolkit.timer(ui::TimerRole::repeat)) {}

void CommandPad::click(const Command& command) {
  if (command.timed())
    exchange_.setIntervals(command.timing.replyWindow, command.timing.displayClear);
  exchange_.send(command.code);
  if (command.effect == SideEffect::pacesArrowsForMenu) {
    repeatTimer_.setInterval(kStartRepeatPeriod);
    arrowPacing_ = ArrowPacing::menu;
  }
}

void CommandPad::press(const Command& command) {
  if (command.cursorArrow()) {
    if (arrowPacing_ == ArrowPacing::menu) exchange_.setIntervals(150, 190);
    if (arrowPacing_ == ArrowPacing::fast) exchange_.setIntervals(5, 5);
  }
  held_ = &command;
  exchange_.send(command.code);
  if (!command.cursorArrow()) {
    // Setting the intervals restarts the counts, so they also time the send just made.
    repeatTimer_.setInterval(command.pacing.period);
    exchange_.setIntervals(command.pacing.timeout, command.pacing.clear);
  }
  repeatTimer_.setEnabled(true);
}

void CommandPad::repeat() {
  if (held_ == nullptr) return;
  // While the previous line is still on its way, a line queued now could go out after the
  // release: this tick sends nothing, and the next one tries again.
  if (portLink_.bytesToWrite() > 0) return;
  exchange_.send(held_->code);
  repeatTimer_.setEnabled(true);
}

void CommandPad::release(const Command& command) {
  held_ = nullptr;
  repeatTimer_.setEnabled(false);
  exchange_.endHold();
  if (command.effect == SideEffect::fastArrowsOnRelease) {
    repeatTimer_.setInterval(kFastRepeatMs);
    arrowPacing_ = ArrowPacing::fast;
  }
}

// The projector must not keep zooming or shifting its lens because a release was lost.
void CommandPad::windowLost() {
  if (held_ != nullptr) release(*held_);
}

}  // namespace pv7100
