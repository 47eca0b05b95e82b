// The serial control on real pseudo-terminals: the test plays the projector on the master.
#include "app/qt_serial_control.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLockFile>
#include <QSerialPort>

#include "app/port_lock.h"
#include "app/port_messages.h"
#include "tests/support/event_loop.h"
#include "tests/support/pty.h"

namespace pv7100 {
namespace {

using namespace std::chrono_literals;
using testing::Pty;
using testing::pump;
using testing::waitUntil;

std::string commError(const std::function<void()>& step) {
  try {
    step();
  } catch (const CommError& error) {
    return error.what();
  }
  return "(no error)";
}

// A scratch directory for files, directories and links that stand in for devices.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pv7100-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Points `link` at `target`, replacing what it pointed at.
void pointLink(const std::string& link, const std::string& target) {
  const std::string fresh = link + ".new";
  std::filesystem::create_symlink(target, fresh);
  std::filesystem::rename(fresh, link);
}

class QtSerialControlTest : public ::testing::Test {
 protected:
  // Everything the far end has sent, as the panel's notification reads it.
  void collectInput() {
    control.OnComm([this] {
      events.push_back(control.CommEvent());
      input += control.Input();
    });
  }

  Pty pty;
  QtSerialControl control{PortDevices{pty.slavePath(), "/dev/pv7100-no-such-com2"}};
  std::string com1 = "COM1 (" + pty.slavePath() + ")";
  std::string input;
  std::vector<std::int16_t> events;
};

TEST(PortDevicesTest, DefaultsToTheFirstTwoSerialPorts) {
  const PortDevices devices;
  EXPECT_EQ(devices.com1, "/dev/ttyS0");
  EXPECT_EQ(devices.com2, "/dev/ttyS1");
  EXPECT_EQ(devices.device(1), "/dev/ttyS0");
  EXPECT_EQ(devices.device(2), "/dev/ttyS1");
}

TEST_F(QtSerialControlTest, StartsClosedOnCom1) {
  EXPECT_FALSE(control.PortOpen());
  EXPECT_EQ(control.CommPort(), 1);
  EXPECT_EQ(control.OutBufferCount(), 0u);
  EXPECT_EQ(control.Input(), "");
}

TEST_F(QtSerialControlTest, OutputArrivesAsExactlyThoseBytes) {
  control.PortOpen(true);
  control.Output("C00\r");
  EXPECT_EQ(pty.read(5, 300ms), "C00\r");
  const std::string everyByte = [] {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
  }();
  control.Output(everyByte);
  EXPECT_EQ(pty.read(257, 500ms), everyByte);
}

TEST_F(QtSerialControlTest, OpensTheLineRawWhateverStateTheDeviceWasIn) {
  termios cooked = pty.attributes();
  cooked.c_iflag |= ICRNL | IXON;
  cooked.c_oflag |= OPOST | ONLCR;
  cooked.c_lflag |= ECHO | ICANON | ISIG;
  pty.setAttributes(cooked);
  collectInput();
  control.PortOpen(true);
  control.Output("CR0\n\r");
  EXPECT_EQ(pty.read(6, 300ms), "CR0\n\r");
  ASSERT_TRUE(pty.write(std::string("\x06\r\n\x03\x11", 5)));
  EXPECT_TRUE(waitUntil([&] { return input.size() >= 5; }));
  EXPECT_EQ(input, std::string("\x06\r\n\x03\x11", 5));
  EXPECT_EQ(pty.read(1, 100ms), "") << "nothing is echoed back";
}

TEST_F(QtSerialControlTest, BurstsComeBackInOrderThroughSuccessiveInputs) {
  collectInput();
  control.PortOpen(true);
  std::string sent;
  std::string longBurst;
  for (int i = 0; i < 3000; ++i) longBurst += static_cast<char>('0' + i % 75);
  for (const std::string& burst : {std::string("A"), std::string("\x06"), std::string("BC\r"),
                                   std::string(" Power ON\r"), longBurst, std::string("Z")}) {
    ASSERT_TRUE(pty.write(burst));
    sent += burst;
    ASSERT_TRUE(waitUntil([&] { return input.size() >= sent.size(); })) << input.size();
    EXPECT_EQ(input, sent);
  }
  pump(50ms);
  EXPECT_EQ(input, sent);
  EXPECT_GE(events.size(), 6u);
  for (const std::int16_t event : events) EXPECT_EQ(event, comEvReceive);
}

TEST_F(QtSerialControlTest, SettingsWhileOpenChangeTheOpenPortWithoutReopeningIt) {
  collectInput();
  control.PortOpen(true);
  EXPECT_EQ(pty.speed(), 19200);
  // Characters waiting in the device would be lost if the port were closed and opened again.
  ASSERT_TRUE(pty.write("W"));
  std::this_thread::sleep_for(50ms);
  control.Settings("9600,N,8,1");
  EXPECT_EQ(pty.speed(), 9600);
  EXPECT_TRUE(control.PortOpen());
  EXPECT_TRUE(waitUntil([&] { return !input.empty(); }));
  EXPECT_EQ(input, "W");

  control.Settings("19200,N,8,2");
  EXPECT_EQ(pty.speed(), 19200);
  EXPECT_TRUE(pty.attributes().c_cflag & CSTOPB);
  control.Output("C00\r");
  EXPECT_EQ(pty.read(4, 500ms), "C00\r");
}

// A pseudo-terminal carries eight data bits without parity and nothing else.
TEST_F(QtSerialControlTest, SettingsTheOpenDeviceRefusesThrowAndLeaveItAsItWas) {
  control.PortOpen(true);
  const std::string error = commError([&] { control.Settings("9600,E,7,1"); });
  EXPECT_TRUE(error.starts_with(com1 + " did not accept the settings 9600,E,7,1 (")) << error;
  EXPECT_TRUE(control.PortOpen());
  EXPECT_EQ(pty.speed(), 19200);
  const termios line = pty.attributes();
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(line.c_cflag & PARENB);
  control.Output("C00\r");
  EXPECT_EQ(pty.read(4, 500ms), "C00\r");
}

TEST_F(QtSerialControlTest, SettingsTheDeviceCannotCarryFailTheOpening) {
  control.Settings("9600,O,8,1");
  const std::string error = commError([&] { control.PortOpen(true); });
  EXPECT_TRUE(error.starts_with(com1 + " did not accept the settings 9600,O,8,1 (")) << error;
  EXPECT_FALSE(control.PortOpen());
  control.Settings("9600,N,8,1");
  control.PortOpen(true);
  EXPECT_EQ(pty.speed(), 9600);
}

TEST_F(QtSerialControlTest, OneAndAHalfStopBitsAreRefused) {
  EXPECT_EQ(commError([&] { control.Settings("9600,N,5,1.5"); }),
            com1 + " did not accept the settings 9600,N,5,1.5 (this system has no 1.5 stop bits).");
  control.PortOpen(true);
  EXPECT_EQ(pty.speed(), 19200);
}

TEST_F(QtSerialControlTest, SettingsWhileClosedApplyAtTheNextOpening) {
  control.Settings("9600,N,8,1");
  EXPECT_EQ(pty.speed(), 19200) << "a closed port is not touched";
  control.PortOpen(true);
  EXPECT_EQ(pty.speed(), 9600);
  const termios line = pty.attributes();
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(line.c_cflag & PARENB);
  EXPECT_FALSE(line.c_cflag & CSTOPB);
  control.PortOpen(false);
  control.Settings("19200,N,8,1");
  control.PortOpen(true);
  EXPECT_EQ(pty.speed(), 19200);
}

TEST_F(QtSerialControlTest, InvalidSettingsThrowAndLeaveTheSettingsAsTheyWere) {
  control.Settings("9600,N,8,1");
  EXPECT_EQ(commError([&] { control.Settings("9600,N,9,1"); }), invalidSettingsText("9600,N,9,1"));
  EXPECT_EQ(commError([&] { control.Settings("fast"); }), invalidSettingsText("fast"));
  control.PortOpen(true);
  EXPECT_EQ(pty.speed(), 9600);
  EXPECT_EQ(commError([&] { control.Settings("19200,Q,8,1"); }),
            invalidSettingsText("19200,Q,8,1"));
  EXPECT_EQ(pty.speed(), 9600);
}

TEST_F(QtSerialControlTest, CommPortTakesOneOrTwoAndOnlyWhileClosed) {
  control.CommPort(2);
  EXPECT_EQ(control.CommPort(), 2);
  EXPECT_TRUE(
      commError([&] { control.PortOpen(true); }).starts_with("COM2 (/dev/pv7100-no-such-com2)"));
  EXPECT_EQ(commError([&] { control.CommPort(3); }),
            "Invalid port number 3: the panel has COM1 and COM2.");
  EXPECT_EQ(commError([&] { control.CommPort(0); }),
            "Invalid port number 0: the panel has COM1 and COM2.");
  EXPECT_EQ(control.CommPort(), 2);
  control.CommPort(1);
  control.PortOpen(true);
  EXPECT_EQ(commError([&] { control.CommPort(2); }),
            "Port already open: close " + com1 + " before choosing another port.");
  EXPECT_EQ(control.CommPort(), 1);
  EXPECT_TRUE(control.PortOpen());
}

TEST_F(QtSerialControlTest, OutputOnAClosedPortFailsAndSaysWhatToDo) {
  EXPECT_EQ(commError([&] { control.Output("C00\r"); }),
            "No port is open: choose COM1 or COM2 under COM.");
  control.PortOpen(true);
  control.PortOpen(false);
  EXPECT_FALSE(control.PortOpen());
  EXPECT_EQ(commError([&] { control.Output("C00\r"); }),
            "No port is open: choose COM1 or COM2 under COM.");
  EXPECT_EQ(pty.read(1, 100ms), "");
}

TEST_F(QtSerialControlTest, ClosingAClosedPortIsNoError) {
  EXPECT_NO_THROW(control.PortOpen(false));
  control.PortOpen(true);
  control.PortOpen(false);
  EXPECT_NO_THROW(control.PortOpen(false));
  EXPECT_FALSE(control.PortOpen());
}

TEST_F(QtSerialControlTest, CharactersFromBeforeTheOpeningAreDropped) {
  collectInput();
  ASSERT_TRUE(pty.write("stale"));
  std::this_thread::sleep_for(50ms);
  control.PortOpen(true);
  pump(50ms);
  ASSERT_TRUE(pty.write("fresh"));
  EXPECT_TRUE(waitUntil([&] { return input.size() >= 5; }));
  pump(20ms);
  EXPECT_EQ(input, "fresh");
}

TEST_F(QtSerialControlTest, OpeningAnOpenPortFails) {
  control.PortOpen(true);
  EXPECT_EQ(commError([&] { control.PortOpen(true); }),
            com1 + " cannot be opened: it is open already. Close it before opening it again.");
  EXPECT_TRUE(control.PortOpen());
  control.Output("C00\r");
  EXPECT_EQ(pty.read(4, 500ms), "C00\r");
}

TEST(QtSerialControlOpenTest, MissingDeviceSaysPlugInOrNameTheDevice) {
  QtSerialControl control{PortDevices{"/dev/pv7100-missing", "/nonexistent/pv7100/ttyUSB7"}};
  EXPECT_EQ(commError([&] { control.PortOpen(true); }),
            "COM1 (/dev/pv7100-missing) cannot be opened: there is no such device (No such file "
            "or directory). Plug in the cable or adapter, or name the device with --com1 DEVICE.");
  control.CommPort(2);
  EXPECT_EQ(commError([&] { control.PortOpen(true); }),
            "COM2 (/nonexistent/pv7100/ttyUSB7) cannot be opened: there is no such device (No "
            "such file or directory). Plug in the cable or adapter, or name the device with "
            "--com2 DEVICE.");
  EXPECT_FALSE(control.PortOpen());
}

TEST(QtSerialControlOpenTest, ARegularFileIsNotASerialDevice) {
  const ScratchDir scratch;
  const std::string file = scratch / "ttyS0";
  std::ofstream(file) << "not a port";
  QtSerialControl control{PortDevices{file, scratch / "com2"}};
  EXPECT_EQ(commError([&] { control.PortOpen(true); }),
            "COM1 (" + file +
                ") cannot be opened: it is not a serial device (it is a regular file). Name the "
                "serial device with --com1 DEVICE.");
  EXPECT_FALSE(control.PortOpen());
}

TEST(QtSerialControlOpenTest, ADirectoryIsNotASerialDevice) {
  const ScratchDir scratch;
  QtSerialControl control{PortDevices{scratch / "com1", scratch / ""}};
  std::filesystem::create_directory(scratch / "com1");
  control.CommPort(2);
  EXPECT_EQ(commError([&] { control.PortOpen(true); }),
            "COM2 (" + (scratch / "") +
                ") cannot be opened: it is not a serial device (it is a directory). Name the "
                "serial device with --com2 DEVICE.");
  EXPECT_FALSE(control.PortOpen());
}

TEST(QtSerialControlOpenTest, ACharacterDeviceThatIsNoTerminalIsNotASerialDevice) {
  QtSerialControl control{PortDevices{"/dev/null", "/dev/zero"}};
  EXPECT_EQ(commError([&] { control.PortOpen(true); }),
            "COM1 (/dev/null) cannot be opened: it is not a serial device (Inappropriate ioctl "
            "for device). Name the serial device with --com1 DEVICE.");
  EXPECT_FALSE(control.PortOpen());
}

TEST_F(QtSerialControlTest, ADeviceHeldByAnotherPortSaysWhoHoldsIt) {
  QSerialPort other(QString::fromStdString(pty.slavePath()));
  ASSERT_TRUE(other.open(QIODevice::ReadWrite));
  const std::string busy = com1 + " cannot be opened: another program (PID " +
                           std::to_string(::getpid()) + ") is using it (lock file " +
                           portLockFile(pty.slavePath()) +
                           "). Close that program, or choose COM2 under COM.";
  EXPECT_EQ(commError([&] { control.PortOpen(true); }), busy);
  EXPECT_FALSE(control.PortOpen());
  other.close();
  control.PortOpen(true);
  EXPECT_TRUE(control.PortOpen());
}

TEST_F(QtSerialControlTest, ADeviceLockedByAnotherProgramSaysWhoHoldsIt) {
  const std::string lockFile = portLockFile(pty.slavePath());
  ASSERT_FALSE(lockFile.empty());
  QLockFile lock(QString::fromStdString(lockFile));
  ASSERT_TRUE(lock.tryLock(0));
  EXPECT_EQ(commError([&] { control.PortOpen(true); }),
            com1 + " cannot be opened: another program (PID " + std::to_string(::getpid()) +
                ") is using it (lock file " + lockFile +
                "). Close that program, or choose COM2 under COM.");
  EXPECT_FALSE(control.PortOpen());
  lock.unlock();
  control.PortOpen(true);
  EXPECT_TRUE(control.PortOpen());
}

TEST_F(QtSerialControlTest, FarEndClosedClosesThePortAndReportsItOnce) {
  auto* serial = control.findChild<QSerialPort*>();
  ASSERT_NE(serial, nullptr);
  int errorSignals = 0;
  QObject::connect(serial, &QSerialPort::errorOccurred, [&](QSerialPort::SerialPortError error) {
    if (error != QSerialPort::NoError) ++errorSignals;
  });
  std::vector<std::string> lost;
  control.OnPortLost([&](const std::string& text) {
    EXPECT_FALSE(control.PortOpen()) << "the port is closed before the handler runs";
    lost.push_back(text);
  });
  control.PortOpen(true);
  pty.closeMaster();
  ASSERT_TRUE(waitUntil([&] { return !lost.empty(); }));
  const int errorsAtLoss = errorSignals;
  pump(300ms);
  EXPECT_FALSE(control.PortOpen());
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(lost[0],
            com1 + " went away (the device is gone). Plug it back in and choose COM1 under COM.");
  EXPECT_LE(errorsAtLoss, 2);
  EXPECT_EQ(errorSignals, errorsAtLoss) << "the error does not repeat";
  EXPECT_EQ(commError([&] { control.Output("C00\r"); }),
            "No port is open: choose COM1 or COM2 under COM.");
}

TEST(QtSerialControlReopenTest, ReopensOnceTheDeviceIsBack) {
  const ScratchDir scratch;
  const std::string link = scratch / "ttyUSB0";
  auto first = std::make_unique<Pty>();
  pointLink(link, first->slavePath());
  QtSerialControl control{PortDevices{link, scratch / "ttyUSB1"}};
  int lost = 0;
  control.OnPortLost([&](const std::string&) { ++lost; });
  std::string input;
  control.OnComm([&] { input += control.Input(); });
  control.PortOpen(true);
  first->closeMaster();
  ASSERT_TRUE(waitUntil([&] { return lost == 1; }));
  first.reset();

  EXPECT_NE(commError([&] { control.PortOpen(true); }), "(no error)") << "still away";
  Pty second;
  pointLink(link, second.slavePath());
  control.PortOpen(true);
  EXPECT_TRUE(control.PortOpen());
  control.Output("C00\r");
  EXPECT_EQ(second.read(4, 500ms), "C00\r");
  ASSERT_TRUE(second.write("\x06"));
  EXPECT_TRUE(waitUntil([&] { return input == "\x06"; }));
  EXPECT_EQ(lost, 1);
}

TEST_F(QtSerialControlTest, OutBufferCountCountsWhatHasNotGoneDownTheLine) {
  control.PortOpen(true);
  control.Output("C00\r");
  EXPECT_EQ(control.OutBufferCount(), 0u) << "a short line goes straight to the device";
  EXPECT_EQ(pty.read(4, 1000ms), "C00\r");
  // More than the device takes while its far end does not read: the rest waits.
  const std::string many(100000, 'C');
  control.Output(many);
  EXPECT_GT(control.OutBufferCount(), 0u);
  EXPECT_LE(control.OutBufferCount(), many.size());
  EXPECT_EQ(pty.read(many.size(), 5000ms), many);
  EXPECT_TRUE(waitUntil([&] { return control.OutBufferCount() == 0; }));
  control.PortOpen(false);
  EXPECT_EQ(control.OutBufferCount(), 0u);
}

}  // namespace
}  // namespace pv7100
