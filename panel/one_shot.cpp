// One handler for the 46 one-shot buttons of the catalogue.
#include "app/form1.h"
#include "protocol/commands.h"
#include "protocol/line_format.h"

namespace pv7100 {

void Form1::OneShot_Click(const OneShotCommand& row) {
  if (row.timed()) {
    Timer2.setInterval(row.timing.replyWindow);
    Timer4.setInterval(row.timing.displayClear);
  }
  CommandLine = commandLine(row.code);
  Hyouji(CommandLine, kSend);
  if (row.preparesCursorPad) {
    Timer1.setInterval(200);
    ArrowMode = 1;
  }
}

}  // namespace pv7100
