#include "panel/views.h"

namespace pv7100 {
namespace {

constexpr std::int16_t kKeyH = 72;
constexpr double kDataThreshold = 6000;
constexpr const char* kShowData = "データを表示する";
constexpr const char* kHideData = "データを表示しない";
constexpr const char* kClose = "CLOSE";

}  // namespace

Views::Views(Exchange& exchange, ui::Toolkit& toolkit)
    : exchange_(exchange),
      window_(toolkit.window()),
      toggle_(toolkit.button(ui::ButtonRole::dataToggle)),
      frameTimer_(toolkit.timer(ui::TimerRole::portFrame)),
      commandBox_(toolkit.commandBox()) {}

// Centred on the design size: the compact window then stands above the middle of the screen
// and the whole panel near it.
void Views::place() {
  window_.setLeft((window_.screenWidth() - window_.width()) / 2);
  window_.setTop((window_.screenHeight() - window_.height()) / 2);
  window_.setHeight(kCompactHeight);
}

// Ctrl alone with H, whatever has the focus.
void Views::keyDown(std::int16_t keyCode, std::int16_t shift) {
  const std::int16_t modifiers = shift & (ui::kShiftMask | ui::kCtrlMask | ui::kAltMask);
  if (keyCode != kKeyH || modifiers != ui::kCtrlMask) return;
  window_.setHeight(kUnlockedHeight);
  unlocked_ = true;
  showToggle(kClose);
}

void Views::pictureDoubleClicked() {
  if (!unlocked_) return;
  window_.setHeight(kFullHeight);
  showToggle(kClose);
}

// Also restarts the five seconds of a shown port-settings frame.
void Views::toggleData() {
  frameTimer_.setEnabled(false);
  unlocked_ = false;
  if (window_.height() < kDataThreshold) {
    window_.setHeight(kDataHeight);
    toggle_.setCaption(kHideData);
  } else {
    window_.setHeight(kCompactHeight);
    toggle_.setCaption(kShowData);
  }
  frameTimer_.setEnabled(true);
}

void Views::showToggle(const char* caption) {
  toggle_.setCaption(caption);
  toggle_.setVisible(true);
}

// The box's text goes out exactly as typed, in UTF-8.
void Views::sendManualLine() {
  exchange_.setIntervals(2000, 2500);
  exchange_.send(commandBox_.text());
}

void Views::clearManualLine() {
  commandBox_.setText("");
}

}  // namespace pv7100
