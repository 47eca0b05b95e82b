#include <gtest/gtest.h>

#include <random>

#include "tests/support/panel_fixture.h"

namespace pv7100::testing {
namespace {

class Reception : public PanelTest {};

TEST_F(Reception, AReplyInTwoEventsIsDecodedAfterTheSecond) {
  click("Command44");  // "STATUS": CR0
  serial.receive("0");
  EXPECT_EQ(caption("Label12"), " 0 ");
  EXPECT_EQ(caption("Label22"), "");
  EXPECT_EQ(form.AwaitingReply, 0);
  serial.receive("0\r");
  EXPECT_EQ(caption("Label12"), " 0 0 CR ");
  EXPECT_EQ(caption("Label22"), " Power ON");
}

TEST_F(Reception, ASendWithNoReplyMarksTheTimeOutThenClearsAllThreeLines) {
  tk.label("Label22").setCaption(" Stand by");
  click("Command17");
  advance(499);
  EXPECT_EQ(caption("Label12"), "");
  advance(1);
  EXPECT_EQ(caption("Label12"), " X X X X");
  EXPECT_FALSE(timer("Timer2").enabled());
  EXPECT_EQ(form.AwaitingReply, 0);
  advance(499);
  EXPECT_EQ(caption("Label11"), " C 0 0 CR ");
  advance(1);
  EXPECT_EQ(caption("Label11"), "");
  EXPECT_EQ(caption("Label12"), "");
  EXPECT_EQ(caption("Label22"), "");
  EXPECT_FALSE(timer("Timer4").enabled());
}

TEST_F(Reception, AReplyStaysOnTheLineWhenTheWindowClosesAndTheBufferEmpties) {
  click("Command17");
  serial.receive("\x06");
  advance(500);
  EXPECT_EQ(caption("Label12"), " ACK ");
  EXPECT_EQ(form.ReplyBuffer.text(), "");
  EXPECT_EQ(form.ReplyBuffer.monitor(), " ");
}

TEST_F(Reception, TwoSendsInOneWindowShowBothRepliesDecodedAgainstTheSecond) {
  click("Command17");  // ON: C00
  serial.receive("\x06");
  advance(100);
  click("Command44");  // STATUS: CR0
  serial.receive("00\r");
  EXPECT_EQ(caption("Label12"), " ACK 0 0 CR ");
  EXPECT_EQ(caption("Label22"), "") << "the combined text starts with ACK, which no row matches";
  // Each send has its whole window: the second closes 500 ms after it.
  advance(499);
  EXPECT_TRUE(timer("Timer2").enabled());
  advance(1);
  EXPECT_FALSE(timer("Timer2").enabled());
}

TEST_F(Reception, ALateReplyIsShownAndDecodedWithoutTheTimeOutMark) {
  click("Command44");
  advance(500);
  ASSERT_EQ(caption("Label12"), " X X X X");
  serial.receive("80\r");
  EXPECT_EQ(caption("Label12"), " 8 0 CR ");
  EXPECT_EQ(caption("Label22"), " Stand by");
  EXPECT_EQ(form.ReplyBuffer.text(), "80\r") << "kept until the next window closes";
  advance(10000);
  EXPECT_EQ(caption("Label12"), "");
}

// A reply that comes after its window closed is shown, but the next send that opens a window
// starts a new reply: the late ACK of a hold no longer spoils the STATUS read after it.
TEST_F(Reception, ALateReplyIsNotPrefixedToTheNextWindowsReply) {
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

TEST_F(Reception, CharactersWhileIdleAreDecodedAgainstTheLastCommand) {
  click("Command44");
  advance(2000);
  serial.receive("40\r");
  EXPECT_EQ(caption("Label22"), " Count down");
}

TEST_F(Reception, OtherEventCodesChangeNothing) {
  click("Command44");
  serial.receive("0");
  serial.raise(1004);
  serial.raise(1);
  EXPECT_EQ(caption("Label12"), " 0 ");
  EXPECT_EQ(form.ReplyBuffer.text(), "0");
  serial.raise(comEvReceive);  // nothing waiting: the same text again
  EXPECT_EQ(caption("Label12"), " 0 ");
}

TEST_F(Reception, ReceivedBytesAboveZShowAsQuestionMarks) {
  serial.receive(std::string("\x7b\x80\xfe\xff", 4));
  EXPECT_EQ(caption("Label12"), " ? ? ? ? ");
  EXPECT_EQ(form.ReplyBuffer.text(), std::string("\x7b\x80\xfe\xff", 4));
}

TEST_F(Reception, TheBufferKeepsItsFirst32767CharactersWhenNoWindowCloses) {
  click("Command44");
  serial.receive("80");
  for (int i = 0; i < 200; ++i) serial.receive(std::string(1000, 'A'));
  EXPECT_EQ(form.ReplyBuffer.text().size(), ReplyText::kCapacity);
  EXPECT_EQ(form.ReplyBuffer.dropped(), 200 * 1000 + 2 - ReplyText::kCapacity);
  EXPECT_EQ(caption("Label12").size(), 2 * ReplyText::kCapacity + 1);
  EXPECT_EQ(caption("Label12").substr(0, 9), " 8 0 A A ");
  EXPECT_EQ(caption("Label22"), " Stand by");
  // The next window that closes empties it and it takes characters again.
  click("Command44");
  advance(500);
  serial.receive("00\r");
  EXPECT_EQ(form.ReplyBuffer.text(), "00\r");
  EXPECT_EQ(caption("Label22"), " Power ON");
}

// Any byte stream, split into receive events any way, ends in the same texts as in one event.
TEST_F(Reception, AnySplitOfAnyStreamRendersAndDecodesAsOneEvent) {
  std::mt19937 random(20261207);
  const char* reads[] = {"CR0\r", "CR1\r", "CR3\r", "CR4\r",        "CR6\r",
                         "CR7\r", "CR9\r", "CRA\r", "CR PRESSURE\r"};
  for (int round = 0; round < 300; ++round) {
    std::string stream(1 + random() % 80, '\0');
    for (char& c : stream) {
      c = static_cast<char>(random() % 4 == 0 ? "0123456789 .E-\r\x06"[random() % 16]
                                              : random() % 256);
    }
    const std::string command = reads[round % 9];

    FakeSerial wholeSerial, splitSerial;
    FakeToolkit wholeTk, splitTk;
    Form1 whole(wholeSerial, wholeTk), split(splitSerial, splitTk);
    ui::bindHandlers(whole, wholeTk, wholeSerial);
    ui::bindHandlers(split, splitTk, splitSerial);
    for (Form1* f : {&whole, &split}) {
      f->Form_Load();
      f->CommandLine = command;
    }
    wholeSerial.receive(stream);
    for (std::size_t at = 0; at < stream.size();) {
      const std::size_t n = 1 + random() % 7;
      splitSerial.receive(stream.substr(at, n));
      at += n;
    }
    for (const char* label : {"Label12", "Label22"}) {
      ASSERT_EQ(splitTk.label(label).caption(), wholeTk.label(label).caption())
          << label << " after " << command << " in round " << round;
    }
  }
}

}  // namespace
}  // namespace pv7100::testing
