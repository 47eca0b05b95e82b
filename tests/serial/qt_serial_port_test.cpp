// QtSerialPort on real pseudo-terminals.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <QLockFile>
#include <QSerialPort>
#include <QTest>

#include "serial/port_lock.h"
#include "serial/qt_serial_port.h"
#include "tests/support/pty.h"

namespace pv7100 {
namespace {

using namespace std::chrono_literals;
using testing::Pty;

TEST(QtSerialPort, WritesExactBytesAndHearsBurstsInOrder) {
  Pty pty;
  QtSerialPort port;
  std::string heard;
  int bursts = 0;
  port.onReceived([&](std::string_view bytes) {
    heard.append(bytes);
    ++bursts;
  });
  port.open(pty.slavePath(), LineSettings{});
  const std::string line("CF IMAGE REAL\r\x06\0\xff", 17);
  port.write(line);
  EXPECT_EQ(pty.read(line.size(), 2000ms), line);
  EXPECT_EQ(port.bytesToWrite(), 0u);
  ASSERT_TRUE(pty.write("80\r"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return heard.size() == 3; }, 2000));
  ASSERT_TRUE(pty.write("\x06"));
  ASSERT_TRUE(port.waitForReceived(2000));
  EXPECT_EQ(heard, "80\r\x06");
  EXPECT_GE(bursts, 2);
}

TEST(QtSerialPort, DropsWhatCameBeforeAndChangesSpeedWhileOpen) {
  Pty pty;
  ASSERT_TRUE(pty.write("stale"));
  QtSerialPort port;
  std::string heard;
  port.onReceived([&](std::string_view bytes) { heard.append(bytes); });
  port.open(pty.slavePath(), LineSettings{});
  EXPECT_EQ(pty.speed(), 19200);
  port.setSettings(LineSettings{.baud = 9600});
  EXPECT_EQ(pty.speed(), 9600);
  EXPECT_EQ(port.settings().baud, 9600);
  EXPECT_THROW(port.setSettings(LineSettings{.dataBits = 9}), PortError);
  EXPECT_EQ(pty.speed(), 9600);
  ASSERT_TRUE(pty.write("new"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return heard.size() >= 3; }, 2000));
  EXPECT_EQ(heard, "new");
}

TEST(QtSerialPort, AVanishedFarEndIsLostOnce) {
  auto pty = std::make_unique<Pty>();
  QtSerialPort port;
  std::vector<PortError> lost;
  port.onLost([&](const PortError& error) { lost.push_back(error); });
  port.open(pty->slavePath(), LineSettings{});
  pty->closeMaster();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !lost.empty(); }, 3000));
  QTest::qWait(100);
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(lost[0].fault(), PortFault::gone);
  // A pseudo-terminal's slave node goes with its master.
  EXPECT_EQ(lost[0].reason(), "the device is gone");
  EXPECT_FALSE(port.isOpen());
  EXPECT_THROW(port.write("CR0\r"), PortError);
}

TEST(QtSerialPort, WaitingWithoutAnEventLoopFindsTheLoss) {
  Pty pty;
  QtSerialPort port;
  int lost = 0;
  port.onLost([&](const PortError&) { ++lost; });
  port.open(pty.slavePath(), LineSettings{});
  pty.closeMaster();
  for (int i = 0; i < 5 && lost == 0; ++i) port.waitForReceived(200);
  EXPECT_EQ(lost, 1);
}

PortFault faultOpening(const std::string& device) {
  QtSerialPort port;
  try {
    port.open(device, LineSettings{});
  } catch (const PortError& error) {
    EXPECT_FALSE(port.isOpen());
    return error.fault();
  }
  return PortFault::other;
}

TEST(QtSerialPort, TellsWhyADeviceWillNotOpen) {
  char directory[] = "/tmp/pv7100-serial-XXXXXX";
  ASSERT_NE(mkdtemp(directory), nullptr);
  const std::string file = std::string(directory) + "/plain";
  std::ofstream(file) << "x";
  EXPECT_EQ(faultOpening(std::string(directory) + "/missing"), PortFault::noDevice);
  EXPECT_EQ(faultOpening(file), PortFault::notSerial);
  EXPECT_EQ(faultOpening(directory), PortFault::notSerial);
  ::unlink(file.c_str());
  ::rmdir(directory);
}

TEST(QtSerialPort, FindsTheHolderInTheLockFileQtTakes) {
  Pty pty;
  QSerialPort holder(QString::fromStdString(pty.slavePath()));
  ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
  const std::string lock = portLockFile(pty.slavePath());
  ASSERT_FALSE(lock.empty());
  qint64 pid = 0;
  QString host;
  QString application;
  EXPECT_TRUE(QLockFile(QString::fromStdString(lock)).getLockInfo(&pid, &host, &application));
  EXPECT_EQ(pid, getpid());
  EXPECT_EQ(portLockHolder(pty.slavePath()), getpid());
  QtSerialPort port;
  try {
    port.open(pty.slavePath(), LineSettings{});
    ADD_FAILURE() << "opened a device another port holds";
  } catch (const PortError& error) {
    EXPECT_EQ(error.fault(), PortFault::busy);
    EXPECT_EQ(error.holder(), getpid());
  }
  holder.close();
  EXPECT_EQ(portLockHolder(pty.slavePath()), 0);
}

}  // namespace
}  // namespace pv7100
