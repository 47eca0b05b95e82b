#include <gtest/gtest.h>

#include "tests/support/panel_fixture.h"

namespace pv7100::testing {
namespace {

constexpr std::int16_t kH = 72;
const std::string kShow = "データを表示する";
const std::string kHide = "データを表示しない";

class Views : public PanelTest {
 protected:
  double height() { return tk.window().height(); }
  const std::string& toggle() { return tk.button(ui::ButtonRole::dataToggle).caption(); }
  void ctrlH() { tk.window().keyDown(kH, ui::kCtrlMask); }
  void doubleClick() { tk.picture().doubleClick(); }
};

TEST_F(Views, OnlyCtrlAloneWithHUnlocks) {
  const std::int16_t masks[] = {0, ui::kShiftMask, ui::kCtrlMask | ui::kShiftMask,
                                ui::kCtrlMask | ui::kAltMask, ui::kAltMask};
  for (const std::int16_t mask : masks) tk.window().keyDown(kH, mask);
  tk.window().keyDown(71, ui::kCtrlMask);
  EXPECT_EQ(height(), 5350);
  EXPECT_FALSE(tk.button(ui::ButtonRole::dataToggle).visible());
  tk.window().keyDown(kH, ui::kCtrlMask | 8);  // bits above Alt do not count
  EXPECT_EQ(height(), 7200);
}

TEST_F(Views, DoubleClickBeforeCtrlHDoesNothing) {
  doubleClick();
  EXPECT_EQ(height(), 5350);
  EXPECT_FALSE(tk.button(ui::ButtonRole::dataToggle).visible());
}

// Compact, Data, Unlocked and Full, through every transition; a double-click shows whether the
// picture is unlocked.
TEST_F(Views, ViewStateMachine) {
  struct Step {
    const char* action;
    double height;
    std::string caption;
  };
  const Step walk[] = {
      {"toggle", 6645, kHide},         // Compact -> Data
      {"doubleClick", 6645, kHide},    // Data: locked
      {"toggle", 5350, kShow},         // Data -> Compact
      {"doubleClick", 5350, kShow},    // Compact: locked
      {"toggle", 6645, kHide},         // Compact -> Data
      {"ctrlH", 7200, "CLOSE"},        // Data -> Unlocked
      {"toggle", 5350, kShow},         // Unlocked -> Compact
      {"ctrlH", 7200, "CLOSE"},        // Compact -> Unlocked
      {"ctrlH", 7200, "CLOSE"},        // Unlocked -> Unlocked
      {"doubleClick", 9100, "CLOSE"},  // Unlocked -> Full
      {"doubleClick", 9100, "CLOSE"},  // Full -> Full
      {"ctrlH", 7200, "CLOSE"},        // Full -> Unlocked
      {"doubleClick", 9100, "CLOSE"},  // Unlocked -> Full
      {"toggle", 5350, kShow},         // Full -> Compact
      {"doubleClick", 5350, kShow},    // locked again
      {"toggle", 6645, kHide},         // Compact -> Data
      {"toggle", 5350, kShow},         // Data -> Compact
  };
  tk.button(ui::ButtonRole::dataToggle).setVisible(true);
  for (const Step& step : walk) {
    const std::string action = step.action;
    if (action == "toggle") click(ui::ButtonRole::dataToggle);
    if (action == "doubleClick") doubleClick();
    if (action == "ctrlH") ctrlH();
    EXPECT_EQ(height(), step.height) << action;
    EXPECT_EQ(toggle(), step.caption) << action;
    EXPECT_TRUE(tk.button(ui::ButtonRole::dataToggle).visible());
  }
}

TEST_F(Views, ToggleWhileThePortFrameIsShownClosesIt5000MsLater) {
  click(ui::ButtonRole::com);
  advance(3000);
  click(ui::ButtonRole::dataToggle);
  advance(4999);
  EXPECT_TRUE(tk.portFrame().visible());
  advance(1);
  EXPECT_FALSE(tk.portFrame().visible());
  EXPECT_FALSE(timer(ui::TimerRole::portFrame).enabled());
}

TEST_F(Views, DisplayClearSendsC1EAndChangesNoView) {
  ctrlH();
  click("display-clear");
  EXPECT_EQ(sent(), "C1E\r");
  EXPECT_EQ(text(ui::LineRole::transmit), " C 1 E CR ");
  EXPECT_EQ(height(), 7200);
  doubleClick();
  EXPECT_EQ(height(), 9100) << "still unlocked";
}

TEST_F(Views, LinesAreWrittenWhateverTheHeight) {
  click("read-status");
  serial.receive("00\r");
  EXPECT_EQ(height(), 5350);
  EXPECT_EQ(text(ui::LineRole::receive), " 0 0 CR ");
  EXPECT_EQ(text(ui::LineRole::status), " Power ON");
}

}  // namespace
}  // namespace pv7100::testing
