// The 21 hold-to-repeat buttons: one press, one release and one repeat tick for all of them.
#include "app/form1.h"
#include "protocol/commands.h"
#include "protocol/line_format.h"

namespace pv7100 {

void Form1::Repeat_MouseDown(const RepeatCommand& row) {
  if (row.cursorArrow()) {
    if (ArrowMode == 1) {
      Timer2.setInterval(150);
      Timer4.setInterval(190);
    } else if (ArrowMode == 3) {
      Timer2.setInterval(5);
      Timer4.setInterval(5);
    }
  }
  HeldButton = &row;
  CommandLine = commandLine(row.code);
  Hyouji(CommandLine, kSend);
  if (!row.cursorArrow()) {
    // Setting the intervals restarts the counts, so they also time the send just made.
    Timer1.setInterval(row.pacing.period);
    Timer2.setInterval(row.pacing.timeout);
    Timer4.setInterval(row.pacing.clear);
  }
  Timer1.setEnabled(true);
}

void Form1::Timer1_Timer() {
  const RepeatCommand* row = HeldButton;
  if (row == nullptr) return;
  // While the previous line is still on its way, a line queued now could go out after the
  // release: this tick sends nothing, and the next one tries again.
  if (MSComm1.OutBufferCount() > 0) return;
  CommandLine = commandLine(row->code);
  Hyouji(CommandLine, kSend);
  Timer1.setEnabled(true);
}

void Form1::Repeat_MouseUp(const RepeatCommand& row) {
  HeldButton = nullptr;
  Timer1.setEnabled(false);
  Timer2.setEnabled(false);
  Timer4.setEnabled(true);
  Label11.setCaption("");
  Label12.setCaption("");
  Timer2.setInterval(500);
  Timer4.setInterval(1000);
  ReplyBuffer.clear();
  if (row.fastArrowsOnRelease) {
    Timer1.setInterval(5);
    ArrowMode = 3;
  }
}

// A hold whose release will not come (the window lost the mouse) ends as the release would:
// the projector must not keep zooming or shifting its lens.
void Form1::Form_Deactivate() {
  if (HeldButton != nullptr) Repeat_MouseUp(*HeldButton);
}

}  // namespace pv7100
