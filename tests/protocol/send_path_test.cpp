#include <gtest/gtest.h>

#include "tests/support/panel_fixture.h"

namespace pv7100::testing {
namespace {

class SendPath : public PanelTest {};

TEST_F(SendPath, WritesTheLineShowsItAndOpensTheReplyWindow) {
  form.CommandLine = "C00\r";
  form.Hyouji(form.CommandLine, kSend);
  EXPECT_EQ(sent(), "C00\r");
  EXPECT_EQ(serial.log, std::vector<std::string>{"Output"});
  EXPECT_EQ(caption("Label11"), " C 0 0 CR ");
  EXPECT_TRUE(timer("Timer2").enabled());
  EXPECT_TRUE(timer("Timer4").enabled());
  EXPECT_EQ(form.AwaitingReply, 1);
}

// Opening a new reply window starts a new reply; the lines show what they showed.
TEST_F(SendPath, LeavesTheReplyLinesAloneAndStartsANewReply) {
  serial.receive("00");
  tk.label("Label22").setCaption(" Power ON");
  form.CommandLine = "C01\r";
  form.Hyouji(form.CommandLine, kSend);
  EXPECT_EQ(form.ReplyBuffer.text(), "");
  EXPECT_EQ(caption("Label12"), " 0 0 ");
  EXPECT_EQ(caption("Label22"), " Power ON");
}

TEST_F(SendPath, ASecondSendReplacesTheLineAndKeepsWaiting) {
  click("Command17");
  serial.receive("\x06");
  click("Command18");
  EXPECT_EQ(caption("Label11"), " C 0 1 CR ");
  EXPECT_EQ(form.AwaitingReply, 1);
  EXPECT_EQ(form.ReplyBuffer.text(), "\x06");
  EXPECT_EQ(sent(), "C00\rC01\r");
}

TEST_F(SendPath, ClosedPortSaysAtOnceThatTheLineDidNotGoOut) {
  serial.PortOpen(false);
  click("Command17");
  EXPECT_EQ(sent(), "");
  EXPECT_EQ(caption("PortNotice"), "Not sent. No port is open");
  EXPECT_EQ(caption("Label11"), " C 0 0 CR ");
  EXPECT_TRUE(tk.window().messages.empty()) << "never a modal box: a held button sends every 5 ms";
  // The reply window runs as for any send: nothing came back.
  advance(500);
  EXPECT_EQ(caption("Label12"), " X X X X");
}

TEST_F(SendPath, TheNoticeGoesWithTheNextLineThatGoesOut) {
  serial.failOn("Output", "COM1 (/dev/ttyUSB0): write failed: Input/output error");
  click("Command17");
  EXPECT_EQ(caption("PortNotice"),
            "Not sent. COM1 (/dev/ttyUSB0): write failed: Input/output error");
  serial.succeedOn("Output");
  click("Command17");
  EXPECT_EQ(caption("PortNotice"), "");
  EXPECT_EQ(sent(), "C00\r");
}

TEST_F(SendPath, RepeatedFailuresWriteTheNoticeOnce) {
  serial.PortOpen(false);
  press("Command1");
  advance(2500);
  release("Command1");
  EXPECT_EQ(tk.label("PortNotice").writes, 1);
}

}  // namespace
}  // namespace pv7100::testing
