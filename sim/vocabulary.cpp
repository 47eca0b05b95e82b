#include "sim/vocabulary.h"

#include <algorithm>
#include <array>

namespace pv7100::sim {
namespace {

constexpr int status(StatusRead read) {
  return static_cast<int>(read);
}

// clang-format off
constexpr std::array kVocabulary = std::to_array<Command>({
    // Power.
    {"C00", Action::PowerOn, 0},
    {"C01", Action::PowerOff, 0},
    // Inputs: the three input terminals and the network.
    {"C05", Action::SelectInput, 1},
    {"C06", Action::SelectInput, 2},
    {"C07", Action::SelectInput, 3},
    {"C08", Action::SelectInput, 4},
    // Input 1 with its signal type: RGB, SCART, DVI(PC), DVI(AV HDCP).
    {"C50", Action::SelectInput, 1},
    {"C51", Action::SelectInput, 1},
    {"C52", Action::SelectInput, 1},
    {"C53", Action::SelectInput, 1},
    // Input 2: video, component, RGB.
    {"C23", Action::SelectInput, 2},
    {"C24", Action::SelectInput, 2},
    {"C25", Action::SelectInput, 2},
    // Input 3: video, S-video.
    {"C33", Action::SelectInput, 3},
    {"C34", Action::SelectInput, 3},
    // Mutes.
    {"C0B", Action::SoundMute, 1},
    {"C0C", Action::SoundMute, 0},
    {"C0D", Action::PictureMute, 1},
    {"C0E", Action::PictureMute, 0},
    // Lamps and fan.
    {"CF LAMPCONTRL CHANGE", Action::ChangeLamp, 0},
    {"CF LAMPCONTRL LAMP1", Action::SelectLamp, 1},
    {"CF LAMPCONTRL LAMP2", Action::SelectLamp, 2},
    {"CF FANSPEED MAX", Action::FanSpeed, 1},
    {"CF FANSPEED NOR", Action::FanSpeed, 0},
    // Menu, freeze, picture size, adjustments, picture modes and display clear.
    {"C1C", Action::Operate, 0},
    {"C1D", Action::Operate, 0},
    {"C43", Action::Operate, 0},
    {"C44", Action::Operate, 0},
    {"C0F", Action::Operate, 0},
    {"C10", Action::Operate, 0},
    {"C89", Action::Operate, 0},
    {"C27", Action::Operate, 0},
    {"C8A", Action::Operate, 0},
    {"C1E", Action::Operate, 0},
    {"CF IMAGE STAND", Action::Operate, 0},
    {"CF IMAGE REAL", Action::Operate, 0},
    {"CF IMAGE CINEMA", Action::Operate, 0},
    {"CF IMAGE DYNAMIC", Action::Operate, 0},
    {"CF IMAGE CUSTOM1", Action::Operate, 0},
    {"CF IMAGE CUSTOM2", Action::Operate, 0},
    {"CF IMAGE CUSTOM3", Action::Operate, 0},
    // Volume, cursor pad and select, zoom, focus, digital zoom, keystone, lens shift.
    {"C09", Action::Operate, 0},
    {"C0A", Action::Operate, 0},
    {"C3A", Action::Operate, 0},
    {"C3B", Action::Operate, 0},
    {"C3C", Action::Operate, 0},
    {"C3D", Action::Operate, 0},
    {"C3F", Action::Operate, 0},
    {"C46", Action::Operate, 0},
    {"C47", Action::Operate, 0},
    {"C4A", Action::Operate, 0},
    {"C4B", Action::Operate, 0},
    {"C30", Action::Operate, 0},
    {"C31", Action::Operate, 0},
    {"C8E", Action::Operate, 0},
    {"C8F", Action::Operate, 0},
    {"C90", Action::Operate, 0},
    {"C91", Action::Operate, 0},
    {"C5D", Action::Operate, 0},
    {"C5E", Action::Operate, 0},
    {"C5F", Action::Operate, 0},
    {"C60", Action::Operate, 0},
    // Status reads.
    {"CR0", Action::ReadStatus, status(StatusRead::OperatingState)},
    {"CR1", Action::ReadStatus, status(StatusRead::InputMode)},
    {"CR3", Action::ReadStatus, status(StatusRead::LampHours)},
    {"CR4", Action::ReadStatus, status(StatusRead::Reversal)},
    {"CR6", Action::ReadStatus, status(StatusRead::Temperatures)},
    {"CR7", Action::ReadStatus, status(StatusRead::LampMode)},
    {"CR9", Action::ReadStatus, status(StatusRead::Version)},
    {"CRA", Action::ReadStatus, status(StatusRead::MuteAndSignal)},
    {"CR PRESSURE", Action::ReadStatus, status(StatusRead::Pressure)},
});
// clang-format on

}  // namespace

std::optional<Command> findCommand(std::string_view code) {
  const auto found = std::ranges::find(kVocabulary, code, &Command::code);
  if (found == kVocabulary.end()) return std::nullopt;
  return *found;
}

}  // namespace pv7100::sim
