#include "sim/serial_line.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

#include "tests/support/pty.h"

namespace pv7100::sim {
namespace {

using namespace std::chrono_literals;
using pv7100::testing::openTerminal;
using pv7100::testing::readUpTo;
using pv7100::testing::writeAll;

// A descriptor closed at the end of the scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

void expectRaw8N1(int fd, speed_t speed) {
  termios settings{};
  ASSERT_EQ(tcgetattr(fd, &settings), 0);
  EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(settings.c_iflag & (ICRNL | INLCR | IGNCR | IXON | ISTRIP), 0u);
  EXPECT_EQ(settings.c_oflag & OPOST, 0u);
  EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB), 0u);
  EXPECT_EQ(cfgetispeed(&settings), speed);
  EXPECT_EQ(cfgetospeed(&settings), speed);
}

// Every byte a panel might send or receive, the ones a cooked terminal would eat included.
const std::string kAwkwardBytes("C00\r\n\x03\x04\x11\x13\x15\x1a\x7f\xff\x00\x06", 15);

TEST(SimSerialLine, PseudoTerminalIsRaw8N1AtTheChosenSpeed) {
  for (const auto& [baud, speed] : {std::pair{19200, B19200}, std::pair{9600, B9600}}) {
    const SerialLine line = SerialLine::openPseudoTerminal(baud);
    EXPECT_TRUE(line.path().starts_with("/dev/pts/")) << line.path();
    const Fd client(openTerminal(line.path()));
    ASSERT_GE(client.get(), 0);
    EXPECT_TRUE(isatty(client.get()));
    expectRaw8N1(client.get(), speed);
  }
}

TEST(SimSerialLine, CarriesEveryByteUnchangedBothWays) {
  const SerialLine line = SerialLine::openPseudoTerminal(19200);
  const Fd client(openTerminal(line.path()));
  ASSERT_GE(client.get(), 0);
  ASSERT_TRUE(writeAll(client.get(), kAwkwardBytes));
  EXPECT_EQ(readUpTo(line.fd(), kAwkwardBytes.size(), 2s), kAwkwardBytes);
  ASSERT_TRUE(writeAll(line.fd(), kAwkwardBytes));
  EXPECT_EQ(readUpTo(client.get(), kAwkwardBytes.size(), 2s), kAwkwardBytes);
}

TEST(SimSerialLine, OutlivesAPanelThatClosesAndComesBack) {
  const SerialLine line = SerialLine::openPseudoTerminal(19200);
  { const Fd first(openTerminal(line.path())); }
  const Fd second(openTerminal(line.path()));
  ASSERT_GE(second.get(), 0);
  expectRaw8N1(second.get(), B19200);
  ASSERT_TRUE(writeAll(second.get(), "CR0\r"));
  EXPECT_EQ(readUpTo(line.fd(), 4, 2s), "CR0\r");
}

TEST(SimSerialLine, ServesAGivenDevice) {
  int near = -1;
  int far = -1;
  ASSERT_EQ(openpty(&near, &far, nullptr, nullptr, nullptr), 0);
  const Fd wire(near);
  const Fd device(far);
  const std::string path = ttyname(far);
  const SerialLine line = SerialLine::openDevice(path, 9600);
  EXPECT_EQ(line.path(), path);
  expectRaw8N1(line.fd(), B9600);
  ASSERT_TRUE(writeAll(wire.get(), kAwkwardBytes));
  EXPECT_EQ(readUpTo(line.fd(), kAwkwardBytes.size(), 2s), kAwkwardBytes);
  ASSERT_TRUE(writeAll(line.fd(), "\x06"));
  EXPECT_EQ(readUpTo(wire.get(), 1, 2s), "\x06");
}

TEST(SimSerialLine, RefusesWhatIsNoSerialDevice) {
  EXPECT_THROW(SerialLine::openDevice("/dev/null", 19200), std::system_error);
  EXPECT_THROW(SerialLine::openDevice("/nonexistent/ttyS9", 19200), std::system_error);
}

class SimDeviceLink : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pv7100-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory_ = pattern;
    link_ = directory_ + "/projector";
  }
  void TearDown() override {
    unlink(link_.c_str());
    rmdir(directory_.c_str());
  }

  std::string target() const {
    char buffer[256];
    const ssize_t length = readlink(link_.c_str(), buffer, sizeof buffer);
    return length < 0 ? "" : std::string(buffer, static_cast<std::size_t>(length));
  }
  bool exists() const {
    struct stat status {};
    return lstat(link_.c_str(), &status) == 0;
  }

  std::string directory_;
  std::string link_;
};

TEST_F(SimDeviceLink, PointsToTheDeviceWhileItLasts) {
  {
    const DeviceLink link(link_, "/dev/pts/42");
    EXPECT_EQ(target(), "/dev/pts/42");
  }
  EXPECT_FALSE(exists());
}

TEST_F(SimDeviceLink, ReplacesALinkLeftBehind) {
  ASSERT_EQ(symlink("/dev/pts/1", link_.c_str()), 0);
  const DeviceLink link(link_, "/dev/pts/2");
  EXPECT_EQ(target(), "/dev/pts/2");
}

TEST_F(SimDeviceLink, LeavesAFileInTheWayAlone) {
  std::ofstream(link_) << "mine";
  EXPECT_THROW(DeviceLink(link_, "/dev/pts/2"), std::system_error);
  std::string text;
  std::ifstream(link_) >> text;
  EXPECT_EQ(text, "mine");
}

TEST_F(SimDeviceLink, LeavesALinkThatNowPointsElsewhere) {
  {
    const DeviceLink link(link_, "/dev/pts/2");
    unlink(link_.c_str());
    ASSERT_EQ(symlink("/dev/pts/3", link_.c_str()), 0);
  }
  EXPECT_EQ(target(), "/dev/pts/3");
}

}  // namespace
}  // namespace pv7100::sim
