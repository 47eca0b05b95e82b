// Start-up, the port and speed choices, the port-settings frame, a lost port and "END".
#include <gtest/gtest.h>

#include "tests/support/panel_fixture.h"

namespace pv7100::testing {
namespace {

using Log = std::vector<std::string>;

class StartUp : public ::testing::Test {
 protected:
  FakeSerial serial;
  FakeToolkit tk;
  Panel panel{serial, tk, PortDevices{"/dev/ttyS0", "/dev/ttyS1"}, panelPortTexts()};
};

TEST_F(StartUp, PlacesTheCompactWindowCentredOnTheDesignSize) {
  panel.start();
  // A 1920 x 1080 pixel screen and a window of 9495 x 8730 twips in a decoration of 120 x 435.
  EXPECT_DOUBLE_EQ(tk.window().left(), (28800 - 9615) / 2.0);
  EXPECT_DOUBLE_EQ(tk.window().top(), (16200 - 9165) / 2.0);
  EXPECT_DOUBLE_EQ(tk.window().height(), 5350);
}

// The port opens once: the COM1 choice that follows finds it open on the same device.
TEST_F(StartUp, OpensCom1At19200Once) {
  panel.start();
  EXPECT_EQ(serial.log, Log{"open /dev/ttyS0 19200"});
  EXPECT_TRUE(serial.isOpen());
  EXPECT_TRUE(tk.option(ui::OptionRole::com1).selected());
  EXPECT_FALSE(tk.option(ui::OptionRole::com2).selected());
  EXPECT_TRUE(tk.option(ui::OptionRole::baud19200).selected());
  EXPECT_FALSE(tk.portFrame().visible());
  EXPECT_FALSE(tk.button(ui::ButtonRole::dataToggle).visible());
  EXPECT_TRUE(tk.window().messages.empty());
}

TEST_F(StartUp, Com1ThatCannotOpenIsReportedOnceAndThePanelRuns) {
  serial.failOpening("/dev/ttyS0", PortFault::noPermission);
  panel.start();
  ASSERT_EQ(tk.window().messages.size(), 1u);
  EXPECT_NE(tk.window().messages[0].find("dialout"), std::string::npos);
  EXPECT_FALSE(serial.isOpen());
  EXPECT_TRUE(tk.option(ui::OptionRole::com1).selected());

  serial.failOpening("/dev/ttyS0", std::nullopt);
  tk.option(ui::OptionRole::com2).click();
  EXPECT_EQ(serial.device(), "/dev/ttyS1");
  EXPECT_TRUE(serial.isOpen());
}

class PortChoice : public PanelTest {};

TEST_F(PortChoice, ClosesOpensTheChosenDeviceAndHidesTheFrame) {
  click(ui::ButtonRole::com);
  tk.option(ui::OptionRole::com2).click();
  EXPECT_EQ(serial.log, (Log{"close", "open /dev/ttyS1 19200"}));
  EXPECT_TRUE(serial.isOpen());
  EXPECT_FALSE(tk.portFrame().visible());
  EXPECT_TRUE(tk.option(ui::OptionRole::com2).selected());
  EXPECT_FALSE(tk.option(ui::OptionRole::com1).selected());
  EXPECT_TRUE(tk.option(ui::OptionRole::baud19200).selected())
      << "the speed group is a group of its own";
}

TEST_F(PortChoice, AFailedOpenIsShownTheChoiceStaysAndTheFrameWaitsForItsTimer) {
  serial.failOpening("/dev/ttyS1", PortFault::noDevice);
  click(ui::ButtonRole::com);
  tk.option(ui::OptionRole::com2).click();
  ASSERT_EQ(tk.window().messages.size(), 1u);
  EXPECT_EQ(tk.window().messages[0].rfind("COM2 (/dev/ttyS1) cannot be opened", 0), 0u);
  EXPECT_TRUE(tk.option(ui::OptionRole::com2).selected());
  EXPECT_FALSE(serial.isOpen());
  EXPECT_TRUE(tk.portFrame().visible());
  advance(4999);
  EXPECT_TRUE(tk.portFrame().visible());
  advance(1);
  EXPECT_FALSE(tk.portFrame().visible());
}

// A closed port is one that failed or went away: the next choice opens it again, and the
// notice of a lost port goes with it.
TEST_F(PortChoice, AChoiceOpensAClosedPortAndClearsTheNotice) {
  serial.lose();
  EXPECT_EQ(text(ui::LineRole::notice),
            "COM1 (/dev/ttyS0) went away (the device is gone). Check the cable or adapter and "
            "choose COM1 or COM2 under COM.");
  EXPECT_EQ(tk.window().messages, Log{text(ui::LineRole::notice)});
  tk.option(ui::OptionRole::com1).click();
  EXPECT_EQ(serial.log, (Log{"close", "open /dev/ttyS0 19200"}));
  EXPECT_TRUE(serial.isOpen());
  EXPECT_EQ(text(ui::LineRole::notice), "");
}

class SpeedChoice : public PanelTest {};

TEST_F(SpeedChoice, ChangesTheOpenPortWithoutReopeningAndKeepsThePortChoice) {
  click(ui::ButtonRole::com);
  tk.option(ui::OptionRole::baud9600).click();
  EXPECT_EQ(serial.log, Log{"speed 9600"});
  EXPECT_TRUE(serial.isOpen());
  EXPECT_FALSE(tk.portFrame().visible());
  EXPECT_TRUE(tk.option(ui::OptionRole::com1).selected());
  EXPECT_TRUE(tk.option(ui::OptionRole::baud9600).selected());
  EXPECT_FALSE(tk.option(ui::OptionRole::baud19200).selected());
  // A later port choice opens at the chosen speed.
  tk.option(ui::OptionRole::com2).click();
  EXPECT_EQ(serial.log.back(), "open /dev/ttyS1 9600");
}

TEST_F(SpeedChoice, ARefusedSpeedIsReported) {
  serial.failSettings(true);
  tk.option(ui::OptionRole::baud9600).click();
  EXPECT_EQ(tk.window().messages, Log{"COM1 (/dev/ttyS0) keeps its speed: it would not."});
  EXPECT_FALSE(tk.portFrame().visible());
}

class PortFrame : public PanelTest {};

TEST_F(PortFrame, ComShowsTheFrameFor5000MsAndAgainStartsItAnew) {
  click(ui::ButtonRole::com);
  advance(3000);
  click(ui::ButtonRole::com);
  advance(4999);
  EXPECT_TRUE(tk.portFrame().visible());
  advance(1);
  EXPECT_FALSE(tk.portFrame().visible());
  EXPECT_FALSE(timer(ui::TimerRole::portFrame).enabled());
}

TEST_F(PortFrame, AChoiceHidesAtOnceAndTheTimerStillRunsOut) {
  click(ui::ButtonRole::com);
  advance(1000);
  tk.option(ui::OptionRole::baud9600).click();
  EXPECT_FALSE(tk.portFrame().visible());
  EXPECT_TRUE(timer(ui::TimerRole::portFrame).enabled());
  advance(4000);
  EXPECT_FALSE(timer(ui::TimerRole::portFrame).enabled());
}

// As the fuzzer runs one program after another: the doubles and the panel back as built, the
// bindings kept, nothing of the last exchange left.
TEST_F(PanelTest, AResetPanelStartsAsABuiltOne) {
  click("read-status");
  serial.receive("0");
  tk.option(ui::OptionRole::baud9600).click();
  serial.reset();
  tk.reset();
  panel.reset();
  panel.start();
  EXPECT_EQ(serial.log, Log{"open /dev/ttyS0 19200"});
  EXPECT_FALSE(timer(ui::TimerRole::replyWindow).enabled());
  serial.receive("0\r");  // no line went out: nothing to decode it against
  EXPECT_EQ(text(ui::LineRole::receive), " 0 CR ");
  EXPECT_EQ(text(ui::LineRole::status), FakeToolkit().line(ui::LineRole::status).caption());
  click("read-status");
  serial.receive("00\r");
  EXPECT_EQ(sent(), "CR0\r");
  EXPECT_EQ(text(ui::LineRole::status), " Power ON");
}

TEST_F(PanelTest, EndClosesThePortThenUnloads) {
  click(ui::ButtonRole::end);
  EXPECT_EQ(serial.log, Log{"close"});
  EXPECT_TRUE(tk.window().unloaded);
}

}  // namespace
}  // namespace pv7100::testing
