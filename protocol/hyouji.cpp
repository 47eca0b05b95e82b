// Hyouji, the receive event, the reply window (Timer2) and the display clear (Timer4).
#include <optional>

#include "app/form1.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"

namespace pv7100 {

void Form1::Hyouji(const std::string& line, std::uint8_t mode) {
  if (mode == kSend) {
    // A send that opens a new reply window starts a new reply: whatever came after the last
    // window closed (a late reply, a stray byte) would otherwise spoil its decoding. Sends
    // within one open window still collect their replies together.
    if (!Timer2.enabled()) ReplyBuffer.clear();
    output(line);
    Label11.setCaption(renderMonitor(line));
    Timer2.setEnabled(true);
    AwaitingReply = 1;
    Timer4.setEnabled(true);
    return;
  }
  Label12.setCaption(line);
  if (std::optional<std::string> status = decodeStatus(CommandLine, line, PressureValue)) {
    Label22.setCaption(std::move(*status));
  }
}

// A line that cannot go out is never silent and never stops the panel: the notice line says
// so at once, and the reply window runs as for any send.
void Form1::output(const std::string& line) {
  try {
    MSComm1.Output(line);
    clearNotice();
  } catch (const CommError& e) {
    showNotice(std::string("Not sent. ") + e.what());
  }
}

void Form1::MSComm1_OnComm() {
  if (MSComm1.CommEvent() != comEvReceive) return;
  ReplyBuffer.append(MSComm1.Input());
  AwaitingReply = 0;
  Hyouji(ReplyBuffer.monitor(), kReceive);
}

void Form1::Timer2_Timer() {
  if (AwaitingReply == 1) Label12.setCaption(" X X X X");
  Timer2.setEnabled(false);
  ReplyBuffer.clear();
  AwaitingReply = 0;
}

void Form1::Timer4_Timer() {
  Label11.setCaption("");
  Label12.setCaption("");
  Label22.setCaption("");
  Timer4.setEnabled(false);
}

}  // namespace pv7100
