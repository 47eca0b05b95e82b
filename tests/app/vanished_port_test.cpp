// A port that goes away under the panel: a pseudo-terminal whose far end closes, a simulator
// that ends. The panel notices at once, says so once, sends nothing into the void, and opens
// the port again when the user chooses it once the device is back; a converter over TCP too.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <optional>

#include "app/simulator_process.h"
#include "tests/support/pty.h"
#include "tests/support/qt_panel.h"

namespace pv7100::testing {
namespace {

std::string scratchLink() {
  return (std::filesystem::temp_directory_path() /
          ("pv7100-com1-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name()))
      .string();
}

void pointLink(const std::string& link, const std::string& target) {
  std::filesystem::remove(link);
  std::filesystem::create_symlink(target, link);
}

void click(QWidget& control) {
  QTest::mouseClick(&control, Qt::LeftButton);
}

TEST(VanishedPort, FarEndClosedIsToldOnceAndTheNextChoiceReopens) {
  const std::string link = scratchLink();
  auto first = std::make_unique<Pty>(letQtRun);
  pointLink(link, first->slavePath());
  QtPanel panel(PortDevices{link, "/dev/null/none"});
  ASSERT_TRUE(panel.portOpen());

  first->closeMaster();
  ASSERT_TRUE(waitUntil([&] { return !panel.text(ui::LineRole::notice).empty(); }));
  EXPECT_FALSE(panel.portOpen());
  EXPECT_TRUE(panel.text(ui::LineRole::notice).starts_with("COM1 (" + link + ") went away"))
      << panel.text(ui::LineRole::notice);
  ASSERT_TRUE(waitUntil([&] { return panel.boxes.texts.size() == 1; }));
  EXPECT_EQ(panel.boxes.texts[0], panel.text(ui::LineRole::notice));
  // The whole notice shows, wrapped.
  const auto& notice = static_cast<QLabel&>(panel.widget(ui::controlName(ui::LineRole::notice)));
  ASSERT_TRUE(waitUntil([&] { return !notice.text().isEmpty(); }));
  EXPECT_LE(QFontMetrics(notice.font())
                .boundingRect(QRect(0, 0, notice.width(), 10000), Qt::TextWordWrap, notice.text())
                .height(),
            notice.height());

  // Sends go nowhere and say so, without a box each.
  QTest::mousePress(&panel.command("focus-plus"), Qt::LeftButton);
  EXPECT_TRUE(panel.text(ui::LineRole::notice).starts_with("Not sent. No port is open"))
      << panel.text(ui::LineRole::notice);
  QTest::mouseRelease(&panel.command("focus-plus"), Qt::LeftButton);
  EXPECT_EQ(panel.boxes.texts.size(), 1u);

  // The device is back: choosing COM1 opens it.
  Pty second{letQtRun};
  pointLink(link, second.slavePath());
  click(panel.widget(ui::ButtonRole::com));
  click(panel.widget(ui::OptionRole::com1));
  EXPECT_TRUE(panel.portOpen());
  EXPECT_EQ(panel.text(ui::LineRole::notice), "");
  click(panel.command("power-on"));
  EXPECT_EQ(second.read(4, 2000ms), "C00\r");
  std::filesystem::remove(link);
}

TEST(VanishedPort, SimulatorEndedAndStartedAgain) {
  const std::string link = scratchLink();
  std::optional<SimulatorProcess> simulator;
  simulator.emplace(QStringLiteral(PV7100_SIM),
                    QStringList{"--link", QString::fromStdString(link)});
  simulator->start();
  QtPanel panel(PortDevices{link, "/dev/null/none"});
  click(panel.command("read-status"));
  ASSERT_TRUE(waitUntil([&] { return panel.text(ui::LineRole::status) == " Stand by"; }));

  simulator.reset();
  ASSERT_TRUE(waitUntil([&] { return !panel.text(ui::LineRole::notice).empty(); }));
  EXPECT_FALSE(panel.portOpen());

  simulator.emplace(QStringLiteral(PV7100_SIM),
                    QStringList{"--link", QString::fromStdString(link)});
  simulator->start();
  ASSERT_TRUE(
      waitUntil([&] { return panel.text(ui::LineRole::status).empty(); }));  // display clear
  click(panel.widget(ui::ButtonRole::com));
  click(panel.widget(ui::OptionRole::com1));
  ASSERT_TRUE(panel.portOpen());
  click(panel.command("read-status"));
  EXPECT_TRUE(waitUntil([&] { return panel.text(ui::LineRole::status) == " Stand by"; }));
  EXPECT_EQ(panel.boxes.texts.size(), 1u) << "one box for the loss, none for the rest";
}

TEST(VanishedPort, AConverterKeepsItsSpeedAndAClosedConnectionIsALostPort) {
  QTcpServer converter;
  ASSERT_TRUE(converter.listen(QHostAddress::LocalHost));
  const std::string com1 = "tcp:127.0.0.1:" + std::to_string(converter.serverPort());
  QtPanel panel(PortDevices{com1, "/dev/ttyS1"});
  ASSERT_TRUE(waitUntil([&] { return converter.hasPendingConnections(); }));
  std::unique_ptr<QTcpSocket> line(converter.nextPendingConnection());
  click(panel.command("power-on"));
  ASSERT_TRUE(waitUntil([&] { return line->bytesAvailable() >= 4; }));
  EXPECT_EQ(line->readAll().toStdString(), "C00\r");
  click(panel.widget(ui::ButtonRole::com));
  click(panel.widget(ui::OptionRole::baud9600));
  ASSERT_EQ(panel.boxes.texts.size(), 1u);
  EXPECT_EQ(panel.boxes.texts[0], "COM1 (" + com1 +
                                      ") keeps its speed: the line's speed is set by the converter "
                                      "it runs through, not through this connection.");
  line.reset();
  ASSERT_TRUE(waitUntil([&] { return panel.boxes.texts.size() == 2; }));
  EXPECT_NE(panel.boxes.texts[1].find("went away (the converter closed the connection)"),
            std::string::npos);
}

// pv7100d with as many clients as it takes says so and hangs up: turned away, not gone.
TEST(VanishedPort, TurnedAwayByTheDaemonIsSaidSo) {
  QTemporaryDir directory;
  QLocalServer daemon;
  ASSERT_TRUE(daemon.listen(directory.filePath("line.sock")));
  const std::string com1 = "unix:" + daemon.fullServerName().toStdString();
  QtPanel panel(PortDevices{com1, "/dev/ttyS1"});
  ASSERT_TRUE(waitUntil([&] { return daemon.hasPendingConnections(); }));
  std::unique_ptr<QLocalSocket> line(daemon.nextPendingConnection());
  line->write("pv7100d serves as many clients as it takes\r\n");
  line->waitForBytesWritten(2000);
  line.reset();
  ASSERT_TRUE(waitUntil([&] { return panel.boxes.texts.size() == 1; }));
  EXPECT_EQ(panel.boxes.texts[0], "COM1 (" + com1 +
                                      ") cannot be opened: pv7100d turned it away (pv7100d serves "
                                      "as many clients as it takes). Close a program that uses "
                                      "the socket and choose COM1 or COM2 under COM.");
  EXPECT_FALSE(panel.portOpen());
}

}  // namespace
}  // namespace pv7100::testing
