// The panel's controls as designed, row for row: name, kind, caption, parent frame, left, top,
// width, height (twips), back colour, font, events, other.
#include "widgets/layout.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace pv7100::ui {
namespace {

constexpr Kind Button = Kind::Button;
constexpr Kind Label = Kind::Label;
constexpr Kind Option = Kind::Option;
constexpr Kind Frame = Kind::Frame;
constexpr Kind TextBox = Kind::TextBox;
constexpr Kind Picture = Kind::Picture;
constexpr Events none = Events::None;
constexpr Events Click = Events::Click;
constexpr Events DownUp = Events::DownUp;
constexpr Events DblClick = Events::DblClick;
constexpr bool B = true;
constexpr Font G(double points, bool bold = false) {
  return {kGothic, points, bold};
}
constexpr Font PG(double points, bool bold = false) {
  return {kPGothic, points, bold};
}
constexpr Font window = kWindowFont;

template <typename Key>
struct Binding {
  Key key;
  std::string_view control;
};

// clang-format off
constexpr std::array kControls = std::to_array<ControlRow>({
    // Picture at the top right corner
    {"Image1", Picture, "", "", 8160, 120, 1200, 390, kNoBack, {}, DblClick, {}},

    // POWER
    {"Frame1", Frame, "", "", 120, 240, 1695, 975, 0xC0C0C0, {}, none, {}},
    {"Label1", Label, "POWER", "Frame1", 240, 240, 1095, 255, 0xC0C0C0, window, none, {kCentred, 0xC00000}},
    {"Command17", Button, "ON", "Frame1", 120, 600, 615, 300, 0xC0FFC0, PG(9, B), Click, {}},
    {"Command18", Button, "OFF", "Frame1", 960, 600, 615, 300, 0xFFC0C0, PG(9, B), Click, {}},

    // INPUT MODE SET
    {"Frame2", Frame, "", "", 2160, 240, 3132, 975, 0xC0C0C0, {}, none, {}},
    {"Label2", Label, "INPUT MODE SET", "Frame2", 600, 240, 1935, 255, 0xC0C0C0, window, none, {kCentred}},
    {"Command27", Button, "1", "Frame2", 120, 600, 495, 300, 0xC0FFFF, PG(9, B), Click, {}},
    {"Command28", Button, "2", "Frame2", 720, 600, 495, 300, 0xC0FFFF, PG(9, B), Click, {}},
    {"Command29", Button, "3", "Frame2", 1320, 600, 495, 300, 0xC0FFFF, PG(9, B), Click, {}},
    {"Command53", Button, "NETWORK", "Frame2", 1920, 600, 1095, 300, 0xC0FFFF, PG(9, B), Click, {}},

    // MENU
    {"Frame6", Frame, "", "", 5640, 240, 1695, 975, 0xC0C0C0, {}, none, {}},
    {"Label7", Label, "MENU", "Frame6", 360, 240, 975, 255, 0xC0C0C0, window, none, {kCentred}},
    {"Command23", Button, "ON", "Frame6", 120, 600, 615, 300, 0xC0FFC0, PG(9, B), Click, {}},
    {"Command24", Button, "OFF", "Frame6", 960, 600, 615, 300, 0xFFC0C0, PG(9, B), Click, {}},

    // SOUND MUTE
    {"Frame3", Frame, "", "", 120, 1440, 1575, 855, 0xC0C0C0, {}, none, {}},
    {"Label4", Label, "SOUND MUTE", "Frame3", 120, 195, 1335, 300, 0xC0C0C0, window, none, {kCentred}},
    {"Command19", Button, "ON", "Frame3", 120, 480, 615, 300, 0xC0FFC0, PG(9, B), Click, {}},
    {"Command20", Button, "OFF", "Frame3", 720, 480, 615, 300, 0xFFC0C0, PG(9, B), Click, {}},

    // NO SHOW
    {"Frame4", Frame, "", "", 1800, 1440, 1455, 855, 0xC0C0C0, {}, none, {}},
    {"Label5", Label, "NO SHOW", "Frame4", 120, 210, 1095, 285, 0xC0C0C0, window, none, {kCentred}},
    {"Command21", Button, "ON", "Frame4", 120, 480, 615, 300, 0xC0FFC0, PG(9, B), Click, {}},
    {"Command22", Button, "OFF", "Frame4", 720, 480, 615, 300, 0xFFC0C0, PG(9, B), Click, {}},

    // FREEZE
    {"Frame7", Frame, "", "", 3360, 1440, 1455, 855, 0xC0C0C0, {}, none, {}},
    {"Label8", Label, "FREEZE", "Frame7", 240, 210, 975, 285, 0xC0C0C0, window, none, {kCentred}},
    {"Command25", Button, "ON", "Frame7", 120, 480, 615, 300, 0xC0FFC0, PG(9, B), Click, {}},
    {"Command26", Button, "OFF", "Frame7", 720, 480, 615, 300, 0xFFC0C0, PG(9, B), Click, {}},

    // AV Size
    {"Frame5", Frame, "", "", 4920, 1440, 1695, 855, 0xC0C0C0, {}, none, {}},
    {"Label6", Label, "AV Size", "Frame5", 360, 210, 975, 285, 0xC0C0C0, window, none, {kCentred}},
    {"Command31", Button, "Normal", "Frame5", 120, 480, 855, 300, 0xC0FFFF, PG(9), Click, {}},
    {"Command32", Button, "Full", "Frame5", 960, 480, 615, 300, 0xC0FFFF, PG(9), Click, {}},

    // LENS SHIFT
    {"Frame10", Frame, "", "", 7920, 600, 1455, 1695, 0xC0C0C0, {}, none, {}},
    {"Label20", Label, "LENS SHIFT", "Frame10", 120, 195, 1215, 300, 0xC0C0C0, window, none, {kCentred}},
    {"Command59", Button, "↑", "Frame10", 480, 600, 492, 252, 0xFFE0C0, PG(7.5), DownUp, {}},
    {"Command60", Button, "←", "Frame10", 240, 960, 492, 252, 0xFFE0C0, PG(7.5), DownUp, {}},
    {"Command61", Button, "→", "Frame10", 720, 960, 492, 252, 0xFFE0C0, PG(7.5), DownUp, {}},
    {"Command62", Button, "↓", "Frame10", 480, 1320, 492, 252, 0xFFE0C0, PG(7.5), DownUp, {}},

    // Navigation cross
    {"Command5", Button, "↑", "", 1200, 2520, 855, 375, 0xFFE0C0, PG(9, B), DownUp, {}},
    {"Command9", Button, "←", "", 240, 3000, 855, 375, 0xFFE0C0, PG(9, B), DownUp, {}},
    {"Command6", Button, "SELECT", "", 1200, 3000, 855, 375, 0xFF8000, G(9), DownUp, {}},
    {"Command8", Button, "→", "", 2160, 3000, 855, 375, 0xFFE0C0, PG(9, B), DownUp, {}},
    {"Command7", Button, "↓", "", 1200, 3480, 855, 375, 0xFFE0C0, PG(9, B), DownUp, {}},

    // Adjustment columns
    {"Label3", Label, "VOL", "", 3600, 2520, 495, 255, 0xC0C0C0, window, none, {kCentred}},
    {"Command1", Button, "+", "", 3600, 2880, 375, 255, 0xFFC080, window, DownUp, {}},
    {"Command2", Button, "-", "", 3600, 3240, 375, 255, 0xFFC080, window, DownUp, {}},
    {"Label13", Label, "Zoom", "", 4440, 2520, 492, 252, 0xC0C0C0, G(9), none, {}},
    {"Command15", Button, "+", "", 4440, 2880, 375, 255, 0xC0FFFF, G(9), DownUp, {}},
    {"Command35", Button, "-", "", 4440, 3240, 375, 255, 0xC0FFFF, G(9), DownUp, {}},
    {"Label14", Label, "Focus", "", 5280, 2520, 615, 255, 0xC0C0C0, G(9), none, {}},
    {"Command36", Button, "+", "", 5280, 2880, 375, 255, 0xC0FFFF, G(9), DownUp, {}},
    {"Command37", Button, "-", "", 5280, 3240, 375, 255, 0xC0FFFF, G(9), DownUp, {}},
    {"Label17", Label, "D.Zoom", "", 6360, 2520, 735, 255, 0xC0C0C0, G(9), none, {}},
    {"Command48", Button, "+", "", 6480, 2880, 375, 255, 0xC0FFFF, PG(9), DownUp, {}},
    {"Command49", Button, "-", "", 6480, 3240, 375, 255, 0xC0FFFF, G(9), DownUp, {}},
    {"Label18", Label, "Keystone", "", 7320, 2520, 855, 255, 0xC0C0C0, G(9), none, {}},
    {"Command50", Button, "↑", "", 7440, 2880, 375, 255, 0xC0FFFF, G(9), DownUp, {}},
    {"Command51", Button, "↓", "", 7440, 3240, 375, 255, 0xC0FFFF, G(9), DownUp, {}},
    {"Command71", Button, "←", "", 7080, 3120, 375, 255, 0xC0FFFF, window, DownUp, {}},
    {"Command70", Button, "→", "", 7800, 3120, 375, 255, 0xC0FFFF, window, DownUp, {}},

    // Right-hand column
    {"Command13", Button, "A-PC Adj", "", 8400, 2880, 975, 250, 0x00C0C0, G(9), Click, {}},
    {"Command30", Button, "IMAGE", "", 8400, 3120, 975, 255, 0xC0C0FF, G(9), Click, {}},
    {"Command14", Button, "P-TIMER", "", 8400, 3360, 975, 250, 0xC0C0FF, G(9), Click, {}},
    {"Command3", Button, "DISPLAY CLEAR", "", 8400, 3600, 975, 492, 0xC0C0FF, G(9), Click, {}},
    {"Command16", Button, "END", "", 8400, 4320, 975, 375, 0xC0C0C0, window, Click, {}},

    // Image-mode buttons
    {"Command4", Button, "STAND", "", 240, 4080, 975, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command10", Button, "REAL", "", 1200, 4080, 975, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command11", Button, "CINEMA", "", 2160, 4080, 975, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command39", Button, "DYNAMIC", "", 240, 4320, 975, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command40", Button, "CUSTOM 1", "", 1200, 4320, 975, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command41", Button, "CUSTOM 2", "", 2160, 4320, 975, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command42", Button, "CUSTOM 3", "", 240, 4560, 975, 255, 0xC0FFFF, G(9), Click, {}},

    // Lamp mode
    {"Label19", Label, "LAMP MODE", "", 6600, 3720, 1332, 252, 0xC0C0C0, G(9), none, {kCentred}},
    {"Command56", Button, "CHANGE", "", 6600, 3960, 1200, 372, 0xFFFFC0, G(9), Click, {}},
    {"Command57", Button, "1", "", 6600, 4320, 606, 372, 0xFFFFC0, G(9), Click, {}},
    {"Command58", Button, "2", "", 7200, 4320, 606, 372, 0xFFFFC0, G(9), Click, {}},

    // Port settings; Frame8 covers "COM" while shown
    {"Command33", Button, "COM", "", 4080, 4200, 1815, 375, kButtonFace, PG(9), Click, {}},
    {"Frame8", Frame, "", "", 3480, 3600, 2775, 1185, 0xC0C0C0, {}, none, {kHidden}},
    {"Option1", Option, "COM1", "Frame8", 240, 240, 1215, 255, 0xC0C0C0, window, Click, {}},
    {"Option2", Option, "COM2", "Frame8", 1560, 240, 1095, 255, 0xC0C0C0, window, Click, {}},
    {"Frame13", Frame, "", "Frame8", 120, 480, 2535, 615, 0xC0C0C0, {}, none, {}},
    {"Option9", Option, "19200", "Frame13", 120, 240, 1095, 255, 0xC0C0C0, window, Click, {kSelected}},
    {"Option10", Option, "9600", "Frame13", 1440, 240, 975, 300, 0xC0C0C0, window, Click, {}},

    // Data band: monitor group
    {"Frame9", Frame, "", "", 45, 4920, 6312, 1290, 0xC0C0C0, {}, none, {}},
    {"Label9", Label, "TXD", "Frame9", 105, 210, 390, 285, 0xC0C0C0, G(9), none, {kRightAligned}},
    {"Label11", Label, "", "Frame9", 600, 180, 5610, 300, 0xFFFFFF, PG(9.75, B), none, {kSingleBorder}},
    {"Label10", Label, "RXD", "Frame9", 75, 555, 450, 300, 0xC0C0C0, G(9), none, {kRightAligned}},
    {"Label12", Label, "", "Frame9", 600, 540, 5616, 300, 0xFFFFFF, PG(9.75, B), none, {kSingleBorder}},
    {"Label23", Label, "STATUS", "Frame9", 90, 975, 795, 225, 0xC0C0C0, G(8.25), none, {}},
    {"Label22", Label, "", "Frame9", 930, 915, 5295, 300, 0xFFFFFF, PG(9, B), none, {kSingleBorder, 0xFF0000}},

    // Display toggle and close button
    {"Command34", Button, "データを表示する", "", 6600, 5040, 1200, 375, 0xC0C0C0, PG(9), Click, {kHidden}},

    // Status and lamp-setting buttons
    {"Command44", Button, "STATUS", "", 6480, 5640, 975, 255, 0xC0FFFF, G(8.25, B), Click, {}},
    {"Command46", Button, "L-TIME", "", 7440, 5640, 975, 255, 0xC0FFFF, G(8.25, B), Click, {}},
    {"Command54", Button, "TEMP", "", 8400, 5640, 975, 252, 0xC0FFFF, G(8.25, B), Click, {}},
    {"Command45", Button, "MODE", "", 6480, 5880, 975, 255, 0xC0FFFF, G(8.25, B), Click, {}},
    {"Command47", Button, "SETTING", "", 7440, 5880, 975, 255, 0xC0FFFF, G(8.25, B), Click, {}},
    {"Command55", Button, "L-MODE", "", 8400, 5880, 975, 252, 0xC0FFFF, G(8.25, B), Click, {}},

    // Full band: input selection
    {"Frame14", Frame, "", "", 120, 6735, 4815, 1080, 0xC0C0C0, {}, none, {}},
    {"Label15", Label, "1", "Frame14", 120, 240, 255, 255, 0xC0C0C0, window, none, {}},
    {"Command63", Button, "DVI(AV HDCP)", "Frame14", 360, 240, 1335, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command64", Button, "DVI(PC)", "Frame14", 1680, 240, 855, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command65", Button, "SCART", "Frame14", 2520, 240, 975, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command66", Button, "RGB", "Frame14", 3480, 240, 975, 255, 0xC0FFFF, G(9), Click, {}},
    {"Label16", Label, "2", "Frame14", 120, 480, 255, 255, 0xC0C0C0, window, none, {}},
    {"Command72", Button, "RGB", "Frame14", 360, 480, 735, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command74", Button, "Y,Pb/Cb,Pr/Cr", "Frame14", 1080, 480, 1455, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command73", Button, "VIDEO", "Frame14", 2520, 480, 975, 255, 0xC0FFFF, G(9), Click, {}},
    {"Label24", Label, "3", "Frame14", 120, 720, 255, 255, 0xC0C0C0, window, none, {}},
    {"Command84", Button, "S-VIDEO", "Frame14", 360, 720, 975, 255, 0xC0FFFF, G(9), Click, {}},
    {"Command81", Button, "VIDEO", "Frame14", 1320, 720, 975, 255, 0xC0FFFF, G(9), Click, {}},

    // FAN SPEED
    {"Frame16", Frame, "", "", 7440, 6750, 1935, 945, 0xC0C0C0, {}, none, {}},
    {"Label27", Label, "FAN SPEED", "Frame16", 345, 285, 1215, 255, 0xC0C0C0, window, none, {}},
    {"Command97", Button, "MAX", "Frame16", 120, 600, 855, 255, 0xC0FFC0, window, Click, {}},
    {"Command98", Button, "NOR", "Frame16", 960, 600, 855, 255, 0xC0FFC0, window, Click, {}},

    // Manual command line
    {"Frame15", Frame, "", "", 120, 8040, 7215, 570, 0xC0C0C0, {}, none, {}},
    {"Label26", Label, "CMD", "Frame15", 120, 240, 495, 255, 0xC0C0C0, G(9.75), none, {}},
    {"Text1", TextBox, "", "Frame15", 600, 165, 5055, 345, 0xFFFFFF, G(9.75, B), none, {}},
    {"Command95", Button, "SEND", "Frame15", 5760, 240, 735, 255, 0xC0FFC0, window, Click, {}},
    {"Command96", Button, "CLS", "Frame15", 6480, 240, 615, 255, 0xFFC0C0, window, Click, {}},

    // The notice line in the strip above the groups: what could not be done with the port
    {"PortNotice", Label, "", "", 120, 0, 7920, 240, 0xC0C0C0, PG(9, B), none, {kGrowsToWrap, 0xC00000}},
});

constexpr std::array kLines = std::to_array<LineRow>({
{"Line7", 1080, 2400, 2160, 2400},
    {"Line1", 1080, 2400, 1080, 2880},
    {"Line2", 2160, 2400, 2160, 2880},
    {"Line8", 120, 2880, 1080, 2880},
    {"Line9", 2160, 2880, 3120, 2880},
    {"Line6", 120, 2880, 120, 3480},
    {"Line3", 3120, 2880, 3120, 3480},
    {"Line10", 120, 3480, 1080, 3480},
    {"Line12", 2160, 3480, 3120, 3480},
    {"Line5", 1080, 3480, 1080, 3960},
    {"Line4", 2160, 3480, 2160, 3960},
    {"Line11", 1080, 3960, 2160, 3960},
});

constexpr std::array kTimers = std::to_array<TimerRow>({
    {"Timer1", TimerRole::repeat, kStartRepeatPeriod},
    {"Timer2", TimerRole::replyWindow, kDefaultTiming.replyWindow},
    {"Timer3", TimerRole::portFrame, 5000},
    {"Timer4", TimerRole::displayClear, kDefaultTiming.displayClear},
});
constexpr std::array<std::string_view, 78> kTabOrder = {
    "Command17", "Command1", "Command2", "Command3", "Command5", "Command6", "Command7", "Command8",
    "Command9", "Command13", "Command14", "Command16", "Command18", "Command19", "Command20",
    "Command21", "Command22", "Command23", "Command24", "Command25", "Command26", "Command27",
    "Command28", "Command29", "Command31", "Command32", "Command33", "Option1", "Option2",
    "Command34", "Command15", "Command35", "Command36", "Command37", "Command44", "Command45",
    "Command46", "Command47", "Command48", "Command49", "Command50", "Command51", "Command53",
    "Command54", "Command55", "Command56", "Command57", "Command58", "Command59", "Command60",
    "Command61", "Command62", "Command30", "Option9", "Option10", "Command4", "Command10",
    "Command11", "Command39", "Command40", "Command41", "Command42", "Command63", "Command64",
    "Command65", "Command66", "Command72", "Command73", "Command74", "Command81", "Command84",
    "Text1", "Command95", "Command96", "Command97", "Command98", "Command70", "Command71",
};
// clang-format on

// The buttons that send the commands, by the commands' names.
constexpr std::array kCommandButtons = std::to_array<Binding<std::string_view>>({
    {"power-on", "Command17"},
    {"power-off", "Command18"},
    {"input-1", "Command27"},
    {"input-2", "Command28"},
    {"input-3", "Command29"},
    {"input-network", "Command53"},
    {"menu-on", "Command23"},
    {"menu-off", "Command24"},
    {"sound-mute-on", "Command19"},
    {"sound-mute-off", "Command20"},
    {"no-show-on", "Command21"},
    {"no-show-off", "Command22"},
    {"freeze-on", "Command25"},
    {"freeze-off", "Command26"},
    {"av-size-normal", "Command31"},
    {"av-size-full", "Command32"},
    {"a-pc-adj", "Command13"},
    {"image-adjust", "Command30"},
    {"p-timer", "Command14"},
    {"lamp-change", "Command56"},
    {"lamp-1", "Command57"},
    {"lamp-2", "Command58"},
    {"image-stand", "Command4"},
    {"image-real", "Command10"},
    {"image-cinema", "Command11"},
    {"image-dynamic", "Command39"},
    {"image-custom-1", "Command40"},
    {"image-custom-2", "Command41"},
    {"image-custom-3", "Command42"},
    {"read-status", "Command44"},
    {"read-mode", "Command45"},
    {"read-l-time", "Command46"},
    {"read-setting", "Command47"},
    {"read-temp", "Command54"},
    {"read-l-mode", "Command55"},
    {"input-1-dvi-av-hdcp", "Command63"},
    {"input-1-dvi-pc", "Command64"},
    {"input-1-scart", "Command65"},
    {"input-1-rgb", "Command66"},
    {"input-2-rgb", "Command72"},
    {"input-2-y-pb-cb-pr-cr", "Command74"},
    {"input-2-video", "Command73"},
    {"input-3-s-video", "Command84"},
    {"input-3-video", "Command81"},
    {"fan-max", "Command97"},
    {"fan-nor", "Command98"},
    {"display-clear", "Command3"},
    {"vol-plus", "Command1"},
    {"vol-minus", "Command2"},
    {"cursor-up", "Command5"},
    {"cursor-down", "Command7"},
    {"cursor-left", "Command9"},
    {"cursor-right", "Command8"},
    {"cursor-select", "Command6"},
    {"zoom-plus", "Command15"},
    {"zoom-minus", "Command35"},
    {"focus-plus", "Command36"},
    {"focus-minus", "Command37"},
    {"d-zoom-plus", "Command48"},
    {"d-zoom-minus", "Command49"},
    {"keystone-up", "Command50"},
    {"keystone-down", "Command51"},
    {"keystone-right", "Command70"},
    {"keystone-left", "Command71"},
    {"lens-shift-up", "Command59"},
    {"lens-shift-down", "Command62"},
    {"lens-shift-left", "Command60"},
    {"lens-shift-right", "Command61"},
});

// The controls the panel uses by role.
constexpr std::array kLineControls = std::to_array<Binding<LineRole>>({
    {LineRole::transmit, "Label11"},
    {LineRole::receive, "Label12"},
    {LineRole::status, "Label22"},
    {LineRole::notice, "PortNotice"},
});
constexpr std::array kButtons = std::to_array<Binding<ButtonRole>>({
    {ButtonRole::com, "Command33"},
    {ButtonRole::end, "Command16"},
    {ButtonRole::dataToggle, "Command34"},
    {ButtonRole::sendLine, "Command95"},
    {ButtonRole::clearLine, "Command96"},
});
constexpr std::array kOptions = std::to_array<Binding<OptionRole>>({
    {OptionRole::com1, "Option1"},
    {OptionRole::com2, "Option2"},
    {OptionRole::baud19200, "Option9"},
    {OptionRole::baud9600, "Option10"},
});

template <typename Key, std::size_t N>
std::string_view controlFor(const std::array<Binding<Key>, N>& bindings, Key key) {
  for (const Binding<Key>& binding : bindings) {
    if (binding.key == key) return binding.control;
  }
  throw std::out_of_range("no control bound");
}

}  // namespace

std::string_view controlName(LineRole role) {
  return controlFor(kLineControls, role);
}

std::string_view controlName(TimerRole role) {
  for (const TimerRow& row : kTimers) {
    if (row.role == role) return row.name;
  }
  throw std::out_of_range("no timer bound");
}

std::string_view controlName(ButtonRole role) {
  return controlFor(kButtons, role);
}

std::string_view controlName(OptionRole role) {
  return controlFor(kOptions, role);
}

std::string_view commandControl(std::string_view command) {
  return controlFor(kCommandButtons, command);
}

std::span<const ControlRow> layoutControls() {
  return kControls;
}

std::span<const LineRow> layoutLines() {
  return kLines;
}

std::span<const TimerRow> layoutTimers() {
  return kTimers;
}

std::span<const std::string_view> layoutTabOrder() {
  return kTabOrder;
}

const ControlRow& layoutRow(std::string_view name) {
  const auto* row = std::find_if(kControls.begin(), kControls.end(),
                                 [name](const ControlRow& r) { return r.name == name; });
  if (row == kControls.end()) throw std::out_of_range("no control named " + std::string(name));
  return *row;
}

}  // namespace pv7100::ui
