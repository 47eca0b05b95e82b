// The command vocabulary of the panel's buttons, in panel order.
#include "protocol/commands.h"

#include <array>

namespace pv7100 {
namespace {

constexpr Timing untimed{};
constexpr bool preparesCursorPad = true;
constexpr Pacing byArrowPacing{};
constexpr bool fastArrowsOnRelease = true;

// clang-format off
constexpr std::array kOneShot = std::to_array<OneShotCommand>({
    // control, group, caption, code, Timer2 / Timer4, other effect
    // Frame1, title Label1 "POWER"
    {"Command17", "POWER", "ON", "C00", untimed},
    {"Command18", "POWER", "OFF", "C01", untimed},
    // Frame2, title Label2 "INPUT MODE SET"
    {"Command27", "INPUT MODE SET", "1", "C05", untimed},
    {"Command28", "INPUT MODE SET", "2", "C06", untimed},
    {"Command29", "INPUT MODE SET", "3", "C07", untimed},
    {"Command53", "INPUT MODE SET", "NETWORK", "C08", untimed},
    // Frame6, title Label7 "MENU"
    {"Command23", "MENU", "ON", "C1C", untimed, preparesCursorPad},
    {"Command24", "MENU", "OFF", "C1D", untimed},
    // Frame3, title Label4 "SOUND MUTE"
    {"Command19", "SOUND MUTE", "ON", "C0B", untimed},
    {"Command20", "SOUND MUTE", "OFF", "C0C", untimed},
    // Frame4, title Label5 "NO SHOW"
    {"Command21", "NO SHOW", "ON", "C0D", untimed},
    {"Command22", "NO SHOW", "OFF", "C0E", untimed},
    // Frame7, title Label8 "FREEZE"
    {"Command25", "FREEZE", "ON", "C43", untimed},
    {"Command26", "FREEZE", "OFF", "C44", untimed},
    // Frame5, title Label6 "AV Size"
    {"Command31", "AV Size", "Normal", "C0F", untimed},
    {"Command32", "AV Size", "Full", "C10", untimed},
    // right-hand column (on the window, no title)
    {"Command13", "right-hand column", "A-PC Adj", "C89", untimed, preparesCursorPad},
    {"Command30", "right-hand column", "IMAGE", "C27", untimed},
    {"Command14", "right-hand column", "P-TIMER", "C8A", untimed},
    // lamp group (on the window), title Label19 "LAMP MODE"
    {"Command56", "LAMP MODE", "CHANGE", "CF LAMPCONTRL CHANGE", untimed},
    {"Command57", "LAMP MODE", "1", "CF LAMPCONTRL LAMP1", untimed},
    {"Command58", "LAMP MODE", "2", "CF LAMPCONTRL LAMP2", untimed},
    // picture-mode block (on the window, no title)
    {"Command4", "picture mode", "STAND", "CF IMAGE STAND", {2000, 2500}},
    {"Command10", "picture mode", "REAL", "CF IMAGE REAL", {2000, 2500}},
    {"Command11", "picture mode", "CINEMA", "CF IMAGE CINEMA", {2000, 2500}},
    {"Command39", "picture mode", "DYNAMIC", "CF IMAGE DYNAMIC", {2000, 2500}},
    {"Command40", "picture mode", "CUSTOM 1", "CF IMAGE CUSTOM1", {2000, 2500}},
    {"Command41", "picture mode", "CUSTOM 2", "CF IMAGE CUSTOM2", {2000, 2500}},
    {"Command42", "picture mode", "CUSTOM 3", "CF IMAGE CUSTOM3", {2000, 2500}},
    // status-read block (on the window, no title)
    {"Command44", "status read", "STATUS", "CR0", untimed},
    {"Command45", "status read", "MODE", "CR1", untimed},
    {"Command46", "status read", "L-TIME", "CR3", untimed},
    {"Command47", "status read", "SETTING", "CR4", untimed},
    {"Command54", "status read", "TEMP", "CR6", untimed},
    {"Command55", "status read", "L-MODE", "CR7", untimed},
    // Frame14 (no title), row labelled Label15 "1"
    {"Command63", "input type 1", "DVI(AV HDCP)", "C53", {5000, 5500}},
    {"Command64", "input type 1", "DVI(PC)", "C52", {5000, 5500}},
    {"Command65", "input type 1", "SCART", "C51", {5000, 5500}},
    {"Command66", "input type 1", "RGB", "C50", {5000, 5500}},
    // Frame14, row labelled Label16 "2"
    {"Command72", "input type 2", "RGB", "C25", {5000, 5500}},
    {"Command74", "input type 2", "Y,Pb/Cb,Pr/Cr", "C24", {5000, 5500}},
    {"Command73", "input type 2", "VIDEO", "C23", {5000, 5500}},
    // Frame14, row labelled Label24 "3"
    {"Command84", "input type 3", "S-VIDEO", "C34", {5000, 5500}},
    {"Command81", "input type 3", "VIDEO", "C33", {5000, 5500}},
    // Frame16, title Label27 "FAN SPEED"
    {"Command97", "FAN SPEED", "MAX", "CF FANSPEED MAX", untimed},
    {"Command98", "FAN SPEED", "NOR", "CF FANSPEED NOR", untimed},
});
// clang-format on

// clang-format off
constexpr std::array kRepeat = std::to_array<RepeatCommand>({
    // control, group, caption, code, {period, time-out, clear}
    // "VOL" (Label3)
    {"Command1", "VOL", "+", "C09", {250, 200, 245}},
    {"Command2", "VOL", "-", "C0A", {250, 200, 245}},
    // cursor pad (no title)
    {"Command5", "cursor pad", "↑", "C3C", byArrowPacing},
    {"Command7", "cursor pad", "↓", "C3D", byArrowPacing},
    {"Command9", "cursor pad", "←", "C3B", byArrowPacing},
    {"Command8", "cursor pad", "→", "C3A", byArrowPacing},
    {"Command6", "cursor pad", "SELECT", "C3F", {500, 200, 245}},
    // "Zoom" (Label13)
    {"Command15", "Zoom", "+", "C47", {105, 100, 100}},
    {"Command35", "Zoom", "-", "C46", {105, 100, 100}},
    // "Focus" (Label14)
    {"Command36", "Focus", "+", "C4B", {105, 100, 100}},
    {"Command37", "Focus", "-", "C4A", {105, 100, 100}},
    // "D.Zoom" (Label17)
    {"Command48", "D.Zoom", "+", "C30", {250, 200, 245}, fastArrowsOnRelease},
    {"Command49", "D.Zoom", "-", "C31", {250, 200, 245}, fastArrowsOnRelease},
    // "Keystone" (Label18)
    {"Command50", "Keystone", "↑", "C8E", {250, 200, 245}},
    {"Command51", "Keystone", "↓", "C8F", {250, 200, 245}},
    {"Command70", "Keystone", "→", "C90", {250, 200, 245}},
    {"Command71", "Keystone", "←", "C91", {250, 200, 245}},
    // "LENS SHIFT" (Label20, in Frame10)
    {"Command59", "LENS SHIFT", "↑", "C5D", {105, 100, 100}},
    {"Command62", "LENS SHIFT", "↓", "C5E", {105, 100, 100}},
    {"Command60", "LENS SHIFT", "←", "C5F", {105, 100, 100}},
    {"Command61", "LENS SHIFT", "→", "C60", {105, 100, 100}},
});
// clang-format on

static_assert(kOneShot.size() == 46);
static_assert(kRepeat.size() == 21);

}  // namespace

std::span<const OneShotCommand> oneShotCommands() {
  return kOneShot;
}

std::span<const RepeatCommand> repeatCommands() {
  return kRepeat;
}

}  // namespace pv7100
