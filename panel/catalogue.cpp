// The command vocabulary of the one-shot buttons, in panel order.
#include "panel/catalogue.h"

#include <array>

namespace pv7100 {
namespace {

constexpr Timing untimed{};
constexpr bool preparesCursorPad = true;

// clang-format off
constexpr std::array kButtons = std::to_array<OneShotRow>({
    // control, caption, code, Timer2 / Timer4, other effect
    // Frame1, title Label1 "POWER"
    {"Command17", "ON", "C00", untimed},
    {"Command18", "OFF", "C01", untimed},
    // Frame2, title Label2 "INPUT MODE SET"
    {"Command27", "1", "C05", untimed},
    {"Command28", "2", "C06", untimed},
    {"Command29", "3", "C07", untimed},
    {"Command53", "NETWORK", "C08", untimed},
    // Frame6, title Label7 "MENU"
    {"Command23", "ON", "C1C", untimed, preparesCursorPad},
    {"Command24", "OFF", "C1D", untimed},
    // Frame3, title Label4 "SOUND MUTE"
    {"Command19", "ON", "C0B", untimed},
    {"Command20", "OFF", "C0C", untimed},
    // Frame4, title Label5 "NO SHOW"
    {"Command21", "ON", "C0D", untimed},
    {"Command22", "OFF", "C0E", untimed},
    // Frame7, title Label8 "FREEZE"
    {"Command25", "ON", "C43", untimed},
    {"Command26", "OFF", "C44", untimed},
    // Frame5, title Label6 "AV Size"
    {"Command31", "Normal", "C0F", untimed},
    {"Command32", "Full", "C10", untimed},
    // right-hand column (on the window, no title)
    {"Command13", "A-PC Adj", "C89", untimed, preparesCursorPad},
    {"Command30", "IMAGE", "C27", untimed},
    {"Command14", "P-TIMER", "C8A", untimed},
    // lamp group (on the window), title Label19 "LAMP MODE"
    {"Command56", "CHANGE", "CF LAMPCONTRL CHANGE", untimed},
    {"Command57", "1", "CF LAMPCONTRL LAMP1", untimed},
    {"Command58", "2", "CF LAMPCONTRL LAMP2", untimed},
    // picture-mode block (on the window, no title)
    {"Command4", "STAND", "CF IMAGE STAND", {2000, 2500}},
    {"Command10", "REAL", "CF IMAGE REAL", {2000, 2500}},
    {"Command11", "CINEMA", "CF IMAGE CINEMA", {2000, 2500}},
    {"Command39", "DYNAMIC", "CF IMAGE DYNAMIC", {2000, 2500}},
    {"Command40", "CUSTOM 1", "CF IMAGE CUSTOM1", {2000, 2500}},
    {"Command41", "CUSTOM 2", "CF IMAGE CUSTOM2", {2000, 2500}},
    {"Command42", "CUSTOM 3", "CF IMAGE CUSTOM3", {2000, 2500}},
    // status-read block (on the window, no title)
    {"Command44", "STATUS", "CR0", untimed},
    {"Command45", "MODE", "CR1", untimed},
    {"Command46", "L-TIME", "CR3", untimed},
    {"Command47", "SETTING", "CR4", untimed},
    {"Command54", "TEMP", "CR6", untimed},
    {"Command55", "L-MODE", "CR7", untimed},
    // Frame14 (no title), row labelled Label15 "1"
    {"Command63", "DVI(AV HDCP)", "C53", {5000, 5500}},
    {"Command64", "DVI(PC)", "C52", {5000, 5500}},
    {"Command65", "SCART", "C51", {5000, 5500}},
    {"Command66", "RGB", "C50", {5000, 5500}},
    // Frame14, row labelled Label16 "2"
    {"Command72", "RGB", "C25", {5000, 5500}},
    {"Command74", "Y,Pb/Cb,Pr/Cr", "C24", {5000, 5500}},
    {"Command73", "VIDEO", "C23", {5000, 5500}},
    // Frame14, row labelled Label24 "3"
    {"Command84", "S-VIDEO", "C34", {5000, 5500}},
    {"Command81", "VIDEO", "C33", {5000, 5500}},
    // Frame16, title Label27 "FAN SPEED"
    {"Command97", "MAX", "CF FANSPEED MAX", untimed},
    {"Command98", "NOR", "CF FANSPEED NOR", untimed},
});
// clang-format on

static_assert(kButtons.size() == 46);

}  // namespace

std::span<const OneShotRow> oneShotButtons() {
  return kButtons;
}

}  // namespace pv7100
