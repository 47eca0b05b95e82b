#include "widgets/layout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "protocol/commands.h"

namespace pv7100::ui {
namespace {

TEST(LayoutTable, HoldsEveryControlOfThePanel) {
  std::map<Kind, int> kinds;
  std::map<Events, int> buttonEvents;
  for (const ControlRow& row : layoutControls()) {
    ++kinds[row.kind];
    if (row.kind == Kind::Button) ++buttonEvents[row.events];
  }
  EXPECT_EQ(kinds[Kind::Button], 73);
  EXPECT_EQ(kinds[Kind::Option], 4);
  EXPECT_EQ(kinds[Kind::TextBox], 1);
  EXPECT_EQ(kinds[Kind::Picture], 1);
  EXPECT_EQ(kinds[Kind::Frame], 14);
  EXPECT_EQ(buttonEvents[Events::Click], 52);
  EXPECT_EQ(buttonEvents[Events::DownUp], 21);
  EXPECT_EQ(layoutLines().size(), 12u);
  EXPECT_EQ(layoutTimers().size(), 4u);
}

TEST(LayoutTable, NamesAreUniqueAndParentsAreFramesBeforeTheirControls) {
  std::set<std::string_view> seen;
  std::set<std::string_view> frames;
  for (const ControlRow& row : layoutControls()) {
    EXPECT_TRUE(seen.insert(row.name).second) << row.name;
    if (!row.parent.empty()) {
      EXPECT_TRUE(frames.contains(row.parent)) << row.name;
    }
    if (row.kind == Kind::Frame) frames.insert(row.name);
  }
}

// Each command has its own button, captioned as the command and with the events of its kind;
// a button that sends no command serves a role.
TEST(LayoutTable, EveryCommandHasItsOwnButton) {
  std::set<std::string_view> bound;
  for (const pv7100::Command& command : pv7100::commands()) {
    SCOPED_TRACE(command.name);
    const ControlRow& row = layoutRow(commandControl(command.name));
    EXPECT_TRUE(bound.insert(row.name).second);
    EXPECT_EQ(row.caption, command.caption);
    const bool repeat = command.kind == pv7100::CommandKind::repeat;
    EXPECT_EQ(row.events, repeat ? Events::DownUp : Events::Click);
  }
  for (const ButtonRole role : {ButtonRole::com, ButtonRole::end, ButtonRole::dataToggle,
                                ButtonRole::sendLine, ButtonRole::clearLine})
    EXPECT_TRUE(bound.insert(controlName(role)).second);
  for (const ControlRow& row : layoutControls())
    EXPECT_EQ(row.kind == Kind::Button, bound.contains(row.name)) << row.name;
}

TEST(LayoutTable, TheFocusVisitsEveryButtonOptionAndTheBoxOnce) {
  std::set<std::string_view> focusable;
  for (const ControlRow& row : layoutControls()) {
    if (row.kind == Kind::Button || row.kind == Kind::Option || row.kind == Kind::TextBox) {
      focusable.insert(row.name);
    }
  }
  const auto order = layoutTabOrder();
  EXPECT_EQ(std::set<std::string_view>(order.begin(), order.end()), focusable);
  EXPECT_EQ(order.size(), focusable.size());
  EXPECT_EQ(order.front(), "Command17");
}

TEST(LayoutTable, WindowAndTimersAsDesigned) {
  EXPECT_EQ(kWindowCaption, "QUIVA  PV7100   CONTROL   Ver.1.40");
  EXPECT_EQ(kClientWidth, 9495);
  const std::map<std::string_view, int> intervals{
      {"Timer1", 200}, {"Timer2", 500}, {"Timer3", 5000}, {"Timer4", 1000}};
  for (const TimerRow& row : layoutTimers()) EXPECT_EQ(intervals.at(row.name), row.interval);
  EXPECT_EQ(layoutRow("Command34").caption, "データを表示する");
  EXPECT_EQ(layoutRow("Command34").other.flags, kHidden);
  EXPECT_EQ(layoutRow("Frame8").other.flags, kHidden);
  EXPECT_EQ(layoutRow("Option9").other.flags, kSelected);
  EXPECT_EQ(layoutRow("Label22").other.text, 0xFF0000u);
  EXPECT_THROW(layoutRow("Command99"), std::out_of_range);
}

}  // namespace
}  // namespace pv7100::ui
