// The panel's controls, one row each, in twips: the window is built from this table and
// bound to the panel by the controls' names and roles.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "panel/toolkit.h"
#include "protocol/commands.h"

namespace pv7100::ui {

enum class Kind : std::uint8_t { Button, Label, Option, Frame, TextBox, Picture };

// "ＭＳ ゴシック" (fixed pitch) and "ＭＳ Ｐゴシック" (proportional).
inline constexpr std::string_view kGothic = "ＭＳ ゴシック";
inline constexpr std::string_view kPGothic = "ＭＳ Ｐゴシック";

struct Font {
  std::string_view face;  // empty: the control shows no text
  double points = 0;
  bool bold = false;
};

enum class Events : std::uint8_t { None, Click, DownUp, DblClick };

// Other: visibility, selection, alignment, border and text colour.
inline constexpr unsigned kHidden = 1;
inline constexpr unsigned kSelected = 2;
inline constexpr unsigned kCentred = 4;
inline constexpr unsigned kRightAligned = 8;
inline constexpr unsigned kSingleBorder = 16;
// A label whose text wraps, growing downwards over what lies below while it is long.
inline constexpr unsigned kGrowsToWrap = 32;

struct Other {
  unsigned flags = 0;
  std::uint32_t text = 0x000000;  // #RRGGBB
};

// Back colours are #RRGGBB; these two stand for what the table names in words.
inline constexpr std::uint32_t kButtonFace = 0xFF000000;
inline constexpr std::uint32_t kNoBack = 0xFE000000;

struct ControlRow {
  std::string_view name;
  Kind kind;
  std::string_view caption;
  std::string_view parent;  // the frame that holds the control; empty: the window
  int left, top, width, height;
  std::uint32_t back;
  Font font;
  Events events;
  Other other;
};

struct LineRow {
  std::string_view name;
  int x1, y1, x2, y2;
};

inline constexpr std::string_view kWindowCaption = "QUIVA  PV7100   CONTROL   Ver.1.40";
inline constexpr int kClientWidth = 9495;
inline constexpr int kClientHeight = 8730;
inline constexpr std::uint32_t kWindowBack = 0xC0C0C0;
inline constexpr Font kWindowFont{kGothic, 9, true};
inline constexpr std::uint32_t kLineColour = 0x8080FF;
inline constexpr int kLinePixels = 2;

// The timers, stopped when the window is created.
struct TimerRow {
  std::string_view name;
  TimerRole role;
  int interval;  // ms
};

std::span<const ControlRow> layoutControls();
std::span<const TimerRow> layoutTimers();
// The controls that take the keyboard focus, in the order it moves through them; the focus
// starts on the first.
std::span<const std::string_view> layoutTabOrder();
std::span<const LineRow> layoutLines();
// The controls the panel uses by role; each role is bound by name, whatever the order of its
// enumerators.
std::string_view controlName(LineRole role);
std::string_view controlName(TimerRole role);
std::string_view controlName(ButtonRole role);
std::string_view controlName(OptionRole role);
// The button that sends the command called `command`; throws std::out_of_range for a name
// that has none.
std::string_view commandControl(std::string_view command);
inline constexpr std::string_view kPortFrame = "Frame8";
inline constexpr std::string_view kCommandBox = "Text1";
inline constexpr std::string_view kPicture = "Image1";
// Throws std::out_of_range for a name that is not in the table.
const ControlRow& layoutRow(std::string_view name);

}  // namespace pv7100::ui
