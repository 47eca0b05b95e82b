#include "sim/projector_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/commands.h"

namespace pv7100::sim {
namespace {

const std::string kAckReply = "\x06";
const std::string kNak = "\x15\r";

constexpr Millis kCountDown = 15'000;
constexpr Millis kCoolDown = 30'000;

ModelSettings settings() {
  return {.countDownMs = kCountDown, .coolDownMs = kCoolDown};
}

// A projector whose lamp has come on.
ProjectorModel poweredOn() {
  ProjectorModel model(settings());
  model.respond("C00", 0);
  model.advanceTo(kCountDown);
  return model;
}

// Codes that work the picture, some of each kind: refused while the lamp is dark.
const std::vector<std::string> kPictureCodes = {"C05",           "C53", "C1C", "C0B", "C27",
                                                "CF IMAGE REAL", "C09", "C3A", "C5D", "C1E"};

// Codes that work in every power state.
const std::vector<std::string> kSettingCodes = {"C00",
                                                "C01",
                                                "CF LAMPCONTRL CHANGE",
                                                "CF LAMPCONTRL LAMP1",
                                                "CF LAMPCONTRL LAMP2",
                                                "CF FANSPEED MAX",
                                                "CF FANSPEED NOR"};

// Every code a button of the panel sends, but the status reads: the simulator, written apart,
// must know them all.
std::vector<std::string> everyCommandCode() {
  std::vector<std::string> codes;
  for (const pv7100::Command& command : pv7100::commands()) {
    if (!command.code.starts_with("CR")) codes.emplace_back(command.code);
  }
  return codes;
}

class SimAcceptedCode : public ::testing::TestWithParam<std::string> {};

TEST_P(SimAcceptedCode, IsAnsweredWithAckAloneWhilePoweredOn) {
  ProjectorModel model = poweredOn();
  EXPECT_EQ(model.respond(GetParam(), kCountDown + 1), kAckReply);
}

TEST_P(SimAcceptedCode, IsAnsweredWithAckAloneDuringCountDown) {
  ProjectorModel model(settings());
  model.respond("C00", 0);
  EXPECT_EQ(model.respond(GetParam(), 1), kAckReply);
}

INSTANTIATE_TEST_SUITE_P(PanelVocabulary, SimAcceptedCode, ::testing::ValuesIn(everyCommandCode()));

class SimPictureCode : public ::testing::TestWithParam<std::string> {};

TEST_P(SimPictureCode, IsRefusedInStandBy) {
  ProjectorModel model(settings());
  EXPECT_EQ(model.respond(GetParam(), 0), kNak);
}

TEST_P(SimPictureCode, IsRefusedWhileCoolingDown) {
  ProjectorModel model = poweredOn();
  model.respond("C01", kCountDown);
  EXPECT_EQ(model.respond(GetParam(), kCountDown + 1), kNak);
}

INSTANTIATE_TEST_SUITE_P(PanelVocabulary, SimPictureCode, ::testing::ValuesIn(kPictureCodes));

class SimSettingCode : public ::testing::TestWithParam<std::string> {};

TEST_P(SimSettingCode, IsAcceptedInStandBy) {
  ProjectorModel model(settings());
  EXPECT_EQ(model.respond(GetParam(), 0), kAckReply);
}

INSTANTIATE_TEST_SUITE_P(PanelVocabulary, SimSettingCode, ::testing::ValuesIn(kSettingCodes));

class SimUnknownCode : public ::testing::TestWithParam<std::string> {};

TEST_P(SimUnknownCode, GetsTheNegativeReplyInEveryState) {
  ProjectorModel standBy(settings());
  EXPECT_EQ(standBy.respond(GetParam(), 0), kNak);
  ProjectorModel on = poweredOn();
  EXPECT_EQ(on.respond(GetParam(), kCountDown), kNak);
}

INSTANTIATE_TEST_SUITE_P(Codes, SimUnknownCode,
                         ::testing::Values("", "XYZ", "C2", "C000", "C02", "CFF", "CR2", "CR5",
                                           "CR8", "CRB",
                                           // Letter case and spaces count.
                                           "c00", "cr0", "C0b", "C00 ", " C00", "CR pressure",
                                           "CF IMAGE  REAL", "CF IMAGE CUSTOM 1", "CF FANSPEED",
                                           std::string("C00\0", 4)));

TEST(SimPowerCycle, CountsDownToPowerOnAndCoolsDownToStandBy) {
  ProjectorModel model(settings());
  EXPECT_EQ(model.respond("CR0", 0), "80\r");
  EXPECT_EQ(model.respond("C00", 1'000), kAckReply);
  EXPECT_EQ(model.power(), PowerState::CountDown);
  EXPECT_EQ(model.respond("CR0", 1'000), "40\r");
  EXPECT_EQ(model.respond("CR0", 1'000 + kCountDown - 1), "40\r");
  EXPECT_EQ(model.respond("CR0", 1'000 + kCountDown), "00\r");
  EXPECT_EQ(model.power(), PowerState::On);
  EXPECT_EQ(model.respond("C01", 20'000), kAckReply);
  EXPECT_EQ(model.respond("CR0", 20'000), "20\r");
  EXPECT_EQ(model.respond("CR0", 20'000 + kCoolDown - 1), "20\r");
  EXPECT_EQ(model.respond("CR0", 20'000 + kCoolDown), "80\r");
  EXPECT_EQ(model.power(), PowerState::StandBy);
}

TEST(SimPowerCycle, PassesThroughBothPhasesInOneLongStep) {
  ProjectorModel model(settings());
  model.respond("C00", 0);
  model.advanceTo(1'000'000);
  EXPECT_EQ(model.power(), PowerState::On);
  model.respond("C01", 1'000'000);
  model.advanceTo(5'000'000);
  EXPECT_EQ(model.power(), PowerState::StandBy);
}

TEST(SimPowerCycle, ZeroLengthPhasesEndAtOnce) {
  ProjectorModel model({.countDownMs = 0, .coolDownMs = 0});
  model.respond("C00", 500);
  EXPECT_EQ(model.respond("CR0", 500), "00\r");
  model.respond("C01", 500);
  EXPECT_EQ(model.respond("CR0", 500), "80\r");
}

TEST(SimPowerCycle, TimeGoingBackwardsChangesNothing) {
  ProjectorModel model(settings());
  model.respond("C00", 10'000);
  EXPECT_EQ(model.respond("CR0", 5'000), "40\r");
  EXPECT_EQ(model.respond("CR0", 10'000 + kCountDown), "00\r");
}

TEST(SimPowerCycle, PowerOnIsRefusedWhileCoolingDown) {
  ProjectorModel model = poweredOn();
  model.respond("C01", kCountDown);
  EXPECT_EQ(model.respond("C00", kCountDown + 1), kNak);
  EXPECT_EQ(model.power(), PowerState::CoolingDown);
  EXPECT_EQ(model.respond("C00", kCountDown + kCoolDown), kAckReply);
  EXPECT_EQ(model.power(), PowerState::CountDown);
}

TEST(SimPowerCycle, PowerOffDuringCountDownCoolsDown) {
  ProjectorModel model(settings());
  model.respond("C00", 0);
  EXPECT_EQ(model.respond("C01", 100), kAckReply);
  EXPECT_EQ(model.respond("CR0", 100), "20\r");
  EXPECT_EQ(model.respond("CR0", 100 + kCoolDown), "80\r");
}

TEST(SimPowerCycle, RepeatedPowerCommandsDoNotRestartAPhase) {
  ProjectorModel model(settings());
  model.respond("C00", 0);
  EXPECT_EQ(model.respond("C00", kCountDown - 1), kAckReply);
  EXPECT_EQ(model.respond("CR0", kCountDown), "00\r");
  model.respond("C01", kCountDown);
  EXPECT_EQ(model.respond("C01", kCountDown + kCoolDown - 1), kAckReply);
  EXPECT_EQ(model.respond("CR0", kCountDown + kCoolDown), "80\r");
  EXPECT_EQ(model.respond("C01", kCountDown + kCoolDown), kAckReply);
  EXPECT_EQ(model.power(), PowerState::StandBy);
}

TEST(SimPowerCycle, PowerOffClearsBothMutes) {
  ProjectorModel model = poweredOn();
  model.respond("C0B", kCountDown);
  model.respond("C0D", kCountDown);
  EXPECT_EQ(model.respond("CRA", kCountDown), "03\r");
  model.respond("C01", kCountDown);
  model.respond("C00", kCountDown + kCoolDown);
  EXPECT_EQ(model.respond("CRA", kCountDown + kCoolDown), "00\r");
}

TEST(SimPowerCycle, InputOutlivesPowerOff) {
  ProjectorModel model = poweredOn();
  model.respond("C07", kCountDown);
  model.respond("C01", kCountDown);
  EXPECT_EQ(model.respond("CR1", kCountDown + kCoolDown), "3\r");
}

}  // namespace
}  // namespace pv7100::sim
