// A line goes out, its reply comes back: the TXD, RXD and STATUS lines, the reply window and the
// display clear, the notice line when a line cannot go out.
#include <gtest/gtest.h>

#include <random>

#include "tests/support/panel_fixture.h"

namespace pv7100::testing {
namespace {

class Exchange : public PanelTest {};

TEST_F(Exchange, ALineGoesOutShowsAndOpensTheReplyWindow) {
  click("power-on");
  EXPECT_EQ(sent(), "C00\r");
  EXPECT_EQ(serial.log, std::vector<std::string>{"write"});
  EXPECT_EQ(text(ui::LineRole::transmit), " C 0 0 CR ");
  EXPECT_TRUE(timer(ui::TimerRole::replyWindow).enabled());
  EXPECT_TRUE(timer(ui::TimerRole::displayClear).enabled());
}

TEST_F(Exchange, AReplyInTwoBurstsIsDecodedAfterTheSecond) {
  click("read-status");  // "STATUS": CR0
  serial.receive("0");
  EXPECT_EQ(text(ui::LineRole::receive), " 0 ");
  EXPECT_EQ(text(ui::LineRole::status), "");
  serial.receive("0\r");
  EXPECT_EQ(text(ui::LineRole::receive), " 0 0 CR ");
  EXPECT_EQ(text(ui::LineRole::status), " Power ON");
}

TEST_F(Exchange, AReplyStaysOnTheLineWhenTheWindowCloses) {
  click("power-on");
  serial.receive("\x06");
  advance(500);
  EXPECT_EQ(text(ui::LineRole::receive), " ACK ");
}

TEST_F(Exchange, TwoSendsInOneWindowShowBothRepliesDecodedAgainstTheSecond) {
  click("power-on");  // ON: C00
  serial.receive("\x06");
  advance(100);
  click("power-off");  // OFF: the line is replaced, the reply kept
  EXPECT_EQ(text(ui::LineRole::transmit), " C 0 1 CR ");
  click("read-status");  // STATUS: CR0
  serial.receive("00\r");
  EXPECT_EQ(text(ui::LineRole::receive), " ACK 0 0 CR ");
  EXPECT_EQ(text(ui::LineRole::status), "")
      << "the combined text starts with ACK, which no row matches";
  // Each send has its whole window: the last closes 500 ms after it, with no time-out mark.
  advance(499);
  EXPECT_TRUE(timer(ui::TimerRole::replyWindow).enabled());
  advance(1);
  EXPECT_EQ(text(ui::LineRole::receive), " ACK 0 0 CR ");
}

TEST_F(Exchange, ALateReplyIsShownAndDecodedWithoutTheTimeOutMark) {
  click("read-status");
  advance(500);
  ASSERT_EQ(text(ui::LineRole::receive), " X X X X");
  serial.receive("80\r");
  EXPECT_EQ(text(ui::LineRole::receive), " 8 0 CR ");
  EXPECT_EQ(text(ui::LineRole::status), " Stand by");
}

// A reply that comes after its window closed is shown, but the next send that opens a window
// starts a new reply: the late ACK of a hold no longer spoils the STATUS read after it.
TEST_F(Exchange, ALateReplyIsNotPrefixedToTheNextWindowsReply) {
  press("zoom-plus");  // "Zoom +", 105 ms: the projector answers 80 ms late
  advance(105);
  serial.receive("\x06");
  release("zoom-plus");
  serial.receive("\x06");  // the last line's ACK, after the release
  EXPECT_EQ(text(ui::LineRole::receive), " ACK ");
  click("read-status");  // STATUS
  serial.receive("80\r");
  EXPECT_EQ(text(ui::LineRole::receive), " 8 0 CR ");
  EXPECT_EQ(text(ui::LineRole::status), " Stand by");
}

TEST_F(Exchange, ReceivedBytesAboveZShowAsQuestionMarks) {
  serial.receive(std::string("\x7b\x80\xfe\xff", 4));
  EXPECT_EQ(text(ui::LineRole::receive), " ? ? ? ? ");
}

TEST_F(Exchange, TheReplyKeepsItsFirst32767CharactersWhenNoWindowCloses) {
  click("read-status");
  serial.receive("80");
  for (int i = 0; i < 200; ++i) serial.receive(std::string(1000, 'A'));
  EXPECT_EQ(text(ui::LineRole::receive).size(), 2 * 32767 + 1);
  EXPECT_EQ(text(ui::LineRole::receive).substr(0, 9), " 8 0 A A ");
  EXPECT_EQ(text(ui::LineRole::status), " Stand by");
  // The next window that closes empties it and it takes characters again.
  click("read-status");
  advance(500);
  serial.receive("00\r");
  EXPECT_EQ(text(ui::LineRole::receive), " 0 0 CR ");
  EXPECT_EQ(text(ui::LineRole::status), " Power ON");
}

TEST_F(Exchange, AClosedPortSaysAtOnceThatTheLineDidNotGoOut) {
  serial.close();
  click("power-on");
  EXPECT_EQ(sent(), "");
  EXPECT_EQ(text(ui::LineRole::notice),
            "Not sent. No port is open: choose COM1 or COM2 under COM.");
  EXPECT_EQ(text(ui::LineRole::transmit), " C 0 0 CR ");
  EXPECT_TRUE(tk.window().messages.empty()) << "never a modal box: a held button sends every 5 ms";
  advance(500);
  EXPECT_EQ(text(ui::LineRole::receive), " X X X X");
}

TEST_F(Exchange, TheNoticeIsWrittenOnceAndGoesWithTheNextLineThatGoesOut) {
  serial.failWrites(true);
  press("vol-plus");
  advance(2500);
  release("vol-plus");
  EXPECT_EQ(text(ui::LineRole::notice),
            "Not sent. COM1 (/dev/ttyS0) refused the output (Input/output error).");
  EXPECT_EQ(tk.line(ui::LineRole::notice).writes, 1);
  serial.failWrites(false);
  click("power-on");
  EXPECT_EQ(text(ui::LineRole::notice), "");
  EXPECT_EQ(sent(), "C00\r");
}

// Any byte stream, split into bursts any way, ends in the same texts as in one burst.
TEST(ExchangeSplits, AnySplitOfAnyStreamRendersAndDecodesAsOneBurst) {
  std::mt19937 random(20261207);
  const char* reads[] = {"CR0", "CR1", "CR3", "CR4", "CR6", "CR7", "CR9", "CRA", "CR PRESSURE"};
  for (int round = 0; round < 300; ++round) {
    std::string stream(1 + random() % 80, '\0');
    for (char& c : stream) {
      c = static_cast<char>(random() % 4 == 0 ? "0123456789 .E-\r\x06"[random() % 16]
                                              : random() % 256);
    }
    FakeSerial serial[2];
    FakeToolkit tk[2];
    Panel whole(serial[0], tk[0], {}, panelPortTexts()),
        split(serial[1], tk[1], {}, panelPortTexts());
    for (int i = 0; i < 2; ++i) {
      (i == 0 ? whole : split).start();
      tk[i].commandBox().setText(reads[round % 9]);
      tk[i].button(ui::ButtonRole::sendLine).click();
    }
    serial[0].receive(stream);
    for (std::size_t at = 0; at < stream.size();) {
      const std::size_t n = 1 + random() % 7;
      serial[1].receive(std::string_view(stream).substr(at, n));
      at += n;
    }
    for (const ui::LineRole line : {ui::LineRole::receive, ui::LineRole::status}) {
      ASSERT_EQ(tk[1].line(line).caption(), tk[0].line(line).caption())
          << reads[round % 9] << " in round " << round;
    }
  }
}

}  // namespace
}  // namespace pv7100::testing
