// The hold-to-repeat vocabulary: repeat code, command and pace of each button.
#include "panel/repeat_table.h"

#include <algorithm>
#include <array>

namespace pv7100 {
namespace {

constexpr Pacing byArrowMode{};
constexpr bool fastArrowsOnRelease = true;

// clang-format off
constexpr std::array kButtons = std::to_array<RepeatRow>({
    // control, caption, repeat code, code, {period, time-out, clear}
    // "VOL" (Label3)
    {"Command1", "+", 1, "C09", {250, 200, 245}},
    {"Command2", "-", 2, "C0A", {250, 200, 245}},
    // cursor pad (no title)
    {"Command5", "↑", 3, "C3C", byArrowMode},
    {"Command7", "↓", 4, "C3D", byArrowMode},
    {"Command9", "←", 5, "C3B", byArrowMode},
    {"Command8", "→", 6, "C3A", byArrowMode},
    {"Command6", "SELECT", 13, "C3F", {500, 200, 245}},
    // "Zoom" (Label13)
    {"Command15", "+", 7, "C47", {105, 100, 100}},
    {"Command35", "-", 8, "C46", {105, 100, 100}},
    // "Focus" (Label14)
    {"Command36", "+", 9, "C4B", {105, 100, 100}},
    {"Command37", "-", 10, "C4A", {105, 100, 100}},
    // "D.Zoom" (Label17)
    {"Command48", "+", 17, "C30", {250, 200, 245}, fastArrowsOnRelease},
    {"Command49", "-", 18, "C31", {250, 200, 245}, fastArrowsOnRelease},
    // "Keystone" (Label18)
    {"Command50", "↑", 19, "C8E", {250, 200, 245}},
    {"Command51", "↓", 20, "C8F", {250, 200, 245}},
    {"Command70", "→", 25, "C90", {250, 200, 245}},
    {"Command71", "←", 26, "C91", {250, 200, 245}},
    // "LENS SHIFT" (Label20, in Frame10)
    {"Command59", "↑", 21, "C5D", {105, 100, 100}},
    {"Command62", "↓", 22, "C5E", {105, 100, 100}},
    {"Command60", "←", 23, "C5F", {105, 100, 100}},
    {"Command61", "→", 24, "C60", {105, 100, 100}},
});
// clang-format on

static_assert(kButtons.size() == 21);

}  // namespace

std::span<const RepeatRow> repeatButtons() {
  return kButtons;
}

const RepeatRow* repeatRowByCode(std::uint8_t repeatCode) {
  const auto* row =
      std::find_if(kButtons.begin(), kButtons.end(),
                   [repeatCode](const RepeatRow& r) { return r.repeatCode == repeatCode; });
  return row == kButtons.end() ? nullptr : row;
}

}  // namespace pv7100
