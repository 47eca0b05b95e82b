// Every status reply, byte for byte, and the words the panel's decoder makes of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "protocol/line_format.h"
#include "protocol/monitor_text.h"
#include "protocol/status_decoder.h"
#include "sim/projector_model.h"

namespace pv7100::sim {
namespace {

constexpr Millis kCountDown = 1'000;
constexpr Millis kCoolDown = 2'000;
constexpr Millis kHour = 3'600'000;

ModelSettings settings() {
  return {.countDownMs = kCountDown, .coolDownMs = kCoolDown};
}

// What the panel's STATUS line shows for `reply` to the status read `code`.
std::optional<std::string> decoded(std::string_view code, std::string_view reply) {
  const auto status = decodeStatus(commandLine(code), renderMonitor(reply));
  return status ? std::optional(status->text) : std::nullopt;
}

struct StatusCase {
  std::string name;
  std::vector<std::string> setup;  // codes sent at time 0
  Millis readAt;
  std::string code;
  std::string reply;
  std::string shown;
};

void PrintTo(const StatusCase& c, std::ostream* os) {
  *os << c.name;
}

class SimStatusReply : public ::testing::TestWithParam<StatusCase> {};

TEST_P(SimStatusReply, IsExactAndDecodesAsIntended) {
  const StatusCase& c = GetParam();
  ProjectorModel model(settings());
  for (const std::string& code : c.setup) model.respond(code, 0);
  const std::string reply = model.respond(c.code, c.readAt);
  EXPECT_EQ(reply, c.reply);
  EXPECT_EQ(decoded(c.code, reply), c.shown);
}

// Setups: nothing (stand-by), "C00" read at 0 (count down), "C00" read at kCountDown (on),
// "C00" and "C01" (cooling down).
const std::vector<std::string> kOn = {"C00"};

INSTANTIATE_TEST_SUITE_P(
    Reads, SimStatusReply,
    ::testing::Values(
        // CR0, operating state.
        StatusCase{"StandBy", {}, 0, "CR0", "80\r", " Stand by"},
        StatusCase{"CountDown", kOn, 0, "CR0", "40\r", " Count down"},
        StatusCase{"PowerOn", kOn, kCountDown, "CR0", "00\r", " Power ON"},
        StatusCase{"CoolingDown", {"C00", "C01"}, 0, "CR0", "20\r", " Cooling down"},
        // CR1, input mode.
        StatusCase{"InputAtStart", {}, 0, "CR1", "1\r", " Input mode 1"},
        StatusCase{"Input2", {"C00", "C06"}, 0, "CR1", "2\r", " Input mode 2"},
        StatusCase{"Input3", {"C00", "C07"}, 0, "CR1", "3\r", " Input mode 3"},
        StatusCase{"Network", {"C00", "C08"}, 0, "CR1", "4\r", " Input mode 4"},
        StatusCase{"Input1Rgb", {"C00", "C07", "C50"}, 0, "CR1", "1\r", " Input mode 1"},
        StatusCase{"Input1DviAv", {"C00", "C07", "C53"}, 0, "CR1", "1\r", " Input mode 1"},
        StatusCase{"Input2Video", {"C00", "C23"}, 0, "CR1", "2\r", " Input mode 2"},
        StatusCase{"Input2Rgb", {"C00", "C25"}, 0, "CR1", "2\r", " Input mode 2"},
        StatusCase{"Input3SVideo", {"C00", "C34"}, 0, "CR1", "3\r", " Input mode 3"},
        StatusCase{"InputRefusedInStandBy", {"C06"}, 0, "CR1", "1\r", " Input mode 1"},
        // CR3, lamp hours.
        StatusCase{"LampHours", {}, 0, "CR3", "01234\r", " 0 1 2 3 4 CR  Hour Use"},
        // CR4, picture reversal.
        StatusCase{"Reversal", {}, 0, "CR4", "11\r", " Normally"},
        // CR6 at time 0, where the readings carry no wobble: four times 25.0 in the shown columns.
        StatusCase{
            "Temperatures",
            {},
            0,
            "CR6",
            " 25.0  25.0  25.0   25.0\r",
            "  S1=   2 5 . 0 C  ,   S2=  2 5 . 0 C  ,   S3= 2 5 . 0  C  ,   S4=  2 5 . 0 C "},
        // CR7, lamp mode.
        StatusCase{"BothLampsDark", {}, 0, "CR7", "00\r", " OFF"},
        StatusCase{"BothLampsLit", kOn, 0, "CR7", "03\r", " No1,2 ON  : 2 Lamp mode"},
        StatusCase{"Lamp1Dark",
                   {"CF LAMPCONTRL LAMP1"},
                   0,
                   "CR7",
                   "10\r",
                   " All OFF : 1 Lamp mode(No1 USE)"},
        StatusCase{"Lamp1Lit",
                   {"CF LAMPCONTRL LAMP1", "C00"},
                   0,
                   "CR7",
                   "11\r",
                   " No1 ON  : 1 Lamp mode(No1 USE)"},
        StatusCase{"Lamp2Dark",
                   {"CF LAMPCONTRL LAMP2"},
                   0,
                   "CR7",
                   "20\r",
                   " All OFF : 1 Lamp mode(No2 USE)"},
        StatusCase{"Lamp2Lit",
                   {"C00", "CF LAMPCONTRL LAMP2"},
                   0,
                   "CR7",
                   "22\r",
                   " No2 ON  : 1 Lamp mode(No2 USE)"},
        StatusCase{"ChangeOnce",
                   {"CF LAMPCONTRL CHANGE"},
                   0,
                   "CR7",
                   "10\r",
                   " All OFF : 1 Lamp mode(No1 USE)"},
        StatusCase{"ChangeTwice",
                   {"CF LAMPCONTRL CHANGE", "CF LAMPCONTRL CHANGE"},
                   0,
                   "CR7",
                   "20\r",
                   " All OFF : 1 Lamp mode(No2 USE)"},
        StatusCase{"ChangeThrice",
                   {"CF LAMPCONTRL CHANGE", "CF LAMPCONTRL CHANGE", "CF LAMPCONTRL CHANGE"},
                   0,
                   "CR7",
                   "00\r",
                   " OFF"},
        StatusCase{"ChangeFromLamp2",
                   {"CF LAMPCONTRL LAMP2", "CF LAMPCONTRL CHANGE"},
                   0,
                   "CR7",
                   "00\r",
                   " OFF"},
        StatusCase{"LampsCoolingDown", {"C00", "C01"}, 0, "CR7", "00\r", " OFF"},
        // CR9, version: shown as received.
        StatusCase{
            "Version", {}, 0, "CR9", "PV7100 SIM V1.00\r", " P V 7 1 0 0   S I M   V 1 . 0 0 CR "},
        // CRA, mutes and signal.
        StatusCase{"MutesInStandBy", {}, 0, "CRA", "FF\r", " Stand by"},
        StatusCase{"MutesCoolingDown", {"C00", "C01"}, 0, "CRA", "FF\r", " Stand by"},
        StatusCase{"NoMute", kOn, kCountDown, "CRA", "00\r", " Video & Audio mute OFF"},
        StatusCase{"PictureMute", {"C00", "C0D"}, 0, "CRA", "01\r", " Video mute ON"},
        StatusCase{"SoundMute", {"C00", "C0B"}, 0, "CRA", "02\r", " Audio mute ON"},
        StatusCase{"BothMutes", {"C00", "C0B", "C0D"}, 0, "CRA", "03\r", " Video & Audio mute ON"},
        StatusCase{"MutesOff",
                   {"C00", "C0B", "C0D", "C0C", "C0E"},
                   0,
                   "CRA",
                   "00\r",
                   " Video & Audio mute OFF"},
        StatusCase{
            "SoundMuteOff", {"C00", "C0B", "C0D", "C0C"}, 0, "CRA", "01\r", " Video mute ON"},
        StatusCase{"NoSignalOnNetwork", {"C00", "C0B", "C08"}, 0, "CRA", "80\r", " No signal"},
        StatusCase{
            "SignalBack", {"C00", "C08", "C05"}, 0, "CRA", "00\r", " Video & Audio mute OFF"},
        // CR PRESSURE at time 0: the centre reading.
        StatusCase{"Pressure", {}, 0, "CR PRESSURE", "853\r", "1013 hPa"}),
    [](const ::testing::TestParamInfo<StatusCase>& info) { return info.param.name; });

TEST(SimLampHours, GrowWhileTheLampIsLit) {
  ProjectorModel model(settings());
  model.respond("C00", 0);
  EXPECT_EQ(model.respond("CR3", kHour - 1), "01234\r");
  EXPECT_EQ(model.respond("CR3", kHour), "01235\r");
  EXPECT_EQ(model.respond("CR3", 10 * kHour), "01244\r");
  EXPECT_EQ(decoded("CR3", model.respond("CR3", 10 * kHour)), " 0 1 2 4 4 CR  Hour Use");
}

TEST(SimLampHours, StandStillWhileTheLampIsDark) {
  ProjectorModel model(settings());
  EXPECT_EQ(model.respond("CR3", 50 * kHour), "01234\r");
  model.respond("C00", 50 * kHour);
  model.respond("C01", 52 * kHour);
  EXPECT_EQ(model.respond("CR3", 60 * kHour), "01236\r");
}

TEST(SimLampHours, StartFromTheSettingAndStopAtFiveNines) {
  ProjectorModel fresh({.lampHours = 7});
  EXPECT_EQ(fresh.respond("CR3", 0), "00007\r");
  ProjectorModel old({.countDownMs = 0, .lampHours = 99'998});
  old.respond("C00", 0);
  EXPECT_EQ(old.respond("CR3", 5 * kHour), "99999\r");
}

// The four readings, taken from the columns that the panel shows as S1 to S4.
std::vector<double> readings(const std::string& reply) {
  EXPECT_EQ(reply.size(), 25u);
  EXPECT_EQ(reply.back(), '\r');
  for (const std::size_t blank : {5u, 6u, 11u, 12u, 17u, 18u, 19u}) {
    EXPECT_EQ(reply[blank], ' ') << "column " << blank + 1;
  }
  return {std::atof(reply.substr(0, 5).c_str()), std::atof(reply.substr(7, 4).c_str()),
          std::atof(reply.substr(13, 4).c_str()), std::atof(reply.substr(20, 4).c_str())};
}

TEST(SimTemperatures, SettleNearTheirTargetsWithTheLampLit) {
  ProjectorModel model(settings());
  model.respond("C00", 0);
  const std::vector<double> hot = readings(model.respond("CR6", kHour));
  const std::vector<double> targets = {29.0, 38.0, 52.0, 44.0};
  for (std::size_t i = 0; i < targets.size(); ++i) EXPECT_NEAR(hot[i], targets[i], 0.3) << i;
}

TEST(SimTemperatures, RunCoolerWithTheFanAtMaximum) {
  ProjectorModel normal(settings());
  normal.respond("C00", 0);
  ProjectorModel max(settings());
  max.respond("CF FANSPEED MAX", 0);
  max.respond("C00", 0);
  const std::vector<double> warm = readings(normal.respond("CR6", kHour));
  const std::vector<double> cool = readings(max.respond("CR6", kHour));
  for (std::size_t i = 1; i < warm.size(); ++i) EXPECT_LT(cool[i], warm[i] - 3.0) << i;
}

TEST(SimTemperatures, FallBackToAmbientAfterPowerOff) {
  ProjectorModel model(settings());
  model.respond("C00", 0);
  model.respond("C01", kHour);
  for (const double celsius : readings(model.respond("CR6", 3 * kHour))) {
    EXPECT_NEAR(celsius, 25.0, 0.3);
  }
}

TEST(SimTemperatures, RiseGraduallyAndDrift) {
  ProjectorModel model(settings());
  model.respond("C00", 0);
  const std::vector<double> early = readings(model.respond("CR6", 60'000));
  EXPECT_GT(early[2], 26.0);
  EXPECT_LT(early[2], 45.0);
  std::set<std::string> distinct;
  for (Millis t = kHour; t < kHour + 60'000; t += 5'000) distinct.insert(model.respond("CR6", t));
  EXPECT_GT(distinct.size(), 3u);
}

TEST(SimPressure, DecodesNearSeaLevelAndDrifts) {
  ProjectorModel model(settings());
  std::set<std::string> shown;
  for (Millis t = 0; t <= 240'000; t += 2'000) {
    const std::optional<std::string> text = decoded("CR PRESSURE", model.respond("CR PRESSURE", t));
    ASSERT_TRUE(text);
    const int hpa = std::atoi(text->c_str());
    EXPECT_GE(hpa, 1010) << *text;
    EXPECT_LE(hpa, 1016) << *text;
    EXPECT_TRUE(text->ends_with(" hPa")) << *text;
    shown.insert(*text);
  }
  EXPECT_GE(shown.size(), 3u);
}

}  // namespace
}  // namespace pv7100::sim
