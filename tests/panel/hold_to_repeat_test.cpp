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

TEST_F(HoldToRepeat, EveryRowSendsItsCodeAtPressAndAtEachTick) {
  for (const Command& row : commands()) {
    if (row.kind != CommandKind::repeat) continue;
    SCOPED_TRACE(std::string(row.name));
    const std::string line = std::string(row.code) + "\r";
    tk.command(row.name).press();
    EXPECT_EQ(sent(), line);
    const int period = timer("Timer1").interval();
    advance(period);
    EXPECT_EQ(sent(), line);
    advance(period);
    EXPECT_EQ(sent(), line);
    tk.command(row.name).release();
    advance(1000);
    EXPECT_EQ(sent(), "");
  }
}

TEST_F(HoldToRepeat, VolumeHeld600MsSendsThreeTimes) {
  press("Command1");
  advance(600);
  release("Command1");
  advance(2000);
  EXPECT_EQ(sends("C09\r"), 3);
}

TEST_F(HoldToRepeat, SelectEvery500) {
  press("Command6");
  EXPECT_EQ(sends("C3F\r"), 1);
  advance(499);
  EXPECT_EQ(sends("C3F\r"), 0);
  advance(1);
  EXPECT_EQ(sends("C3F\r"), 1);
  advance(500);
  EXPECT_EQ(sends("C3F\r"), 1);
}

TEST_F(HoldToRepeat, ArrowRightAfterStartRepeatsEvery200WithIntervalsUnchanged) {
  press("Command5");
  EXPECT_EQ(sends("C3C\r"), 1);
  EXPECT_EQ(timer("Timer2").interval(), 500);
  EXPECT_EQ(timer("Timer4").interval(), 1000);
  advance(199);
  EXPECT_EQ(sends("C3C\r"), 0);
  advance(1);
  EXPECT_EQ(sends("C3C\r"), 1);
}

TEST_F(HoldToRepeat, ArrowAfterMenuOnUses150And190) {
  click("Command23");
  sent();
  press("Command7");
  EXPECT_EQ(timer("Timer2").interval(), 150);
  EXPECT_EQ(timer("Timer4").interval(), 190);
  advance(1000);
  EXPECT_EQ(sends("C3D\r"), 6);
}

TEST_F(HoldToRepeat, ArrowsRunAt5MsAfterDZoomAndBackAfterAPcAdj) {
  press("Command48");
  release("Command48");
  EXPECT_EQ(timer("Timer1").interval(), 5);
  sent();
  press("Command8");
  EXPECT_EQ(timer("Timer2").interval(), 5);
  EXPECT_EQ(timer("Timer4").interval(), 5);
  advance(100);
  release("Command8");
  EXPECT_EQ(sends("C3A\r"), 21);

  click("Command13");
  sent();
  press("Command8");
  EXPECT_EQ(timer("Timer2").interval(), 150);
  EXPECT_EQ(timer("Timer4").interval(), 190);
  advance(400);
  EXPECT_EQ(sends("C3A\r"), 3);
}

TEST_F(HoldToRepeat, ArrowInheritsThePeriodVolumeLeft) {
  click("Command23");  // MENU ON: arrows paced for the menu, at 200 ms
  press("Command1");
  release("Command1");
  sent();
  press("Command9");
  advance(500);
  EXPECT_EQ(sends("C3B\r"), 3);
}

TEST_F(HoldToRepeat, SilentProjectorCycleWithinOnePeriod) {
  press("Command2");
  EXPECT_EQ(caption("Label11"), " C 0 A CR ");
  advance(199);
  EXPECT_EQ(caption("Label12"), "");
  advance(1);
  EXPECT_EQ(caption("Label12"), " X X X X");
  advance(44);
  EXPECT_EQ(caption("Label11"), " C 0 A CR ");
  advance(1);
  EXPECT_EQ(caption("Label11"), "");
  EXPECT_EQ(caption("Label12"), "");
  EXPECT_EQ(caption("Label22"), "");
  advance(5);
  EXPECT_EQ(caption("Label11"), " C 0 A CR ");
  advance(100);
  tk.label("Label22").setCaption("kept");
  release("Command2");
  EXPECT_EQ(caption("Label11"), "");
  EXPECT_EQ(caption("Label12"), "");
  advance(999);
  EXPECT_EQ(caption("Label12"), "") << "no time-out mark after a release";
  EXPECT_EQ(caption("Label22"), "kept");
  advance(1);
  EXPECT_EQ(caption("Label22"), "");
}

TEST_F(HoldToRepeat, ReleaseWithoutPressSendsNothingAndResets) {
  timer("Timer2").setInterval(2000);
  timer("Timer2").setEnabled(true);
  timer("Timer1").setEnabled(true);
  tk.label("Label11").setCaption("x");
  release("Command49");
  EXPECT_EQ(sent(), "");
  EXPECT_EQ(caption("Label11"), "");
  EXPECT_FALSE(timer("Timer1").enabled());
  EXPECT_FALSE(timer("Timer2").enabled());
  EXPECT_TRUE(timer("Timer4").enabled());
  EXPECT_EQ(timer("Timer2").interval(), 500);
  EXPECT_EQ(timer("Timer4").interval(), 1000);
  EXPECT_EQ(timer("Timer1").interval(), 5);
  press("Command8");
  EXPECT_EQ(timer("Timer2").interval(), 5) << "the arrows are paced fast";
}

TEST_F(HoldToRepeat, AReleaseStartsANewReply) {
  press("Command15");
  serial.receive("\x06");
  release("Command15");
  serial.receive("80\r");
  EXPECT_EQ(caption("Label12"), " 8 0 CR ");
}

TEST_F(HoldToRepeat, KeyboardActivationSendsNothing) {
  click("Command1");
  click("Command5");
  EXPECT_EQ(sent(), "");
}

TEST_F(HoldToRepeat, ASecondPressRestartsTheHoldWithItsControl) {
  press("Command36");
  press("Command37");
  advance(105);
  EXPECT_EQ(sent(), "C4B\rC4A\rC4A\r");
  release("Command37");
  advance(500);
  EXPECT_EQ(sent(), "");
}

TEST_F(HoldToRepeat, ALostWindowEndsTheHoldAsARelease) {
  press("Command59");
  advance(210);
  tk.window().deactivate();
  EXPECT_FALSE(timer("Timer1").enabled());
  EXPECT_EQ(caption("Label11"), "");
  sent();
  advance(1000);
  EXPECT_EQ(sent(), "");
  // Nothing held: deactivation changes nothing.
  tk.label("Label11").setCaption("kept");
  tk.window().deactivate();
  EXPECT_EQ(caption("Label11"), "kept");
}

TEST_F(HoldToRepeat, ALostDZoomHoldArmsTheFastArrowsAsItsReleaseWould) {
  press("Command49");
  tk.window().deactivate();
  EXPECT_EQ(timer("Timer1").interval(), 5);
  press("Command8");
  EXPECT_EQ(timer("Timer2").interval(), 5);
}

TEST_F(HoldToRepeat, NoTickQueuesALineWhileThePreviousIsStillGoingOut) {
  press("Command8");
  sent();
  serial.bytesToGo = 4;
  advance(600);
  EXPECT_EQ(sent(), "") << "the line in flight is the last one";
  serial.bytesToGo = 0;
  advance(200);
  EXPECT_EQ(sent(), "C3A\r");
  EXPECT_TRUE(timer("Timer1").enabled());
}

}  // namespace
}  // namespace pv7100::testing
