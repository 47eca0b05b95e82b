// The panel's vocabulary against values typed by hand, one row per button or status reply:
// the codes each button sends with its intervals, and the words each status reply becomes.
// Nothing here is read from the tables under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/commands.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"

namespace pv7100 {
namespace {

struct OneShotRow {
  std::string_view control, group, caption, code;
  int replyWindow, displayClear;
  bool preparesCursorPad;
};

TEST(GoldenVocabulary, OneShotButtonsInPanelOrder) {
  const OneShotRow rows[] = {
      {"Command17", "POWER", "ON", "C00", 0, 0, false},
      {"Command18", "POWER", "OFF", "C01", 0, 0, false},
      {"Command27", "INPUT MODE SET", "1", "C05", 0, 0, false},
      {"Command28", "INPUT MODE SET", "2", "C06", 0, 0, false},
      {"Command29", "INPUT MODE SET", "3", "C07", 0, 0, false},
      {"Command53", "INPUT MODE SET", "NETWORK", "C08", 0, 0, false},
      {"Command23", "MENU", "ON", "C1C", 0, 0, true},
      {"Command24", "MENU", "OFF", "C1D", 0, 0, false},
      {"Command19", "SOUND MUTE", "ON", "C0B", 0, 0, false},
      {"Command20", "SOUND MUTE", "OFF", "C0C", 0, 0, false},
      {"Command21", "NO SHOW", "ON", "C0D", 0, 0, false},
      {"Command22", "NO SHOW", "OFF", "C0E", 0, 0, false},
      {"Command25", "FREEZE", "ON", "C43", 0, 0, false},
      {"Command26", "FREEZE", "OFF", "C44", 0, 0, false},
      {"Command31", "AV Size", "Normal", "C0F", 0, 0, false},
      {"Command32", "AV Size", "Full", "C10", 0, 0, false},
      {"Command13", "right-hand column", "A-PC Adj", "C89", 0, 0, true},
      {"Command30", "right-hand column", "IMAGE", "C27", 0, 0, false},
      {"Command14", "right-hand column", "P-TIMER", "C8A", 0, 0, false},
      {"Command56", "LAMP MODE", "CHANGE", "CF LAMPCONTRL CHANGE", 0, 0, false},
      {"Command57", "LAMP MODE", "1", "CF LAMPCONTRL LAMP1", 0, 0, false},
      {"Command58", "LAMP MODE", "2", "CF LAMPCONTRL LAMP2", 0, 0, false},
      {"Command4", "picture mode", "STAND", "CF IMAGE STAND", 2000, 2500, false},
      {"Command10", "picture mode", "REAL", "CF IMAGE REAL", 2000, 2500, false},
      {"Command11", "picture mode", "CINEMA", "CF IMAGE CINEMA", 2000, 2500, false},
      {"Command39", "picture mode", "DYNAMIC", "CF IMAGE DYNAMIC", 2000, 2500, false},
      {"Command40", "picture mode", "CUSTOM 1", "CF IMAGE CUSTOM1", 2000, 2500, false},
      {"Command41", "picture mode", "CUSTOM 2", "CF IMAGE CUSTOM2", 2000, 2500, false},
      {"Command42", "picture mode", "CUSTOM 3", "CF IMAGE CUSTOM3", 2000, 2500, false},
      {"Command44", "status read", "STATUS", "CR0", 0, 0, false},
      {"Command45", "status read", "MODE", "CR1", 0, 0, false},
      {"Command46", "status read", "L-TIME", "CR3", 0, 0, false},
      {"Command47", "status read", "SETTING", "CR4", 0, 0, false},
      {"Command54", "status read", "TEMP", "CR6", 0, 0, false},
      {"Command55", "status read", "L-MODE", "CR7", 0, 0, false},
      {"Command63", "input type 1", "DVI(AV HDCP)", "C53", 5000, 5500, false},
      {"Command64", "input type 1", "DVI(PC)", "C52", 5000, 5500, false},
      {"Command65", "input type 1", "SCART", "C51", 5000, 5500, false},
      {"Command66", "input type 1", "RGB", "C50", 5000, 5500, false},
      {"Command72", "input type 2", "RGB", "C25", 5000, 5500, false},
      {"Command74", "input type 2", "Y,Pb/Cb,Pr/Cr", "C24", 5000, 5500, false},
      {"Command73", "input type 2", "VIDEO", "C23", 5000, 5500, false},
      {"Command84", "input type 3", "S-VIDEO", "C34", 5000, 5500, false},
      {"Command81", "input type 3", "VIDEO", "C33", 5000, 5500, false},
      {"Command97", "FAN SPEED", "MAX", "CF FANSPEED MAX", 0, 0, false},
      {"Command98", "FAN SPEED", "NOR", "CF FANSPEED NOR", 0, 0, false},
  };
  const auto actual = oneShotCommands();
  ASSERT_EQ(std::size(rows), 46u);
  EXPECT_EQ(actual.size(), 46u);
  for (std::size_t i = 0; i < std::min(actual.size(), std::size(rows)); ++i) {
    const OneShotRow& want = rows[i];
    const OneShotCommand& got = actual[i];
    SCOPED_TRACE(want.control);
    EXPECT_EQ(got.control, want.control);
    EXPECT_EQ(got.group, want.group);
    EXPECT_EQ(got.caption, want.caption);
    EXPECT_EQ(got.code, want.code);
    EXPECT_EQ(got.timing.replyWindow, want.replyWindow);
    EXPECT_EQ(got.timing.displayClear, want.displayClear);
    EXPECT_EQ(got.preparesCursorPad, want.preparesCursorPad);
  }
}

struct RepeatRow {
  std::string_view control, group, caption, code;
  int period, timeout, clear;
  bool fastArrowsOnRelease;
};

TEST(GoldenVocabulary, HoldToRepeatButtonsInPanelOrder) {
  const RepeatRow rows[] = {
      {"Command1", "VOL", "+", "C09", 250, 200, 245, false},
      {"Command2", "VOL", "-", "C0A", 250, 200, 245, false},
      {"Command5", "cursor pad", "↑", "C3C", 0, 0, 0, false},
      {"Command7", "cursor pad", "↓", "C3D", 0, 0, 0, false},
      {"Command9", "cursor pad", "←", "C3B", 0, 0, 0, false},
      {"Command8", "cursor pad", "→", "C3A", 0, 0, 0, false},
      {"Command6", "cursor pad", "SELECT", "C3F", 500, 200, 245, false},
      {"Command15", "Zoom", "+", "C47", 105, 100, 100, false},
      {"Command35", "Zoom", "-", "C46", 105, 100, 100, false},
      {"Command36", "Focus", "+", "C4B", 105, 100, 100, false},
      {"Command37", "Focus", "-", "C4A", 105, 100, 100, false},
      {"Command48", "D.Zoom", "+", "C30", 250, 200, 245, true},
      {"Command49", "D.Zoom", "-", "C31", 250, 200, 245, true},
      {"Command50", "Keystone", "↑", "C8E", 250, 200, 245, false},
      {"Command51", "Keystone", "↓", "C8F", 250, 200, 245, false},
      {"Command70", "Keystone", "→", "C90", 250, 200, 245, false},
      {"Command71", "Keystone", "←", "C91", 250, 200, 245, false},
      {"Command59", "LENS SHIFT", "↑", "C5D", 105, 100, 100, false},
      {"Command62", "LENS SHIFT", "↓", "C5E", 105, 100, 100, false},
      {"Command60", "LENS SHIFT", "←", "C5F", 105, 100, 100, false},
      {"Command61", "LENS SHIFT", "→", "C60", 105, 100, 100, false},
  };
  const auto actual = repeatCommands();
  ASSERT_EQ(std::size(rows), 21u);
  EXPECT_EQ(actual.size(), 21u);
  for (std::size_t i = 0; i < std::min(actual.size(), std::size(rows)); ++i) {
    const RepeatRow& want = rows[i];
    const RepeatCommand& got = actual[i];
    SCOPED_TRACE(want.control);
    EXPECT_EQ(got.control, want.control);
    EXPECT_EQ(got.group, want.group);
    EXPECT_EQ(got.caption, want.caption);
    EXPECT_EQ(got.code, want.code);
    EXPECT_EQ(got.pacing.period, want.period);
    EXPECT_EQ(got.pacing.timeout, want.timeout);
    EXPECT_EQ(got.pacing.clear, want.clear);
    EXPECT_EQ(got.fastArrowsOnRelease, want.fastArrowsOnRelease);
  }
}

std::optional<std::string> decode(std::string_view commandLine, std::string_view reply,
                                  std::int16_t& pressureValue) {
  return decodeStatus(commandLine, renderMonitor(reply), pressureValue);
}

std::optional<std::string> decode(std::string_view commandLine, std::string_view reply) {
  std::int16_t pressureValue = 0;
  return decode(commandLine, reply, pressureValue);
}

struct StatusCase {
  std::string_view commandLine, reply, text;
};

TEST(GoldenVocabulary, StatusTablesDecodeEveryRow) {
  const StatusCase rows[] = {
      {"CR0\r", "00\r", " Power ON"},
      {"CR0\r", "80\r", " Stand by"},
      {"CR0\r", "40\r", " Count down"},
      {"CR0\r", "20\r", " Cooling down"},
      {"CR0\r", "10\r", " Power Fail"},
      {"CR0\r", "08\r", " Temperature Warning(Power ON)"},
      {"CR0\r", "02\r", " NO Key input "},
      {"CR0\r", "04\r", " Lamp OFF by PWR Management"},
      {"CR0\r", "28\r", " Temperature Warning & cooling down"},
      {"CR0\r", "24\r", " Lamp OFF & Tempereture Warning by PWR Management"},
      {"CR0\r", "88\r", " Temperature Warning and recoverd"},
      {"CR0\r", "21\r", " Cooling down (All Lamp FAIL)"},
      {"CR0\r", "81\r", " Cooling down & sutandby (All Lamp FAIL)"},
      {"CR1\r", "1\r", " Input mode 1"},
      {"CR1\r", "2\r", " Input mode 2"},
      {"CR1\r", "3\r", " Input mode 3"},
      {"CR1\r", "4\r", " Input mode 4"},
      {"CR1\r", "5\r", " Input mode 5"},
      {"CR4\r", "11\r", " Normally"},
      {"CR4\r", "10\r", " Top/Bottom reversal"},
      {"CR4\r", "01\r", " Left/Right reversal"},
      {"CR4\r", "00\r", " Top/Bottom , Left/Right reversal"},
      {"CRA\r", "00\r", " Video & Audio mute OFF"},
      {"CRA\r", "01\r", " Video mute ON"},
      {"CRA\r", "02\r", " Audio mute ON"},
      {"CRA\r", "03\r", " Video & Audio mute ON"},
      {"CRA\r", "80\r", " No signal"},
      {"CRA\r", "FF\r", " Stand by"},
      {"CR7\r", "00\r", " OFF"},
      {"CR7\r", "01\r", " ON"},
      {"CR7\r", "02\r", " No2 ON  : 2 Lamp mode"},
      {"CR7\r", "03\r", " No1,2 ON  : 2 Lamp mode"},
      {"CR7\r", "10\r", " All OFF : 1 Lamp mode(No1 USE)"},
      {"CR7\r", "11\r", " No1 ON  : 1 Lamp mode(No1 USE)"},
      {"CR7\r", "20\r", " All OFF : 1 Lamp mode(No2 USE)"},
      {"CR7\r", "22\r", " No2 ON  : 1 Lamp mode(No2 USE)"},
  };
  ASSERT_EQ(std::size(rows), 13u + 5u + 4u + 6u + 8u);
  for (const StatusCase& row : rows) {
    SCOPED_TRACE(std::string(row.commandLine.substr(0, 3)) + " answered " +
                 std::string(row.reply.substr(0, row.reply.size() - 1)));
    EXPECT_EQ(decode(row.commandLine, row.reply), std::optional<std::string>(row.text));
  }
}

TEST(GoldenVocabulary, ComputedStatusReads) {
  EXPECT_EQ(decode("CR3\r", "01234\r"), " 0 1 2 3 4 CR  Hour Use");
  EXPECT_EQ(decode("CR6\r", "ABCDEFGHIJKLMNOPQRSTUVWXYZ\r"),
            "  S1= A B C D E C  ,   S2=  H I J K C  ,   S3= N O P Q  C  ,   S4=  U V W X C ");
  EXPECT_EQ(renderMonitor("AB\r"), " A B CR ");
  EXPECT_EQ(decode("CR9\r", "AB\r"), " A B CR ");

  std::int16_t pressureValue = 0;
  EXPECT_EQ(decode("CR PRESSURE\r", "512\r", pressureValue), "650 hPa");
  EXPECT_EQ(pressureValue, 650);
  EXPECT_EQ(decode("CR PRESSURE\r", "1023\r", pressureValue), "1194 hPa");
  EXPECT_EQ(pressureValue, 1194);
  EXPECT_EQ(decode("CR PRESSURE\r", "ABC\r", pressureValue), "106 hPa");
  EXPECT_EQ(pressureValue, 106);

  EXPECT_EQ(decode("C00\r", "00\r"), std::nullopt);
  EXPECT_EQ(decode("cr0\r", "00\r"), std::nullopt);
}

TEST(GoldenVocabulary, DisplayClearSendsC1E) {
  EXPECT_EQ(kDisplayClearCode, "C1E");
}

}  // namespace
}  // namespace pv7100
