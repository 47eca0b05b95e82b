#include "tests/support/fake_toolkit.h"

#include "widgets/layout.h"

namespace pv7100::testing {

void VirtualTimer::arm(VirtualClock& clock, long long interval) {
  due_ = clock.now() + interval;
  order_ = clock.nextOrder();
}

void FakeTimer::setInterval(int ms) {
  interval_ = ms;
  if (enabled_) arm(clock_, interval_);
}

void FakeTimer::setEnabled(bool enabled) {
  enabled_ = enabled;
  if (enabled) arm(clock_, interval_);
}

void FakeTimer::fire() {
  arm(clock_, interval_);  // the count starts anew at each tick
  if (tick_) tick_();
}

void FakeTimer::reset() {
  interval_ = builtInterval_;
  enabled_ = false;
  disarm();
}

void VirtualClock::reset() {
  now_ = 0;
  order_ = 0;
  for (VirtualTimer* t : timers_) t->reset();
}

void VirtualClock::advance(long long ms) {
  const long long until = now_ + ms;
  for (;;) {
    VirtualTimer* next = nullptr;
    for (VirtualTimer* t : timers_) {
      if (!t->armed() || t->due() > until) continue;
      if (next == nullptr || t->due() < next->due() ||
          (t->due() == next->due() && t->order() < next->order())) {
        next = t;
      }
    }
    if (next == nullptr) break;
    now_ = next->due();
    next->fire();
  }
  now_ = until;
}

void FakeOption::select() {
  if (selected_) return;
  click();
}

void FakeOption::click() {
  toolkit_.selectInGroup(*this);
  if (click_) click_();
}

FakeToolkit::FakeToolkit() {
  using ui::Kind;
  for (const ui::ControlRow& row : ui::layoutControls()) {
    const std::string name(row.name);
    const bool hidden = (row.other.flags & ui::kHidden) != 0;
    switch (row.kind) {
      case Kind::Button:
        buttons_[name] = std::make_unique<FakeButton>(std::string(row.caption), !hidden);
        break;
      case Kind::Label:
        labels_[name] = std::make_unique<FakeLabel>(std::string(row.caption));
        break;
      case Kind::Option:
        options_[name] = std::make_unique<FakeOption>(*this, std::string(row.parent),
                                                      (row.other.flags & ui::kSelected) != 0);
        break;
      case Kind::Frame:
        frames_[name] = std::make_unique<FakeFrame>(!hidden);
        break;
      case Kind::TextBox:
        textBoxes_[name] = std::make_unique<FakeTextBox>();
        break;
      case Kind::Picture:
        pictures_[name] = std::make_unique<FakePicture>();
        break;
    }
  }
  for (const ui::TimerRow& row : ui::layoutTimers()) {
    auto timer = std::make_unique<FakeTimer>(clock_, row.interval);
    clock_.add(*timer);
    timers_[std::string(row.name)] = std::move(timer);
  }
}

void FakeToolkit::reset() {
  clock_.reset();
  window_.reset();
  const auto resetAll = [](auto& controls) {
    for (auto& [name, control] : controls) control->reset();
  };
  resetAll(labels_);
  resetAll(buttons_);
  resetAll(options_);
  resetAll(frames_);
  resetAll(textBoxes_);
}

void FakeToolkit::selectInGroup(FakeOption& option) {
  for (auto& [name, other] : options_) {
    if (other->group() == option.group()) other->setSelected(other.get() == &option);
  }
}

}  // namespace pv7100::testing
