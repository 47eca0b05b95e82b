#include <gtest/gtest.h>

#include <functional>

#include "protocol/commands.h"
#include "tests/support/panel_fixture.h"
#include "widgets/layout.h"

namespace pv7100::testing {
namespace {

class OneShot : public PanelTest {};

// With the projector silent, " X X X X" comes when the reply window closes and the lines empty
// when the display clears, on the intervals that the last timed sender left.
TEST_F(OneShot, SilentProjectorTimingsFollowTheLastTimedSender) {
  struct Case {
    const char* what;
    std::function<void()> before;
    const char* command;
    int timeout;
    int clear;
  };
  const Case cases[] = {
      {"ON right after start", [] {}, "power-on", 500, 1000},
      {"REAL, then ON", [&] { click("image-real"); }, "power-on", 2000, 2500},
      {"a picture-mode button", [] {}, "image-stand", 2000, 2500},
      {"an input-type button", [] {}, "input-1-dvi-av-hdcp", 5000, 5500},
      {"an input-type button, then STATUS", [&] { click("input-1-rgb"); }, "read-status", 5000,
       5500},
      {"SEND, then ON", [&] { click(ui::ButtonRole::sendLine); }, "power-on", 2000, 2500},
      {"an input-type button and a hold, then ON",
       [&] {
         click("input-1-dvi-av-hdcp");
         press("focus-plus");
         release("focus-plus");
       },
       "power-on", 500, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    release("vol-plus");  // back to 500 / 1000
    c.before();
    advance(6000);
    tk.line(ui::LineRole::status)
        .setCaption(" Stand by");  // an earlier decode, cleared with the lines
    click(c.command);
    advance(c.timeout - 1);
    EXPECT_EQ(text(ui::LineRole::receive), "");
    advance(1);
    EXPECT_EQ(text(ui::LineRole::receive), " X X X X");
    EXPECT_FALSE(timer(ui::TimerRole::replyWindow).enabled());
    advance(c.clear - c.timeout - 1);
    EXPECT_NE(text(ui::LineRole::transmit), "");
    advance(1);
    EXPECT_EQ(text(ui::LineRole::transmit), "");
    EXPECT_EQ(text(ui::LineRole::receive), "");
    EXPECT_EQ(text(ui::LineRole::status), "");
    EXPECT_FALSE(timer(ui::TimerRole::displayClear).enabled());
  }
}

TEST_F(OneShot, StatusAfterAnInputTypeButtonWaits5000) {
  click("input-1-rgb");
  advance(6000);
  click("read-status");
  advance(4999);
  serial.receive("00\r");
  EXPECT_EQ(text(ui::LineRole::status), " Power ON");
  advance(1);
  EXPECT_EQ(text(ui::LineRole::receive), " 0 0 CR ") << "a reply came: no time-out mark";
  advance(499);
  EXPECT_EQ(text(ui::LineRole::status), " Power ON");
  advance(1);
  EXPECT_EQ(text(ui::LineRole::status), "");
}

TEST_F(OneShot, CodesThatDifferFromTheirCaptions) {
  const std::pair<const char*, const char*> cases[] = {{"image-custom-1", "CF IMAGE CUSTOM1\r"},
                                                       {"lamp-change", "CF LAMPCONTRL CHANGE\r"},
                                                       {"input-1-rgb", "C50\r"},
                                                       {"input-2-rgb", "C25\r"},
                                                       {"input-2-video", "C23\r"},
                                                       {"input-3-video", "C33\r"},
                                                       {"display-clear", "C1E\r"}};
  for (const auto& [command, line] : cases) {
    click(command);
    EXPECT_EQ(sent(), line) << command;
  }
}

TEST_F(OneShot, ImageIsUntimed) {
  click("image-adjust");
  EXPECT_EQ(sent(), "C27\r");
  EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 500);
  EXPECT_EQ(timer(ui::TimerRole::displayClear).interval(), 1000);
}

// "A-PC Adj" and "MENU ON" pace the cursor pad arrows for the menu: 200 ms repeats with a
// 150 ms reply window and a 190 ms display clear; "MENU OFF" leaves the pacing.
TEST_F(OneShot, CursorPadPreparersPaceTheArrowsForTheMenu) {
  for (const char* control : {"a-pc-adj", "menu-on"}) {
    press("d-zoom-plus");  // D.Zoom: its release paces the arrows at 5 ms
    release("d-zoom-plus");
    click(control);
    EXPECT_EQ(timer(ui::TimerRole::repeat).interval(), 200) << control;
    EXPECT_FALSE(timer(ui::TimerRole::repeat).enabled()) << control;
    click("menu-off");
    press("cursor-right");
    EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 150) << control;
    EXPECT_EQ(timer(ui::TimerRole::displayClear).interval(), 190) << control;
    release("cursor-right");
  }
}

TEST_F(OneShot, QuickClicksSendWholeLinesInOrder) {
  click("power-on");
  click("power-on");
  click("power-off");
  EXPECT_EQ(sent(), "C00\rC00\rC01\r");
}

}  // namespace
}  // namespace pv7100::testing
