#include <gtest/gtest.h>

#include "protocol/commands.h"
#include "tests/support/panel_fixture.h"

namespace pv7100::testing {
namespace {

using Log = std::vector<std::string>;

class StartUp : public ::testing::Test {
 protected:
  StartUp() { ui::bindHandlers(form, tk, serial); }
  FakeSerial serial;
  FakeToolkit tk;
  Form1 form{serial, tk};
};

TEST_F(StartUp, PlacesTheCompactWindowCentredOnTheDesignSize) {
  FakeWindow& w = tk.window();
  const double designHeight = w.height();
  form.Form_Load();
  EXPECT_DOUBLE_EQ(w.left(), (w.screenWidth() - w.width()) / 2);
  EXPECT_DOUBLE_EQ(w.top(), (w.screenHeight() - designHeight) / 2);
  EXPECT_DOUBLE_EQ(w.height(), 5350);
}

TEST_F(StartUp, OpensCom1At19200ThenSwitchesToItOnce) {
  form.Form_Load();
  EXPECT_EQ(serial.log, (Log{"CommPort=1", "Settings=19200,N,8,1", "PortOpen=True",
                             "PortOpen=False", "CommPort=1", "PortOpen=True"}));
  EXPECT_TRUE(serial.PortOpen());
  EXPECT_EQ(serial.CommPort(), 1);
  EXPECT_EQ(serial.settings, "19200,N,8,1");
  EXPECT_EQ(form.PortSettings, "19200,N,8,1");
}

TEST_F(StartUp, SelectsCom1And19200AndClearsTheFormState) {
  form.ReplyBuffer.append("junk");
  form.AwaitingReply = 1;
  form.HeldButton = &pv7100::repeatCommands()[0];
  form.Form_Load();
  EXPECT_TRUE(tk.option("Option1").selected());
  EXPECT_FALSE(tk.option("Option2").selected());
  EXPECT_TRUE(tk.option("Option9").selected());
  EXPECT_FALSE(tk.option("Option10").selected());
  EXPECT_FALSE(tk.frame("Frame8").visible());
  EXPECT_FALSE(tk.button("Command34").visible());
  EXPECT_EQ(form.ReplyBuffer.text(), "");
  EXPECT_EQ(form.AwaitingReply, 0);
  EXPECT_EQ(form.HeldButton, nullptr);
  EXPECT_TRUE(tk.window().messages.empty());
}

TEST_F(StartUp, Com1ThatCannotOpenIsReportedOnceAndThePanelRuns) {
  serial.failOn("PortOpen=True", "COM1 (/dev/ttyS0) cannot be opened: Permission denied.");
  form.Form_Load();
  EXPECT_EQ(tk.window().messages, Log{"COM1 (/dev/ttyS0) cannot be opened: Permission denied."});
  EXPECT_FALSE(serial.PortOpen());
  EXPECT_TRUE(tk.option("Option1").selected());

  // The user chooses COM2, which opens.
  serial.succeedOn("PortOpen=True");
  tk.option("Option2").click();
  EXPECT_TRUE(serial.PortOpen());
  EXPECT_EQ(serial.CommPort(), 2);
}

class PortSwitch : public PanelTest {};

TEST_F(PortSwitch, ClosesSetsTheNumberReopensAndHidesTheFrame) {
  click("Command33");
  tk.option("Option2").click();
  EXPECT_EQ(serial.log, (Log{"PortOpen=False", "CommPort=2", "PortOpen=True"}));
  EXPECT_TRUE(serial.PortOpen());
  EXPECT_FALSE(tk.frame("Frame8").visible());
  EXPECT_TRUE(tk.option("Option2").selected());
  EXPECT_FALSE(tk.option("Option1").selected());
  EXPECT_TRUE(tk.option("Option9").selected()) << "the speed group is a group of its own";
}

TEST_F(PortSwitch, FailedOpenShowsTheTextKeepsTheChoiceAndFallsBack) {
  serial.failOn("PortOpen=True", "COM2 (/dev/ttyS1) cannot be opened: there is no such device.");
  click("Command33");
  tk.option("Option2").click();
  EXPECT_EQ(serial.log, (Log{"PortOpen=False", "CommPort=2", "PortOpen=True", "CommPort=1"}));
  EXPECT_EQ(tk.window().messages,
            Log{"COM2 (/dev/ttyS1) cannot be opened: there is no such device."});
  EXPECT_TRUE(tk.option("Option2").selected());
  EXPECT_EQ(serial.CommPort(), 1);
  EXPECT_FALSE(serial.PortOpen());
  EXPECT_TRUE(tk.frame("Frame8").visible()) << "the frame stays until Timer3";
  advance(4999);
  EXPECT_TRUE(tk.frame("Frame8").visible());
  advance(1);
  EXPECT_FALSE(tk.frame("Frame8").visible());
}

TEST_F(PortSwitch, AFailedStepSkipsTheReopeningAndTheLastFailureIsShown) {
  serial.failOn("PortOpen=False", "close failed");
  serial.failOn("CommPort=2", "Port already open");
  tk.option("Option2").click();
  EXPECT_EQ(serial.log, (Log{"PortOpen=False", "CommPort=2", "CommPort=1"}));
  EXPECT_EQ(tk.window().messages, Log{"Port already open"});
}

// A closed port is one that failed or went away: the next choice opens it again.
TEST_F(PortSwitch, ChoiceAfterAFailureOpensThePort) {
  serial.failOn("PortOpen=True", "no such device");
  tk.option("Option2").click();
  ASSERT_FALSE(serial.PortOpen());
  serial.succeedOn("PortOpen=True");
  serial.log.clear();
  tk.option("Option1").click();
  EXPECT_EQ(serial.log, (Log{"CommPort=1", "PortOpen=True"}));
  EXPECT_TRUE(serial.PortOpen());
  EXPECT_EQ(serial.CommPort(), 1);
  EXPECT_FALSE(tk.frame("Frame8").visible());
}

TEST_F(PortSwitch, ChoiceClearsTheNoticeOfALostPort) {
  serial.lose("COM1 (/dev/ttyUSB0) went away.");
  EXPECT_EQ(caption("PortNotice"), "COM1 (/dev/ttyUSB0) went away.");
  tk.option("Option1").click();
  EXPECT_TRUE(serial.PortOpen());
  EXPECT_EQ(caption("PortNotice"), "");
}

class SpeedSwitch : public PanelTest {};

TEST_F(SpeedSwitch, ChangesTheOpenPortWithoutReopeningAndKeepsThePortChoice) {
  click("Command33");
  tk.option("Option10").click();
  EXPECT_EQ(serial.log, Log{"Settings=9600,N,8,1"});
  EXPECT_EQ(form.PortSettings, "9600,N,8,1");
  EXPECT_TRUE(serial.PortOpen());
  EXPECT_FALSE(tk.frame("Frame8").visible());
  EXPECT_TRUE(tk.option("Option1").selected());
  EXPECT_TRUE(tk.option("Option10").selected());
  EXPECT_FALSE(tk.option("Option9").selected());

  tk.option("Option9").click();
  EXPECT_EQ(serial.settings, "19200,N,8,1");
}

TEST_F(SpeedSwitch, ARefusedSpeedIsReported) {
  serial.failOn("Settings=9600,N,8,1", "COM1 (/dev/ttyUSB0): the speed cannot be set");
  tk.option("Option10").click();
  EXPECT_EQ(tk.window().messages, Log{"COM1 (/dev/ttyUSB0): the speed cannot be set"});
  EXPECT_FALSE(tk.frame("Frame8").visible());
}

class PortFrame : public PanelTest {};

TEST_F(PortFrame, ComShowsTheFrameFor5000Ms) {
  click("Command33");
  EXPECT_TRUE(tk.frame("Frame8").visible());
  advance(4999);
  EXPECT_TRUE(tk.frame("Frame8").visible());
  advance(1);
  EXPECT_FALSE(tk.frame("Frame8").visible());
  EXPECT_FALSE(timer("Timer3").enabled());
}

TEST_F(PortFrame, AChoiceHidesAtOnceAndTheTimerStillRunsOut) {
  click("Command33");
  advance(1000);
  tk.option("Option10").click();
  EXPECT_FALSE(tk.frame("Frame8").visible());
  EXPECT_TRUE(timer("Timer3").enabled());
  advance(4000);
  EXPECT_FALSE(timer("Timer3").enabled());
}

TEST_F(PortFrame, ComAgainStartsTheFiveSecondsAnew) {
  click("Command33");
  advance(3000);
  click("Command33");
  advance(4999);
  EXPECT_TRUE(tk.frame("Frame8").visible());
  advance(1);
  EXPECT_FALSE(tk.frame("Frame8").visible());
}

TEST_F(PanelTest, EndClosesThePortThenUnloads) {
  click("Command16");
  EXPECT_EQ(serial.log, Log{"PortOpen=False"});
  EXPECT_FALSE(serial.PortOpen());
  EXPECT_TRUE(tk.window().unloaded);
}

}  // namespace
}  // namespace pv7100::testing
