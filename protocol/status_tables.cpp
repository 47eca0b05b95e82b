// Every key and text is exact, leading and inner spaces included; the comment gives the start
// of the reply that renders to the key.
#include "protocol/status_tables.h"

#include <array>

namespace pv7100 {
namespace {

// clang-format off
constexpr std::array kOperatingState = std::to_array<StatusRow>({
    {" 0 0", " Power ON", OperatingState::powerOn, "power-on"},  // 00
    {" 8 0", " Stand by", OperatingState::standby, "standby"},  // 80
    {" 4 0", " Count down", OperatingState::countDown, "count-down"},  // 40
    {" 2 0", " Cooling down", OperatingState::coolingDown, "cooling-down"},  // 20
    {" 1 0", " Power Fail", OperatingState::powerFail, "power-fail"},  // 10
    {" 0 8", " Temperature Warning(Power ON)", OperatingState::temperatureWarning, "temperature-warning"},  // 08
    {" 0 2", " NO Key input ", OperatingState::noKeyInput, "no-key-input"},  // 02
    {" 0 4", " Lamp OFF by PWR Management", OperatingState::lampOffByPowerManagement, "lamp-off-by-power-management"},  // 04
    {" 2 8", " Temperature Warning & cooling down", OperatingState::temperatureWarningCoolingDown, "temperature-warning-cooling-down"},  // 28
    {" 2 4", " Lamp OFF & Tempereture Warning by PWR Management", OperatingState::lampOffTemperatureWarning, "lamp-off-temperature-warning"},  // 24
    {" 8 8", " Temperature Warning and recoverd", OperatingState::temperatureWarningRecovered, "temperature-warning-recovered"},  // 88
    {" 2 1", " Cooling down (All Lamp FAIL)", OperatingState::coolingDownAllLampsFailed, "cooling-down-all-lamps-failed"},  // 21
    {" 8 1", " Cooling down & sutandby (All Lamp FAIL)", OperatingState::standbyAllLampsFailed, "standby-all-lamps-failed"},  // 81
});

constexpr std::array kInputMode = std::to_array<StatusRow>({
    {" 1", " Input mode 1"},  // 1
    {" 2", " Input mode 2"},  // 2
    {" 3", " Input mode 3"},  // 3
    {" 4", " Input mode 4"},  // 4
    {" 5", " Input mode 5"},  // 5
});

constexpr std::array kReversal = std::to_array<StatusRow>({
    {" 1 1", " Normally", Reversal::normal, "normal"},  // 11
    {" 1 0", " Top/Bottom reversal", Reversal::topBottom, "top-bottom"},  // 10
    {" 0 1", " Left/Right reversal", Reversal::leftRight, "left-right"},  // 01
    {" 0 0", " Top/Bottom , Left/Right reversal", Reversal::both, "top-bottom-left-right"},  // 00
});

constexpr std::array kMute = std::to_array<StatusRow>({
    {" 0 0", " Video & Audio mute OFF"},  // 00
    {" 0 1", " Video mute ON"},  // 01
    {" 0 2", " Audio mute ON"},  // 02
    {" 0 3", " Video & Audio mute ON"},  // 03
    {" 8 0", " No signal"},  // 80
    {" F F", " Stand by"},  // FF
});

constexpr std::array kLampMode = std::to_array<StatusRow>({
    {" 0 0", " OFF", LampMode::off, "off"},  // 00
    {" 0 1", " ON", LampMode::on, "on"},  // 01
    {" 0 2", " No2 ON  : 2 Lamp mode", LampMode::twoLampsLamp2On, "two-lamps-lamp2-on"},  // 02
    {" 0 3", " No1,2 ON  : 2 Lamp mode", LampMode::twoLampsBothOn, "two-lamps-both-on"},  // 03
    {" 1 0", " All OFF : 1 Lamp mode(No1 USE)", LampMode::oneLampLamp1Off, "one-lamp-lamp1-off"},  // 10
    {" 1 1", " No1 ON  : 1 Lamp mode(No1 USE)", LampMode::oneLampLamp1On, "one-lamp-lamp1-on"},  // 11
    {" 2 0", " All OFF : 1 Lamp mode(No2 USE)", LampMode::oneLampLamp2Off, "one-lamp-lamp2-off"},  // 20
    {" 2 2", " No2 ON  : 1 Lamp mode(No2 USE)", LampMode::oneLampLamp2On, "one-lamp-lamp2-on"},  // 22
});
// clang-format on

}  // namespace

const StatusTable& operatingStateTable() {
  static constexpr StatusTable table{4, kOperatingState};
  return table;
}

const StatusTable& inputModeTable() {
  static constexpr StatusTable table{2, kInputMode};
  return table;
}

const StatusTable& reversalTable() {
  static constexpr StatusTable table{4, kReversal};
  return table;
}

const StatusTable& muteTable() {
  static constexpr StatusTable table{4, kMute};
  return table;
}

const StatusTable& lampModeTable() {
  static constexpr StatusTable table{4, kLampMode};
  return table;
}

}  // namespace pv7100
