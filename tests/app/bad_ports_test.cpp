// Ports that cannot be opened, at start-up and on a choice: one clear message each, naming the
// device and the remedy, and a panel that keeps running.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <fstream>

#include "tests/support/pty.h"
#include "tests/support/qt_panel.h"

namespace pv7100::testing {
namespace {

std::string scratchFile() {
  const auto path =
      std::filesystem::temp_directory_path() / ("pv7100-not-a-port-" + std::to_string(::getpid()));
  std::ofstream(path) << "plain text\n";
  return path.string();
}

void choose(QtPanel& panel, ui::OptionRole option) {
  QTest::mouseClick(&panel.widget(ui::ButtonRole::com), Qt::LeftButton);
  QTest::mouseClick(&panel.widget(option), Qt::LeftButton);
}

TEST(BadPorts, AMissingCom1AtStartUpIsToldOnceAndCom2StillOpens) {
  Pty com2{letQtRun};
  QtPanel panel(PortDevices{"/dev/pv7100-no-such-port", com2.slavePath()});
  ASSERT_EQ(panel.boxes.texts.size(), 1u);
  EXPECT_TRUE(panel.boxes.texts[0].starts_with(
      "COM1 (/dev/pv7100-no-such-port) cannot be opened: there is no such device"))
      << panel.boxes.texts[0];
  EXPECT_NE(panel.boxes.texts[0].find("--com1 DEVICE"), std::string::npos);
  EXPECT_FALSE(panel.portOpen());

  QTest::mouseClick(&panel.command("power-on"), Qt::LeftButton);
  EXPECT_TRUE(panel.text(ui::LineRole::notice).starts_with("Not sent. No port is open"))
      << panel.text(ui::LineRole::notice);

  choose(panel, ui::OptionRole::com2);
  EXPECT_TRUE(panel.portOpen());
  EXPECT_FALSE(panel.widget(ui::kPortFrame).isVisible());
  QTest::mouseClick(&panel.command("power-on"), Qt::LeftButton);
  EXPECT_EQ(com2.read(4, 2000ms), "C00\r");
  EXPECT_EQ(panel.text(ui::LineRole::notice), "");
}

TEST(BadPorts, AFileThatIsNotAPortIsNamedSo) {
  Pty com1{letQtRun};
  const std::string file = scratchFile();
  QtPanel panel(PortDevices{com1.slavePath(), file});
  choose(panel, ui::OptionRole::com2);
  ASSERT_TRUE(waitUntil([&] { return panel.boxes.texts.size() == 1; }));
  EXPECT_NE(
      panel.boxes.texts[0].find("COM2 (" + file + ") cannot be opened: it is not a serial device"),
      std::string::npos)
      << panel.boxes.texts[0];
  EXPECT_TRUE(panel.assembled.toolkit().option(ui::OptionRole::com2).selected())
      << "the choice stays as clicked";
  EXPECT_TRUE(panel.widget(ui::kPortFrame).isVisible()) << "the frame stays until its timer";
  EXPECT_FALSE(panel.portOpen());
  std::filesystem::remove(file);
}

TEST(BadPorts, APortAnotherProgramHoldsSaysWho) {
  Pty com2{letQtRun};
  QSerialPort other(QString::fromStdString(com2.slavePath()));
  ASSERT_TRUE(other.open(QIODevice::ReadWrite));
  QtPanel panel(PortDevices{"/dev/pv7100-no-such-port", com2.slavePath()});
  ASSERT_TRUE(waitUntil([&] { return panel.boxes.texts.size() == 1; }));
  choose(panel, ui::OptionRole::com2);
  ASSERT_TRUE(waitUntil([&] { return panel.boxes.texts.size() == 2; }));
  EXPECT_NE(panel.boxes.texts[1].find("another program (PID " + std::to_string(::getpid()) +
                                      ", pv7100_qt_tests) holds it"),
            std::string::npos)
      << panel.boxes.texts[1];
}

// Said once on the notice line, after the send that found it; the panel goes on.
TEST(BadPorts, ALogThatCannotBeWrittenIsToldOnTheNoticeLine) {
  Pty com1{letQtRun};
  MessageBoxes boxes;
  AssembledPanel panel(PortDevices{com1.slavePath(), "/dev/null/none"}, "/dev/full");
  panel.start();
  QTest::mouseClick(&panel.toolkit().widget(ui::commandControl("power-on")), Qt::LeftButton);
  EXPECT_EQ(com1.read(4, 2000ms), "C00\r");
  EXPECT_TRUE(waitUntil([&] {
    return panel.toolkit().line(ui::LineRole::notice).caption() ==
           "the log file /dev/full cannot be written: No space left on device";
  }));
}

}  // namespace
}  // namespace pv7100::testing
