// The command vocabulary of the panel's buttons, in panel order.
#include "protocol/commands.h"

#include <algorithm>
#include <array>

#include "protocol/status_reads.h"

namespace pv7100 {
namespace {

constexpr Timing untimed{};
constexpr Timing pictureMode{2000, 2500};
constexpr Timing inputType{5000, 5500};
constexpr Pacing byArrowPacing{};
constexpr auto menuPacing = SideEffect::pacesArrowsForMenu;
constexpr auto fastArrows = SideEffect::fastArrowsOnRelease;

constexpr Command once(std::string_view name, std::string_view group, std::string_view caption,
                       std::string_view code, Timing timing = untimed,
                       SideEffect effect = SideEffect::none) {
  return {name, group, caption, code, CommandKind::oneShot, timing, {}, effect};
}

constexpr Command held(std::string_view name, std::string_view group, std::string_view caption,
                       std::string_view code, Pacing pacing, SideEffect effect = SideEffect::none) {
  return {name, group, caption, code, CommandKind::repeat, {}, pacing, effect};
}

consteval std::string_view readCode(std::string_view read) {
  return statusReadNamed(read)->code;
}

// clang-format off
constexpr std::array kCommands = std::to_array<Command>({
    // name, group, caption, code, reply window / display clear, other effect
    once("power-on", "POWER", "ON", "C00"),
    once("power-off", "POWER", "OFF", "C01"),
    once("input-1", "INPUT MODE SET", "1", "C05"),
    once("input-2", "INPUT MODE SET", "2", "C06"),
    once("input-3", "INPUT MODE SET", "3", "C07"),
    once("input-network", "INPUT MODE SET", "NETWORK", "C08"),
    once("menu-on", "MENU", "ON", "C1C", untimed, menuPacing),
    once("menu-off", "MENU", "OFF", "C1D"),
    once("sound-mute-on", "SOUND MUTE", "ON", "C0B"),
    once("sound-mute-off", "SOUND MUTE", "OFF", "C0C"),
    once("no-show-on", "NO SHOW", "ON", "C0D"),
    once("no-show-off", "NO SHOW", "OFF", "C0E"),
    once("freeze-on", "FREEZE", "ON", "C43"),
    once("freeze-off", "FREEZE", "OFF", "C44"),
    once("av-size-normal", "AV Size", "Normal", "C0F"),
    once("av-size-full", "AV Size", "Full", "C10"),
    once("a-pc-adj", "right-hand column", "A-PC Adj", "C89", untimed, menuPacing),
    // Opens the picture adjustment; not one of the picture modes.
    once("image-adjust", "right-hand column", "IMAGE", "C27"),
    once("p-timer", "right-hand column", "P-TIMER", "C8A"),
    once("lamp-change", "LAMP MODE", "CHANGE", "CF LAMPCONTRL CHANGE"),
    once("lamp-1", "LAMP MODE", "1", "CF LAMPCONTRL LAMP1"),
    once("lamp-2", "LAMP MODE", "2", "CF LAMPCONTRL LAMP2"),
    once("image-stand", "picture mode", "STAND", "CF IMAGE STAND", pictureMode),
    once("image-real", "picture mode", "REAL", "CF IMAGE REAL", pictureMode),
    once("image-cinema", "picture mode", "CINEMA", "CF IMAGE CINEMA", pictureMode),
    once("image-dynamic", "picture mode", "DYNAMIC", "CF IMAGE DYNAMIC", pictureMode),
    once("image-custom-1", "picture mode", "CUSTOM 1", "CF IMAGE CUSTOM1", pictureMode),
    once("image-custom-2", "picture mode", "CUSTOM 2", "CF IMAGE CUSTOM2", pictureMode),
    once("image-custom-3", "picture mode", "CUSTOM 3", "CF IMAGE CUSTOM3", pictureMode),
    once("read-status", "status read", "STATUS", readCode("state")),
    once("read-mode", "status read", "MODE", readCode("input")),
    once("read-l-time", "status read", "L-TIME", readCode("lamp-hours")),
    once("read-setting", "status read", "SETTING", readCode("reversal")),
    once("read-temp", "status read", "TEMP", readCode("temperatures")),
    once("read-l-mode", "status read", "L-MODE", readCode("lamp-mode")),
    once("input-1-dvi-av-hdcp", "input type 1", "DVI(AV HDCP)", "C53", inputType),
    once("input-1-dvi-pc", "input type 1", "DVI(PC)", "C52", inputType),
    once("input-1-scart", "input type 1", "SCART", "C51", inputType),
    once("input-1-rgb", "input type 1", "RGB", "C50", inputType),
    once("input-2-rgb", "input type 2", "RGB", "C25", inputType),
    once("input-2-y-pb-cb-pr-cr", "input type 2", "Y,Pb/Cb,Pr/Cr", "C24", inputType),
    once("input-2-video", "input type 2", "VIDEO", "C23", inputType),
    once("input-3-s-video", "input type 3", "S-VIDEO", "C34", inputType),
    once("input-3-video", "input type 3", "VIDEO", "C33", inputType),
    once("fan-max", "FAN SPEED", "MAX", "CF FANSPEED MAX"),
    once("fan-nor", "FAN SPEED", "NOR", "CF FANSPEED NOR"),
    once("display-clear", "", "DISPLAY CLEAR", "C1E"),

    // name, group, caption, code, {period, time-out, clear}, other effect
    held("vol-plus", "VOL", "+", "C09", {250, 200, 245}),
    held("vol-minus", "VOL", "-", "C0A", {250, 200, 245}),
    held("cursor-up", "cursor pad", "↑", "C3C", byArrowPacing),
    held("cursor-down", "cursor pad", "↓", "C3D", byArrowPacing),
    held("cursor-left", "cursor pad", "←", "C3B", byArrowPacing),
    held("cursor-right", "cursor pad", "→", "C3A", byArrowPacing),
    held("cursor-select", "cursor pad", "SELECT", "C3F", {500, 200, 245}),
    held("zoom-plus", "Zoom", "+", "C47", {105, 100, 100}),
    held("zoom-minus", "Zoom", "-", "C46", {105, 100, 100}),
    held("focus-plus", "Focus", "+", "C4B", {105, 100, 100}),
    held("focus-minus", "Focus", "-", "C4A", {105, 100, 100}),
    held("d-zoom-plus", "D.Zoom", "+", "C30", {250, 200, 245}, fastArrows),
    held("d-zoom-minus", "D.Zoom", "-", "C31", {250, 200, 245}, fastArrows),
    held("keystone-up", "Keystone", "↑", "C8E", {250, 200, 245}),
    held("keystone-down", "Keystone", "↓", "C8F", {250, 200, 245}),
    held("keystone-right", "Keystone", "→", "C90", {250, 200, 245}),
    held("keystone-left", "Keystone", "←", "C91", {250, 200, 245}),
    held("lens-shift-up", "LENS SHIFT", "↑", "C5D", {105, 100, 100}),
    held("lens-shift-down", "LENS SHIFT", "↓", "C5E", {105, 100, 100}),
    held("lens-shift-left", "LENS SHIFT", "←", "C5F", {105, 100, 100}),
    held("lens-shift-right", "LENS SHIFT", "→", "C60", {105, 100, 100}),
});
// clang-format on

}  // namespace

std::span<const Command> commands() {
  return kCommands;
}

const Command* commandNamed(std::string_view name) {
  const auto* found = std::find_if(kCommands.begin(), kCommands.end(),
                                   [name](const Command& command) { return command.name == name; });
  return found == kCommands.end() ? nullptr : found;
}

}  // namespace pv7100
