#include <gtest/gtest.h>

#include "tests/support/panel_fixture.h"

namespace pv7100::testing {
namespace {

class ManualEntry : public PanelTest {};

TEST_F(ManualEntry, EmptyBoxSendsALoneCarriageReturnWith2000And2500) {
  click(ui::ButtonRole::sendLine);
  EXPECT_EQ(sent(), "\r");
  EXPECT_EQ(text(ui::LineRole::transmit), " CR ");
  advance(1999);
  EXPECT_EQ(text(ui::LineRole::receive), "");
  advance(1);
  EXPECT_EQ(text(ui::LineRole::receive), " X X X X");
  advance(500);
  EXPECT_EQ(text(ui::LineRole::transmit), "");
}

TEST_F(ManualEntry, SendsExactlyAsTypedAndKeepsTheText) {
  tk.commandBox().setText(" cr0 x ");
  click(ui::ButtonRole::sendLine);
  click(ui::ButtonRole::sendLine);
  EXPECT_EQ(sent(), " cr0 x \r cr0 x \r");
  EXPECT_EQ(tk.commandBox().text(), " cr0 x ");
}

TEST_F(ManualEntry, TypedStatusReadsDecodeOnlyWhenExact) {
  tk.commandBox().setText("CR0");
  click(ui::ButtonRole::sendLine);
  serial.receive("00\r");
  EXPECT_EQ(text(ui::LineRole::status), " Power ON");

  tk.line(ui::LineRole::status).setCaption("");
  tk.commandBox().setText("CR0 ");
  click(ui::ButtonRole::sendLine);
  serial.receive("00\r");
  EXPECT_EQ(text(ui::LineRole::status), "");
}

TEST_F(ManualEntry, ReadsWithoutButtonsAreReachedHere) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"CRA", "03\r", " Video & Audio mute ON"},
      {"CR9", "V1\r", " V 1 CR "},
      {"CR PRESSURE", "512\r", "650 hPa"}};
  for (const auto& [typed, reply, status] : cases) {
    tk.commandBox().setText(typed);
    click(ui::ButtonRole::sendLine);
    serial.receive(reply);
    EXPECT_EQ(text(ui::LineRole::status), status) << typed;
    advance(3000);
  }
}

TEST_F(ManualEntry, InputCodeTypedRunsWith2000AndLeavesItForUntimedButtons) {
  tk.commandBox().setText("C50");
  click(ui::ButtonRole::sendLine);
  EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 2000);
  EXPECT_EQ(timer(ui::TimerRole::displayClear).interval(), 2500);
  click("power-on");
  EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 2000);
  EXPECT_EQ(timer(ui::TimerRole::displayClear).interval(), 2500);
}

TEST_F(ManualEntry, NonAsciiGoesOutAsUtf8Bytes) {
  tk.commandBox().setText("C\xc3\xa9");  // "Cé"
  click(ui::ButtonRole::sendLine);
  EXPECT_EQ(sent(), "C\xc3\xa9\r");
  EXPECT_EQ(text(ui::LineRole::transmit), " C ? ? CR ");
}

TEST_F(ManualEntry, ClsEmptiesTheBoxAndNothingElse) {
  tk.commandBox().setText("C00");
  click("power-on");
  const std::string line = text(ui::LineRole::transmit);
  click(ui::ButtonRole::clearLine);
  EXPECT_EQ(tk.commandBox().text(), "");
  click(ui::ButtonRole::clearLine);
  EXPECT_EQ(sent(), "C00\r");
  EXPECT_EQ(text(ui::LineRole::transmit), line);
  EXPECT_EQ(timer(ui::TimerRole::replyWindow).interval(), 500);
}

}  // namespace
}  // namespace pv7100::testing
