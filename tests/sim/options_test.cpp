#include "sim/options.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace pv7100::sim {
namespace {

ParsedOptions parse(std::vector<std::string_view> arguments) {
  return parseOptions(arguments);
}

TEST(SimOptions, DefaultsServeANewPseudoTerminalAt19200) {
  const ParsedOptions parsed = parse({});
  EXPECT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.request, Request::Run);
  const Options& o = parsed.options;
  EXPECT_EQ(o.device, "");
  EXPECT_EQ(o.link, "");
  EXPECT_EQ(o.baud, 19200);
  EXPECT_FALSE(o.exitWithStdin);
  EXPECT_FALSE(o.verbose);
  EXPECT_FALSE(o.shaping.silent);
  EXPECT_FALSE(o.shaping.split);
  EXPECT_EQ(o.shaping.delayMs, 0);
  EXPECT_FALSE(o.shaping.garbage);
  EXPECT_EQ(o.shaping.chattyRate, 0);
  EXPECT_EQ(o.shaping.seed, 1u);
  EXPECT_EQ(o.model.countDownMs, 15'000);
  EXPECT_EQ(o.model.coolDownMs, 30'000);
}

TEST(SimOptions, ReadsEveryOption) {
  const ParsedOptions parsed = parse({"--device",
                                      "/dev/ttyS0",
                                      "--link",
                                      "/tmp/pv",
                                      "--baud",
                                      "9600",
                                      "--exit-with-stdin",
                                      "--verbose",
                                      "--silent",
                                      "--split",
                                      "--delay",
                                      "750",
                                      "--garbage",
                                      "--chatty",
                                      "960",
                                      "--seed",
                                      "4294967295",
                                      "--count-down",
                                      "0",
                                      "--cool-down",
                                      "2500"});
  ASSERT_EQ(parsed.error, "");
  const Options& o = parsed.options;
  EXPECT_EQ(o.device, "/dev/ttyS0");
  EXPECT_EQ(o.link, "/tmp/pv");
  EXPECT_EQ(o.baud, 9600);
  EXPECT_TRUE(o.exitWithStdin);
  EXPECT_TRUE(o.verbose);
  EXPECT_TRUE(o.shaping.silent);
  EXPECT_TRUE(o.shaping.split);
  EXPECT_EQ(o.shaping.delayMs, 750);
  EXPECT_TRUE(o.shaping.garbage);
  EXPECT_EQ(o.shaping.chattyRate, 960);
  EXPECT_EQ(o.shaping.seed, 4294967295u);
  EXPECT_EQ(o.model.countDownMs, 0);
  EXPECT_EQ(o.model.coolDownMs, 2500);
}

TEST(SimOptions, HelpAndVersion) {
  EXPECT_EQ(parse({"--help"}).request, Request::Help);
  EXPECT_EQ(parse({"--version"}).request, Request::Version);
  for (const char* option : {"--device", "--link", "--baud", "--exit-with-stdin", "--silent",
                             "--split", "--delay", "--garbage", "--chatty", "--seed"}) {
    EXPECT_NE(usage().find(option), std::string::npos) << option;
  }
}

TEST(SimOptions, ChattyMayUseTheFullLineRate) {
  EXPECT_EQ(parse({"--chatty", "1920"}).error, "");
  EXPECT_EQ(parse({"--baud", "9600", "--chatty", "960"}).error, "");
}

struct BadArguments {
  std::vector<std::string_view> arguments;
  std::string error;
};

class SimBadOptions : public ::testing::TestWithParam<BadArguments> {};

TEST_P(SimBadOptions, AreRefusedWithAReason) {
  EXPECT_EQ(parse(GetParam().arguments).error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, SimBadOptions,
    ::testing::Values(
        BadArguments{{"--bogus"}, "unknown argument \"--bogus\""},
        BadArguments{{"/dev/ttyS0"}, "unknown argument \"/dev/ttyS0\""},
        BadArguments{{"--device"}, "--device needs a value"},
        BadArguments{{"--link"}, "--link needs a value"},
        BadArguments{{"--delay"}, "--delay needs a value"},
        BadArguments{{"--baud", "115200"}, "--baud takes 9600 or 19200, not \"115200\""},
        BadArguments{{"--delay", "-1"}, "--delay takes a number from 0 to 3600000, not \"-1\""},
        BadArguments{{"--delay", "12ms"}, "--delay takes a number from 0 to 3600000, not \"12ms\""},
        BadArguments{{"--chatty", "0"}, "--chatty takes a number from 1 to 1920, not \"0\""},
        BadArguments{{"--chatty", "1921"}, "--chatty takes a number from 1 to 1920, not \"1921\""},
        BadArguments{{"--chatty", "961", "--baud", "9600"},
                     "--chatty cannot exceed the line rate of 960 characters per second at 9600 "
                     "baud"},
        BadArguments{{"--seed", "4294967296"},
                     "--seed takes a number from 0 to 4294967295, not \"4294967296\""},
        BadArguments{{"--count-down", "x"},
                     "--count-down takes a number from 0 to 3600000, not \"x\""}));

}  // namespace
}  // namespace pv7100::sim
