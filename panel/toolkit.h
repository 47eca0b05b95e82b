// The windowing toolkit as the panel sees it: one window, its controls by role, four timers,
// a modal message box. Sizes and positions are in twips (1/1440 inch; 15 twips are one
// logical pixel); timer intervals are in milliseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pv7100::ui {

using Handler = std::function<void()>;

class Timer {
 public:
  virtual ~Timer() = default;
  // Setting the interval of a running timer starts its count anew.
  virtual void setInterval(int ms) = 0;
  virtual int interval() const = 0;
  // Enabling starts the count anew, also for a running timer; inside the timer's own tick
  // the count has just started, so the ticks keep their pace.
  virtual void setEnabled(bool enabled) = 0;
  virtual bool enabled() const = 0;
  virtual void onTick(Handler handler) = 0;
};

class Label {
 public:
  virtual ~Label() = default;
  virtual void setCaption(std::string caption) = 0;
  // Exactly the text last set.
  virtual const std::string& caption() const = 0;
};

class Button {
 public:
  virtual ~Button() = default;
  virtual void setCaption(std::string caption) = 0;
  virtual const std::string& caption() const = 0;
  virtual void setVisible(bool visible) = 0;
  virtual bool visible() const = 0;
  // Mouse click or keyboard activation.
  virtual void onClick(Handler handler) = 0;
  // Any mouse button going down on the button, and its release, delivered to this button
  // wherever the pointer is. Keyboard activation raises neither.
  virtual void onPress(Handler handler) = 0;
  virtual void onRelease(Handler handler) = 0;
};

class OptionButton {
 public:
  virtual ~OptionButton() = default;
  // Selecting an option that is not selected raises its click, as a click of the user would;
  // the options of one frame exclude each other.
  virtual void select() = 0;
  virtual bool selected() const = 0;
  virtual void onClick(Handler handler) = 0;
};

class Frame {
 public:
  virtual ~Frame() = default;
  // Hiding a frame hides what it holds.
  virtual void setVisible(bool visible) = 0;
  virtual bool visible() const = 0;
};

class TextBox {
 public:
  virtual ~TextBox() = default;
  // UTF-8.
  virtual std::string text() const = 0;
  virtual void setText(std::string text) = 0;
};

class Picture {
 public:
  virtual ~Picture() = default;
  virtual void onDoubleClick(Handler handler) = 0;
};

// Modifier mask of a key-down event.
inline constexpr std::int16_t kShiftMask = 1;
inline constexpr std::int16_t kCtrlMask = 2;
inline constexpr std::int16_t kAltMask = 4;

class Window {
 public:
  virtual ~Window() = default;
  virtual double screenWidth() const = 0;
  virtual double screenHeight() const = 0;
  // Outer size and position, border and title bar included.
  virtual double left() const = 0;
  virtual double top() const = 0;
  virtual double width() const = 0;
  virtual double height() const = 0;
  virtual void setLeft(double twips) = 0;
  virtual void setTop(double twips) = 0;
  virtual void setHeight(double twips) = 0;
  // Every key that goes down in the window, before the control that has the focus sees it.
  virtual void onKeyDown(std::function<void(std::int16_t keyCode, std::int16_t shift)> h) = 0;
  // The window lost the mouse and keyboard: another window took them, or it was minimised or
  // hidden. A mouse button held on one of its controls will not be released there.
  virtual void onDeactivate(Handler handler) = 0;
  // Modal box with an exclamation icon, one OK button and the window's title; returns when
  // it is dismissed.
  virtual void messageBox(const std::string& text) = 0;
  // Unloads the window and ends the program; no handler runs afterwards.
  virtual void unload() = 0;
};

// The controls the panel's parts use, by what they are for.
enum class LineRole { transmit, receive, status, notice };
enum class TimerRole { repeat, replyWindow, portFrame, displayClear };
enum class ButtonRole { com, end, dataToggle, sendLine, clearLine };
enum class OptionRole { com1, com2, baud19200, baud9600 };

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  virtual Window& window() = 0;
  virtual Label& line(LineRole role) = 0;
  virtual Timer& timer(TimerRole role) = 0;
  virtual Button& button(ButtonRole role) = 0;
  // The button that sends the command called `command`. An unknown name is a programming
  // error and throws std::out_of_range.
  virtual Button& commandButton(std::string_view command) = 0;
  virtual OptionButton& option(OptionRole role) = 0;
  virtual Frame& portFrame() = 0;
  virtual TextBox& commandBox() = 0;
  virtual Picture& picture() = 0;
};

}  // namespace pv7100::ui
