// The panel's vocabulary against values typed by hand, one row per command or status reply:
// each command by its public name with its group, caption, code and intervals, and the words
// and values each status reply becomes. Nothing here is read from the tables under test.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "protocol/commands.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"

namespace pv7100 {
namespace {

constexpr auto once = CommandKind::oneShot;
constexpr auto held = CommandKind::repeat;
constexpr auto none = SideEffect::none;
constexpr auto menu = SideEffect::pacesArrowsForMenu;
constexpr auto fast = SideEffect::fastArrowsOnRelease;

// One-shot: reply window and display clear; repeat: period, time-out and clear.
struct CommandRow {
  std::string_view name, group, caption, code;
  CommandKind kind;
  int a, b, c;
  SideEffect effect;
};

// In the order pv7100ctl lists them.
TEST(GoldenVocabulary, EveryCommandByName) {
  const CommandRow rows[] = {
      {"power-on", "POWER", "ON", "C00", once, 0, 0, 0, none},
      {"power-off", "POWER", "OFF", "C01", once, 0, 0, 0, none},
      {"input-1", "INPUT MODE SET", "1", "C05", once, 0, 0, 0, none},
      {"input-2", "INPUT MODE SET", "2", "C06", once, 0, 0, 0, none},
      {"input-3", "INPUT MODE SET", "3", "C07", once, 0, 0, 0, none},
      {"input-network", "INPUT MODE SET", "NETWORK", "C08", once, 0, 0, 0, none},
      {"menu-on", "MENU", "ON", "C1C", once, 0, 0, 0, menu},
      {"menu-off", "MENU", "OFF", "C1D", once, 0, 0, 0, none},
      {"sound-mute-on", "SOUND MUTE", "ON", "C0B", once, 0, 0, 0, none},
      {"sound-mute-off", "SOUND MUTE", "OFF", "C0C", once, 0, 0, 0, none},
      {"no-show-on", "NO SHOW", "ON", "C0D", once, 0, 0, 0, none},
      {"no-show-off", "NO SHOW", "OFF", "C0E", once, 0, 0, 0, none},
      {"freeze-on", "FREEZE", "ON", "C43", once, 0, 0, 0, none},
      {"freeze-off", "FREEZE", "OFF", "C44", once, 0, 0, 0, none},
      {"av-size-normal", "AV Size", "Normal", "C0F", once, 0, 0, 0, none},
      {"av-size-full", "AV Size", "Full", "C10", once, 0, 0, 0, none},
      {"a-pc-adj", "right-hand column", "A-PC Adj", "C89", once, 0, 0, 0, menu},
      {"image-adjust", "right-hand column", "IMAGE", "C27", once, 0, 0, 0, none},
      {"p-timer", "right-hand column", "P-TIMER", "C8A", once, 0, 0, 0, none},
      {"lamp-change", "LAMP MODE", "CHANGE", "CF LAMPCONTRL CHANGE", once, 0, 0, 0, none},
      {"lamp-1", "LAMP MODE", "1", "CF LAMPCONTRL LAMP1", once, 0, 0, 0, none},
      {"lamp-2", "LAMP MODE", "2", "CF LAMPCONTRL LAMP2", once, 0, 0, 0, none},
      {"image-stand", "picture mode", "STAND", "CF IMAGE STAND", once, 2000, 2500, 0, none},
      {"image-real", "picture mode", "REAL", "CF IMAGE REAL", once, 2000, 2500, 0, none},
      {"image-cinema", "picture mode", "CINEMA", "CF IMAGE CINEMA", once, 2000, 2500, 0, none},
      {"image-dynamic", "picture mode", "DYNAMIC", "CF IMAGE DYNAMIC", once, 2000, 2500, 0, none},
      {"image-custom-1", "picture mode", "CUSTOM 1", "CF IMAGE CUSTOM1", once, 2000, 2500, 0, none},
      {"image-custom-2", "picture mode", "CUSTOM 2", "CF IMAGE CUSTOM2", once, 2000, 2500, 0, none},
      {"image-custom-3", "picture mode", "CUSTOM 3", "CF IMAGE CUSTOM3", once, 2000, 2500, 0, none},
      {"read-status", "status read", "STATUS", "CR0", once, 0, 0, 0, none},
      {"read-mode", "status read", "MODE", "CR1", once, 0, 0, 0, none},
      {"read-l-time", "status read", "L-TIME", "CR3", once, 0, 0, 0, none},
      {"read-setting", "status read", "SETTING", "CR4", once, 0, 0, 0, none},
      {"read-temp", "status read", "TEMP", "CR6", once, 0, 0, 0, none},
      {"read-l-mode", "status read", "L-MODE", "CR7", once, 0, 0, 0, none},
      {"input-1-dvi-av-hdcp", "input type 1", "DVI(AV HDCP)", "C53", once, 5000, 5500, 0, none},
      {"input-1-dvi-pc", "input type 1", "DVI(PC)", "C52", once, 5000, 5500, 0, none},
      {"input-1-scart", "input type 1", "SCART", "C51", once, 5000, 5500, 0, none},
      {"input-1-rgb", "input type 1", "RGB", "C50", once, 5000, 5500, 0, none},
      {"input-2-rgb", "input type 2", "RGB", "C25", once, 5000, 5500, 0, none},
      {"input-2-y-pb-cb-pr-cr", "input type 2", "Y,Pb/Cb,Pr/Cr", "C24", once, 5000, 5500, 0, none},
      {"input-2-video", "input type 2", "VIDEO", "C23", once, 5000, 5500, 0, none},
      {"input-3-s-video", "input type 3", "S-VIDEO", "C34", once, 5000, 5500, 0, none},
      {"input-3-video", "input type 3", "VIDEO", "C33", once, 5000, 5500, 0, none},
      {"fan-max", "FAN SPEED", "MAX", "CF FANSPEED MAX", once, 0, 0, 0, none},
      {"fan-nor", "FAN SPEED", "NOR", "CF FANSPEED NOR", once, 0, 0, 0, none},
      {"display-clear", "", "DISPLAY CLEAR", "C1E", once, 0, 0, 0, none},
      {"vol-plus", "VOL", "+", "C09", held, 250, 200, 245, none},
      {"vol-minus", "VOL", "-", "C0A", held, 250, 200, 245, none},
      {"cursor-up", "cursor pad", "↑", "C3C", held, 0, 0, 0, none},
      {"cursor-down", "cursor pad", "↓", "C3D", held, 0, 0, 0, none},
      {"cursor-left", "cursor pad", "←", "C3B", held, 0, 0, 0, none},
      {"cursor-right", "cursor pad", "→", "C3A", held, 0, 0, 0, none},
      {"cursor-select", "cursor pad", "SELECT", "C3F", held, 500, 200, 245, none},
      {"zoom-plus", "Zoom", "+", "C47", held, 105, 100, 100, none},
      {"zoom-minus", "Zoom", "-", "C46", held, 105, 100, 100, none},
      {"focus-plus", "Focus", "+", "C4B", held, 105, 100, 100, none},
      {"focus-minus", "Focus", "-", "C4A", held, 105, 100, 100, none},
      {"d-zoom-plus", "D.Zoom", "+", "C30", held, 250, 200, 245, fast},
      {"d-zoom-minus", "D.Zoom", "-", "C31", held, 250, 200, 245, fast},
      {"keystone-up", "Keystone", "↑", "C8E", held, 250, 200, 245, none},
      {"keystone-down", "Keystone", "↓", "C8F", held, 250, 200, 245, none},
      {"keystone-right", "Keystone", "→", "C90", held, 250, 200, 245, none},
      {"keystone-left", "Keystone", "←", "C91", held, 250, 200, 245, none},
      {"lens-shift-up", "LENS SHIFT", "↑", "C5D", held, 105, 100, 100, none},
      {"lens-shift-down", "LENS SHIFT", "↓", "C5E", held, 105, 100, 100, none},
      {"lens-shift-left", "LENS SHIFT", "←", "C5F", held, 105, 100, 100, none},
      {"lens-shift-right", "LENS SHIFT", "→", "C60", held, 105, 100, 100, none},
  };
  ASSERT_EQ(commands().size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const CommandRow& want = rows[i];
    SCOPED_TRACE(want.name);
    const Command& got = commands()[i];
    EXPECT_EQ(commandNamed(want.name), &got);
    EXPECT_EQ(got.group, want.group);
    EXPECT_EQ(got.caption, want.caption);
    EXPECT_EQ(got.code, want.code);
    EXPECT_EQ(got.kind, want.kind);
    const Timing timing = want.kind == once ? Timing{want.a, want.b} : Timing{};
    const Pacing pacing = want.kind == held ? Pacing{want.a, want.b, want.c} : Pacing{};
    EXPECT_EQ(got.timing.replyWindow, timing.replyWindow);
    EXPECT_EQ(got.timing.displayClear, timing.displayClear);
    EXPECT_EQ(got.pacing.period, pacing.period);
    EXPECT_EQ(got.pacing.timeout, pacing.timeout);
    EXPECT_EQ(got.pacing.clear, pacing.clear);
    EXPECT_EQ(got.effect, want.effect);
  }
  EXPECT_EQ(commandNamed("power"), nullptr);
}

std::optional<std::string> decode(std::string_view commandLine, std::string_view reply) {
  const auto decoded = decodeStatus(commandLine, renderMonitor(reply));
  return decoded ? std::optional(decoded->text) : std::nullopt;
}

StatusValue valueOf(std::string_view commandLine, std::string_view reply) {
  const auto decoded = decodeStatus(commandLine, renderMonitor(reply));
  return decoded ? decoded->value : StatusValue{};
}

struct StatusCase {
  std::string_view commandLine, reply, text;
  StatusValue value = {};
};

TEST(GoldenVocabulary, StatusTablesDecodeEveryRow) {
  using enum OperatingState;
  const StatusCase rows[] = {
      {"CR0\r", "00\r", " Power ON", powerOn},
      {"CR0\r", "80\r", " Stand by", standby},
      {"CR0\r", "40\r", " Count down", countDown},
      {"CR0\r", "20\r", " Cooling down", coolingDown},
      {"CR0\r", "10\r", " Power Fail", powerFail},
      {"CR0\r", "08\r", " Temperature Warning(Power ON)", temperatureWarning},
      {"CR0\r", "02\r", " NO Key input ", noKeyInput},
      {"CR0\r", "04\r", " Lamp OFF by PWR Management", lampOffByPowerManagement},
      {"CR0\r", "28\r", " Temperature Warning & cooling down", temperatureWarningCoolingDown},
      {"CR0\r", "24\r", " Lamp OFF & Tempereture Warning by PWR Management",
       lampOffTemperatureWarning},
      {"CR0\r", "88\r", " Temperature Warning and recoverd", temperatureWarningRecovered},
      {"CR0\r", "21\r", " Cooling down (All Lamp FAIL)", coolingDownAllLampsFailed},
      {"CR0\r", "81\r", " Cooling down & sutandby (All Lamp FAIL)", standbyAllLampsFailed},
      {"CR1\r", "1\r", " Input mode 1"},
      {"CR1\r", "2\r", " Input mode 2"},
      {"CR1\r", "3\r", " Input mode 3"},
      {"CR1\r", "4\r", " Input mode 4"},
      {"CR1\r", "5\r", " Input mode 5"},
      {"CR4\r", "11\r", " Normally", Reversal::normal},
      {"CR4\r", "10\r", " Top/Bottom reversal", Reversal::topBottom},
      {"CR4\r", "01\r", " Left/Right reversal", Reversal::leftRight},
      {"CR4\r", "00\r", " Top/Bottom , Left/Right reversal", Reversal::both},
      {"CRA\r", "00\r", " Video & Audio mute OFF"},
      {"CRA\r", "01\r", " Video mute ON"},
      {"CRA\r", "02\r", " Audio mute ON"},
      {"CRA\r", "03\r", " Video & Audio mute ON"},
      {"CRA\r", "80\r", " No signal"},
      {"CRA\r", "FF\r", " Stand by"},
      {"CR7\r", "00\r", " OFF", LampMode::off},
      {"CR7\r", "01\r", " ON", LampMode::on},
      {"CR7\r", "02\r", " No2 ON  : 2 Lamp mode", LampMode::twoLampsLamp2On},
      {"CR7\r", "03\r", " No1,2 ON  : 2 Lamp mode", LampMode::twoLampsBothOn},
      {"CR7\r", "10\r", " All OFF : 1 Lamp mode(No1 USE)", LampMode::oneLampLamp1Off},
      {"CR7\r", "11\r", " No1 ON  : 1 Lamp mode(No1 USE)", LampMode::oneLampLamp1On},
      {"CR7\r", "20\r", " All OFF : 1 Lamp mode(No2 USE)", LampMode::oneLampLamp2Off},
      {"CR7\r", "22\r", " No2 ON  : 1 Lamp mode(No2 USE)", LampMode::oneLampLamp2On},
  };
  for (const StatusCase& row : rows) {
    SCOPED_TRACE(std::string(row.commandLine.substr(0, 3)) + " answered " +
                 std::string(row.reply.substr(0, row.reply.size() - 1)));
    EXPECT_EQ(decode(row.commandLine, row.reply), std::optional<std::string>(row.text));
    EXPECT_EQ(valueOf(row.commandLine, row.reply), row.value);
  }
  EXPECT_EQ(stateWord(OperatingState::standby), "standby");
  EXPECT_EQ(stateWord(LampMode::oneLampLamp1On), "one-lamp-lamp1-on");
  EXPECT_EQ(stateWord(Reversal::both), "top-bottom-left-right");
}

TEST(GoldenVocabulary, ComputedStatusReads) {
  EXPECT_EQ(decode("CR3\r", "01234\r"), " 0 1 2 3 4 CR  Hour Use");
  EXPECT_EQ(valueOf("CR3\r", "01234\r"), StatusValue(LampHours{1234}));
  EXPECT_EQ(valueOf("CR3\r", "12a4\r"), StatusValue());
  EXPECT_EQ(decode("CR6\r", "ABCDEFGHIJKLMNOPQRSTUVWXYZ\r"),
            "  S1= A B C D E C  ,   S2=  H I J K C  ,   S3= N O P Q  C  ,   S4=  U V W X C ");
  EXPECT_EQ(valueOf("CR6\r", "ABCDEFGHIJKLMNOPQRSTUVWXYZ\r"), StatusValue());
  EXPECT_EQ(valueOf("CR6\r", " 25.5  30.0  41.5   -2.5\r"),
            StatusValue(Temperatures{{25.5, 30.0, 41.5, -2.5}}));
  EXPECT_EQ(renderMonitor("AB\r"), " A B CR ");
  EXPECT_EQ(decode("CR9\r", "AB\r"), " A B CR ");

  EXPECT_EQ(decode("CR PRESSURE\r", "512\r"), "650 hPa");
  EXPECT_EQ(valueOf("CR PRESSURE\r", "512\r"), StatusValue(PressureHpa{650}));
  EXPECT_EQ(decode("CR PRESSURE\r", "1023\r"), "1194 hPa");
  EXPECT_EQ(decode("CR PRESSURE\r", "ABC\r"), "106 hPa");
  EXPECT_EQ(valueOf("CR PRESSURE\r", "6554\r"), StatusValue());

  EXPECT_EQ(decode("C00\r", "00\r"), std::nullopt);
  EXPECT_EQ(decode("cr0\r", "00\r"), std::nullopt);
}

}  // namespace
}  // namespace pv7100
