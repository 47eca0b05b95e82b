// Window heights: Ctrl+H, the double-click on the picture, the data toggle Command34; and
// "DISPLAY CLEAR".
#include "app/form1.h"
#include "protocol/line_format.h"

namespace pv7100 {
namespace {

constexpr std::int16_t kKeyH = 72;
constexpr double kDataThreshold = 6000;
constexpr const char* kShowData = "データを表示する";
constexpr const char* kHideData = "データを表示しない";
constexpr const char* kClose = "CLOSE";

}  // namespace

void Form1::Form_KeyDown(std::int16_t keyCode, std::int16_t shift) {
  const std::int16_t modifiers = shift & (ui::kShiftMask | ui::kCtrlMask | ui::kAltMask);
  if (keyCode != kKeyH || modifiers != ui::kCtrlMask) return;
  window_.setHeight(kUnlockedHeight);
  ExtendedUnlocked = 1;
  Command34.setCaption(kClose);
  Command34.setVisible(true);
}

void Form1::Image1_DblClick() {
  if (ExtendedUnlocked != 1) return;
  window_.setHeight(kFullHeight);
  Command34.setCaption(kClose);
  Command34.setVisible(true);
}

void Form1::Command34_Click() {
  Timer3.setEnabled(false);
  ExtendedUnlocked = 0;
  if (window_.height() < kDataThreshold) {
    window_.setHeight(kDataHeight);
    Command34.setCaption(kHideData);
  } else {
    window_.setHeight(kCompactHeight);
    Command34.setCaption(kShowData);
  }
  Timer3.setEnabled(true);
}

void Form1::Command3_Click() {
  CommandLine = commandLine("C1E");
  Hyouji(CommandLine, kSend);
}

}  // namespace pv7100
