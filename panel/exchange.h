// One exchange with the projector: a command line goes out and shows on the TXD line, the
// reply collects and shows on the RXD line, the reply to a status read shows in words on the
// STATUS line. The reply window closes after its interval (" X X X X" when nothing came), and
// the display clear empties the three lines a little later.
#pragma once

#include <string>
#include <string_view>

#include "panel/port_link.h"
#include "panel/toolkit.h"
#include "protocol/reply_text.h"

namespace pv7100 {

class Exchange {
 public:
  Exchange(PortLink& link, ui::Toolkit& toolkit);

  // Sends `code` and one CR, and opens the reply window.
  void send(std::string_view code);
  void received(std::string_view bytes);
  void closeReplyWindow();
  void clearDisplay();
  // The intervals of the reply window and the display clear for this send and the next ones.
  void setIntervals(int replyWindow, int displayClear);
  // A hold ends: no reply is awaited any more, the monitor lines empty at once, the status
  // line with the display clear, and the default intervals stand again.
  void endHold();

 private:
  PortLink& portLink_;
  ui::Label& transmitLine_;
  ui::Label& receiveLine_;
  ui::Label& statusLine_;
  ui::Timer& replyWindow_;
  ui::Timer& displayClear_;
  std::string commandLine_;  // the last line sent; replies are decoded against it
  ReplyText reply_;
  bool awaitingReply_ = false;
};

}  // namespace pv7100
