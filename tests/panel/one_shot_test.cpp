#include <gtest/gtest.h>

#include <functional>

#include "protocol/commands.h"
#include "tests/support/panel_fixture.h"
#include "widgets/layout.h"

namespace pv7100::testing {
namespace {

class OneShot : public PanelTest {};

// Every button of the catalogue: its caption on the window, the line it writes, the intervals
// its send runs with.
TEST_F(OneShot, EveryButtonSendsItsCodeWithItsIntervals) {
  for (const Command& row : commands()) {
    if (row.kind != CommandKind::oneShot) continue;
    SCOPED_TRACE(std::string(row.name));
    timer("Timer2").setInterval(777);
    timer("Timer4").setInterval(888);
    tk.command(row.name).click();
    EXPECT_EQ(sent(), std::string(row.code) + "\r");
    EXPECT_EQ(timer("Timer2").interval(), row.timed() ? row.timing.replyWindow : 777);
    EXPECT_EQ(timer("Timer4").interval(), row.timed() ? row.timing.displayClear : 888);
  }
}

// With the projector silent, " X X X X" comes when the reply window closes and the lines empty
// when the display clears, on the intervals that the last timed sender left.
TEST_F(OneShot, SilentProjectorTimingsFollowTheLastTimedSender) {
  struct Case {
    const char* what;
    std::function<void()> before;
    const char* control;
    int timeout;
    int clear;
  };
  const Case cases[] = {
      {"ON right after start", [] {}, "Command17", 500, 1000},
      {"REAL, then ON", [&] { click("Command10"); }, "Command17", 2000, 2500},
      {"a picture-mode button", [] {}, "Command4", 2000, 2500},
      {"an input-type button", [] {}, "Command63", 5000, 5500},
      {"an input-type button, then STATUS", [&] { click("Command66"); }, "Command44", 5000, 5500},
      {"SEND, then ON", [&] { click("Command95"); }, "Command17", 2000, 2500},
      {"an input-type button and a hold, then ON",
       [&] {
         click("Command63");
         press("Command36");
         release("Command36");
       },
       "Command17", 500, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    release("Command1");  // back to 500 / 1000
    c.before();
    advance(6000);
    tk.label("Label22").setCaption(" Stand by");  // an earlier decode, cleared with the lines
    click(c.control);
    advance(c.timeout - 1);
    EXPECT_EQ(caption("Label12"), "");
    advance(1);
    EXPECT_EQ(caption("Label12"), " X X X X");
    EXPECT_FALSE(timer("Timer2").enabled());
    advance(c.clear - c.timeout - 1);
    EXPECT_NE(caption("Label11"), "");
    advance(1);
    EXPECT_EQ(caption("Label11"), "");
    EXPECT_EQ(caption("Label12"), "");
    EXPECT_EQ(caption("Label22"), "");
    EXPECT_FALSE(timer("Timer4").enabled());
  }
}

TEST_F(OneShot, StatusAfterAnInputTypeButtonWaits5000) {
  click("Command66");
  advance(6000);
  click("Command44");
  advance(4999);
  serial.receive("00\r");
  EXPECT_EQ(caption("Label22"), " Power ON");
  advance(1);
  EXPECT_EQ(caption("Label12"), " 0 0 CR ") << "a reply came: no time-out mark";
  advance(499);
  EXPECT_EQ(caption("Label22"), " Power ON");
  advance(1);
  EXPECT_EQ(caption("Label22"), "");
}

TEST_F(OneShot, CodesThatDifferFromTheirCaptions) {
  const std::pair<const char*, const char*> cases[] = {{"Command40", "CF IMAGE CUSTOM1\r"},
                                                       {"Command56", "CF LAMPCONTRL CHANGE\r"},
                                                       {"Command66", "C50\r"},
                                                       {"Command72", "C25\r"},
                                                       {"Command73", "C23\r"},
                                                       {"Command81", "C33\r"}};
  for (const auto& [control, line] : cases) {
    click(control);
    EXPECT_EQ(sent(), line) << control;
  }
}

TEST_F(OneShot, ImageIsUntimed) {
  click("Command30");
  EXPECT_EQ(sent(), "C27\r");
  EXPECT_EQ(timer("Timer2").interval(), 500);
  EXPECT_EQ(timer("Timer4").interval(), 1000);
}

// "A-PC Adj" and "MENU ON" pace the cursor pad arrows for the menu: 200 ms repeats with a
// 150 ms reply window and a 190 ms display clear; "MENU OFF" leaves the pacing.
TEST_F(OneShot, CursorPadPreparersPaceTheArrowsForTheMenu) {
  for (const char* control : {"Command13", "Command23"}) {
    press("Command48");  // D.Zoom: its release paces the arrows at 5 ms
    release("Command48");
    click(control);
    EXPECT_EQ(timer("Timer1").interval(), 200) << control;
    EXPECT_FALSE(timer("Timer1").enabled()) << control;
    click("Command24");
    press("Command8");
    EXPECT_EQ(timer("Timer2").interval(), 150) << control;
    EXPECT_EQ(timer("Timer4").interval(), 190) << control;
    release("Command8");
  }
}

TEST_F(OneShot, QuickClicksSendWholeLinesInOrder) {
  click("Command17");
  click("Command17");
  click("Command18");
  EXPECT_EQ(sent(), "C00\rC00\rC01\r");
}

}  // namespace
}  // namespace pv7100::testing
