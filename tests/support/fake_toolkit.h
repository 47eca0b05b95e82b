// A toolkit for tests: controls built from the layout table that only keep their state, and
// timers that run on a virtual clock which the test advances.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "panel/toolkit.h"
#include "widgets/layout.h"

namespace pv7100::testing {

class VirtualClock;

// What the virtual clock fires: a timer due at a moment, armed in an order.
class VirtualTimer {
 public:
  long long due() const { return due_; }
  unsigned long long order() const { return order_; }
  virtual bool armed() const = 0;
  virtual void fire() = 0;
  // Stopped as built.
  virtual void reset() = 0;

 protected:
  ~VirtualTimer() = default;
  // Due `interval` from the clock's now.
  void arm(VirtualClock& clock, long long interval);
  void disarm() {
    due_ = 0;
    order_ = 0;
  }

 private:
  long long due_ = 0;
  unsigned long long order_ = 0;
};

class FakeTimer : public ui::Timer, public VirtualTimer {
 public:
  FakeTimer(VirtualClock& clock, int interval)
      : clock_(clock), builtInterval_(interval), interval_(interval) {}
  void setInterval(int ms) override;
  int interval() const override { return interval_; }
  void setEnabled(bool enabled) override;
  bool enabled() const override { return enabled_; }
  void onTick(ui::Handler handler) override { tick_ = std::move(handler); }

  bool armed() const override { return enabled_ && interval_ > 0; }
  void fire() override;
  // Stopped at the interval it was built with; the handler stays.
  void reset() override;

 private:
  VirtualClock& clock_;
  int builtInterval_;
  int interval_;
  bool enabled_ = false;
  ui::Handler tick_;
};

// Time in milliseconds. advance() fires every tick that falls due, in order of time; ticks due
// at the same moment fire in the order their timers were started.
class VirtualClock {
 public:
  long long now() const { return now_; }
  void advance(long long ms);
  void add(VirtualTimer& timer) { timers_.push_back(&timer); }
  void remove(VirtualTimer& timer) { std::erase(timers_, &timer); }
  unsigned long long nextOrder() { return ++order_; }
  // Back to time 0 with every timer reset.
  void reset();

 private:
  long long now_ = 0;
  unsigned long long order_ = 0;
  std::vector<VirtualTimer*> timers_;
};

class FakeLabel : public ui::Label {
 public:
  explicit FakeLabel(std::string caption) : built_(caption), caption_(std::move(caption)) {}
  void setCaption(std::string caption) override {
    caption_ = std::move(caption);
    ++writes;
  }
  const std::string& caption() const override { return caption_; }
  int writes = 0;
  // As built, its room given back.
  void reset() {
    caption_ = built_;
    caption_.shrink_to_fit();
    writes = 0;
  }

 private:
  std::string built_;
  std::string caption_;
};

class FakeButton : public ui::Button {
 public:
  FakeButton(std::string caption, bool visible)
      : built_(caption), builtVisible_(visible), caption_(std::move(caption)), visible_(visible) {}
  void setCaption(std::string caption) override { caption_ = std::move(caption); }
  const std::string& caption() const override { return caption_; }
  void setVisible(bool visible) override { visible_ = visible; }
  bool visible() const override { return visible_; }
  void onClick(ui::Handler h) override { click_ = std::move(h); }
  void onPress(ui::Handler h) override { press_ = std::move(h); }
  void onRelease(ui::Handler h) override { release_ = std::move(h); }

  // What the user does: a click (mouse or keyboard), or a mouse button down and up.
  void click() { call(click_); }
  void press() { call(press_); }
  void release() { call(release_); }
  void reset() {
    caption_ = built_;
    visible_ = builtVisible_;
  }

 private:
  static void call(const ui::Handler& h) {
    if (h) h();
  }
  std::string built_;
  bool builtVisible_;
  std::string caption_;
  bool visible_;
  ui::Handler click_, press_, release_;
};

class FakeToolkit;

class FakeOption : public ui::OptionButton {
 public:
  FakeOption(FakeToolkit& toolkit, std::string group, bool selected)
      : toolkit_(toolkit),
        group_(std::move(group)),
        builtSelected_(selected),
        selected_(selected) {}
  void select() override;
  bool selected() const override { return selected_; }
  void onClick(ui::Handler h) override { click_ = std::move(h); }
  // The user clicks the option: it is selected and raises its click, selected or not.
  void click();
  const std::string& group() const { return group_; }
  void setSelected(bool selected) { selected_ = selected; }
  void reset() { selected_ = builtSelected_; }

 private:
  FakeToolkit& toolkit_;
  std::string group_;
  bool builtSelected_;
  bool selected_;
  ui::Handler click_;
};

class FakeFrame : public ui::Frame {
 public:
  explicit FakeFrame(bool visible) : builtVisible_(visible), visible_(visible) {}
  void setVisible(bool visible) override { visible_ = visible; }
  bool visible() const override { return visible_; }
  void reset() { visible_ = builtVisible_; }

 private:
  bool builtVisible_;
  bool visible_;
};

class FakeTextBox : public ui::TextBox {
 public:
  std::string text() const override { return text_; }
  void setText(std::string text) override { text_ = std::move(text); }
  void reset() { text_.clear(); }

 private:
  std::string text_;
};

class FakePicture : public ui::Picture {
 public:
  void onDoubleClick(ui::Handler h) override { doubleClick_ = std::move(h); }
  void doubleClick() {
    if (doubleClick_) doubleClick_();
  }

 private:
  ui::Handler doubleClick_;
};

// A window 9495 x 8730 twips inside a decoration of 120 x 435 twips, on a 1920 x 1080 pixel screen.
class FakeWindow : public ui::Window {
 public:
  static constexpr double kDecorationWidth = 120;
  static constexpr double kDecorationHeight = 435;
  double screenWidth() const override { return 1920 * 15; }
  double screenHeight() const override { return 1080 * 15; }
  double left() const override { return left_; }
  double top() const override { return top_; }
  double width() const override { return 9495 + kDecorationWidth; }
  double height() const override { return height_; }
  void setLeft(double twips) override { left_ = twips; }
  void setTop(double twips) override { top_ = twips; }
  void setHeight(double twips) override { height_ = twips; }
  void onKeyDown(std::function<void(std::int16_t, std::int16_t)> h) override {
    keyDown_ = std::move(h);
  }
  void onDeactivate(ui::Handler h) override { deactivate_ = std::move(h); }
  void messageBox(const std::string& text) override { messages.push_back(text); }
  void unload() override { unloaded = true; }

  void keyDown(std::int16_t keyCode, std::int16_t shift) {
    if (keyDown_) keyDown_(keyCode, shift);
  }
  void deactivate() {
    if (deactivate_) deactivate_();
  }

  std::vector<std::string> messages;
  bool unloaded = false;
  void reset() {
    messages.clear();
    unloaded = false;
    left_ = 0;
    top_ = 0;
    height_ = kBuiltHeight;
  }

 private:
  static constexpr double kBuiltHeight = 8730 + kDecorationHeight;
  double left_ = 0;
  double top_ = 0;
  double height_ = kBuiltHeight;
  std::function<void(std::int16_t, std::int16_t)> keyDown_;
  ui::Handler deactivate_;
};

class FakeToolkit : public ui::Toolkit {
 public:
  FakeToolkit();
  FakeWindow& window() override { return window_; }
  FakeLabel& line(ui::LineRole role) override { return label(ui::controlName(role)); }
  FakeTimer& timer(ui::TimerRole role) override { return timer(ui::controlName(role)); }
  FakeButton& button(ui::ButtonRole role) override { return button(ui::controlName(role)); }
  FakeButton& commandButton(std::string_view command) override {
    return button(ui::commandControl(command));
  }
  FakeOption& option(ui::OptionRole role) override { return option(ui::controlName(role)); }
  FakeFrame& portFrame() override { return frame(ui::kPortFrame); }
  FakeTextBox& commandBox() override { return textBox(ui::kCommandBox); }
  FakePicture& picture() override { return picture(ui::kPicture); }

  // The controls by their names in the layout table.
  FakeLabel& label(std::string_view name) { return find(labels_, name); }
  FakeButton& button(std::string_view name) { return find(buttons_, name); }
  // The button that sends the command called `name`.
  FakeButton& command(std::string_view name) { return commandButton(name); }
  FakeOption& option(std::string_view name) { return find(options_, name); }
  FakeFrame& frame(std::string_view name) { return find(frames_, name); }
  FakeTextBox& textBox(std::string_view name) { return find(textBoxes_, name); }
  FakePicture& picture(std::string_view name) { return find(pictures_, name); }
  FakeTimer& timer(std::string_view name) { return find(timers_, name); }

  VirtualClock& clock() { return clock_; }
  // Deselects the other options of `option`'s frame.
  void selectInGroup(FakeOption& option);
  // Every control and timer as built, the clock at 0; the handlers stay bound. Allocates
  // nothing once the captions have been long enough: a fuzzer resets for every program.
  void reset();

 private:
  // Hashed: the panel binds its handlers to a hundred controls by name, and a fuzzer builds a
  // panel for every program it runs.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const {
      return std::hash<std::string_view>{}(name);
    }
  };
  template <typename T>
  using Controls = std::unordered_map<std::string, std::unique_ptr<T>, NameHash, std::equal_to<>>;
  template <typename T>
  static T& find(Controls<T>& controls, std::string_view name) {
    const auto it = controls.find(name);
    if (it == controls.end()) throw std::out_of_range("no control named " + std::string(name));
    return *it->second;
  }

  VirtualClock clock_;
  FakeWindow window_;
  Controls<FakeLabel> labels_;
  Controls<FakeButton> buttons_;
  Controls<FakeOption> options_;
  Controls<FakeFrame> frames_;
  Controls<FakeTextBox> textBoxes_;
  Controls<FakePicture> pictures_;
  Controls<FakeTimer> timers_;
};

}  // namespace pv7100::testing
