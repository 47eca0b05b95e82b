#include "panel/exchange.h"

#include <optional>

#include "protocol/commands.h"
#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"

namespace pv7100 {
Exchange::Exchange(PortLink& link, ui::Toolkit& toolkit)
    : portLink_(link),
      transmitLine_(toolkit.line(ui::LineRole::transmit)),
      receiveLine_(toolkit.line(ui::LineRole::receive)),
      statusLine_(toolkit.line(ui::LineRole::status)),
      replyWindow_(toolkit.timer(ui::TimerRole::replyWindow)),
      displayClear_(toolkit.timer(ui::TimerRole::displayClear)) {}

void Exchange::send(std::string_view code) {
  commandLine_ = commandLine(code);
  // A send that opens a new reply window starts a new reply: whatever came after the last
  // window closed (a late reply, a stray byte) would otherwise spoil its decoding. Sends
  // within one open window still collect their replies together.
  if (!replyWindow_.enabled()) reply_.clear();
  portLink_.write(commandLine_);
  transmitLine_.setCaption(renderMonitor(commandLine_));
  replyWindow_.setEnabled(true);
  awaitingReply_ = true;
  displayClear_.setEnabled(true);
}

// No end of a reply is looked for: each burst shows, and is decoded with, all that came
// before it in this reply.
void Exchange::received(std::string_view bytes) {
  reply_.append(bytes);
  awaitingReply_ = false;
  receiveLine_.setCaption(reply_.monitor());
  if (std::optional<DecodedStatus> status = decodeStatus(commandLine_, reply_.monitor()))
    statusLine_.setCaption(std::move(status->text));
}

void Exchange::closeReplyWindow() {
  if (awaitingReply_) receiveLine_.setCaption(" X X X X");
  replyWindow_.setEnabled(false);
  reply_.clear();
  awaitingReply_ = false;
}

void Exchange::clearDisplay() {
  transmitLine_.setCaption("");
  receiveLine_.setCaption("");
  statusLine_.setCaption("");
  displayClear_.setEnabled(false);
}

void Exchange::setIntervals(int replyWindow, int displayClear) {
  replyWindow_.setInterval(replyWindow);
  displayClear_.setInterval(displayClear);
}

void Exchange::endHold() {
  replyWindow_.setEnabled(false);
  displayClear_.setEnabled(true);
  transmitLine_.setCaption("");
  receiveLine_.setCaption("");
  setIntervals(kDefaultTiming.replyWindow, kDefaultTiming.displayClear);
  reply_.clear();
}

}  // namespace pv7100
