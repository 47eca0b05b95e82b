// A line goes out, its reply comes back: the TXD, RXD and STATUS lines, the reply window and the
// display clear, the notice line when a line cannot go out.
#include <gtest/gtest.h>

#include <random>

#include "tests/support/panel_fixture.h"

namespace pv7100::testing {
namespace {

class Exchange : public PanelTest {};

TEST_F(Exchange, ALineGoesOutShowsAndOpensTheReplyWindow) {
  click("Command17");
  EXPECT_EQ(sent(), "C00\r");
  EXPECT_EQ(serial.log, std::vector<std::string>{"write"});
  EXPECT_EQ(caption("Label11"), " C 0 0 CR ");
  EXPECT_TRUE(timer("Timer2").enabled());
  EXPECT_TRUE(timer("Timer4").enabled());
}

TEST_F(Exchange, AReplyInTwoBurstsIsDecodedAfterTheSecond) {
  click("Command44");  // "STATUS": CR0
  serial.receive("0");
  EXPECT_EQ(caption("Label12"), " 0 ");
  EXPECT_EQ(caption("Label22"), "");
  serial.receive("0\r");
  EXPECT_EQ(caption("Label12"), " 0 0 CR ");
  EXPECT_EQ(caption("Label22"), " Power ON");
}

TEST_F(Exchange, AReplyStaysOnTheLineWhenTheWindowCloses) {
  click("Command17");
  serial.receive("\x06");
  advance(500);
  EXPECT_EQ(caption("Label12"), " ACK ");
}

TEST_F(Exchange, TwoSendsInOneWindowShowBothRepliesDecodedAgainstTheSecond) {
  click("Command17");  // ON: C00
  serial.receive("\x06");
  advance(100);
  click("Command18");  // OFF: the line is replaced, the reply kept
  EXPECT_EQ(caption("Label11"), " C 0 1 CR ");
  click("Command44");  // STATUS: CR0
  serial.receive("00\r");
  EXPECT_EQ(caption("Label12"), " ACK 0 0 CR ");
  EXPECT_EQ(caption("Label22"), "") << "the combined text starts with ACK, which no row matches";
  // Each send has its whole window: the last closes 500 ms after it, with no time-out mark.
  advance(499);
  EXPECT_TRUE(timer("Timer2").enabled());
  advance(1);
  EXPECT_EQ(caption("Label12"), " ACK 0 0 CR ");
}

TEST_F(Exchange, ALateReplyIsShownAndDecodedWithoutTheTimeOutMark) {
  click("Command44");
  advance(500);
  ASSERT_EQ(caption("Label12"), " X X X X");
  serial.receive("80\r");
  EXPECT_EQ(caption("Label12"), " 8 0 CR ");
  EXPECT_EQ(caption("Label22"), " Stand by");
}

// A reply that comes after its window closed is shown, but the next send that opens a window
// starts a new reply: the late ACK of a hold no longer spoils the STATUS read after it.
TEST_F(Exchange, ALateReplyIsNotPrefixedToTheNextWindowsReply) {
  press("Command15");  // "Zoom +", 105 ms: the projector answers 80 ms late
  advance(105);
  serial.receive("\x06");
  release("Command15");
  serial.receive("\x06");  // the last line's ACK, after the release
  EXPECT_EQ(caption("Label12"), " ACK ");
  click("Command44");  // STATUS
  serial.receive("80\r");
  EXPECT_EQ(caption("Label12"), " 8 0 CR ");
  EXPECT_EQ(caption("Label22"), " Stand by");
}

TEST_F(Exchange, ReceivedBytesAboveZShowAsQuestionMarks) {
  serial.receive(std::string("\x7b\x80\xfe\xff", 4));
  EXPECT_EQ(caption("Label12"), " ? ? ? ? ");
}

TEST_F(Exchange, TheReplyKeepsItsFirst32767CharactersWhenNoWindowCloses) {
  click("Command44");
  serial.receive("80");
  for (int i = 0; i < 200; ++i) serial.receive(std::string(1000, 'A'));
  EXPECT_EQ(caption("Label12").size(), 2 * 32767 + 1);
  EXPECT_EQ(caption("Label12").substr(0, 9), " 8 0 A A ");
  EXPECT_EQ(caption("Label22"), " Stand by");
  // The next window that closes empties it and it takes characters again.
  click("Command44");
  advance(500);
  serial.receive("00\r");
  EXPECT_EQ(caption("Label12"), " 0 0 CR ");
  EXPECT_EQ(caption("Label22"), " Power ON");
}

TEST_F(Exchange, AClosedPortSaysAtOnceThatTheLineDidNotGoOut) {
  serial.close();
  click("Command17");
  EXPECT_EQ(sent(), "");
  EXPECT_EQ(caption("PortNotice"), "Not sent. No port is open: choose COM1 or COM2 under COM.");
  EXPECT_EQ(caption("Label11"), " C 0 0 CR ");
  EXPECT_TRUE(tk.window().messages.empty()) << "never a modal box: a held button sends every 5 ms";
  advance(500);
  EXPECT_EQ(caption("Label12"), " X X X X");
}

TEST_F(Exchange, TheNoticeIsWrittenOnceAndGoesWithTheNextLineThatGoesOut) {
  serial.failWrites(true);
  press("Command1");
  advance(2500);
  release("Command1");
  EXPECT_EQ(caption("PortNotice"),
            "Not sent. COM1 (/dev/ttyS0) refused the output (Input/output error).");
  EXPECT_EQ(tk.label("PortNotice").writes, 1);
  serial.failWrites(false);
  click("Command17");
  EXPECT_EQ(caption("PortNotice"), "");
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
    Panel whole(serial[0], tk[0], {}), split(serial[1], tk[1], {});
    for (int i = 0; i < 2; ++i) {
      (i == 0 ? whole : split).start();
      tk[i].textBox("Text1").setText(reads[round % 9]);
      tk[i].button("Command95").click();
    }
    serial[0].receive(stream);
    for (std::size_t at = 0; at < stream.size();) {
      const std::size_t n = 1 + random() % 7;
      serial[1].receive(std::string_view(stream).substr(at, n));
      at += n;
    }
    for (const char* label : {"Label12", "Label22"}) {
      ASSERT_EQ(tk[1].label(label).caption(), tk[0].label(label).caption())
          << label << " after " << reads[round % 9] << " in round " << round;
    }
  }
}

}  // namespace
}  // namespace pv7100::testing
