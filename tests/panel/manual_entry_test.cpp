#include <gtest/gtest.h>

#include "tests/support/panel_fixture.h"

namespace pv7100::testing {
namespace {

class ManualEntry : public PanelTest {};

TEST_F(ManualEntry, EmptyBoxSendsALoneCarriageReturnWith2000And2500) {
  click("Command95");
  EXPECT_EQ(sent(), "\r");
  EXPECT_EQ(caption("Label11"), " CR ");
  advance(1999);
  EXPECT_EQ(caption("Label12"), "");
  advance(1);
  EXPECT_EQ(caption("Label12"), " X X X X");
  advance(500);
  EXPECT_EQ(caption("Label11"), "");
}

TEST_F(ManualEntry, SendsExactlyAsTypedAndKeepsTheText) {
  tk.textBox("Text1").setText(" cr0 x ");
  click("Command95");
  click("Command95");
  EXPECT_EQ(sent(), " cr0 x \r cr0 x \r");
  EXPECT_EQ(tk.textBox("Text1").text(), " cr0 x ");
}

TEST_F(ManualEntry, TypedStatusReadsDecodeOnlyWhenExact) {
  tk.textBox("Text1").setText("CR0");
  click("Command95");
  serial.receive("00\r");
  EXPECT_EQ(caption("Label22"), " Power ON");

  tk.label("Label22").setCaption("");
  tk.textBox("Text1").setText("CR0 ");
  click("Command95");
  serial.receive("00\r");
  EXPECT_EQ(caption("Label22"), "");
}

TEST_F(ManualEntry, ReadsWithoutButtonsAreReachedHere) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"CRA", "03\r", " Video & Audio mute ON"},
      {"CR9", "V1\r", " V 1 CR "},
      {"CR PRESSURE", "512\r", "650 hPa"}};
  for (const auto& [typed, reply, status] : cases) {
    tk.textBox("Text1").setText(typed);
    click("Command95");
    serial.receive(reply);
    EXPECT_EQ(caption("Label22"), status) << typed;
    advance(3000);
  }
}

TEST_F(ManualEntry, InputCodeTypedRunsWith2000AndLeavesItForUntimedButtons) {
  tk.textBox("Text1").setText("C50");
  click("Command95");
  EXPECT_EQ(timer("Timer2").interval(), 2000);
  EXPECT_EQ(timer("Timer4").interval(), 2500);
  click("Command17");
  EXPECT_EQ(timer("Timer2").interval(), 2000);
  EXPECT_EQ(timer("Timer4").interval(), 2500);
}

TEST_F(ManualEntry, NonAsciiGoesOutAsUtf8Bytes) {
  tk.textBox("Text1").setText("C\xc3\xa9");  // "Cé"
  click("Command95");
  EXPECT_EQ(sent(), "C\xc3\xa9\r");
  EXPECT_EQ(caption("Label11"), " C ? ? CR ");
}

TEST_F(ManualEntry, ClsEmptiesTheBoxAndNothingElse) {
  tk.textBox("Text1").setText("C00");
  click("Command17");
  const std::string line = caption("Label11");
  click("Command96");
  EXPECT_EQ(tk.textBox("Text1").text(), "");
  click("Command96");
  EXPECT_EQ(sent(), "C00\r");
  EXPECT_EQ(caption("Label11"), line);
  EXPECT_EQ(timer("Timer2").interval(), 500);
}

}  // namespace
}  // namespace pv7100::testing
