#include "protocol/status_decoder.h"

#include <gtest/gtest.h>

#include "protocol/monitor_text.h"
#include "protocol/status_tables.h"

namespace pv7100 {
namespace {

std::optional<std::string> decode(std::string_view command, std::string_view reply) {
  std::int16_t pressureValue = 0;
  return decodeStatus(command, renderMonitor(reply), pressureValue);
}

struct TableCase {
  const char* command;
  const StatusTable& table;
};

// Walks every row of every table: the reply that begins with the row's characters, followed
// by more characters and CR, decodes to the row's text.
TEST(StatusTables, EveryRowDecodesFromTheReplyThatRendersToItsKey) {
  const TableCase tables[] = {{"CR0\r", operatingStateTable()},
                              {"CR1\r", inputModeTable()},
                              {"CR4\r", reversalTable()},
                              {"CRA\r", muteTable()},
                              {"CR7\r", lampModeTable()}};
  int rows = 0;
  for (const TableCase& t : tables) {
    for (const StatusRow& row : t.table.rows) {
      std::string reply;  // the key without its spaces: " 0 8" is the reply "08"
      for (std::size_t i = 1; i < row.key.size(); i += 2) reply += row.key[i];
      EXPECT_EQ(decode(t.command, reply + "7\r"), std::string(row.text))
          << t.command << " row " << row.key;
      ++rows;
    }
  }
  EXPECT_EQ(rows, 13 + 5 + 4 + 6 + 8);
}

TEST(StatusTables, TextsAreExactToTheSpace) {
  EXPECT_EQ(decode("CR0\r", "02\r"), " NO Key input ");
  EXPECT_EQ(decode("CR0\r", "24\r"), " Lamp OFF & Tempereture Warning by PWR Management");
  EXPECT_EQ(decode("CR0\r", "81\r"), " Cooling down & sutandby (All Lamp FAIL)");
  EXPECT_EQ(decode("CR7\r", "02\r"), " No2 ON  : 2 Lamp mode");
  EXPECT_EQ(decode("CR4\r", "00\r"), " Top/Bottom , Left/Right reversal");
  EXPECT_EQ(decode("CRA\r", "FF\r"), " Stand by");
}

TEST(StatusDecoder, OnlyTheFirstReplyCharacterCountsForTheInputMode) {
  EXPECT_EQ(decode("CR1\r", "12\r"), " Input mode 1");
}

TEST(StatusDecoder, RepliesThatMatchNoRowLeaveTheLine) {
  EXPECT_EQ(decode("CR0\r", "99\r"), std::nullopt);
  EXPECT_EQ(decode("CR0\r", "\x06"), std::nullopt);
  EXPECT_EQ(decode("CR0\r",
                   "\x06"
                   "00\r"),
            std::nullopt);
  EXPECT_EQ(decode("CR0\r", "0"), std::nullopt);
  EXPECT_EQ(decode("CR1\r", "6\r"), std::nullopt);
  EXPECT_EQ(decode("CRA\r", "ff\r"), std::nullopt);
}

TEST(StatusDecoder, OnlyTheExactStatusReadIsDecoded) {
  for (const char* command :
       {"cr0\r", "CR0 \r", " CR0\r", "CR0", "CR0\r\r", "CR00\r", "C00\r", "CR PRESSURE \r"}) {
    EXPECT_EQ(decode(command, "00\r"), std::nullopt) << command;
  }
}

TEST(StatusDecoder, LampHoursAreTheFirst38CharactersUncleaned) {
  EXPECT_EQ(decode("CR3\r", "01234\r"), " 0 1 2 3 4 CR  Hour Use");
  EXPECT_EQ(decode("CR3\r", "1234567890123456789012\r"),
            " 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 Hour Use");
  EXPECT_EQ(decode("CR3\r", ""), "  Hour Use");
}

TEST(StatusDecoder, TemperaturesAreNinePieces) {
  EXPECT_EQ(decode("CR6\r", "ABCDEFGHIJKLMNOPQRSTUVWXYZ\r"),
            "  S1= A B C D E C  ,   S2=  H I J K C  ,   S3= N O P Q  C  ,   S4=  U V W X C ");
  EXPECT_EQ(decode("CR6\r", "12\r"), "  S1= 1 2 CR  C  ,   S2=  C  ,   S3=  C  ,   S4=  C ");
  EXPECT_EQ(decode("CR6\r", ""), "  S1=  C  ,   S2=  C  ,   S3=  C  ,   S4=  C ");
}

TEST(StatusDecoder, VersionShowsTheReplyAsTheMonitorDoes) {
  EXPECT_EQ(decode("CR9\r", "PV7100 v1.40\r\x06{"), " P V 7 1 0 0   v 1 . 4 0 CR ACK ? ");
}

TEST(StatusDecoder, PressureWorkedExamples) {
  EXPECT_EQ(decode("CR PRESSURE\r", "512\r"), "650 hPa");
  EXPECT_EQ(decode("CR PRESSURE\r", "1023\r"), "1194 hPa");
  EXPECT_EQ(decode("CR PRESSURE\r", "\r"), "106 hPa");
  EXPECT_EQ(decode("CR PRESSURE\r", "0"), "106 hPa");
  EXPECT_EQ(decode("CR PRESSURE\r", "OK\r"), "106 hPa");
  EXPECT_EQ(decode("CR PRESSURE\r", "-512\r"), "-439 hPa");
}

TEST(StatusDecoder, PressureStoresTheReadingThenThePressure) {
  std::int16_t pressureValue = 0;
  EXPECT_EQ(decodeStatus("CR PRESSURE\r", renderMonitor("853\r"), pressureValue), "1013 hPa");
  EXPECT_EQ(pressureValue, 1013);
}

TEST(StatusDecoder, PressureBeyondSixteenBitsShowsNoNumber) {
  std::int16_t pressureValue = 42;
  // 6554 x 5 does not fit in 16 bits: the reading is kept, the pressure is not computed.
  EXPECT_EQ(decodeStatus("CR PRESSURE\r", renderMonitor("6554\r"), pressureValue), "---- hPa");
  EXPECT_EQ(pressureValue, 6554);
  pressureValue = 42;
  EXPECT_EQ(decodeStatus("CR PRESSURE\r", renderMonitor("99999\r"), pressureValue), "---- hPa");
  EXPECT_EQ(pressureValue, 42);
  EXPECT_EQ(decode("CR PRESSURE\r", "6553\r"), "7077 hPa");
  EXPECT_EQ(decode("CR PRESSURE\r", "-6553\r"), "-6865 hPa");
  EXPECT_EQ(decode("CR PRESSURE\r", std::string(400, '9')), "---- hPa");
}

}  // namespace
}  // namespace pv7100
