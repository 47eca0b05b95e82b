#include "protocol/status_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "protocol/monitor_text.h"

namespace pv7100 {
namespace {

std::optional<std::string> decode(std::string_view command, std::string_view reply) {
  const auto decoded = decodeStatus(command, renderMonitor(reply));
  return decoded ? std::optional(decoded->text) : std::nullopt;
}

// A key stands for the reply's first characters; what follows them does not count.
TEST(StatusDecoder, OnlyTheFirstReplyCharactersCount) {
  EXPECT_EQ(decode("CR1\r", "12\r"), " Input mode 1");
  EXPECT_EQ(decode("CR0\r", "0877\r"), " Temperature Warning(Power ON)");
  EXPECT_EQ(decode("CR7\r", "227"), " No2 ON  : 1 Lamp mode(No2 USE)");
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

// Lamp hours are R's first 38 characters uncleaned; pieces of the temperatures beyond R's end
// are empty; the version is R as it stands.
TEST(StatusDecoder, ComputedReadsOnShortAndLongReplies) {
  EXPECT_EQ(decode("CR3\r", "1234567890123456789012\r"),
            " 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 Hour Use");
  EXPECT_EQ(decode("CR3\r", ""), "  Hour Use");
  EXPECT_EQ(decode("CR6\r", "12\r"), "  S1= 1 2 CR  C  ,   S2=  C  ,   S3=  C  ,   S4=  C ");
  EXPECT_EQ(decode("CR6\r", ""), "  S1=  C  ,   S2=  C  ,   S3=  C  ,   S4=  C ");
  EXPECT_EQ(decode("CR9\r", "PV7100 v1.40\r\x06{"), " P V 7 1 0 0   v 1 . 4 0 CR ACK ? ");
}

// 6554 x 5 does not fit in 16 bits: the pressure is not computed.
TEST(StatusDecoder, PressureWorkedExamplesAndLimits) {
  const std::pair<std::string, const char*> cases[] = {
      {"\r", "106 hPa"},        {"0", "106 hPa"},
      {"OK\r", "106 hPa"},      {"-512\r", "-439 hPa"},
      {"853\r", "1013 hPa"},    {"6554\r", "---- hPa"},
      {"99999\r", "---- hPa"},  {"6553\r", "7077 hPa"},
      {"-6553\r", "-6865 hPa"}, {std::string(400, '9'), "---- hPa"}};
  for (const auto& [reply, text] : cases) EXPECT_EQ(decode("CR PRESSURE\r", reply), text) << reply;
}

}  // namespace
}  // namespace pv7100
