#include <gtest/gtest.h>

#include "protocol/commands.h"
#include "tests/support/panel_fixture.h"
#include "widgets/layout.h"

namespace pv7100::testing {
namespace {

class HoldToRepeat : public PanelTest {
 protected:
  // Lines that went out, counted.
  int sends(const std::string& line) {
    const std::string out = sent();
    int n = 0;
    for (auto at = out.find(line); at != std::string::npos; at = out.find(line, at + 1)) ++n;
    EXPECT_EQ(out.size(), n * line.size()) << "only " << line << " went out";
    return n;
  }
};

TEST_F(HoldToRepeat, VolumeHeld600MsSendsThreeTimes) {
  press("vol-plus");
  advance(600);
  release("vol-plus");
  advance(2000);
  EXPECT_EQ(sends("C09\r"), 3);
}

TEST_F(HoldToRepeat, SelectEvery500) {
  press("cursor-select");
  EXPECT_EQ(sends("C3F\r"), 1);
  advance(499);
  EXPECT_EQ(sends("C3F\r"), 0);
  advance(1);
  EXPECT_EQ(sends("C3F\r"), 1);
  advance(500);
  EXPECT_EQ(sends("C3F\r"), 1);
}

TEST_F(HoldToRepeat, ArrowRightAfterStartRepeatsEvery200WithIntervalsUnchanged) {
  press("cursor-up");
  EXPECT_EQ(sends("C3C\r"), 1);
  EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 500);
  EXPECT_EQ(timer(ui::TimerRole::displayClear).interval(), 1000);
  advance(199);
  EXPECT_EQ(sends("C3C\r"), 0);
  advance(1);
  EXPECT_EQ(sends("C3C\r"), 1);
}

TEST_F(HoldToRepeat, ArrowAfterMenuOnUses150And190) {
  click("menu-on");
  sent();
  press("cursor-down");
  EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 150);
  EXPECT_EQ(timer(ui::TimerRole::displayClear).interval(), 190);
  advance(1000);
  EXPECT_EQ(sends("C3D\r"), 6);
}

TEST_F(HoldToRepeat, ArrowsRunAt5MsAfterDZoomAndBackAfterAPcAdj) {
  press("d-zoom-plus");
  release("d-zoom-plus");
  EXPECT_EQ(timer(ui::TimerRole::repeat).interval(), 5);
  sent();
  press("cursor-right");
  EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 5);
  EXPECT_EQ(timer(ui::TimerRole::displayClear).interval(), 5);
  advance(100);
  release("cursor-right");
  EXPECT_EQ(sends("C3A\r"), 21);

  click("a-pc-adj");
  sent();
  press("cursor-right");
  EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 150);
  EXPECT_EQ(timer(ui::TimerRole::displayClear).interval(), 190);
  advance(400);
  EXPECT_EQ(sends("C3A\r"), 3);
}

TEST_F(HoldToRepeat, ArrowInheritsThePeriodVolumeLeft) {
  click("menu-on");  // MENU ON: arrows paced for the menu, at 200 ms
  press("vol-plus");
  release("vol-plus");
  sent();
  press("cursor-left");
  advance(500);
  EXPECT_EQ(sends("C3B\r"), 3);
}

TEST_F(HoldToRepeat, SilentProjectorCycleWithinOnePeriod) {
  press("vol-minus");
  EXPECT_EQ(text(ui::LineRole::transmit), " C 0 A CR ");
  advance(199);
  EXPECT_EQ(text(ui::LineRole::receive), "");
  advance(1);
  EXPECT_EQ(text(ui::LineRole::receive), " X X X X");
  advance(44);
  EXPECT_EQ(text(ui::LineRole::transmit), " C 0 A CR ");
  advance(1);
  EXPECT_EQ(text(ui::LineRole::transmit), "");
  EXPECT_EQ(text(ui::LineRole::receive), "");
  EXPECT_EQ(text(ui::LineRole::status), "");
  advance(5);
  EXPECT_EQ(text(ui::LineRole::transmit), " C 0 A CR ");
  advance(100);
  tk.line(ui::LineRole::status).setCaption("kept");
  release("vol-minus");
  EXPECT_EQ(text(ui::LineRole::transmit), "");
  EXPECT_EQ(text(ui::LineRole::receive), "");
  advance(999);
  EXPECT_EQ(text(ui::LineRole::receive), "") << "no time-out mark after a release";
  EXPECT_EQ(text(ui::LineRole::status), "kept");
  advance(1);
  EXPECT_EQ(text(ui::LineRole::status), "");
}

TEST_F(HoldToRepeat, ReleaseWithoutPressSendsNothingAndResets) {
  timer(ui::TimerRole::replyWindow).setInterval(2000);
  timer(ui::TimerRole::replyWindow).setEnabled(true);
  timer(ui::TimerRole::repeat).setEnabled(true);
  tk.line(ui::LineRole::transmit).setCaption("x");
  release("d-zoom-minus");
  EXPECT_EQ(sent(), "");
  EXPECT_EQ(text(ui::LineRole::transmit), "");
  EXPECT_FALSE(timer(ui::TimerRole::repeat).enabled());
  EXPECT_FALSE(timer(ui::TimerRole::replyWindow).enabled());
  EXPECT_TRUE(timer(ui::TimerRole::displayClear).enabled());
  EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 500);
  EXPECT_EQ(timer(ui::TimerRole::displayClear).interval(), 1000);
  EXPECT_EQ(timer(ui::TimerRole::repeat).interval(), 5);
  press("cursor-right");
  EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 5) << "the arrows are paced fast";
}

TEST_F(HoldToRepeat, AReleaseStartsANewReply) {
  press("zoom-plus");
  serial.receive("\x06");
  release("zoom-plus");
  serial.receive("80\r");
  EXPECT_EQ(text(ui::LineRole::receive), " 8 0 CR ");
}

TEST_F(HoldToRepeat, KeyboardActivationSendsNothing) {
  click("vol-plus");
  click("cursor-up");
  EXPECT_EQ(sent(), "");
}

TEST_F(HoldToRepeat, ASecondPressRestartsTheHoldWithItsControl) {
  press("focus-plus");
  press("focus-minus");
  advance(105);
  EXPECT_EQ(sent(), "C4B\rC4A\rC4A\r");
  release("focus-minus");
  advance(500);
  EXPECT_EQ(sent(), "");
}

TEST_F(HoldToRepeat, ALostWindowEndsTheHoldAsARelease) {
  press("lens-shift-up");
  advance(210);
  tk.window().deactivate();
  EXPECT_FALSE(timer(ui::TimerRole::repeat).enabled());
  EXPECT_EQ(text(ui::LineRole::transmit), "");
  sent();
  advance(1000);
  EXPECT_EQ(sent(), "");
  // Nothing held: deactivation changes nothing.
  tk.line(ui::LineRole::transmit).setCaption("kept");
  tk.window().deactivate();
  EXPECT_EQ(text(ui::LineRole::transmit), "kept");
}

TEST_F(HoldToRepeat, ALostDZoomHoldArmsTheFastArrowsAsItsReleaseWould) {
  press("d-zoom-minus");
  tk.window().deactivate();
  EXPECT_EQ(timer(ui::TimerRole::repeat).interval(), 5);
  press("cursor-right");
  EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 5);
}

TEST_F(HoldToRepeat, NoTickQueuesALineWhileThePreviousIsStillGoingOut) {
  press("cursor-right");
  sent();
  serial.bytesToGo = 4;
  advance(600);
  EXPECT_EQ(sent(), "") << "the line in flight is the last one";
  serial.bytesToGo = 0;
  advance(200);
  EXPECT_EQ(sent(), "C3A\r");
  EXPECT_TRUE(timer(ui::TimerRole::repeat).enabled());
}

}  // namespace
}  // namespace pv7100::testing
