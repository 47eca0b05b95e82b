// The real pv7100-sim executable, driven through the terminal it prints.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/pty.h"

namespace pv7100::sim {
namespace {

using namespace std::chrono_literals;
using pv7100::testing::ChildProcess;
using pv7100::testing::kPatience;
using pv7100::testing::openTerminal;
using pv7100::testing::readUntil;
using pv7100::testing::readUpTo;
using pv7100::testing::writeAll;

const std::string kSimulator = PV7100_SIM_EXECUTABLE;

std::vector<std::string> command(std::vector<std::string> options) {
  options.insert(options.begin(), kSimulator);
  return options;
}

// The simulator started with `options`, and the terminal it serves opened as the panel would.
class Simulator {
 public:
  explicit Simulator(std::vector<std::string> options = {})
      : process_(command(std::move(options))) {
    const std::optional<std::string> path = process_.readLine(kPatience);
    if (!path) return;
    device_ = *path;
    fd_ = openTerminal(device_);
  }
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;
  ~Simulator() {
    if (fd_ >= 0) close(fd_);
  }

  bool ready() const { return fd_ >= 0; }

  // Closes the terminal and opens it again, as a panel that closes and reopens its port.
  bool reopen() {
    close(fd_);
    fd_ = openTerminal(device_);
    return ready();
  }

  const std::string& device() const { return device_; }
  ChildProcess& process() { return process_; }

  // Sends `line` and returns the reply, read up to its CR.
  std::string ask(std::string_view line) {
    if (!writeAll(fd_, line)) return "(write failed)";
    return reply();
  }
  // Sends `line` and returns the first `count` bytes that come back, waiting at most kPatience.
  std::string askFor(std::string_view line, std::size_t count) {
    if (!writeAll(fd_, line)) return "(write failed)";
    return readUpTo(fd_, count, kPatience);
  }
  // Sends `line` and returns everything that comes within `wait`.
  std::string askAndListen(std::string_view line, std::chrono::milliseconds wait) {
    if (!writeAll(fd_, line)) return "(write failed)";
    return listen(wait);
  }
  // What comes up to a CR, waiting at most kPatience.
  std::string reply() { return readUntil(fd_, '\r'); }
  // Everything that comes within `wait`.
  std::string listen(std::chrono::milliseconds wait) { return readUpTo(fd_, 100'000, wait); }

  // True when the simulator ends with exit code 0 within kPatience.
  bool exitsCleanly() {
    const std::optional<int> status = process_.waitForExit(kPatience);
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
  }

 private:
  ChildProcess process_;
  std::string device_;
  int fd_ = -1;
};

TEST(SimEndToEnd, AnswersAStatusReadAndStopsOnSigterm) {
  Simulator sim;
  ASSERT_TRUE(sim.ready()) << "device: " << sim.device();
  EXPECT_TRUE(sim.device().starts_with("/dev/pts/")) << sim.device();
  EXPECT_EQ(sim.ask("CR0\r"), "80\r");
  sim.process().signal(SIGTERM);
  EXPECT_TRUE(sim.exitsCleanly());
}

TEST(SimEndToEnd, AcknowledgesRefusesAndCountsDown) {
  Simulator sim({"--count-down", "0"});
  ASSERT_TRUE(sim.ready());
  EXPECT_EQ(sim.ask("C05\r"), "\x15\r");
  EXPECT_EQ(sim.askFor("C00\r", 1), "\x06");
  // Each exact reply below also shows that nothing strayed after the one before.
  EXPECT_EQ(sim.ask("CR0\r"), "00\r");
  EXPECT_EQ(sim.askFor("C05\r", 1), "\x06");
  EXPECT_EQ(sim.ask("XYZ\r\n"), "\x15\r");
  EXPECT_EQ(sim.ask(std::string(300, 'A') + "\r"), "\x15\r");
  EXPECT_EQ(sim.ask("CR1\r"), "1\r");
  sim.process().signal(SIGINT);
  EXPECT_TRUE(sim.exitsCleanly());
}

TEST(SimEndToEnd, LinksTheDeviceUntilItEnds) {
  char pattern[] = "/tmp/pv7100-sim-e2e-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string link = std::string(pattern) + "/projector";
  {
    Simulator sim({"--link", link});
    ASSERT_TRUE(sim.ready());
    char target[256];
    const ssize_t length = readlink(link.c_str(), target, sizeof target);
    ASSERT_GT(length, 0);
    EXPECT_EQ(std::string(target, static_cast<std::size_t>(length)), sim.device());
    sim.process().signal(SIGTERM);
    EXPECT_TRUE(sim.exitsCleanly());
  }
  struct stat status {};
  EXPECT_NE(lstat(link.c_str(), &status), 0);
  rmdir(pattern);
}

TEST(SimEndToEnd, KeepsServingAPanelThatReopensItsPort) {
  Simulator sim;
  ASSERT_TRUE(sim.ready());
  EXPECT_EQ(sim.ask("CR0\r"), "80\r");
  ASSERT_TRUE(sim.reopen());
  EXPECT_EQ(sim.ask("CR1\r"), "1\r");
  sim.process().signal(SIGTERM);
  EXPECT_TRUE(sim.exitsCleanly());
}

TEST(SimEndToEnd, EndsWithItsStandardInputWhenAsked) {
  Simulator sim({"--exit-with-stdin"});
  ASSERT_TRUE(sim.ready());
  EXPECT_EQ(sim.ask("CR0\r"), "80\r");
  sim.process().closeStdin();
  EXPECT_TRUE(sim.exitsCleanly());
}

TEST(SimEndToEnd, OutlivesItsStandardInputOtherwise) {
  Simulator sim;
  ASSERT_TRUE(sim.ready());
  sim.process().closeStdin();
  EXPECT_EQ(sim.process().waitForExit(300ms), std::nullopt);
  EXPECT_EQ(sim.ask("CR0\r"), "80\r");
  sim.process().signal(SIGTERM);
  EXPECT_TRUE(sim.exitsCleanly());
}

TEST(SimEndToEnd, ServesAGivenDevice) {
  int near = -1;
  int far = -1;
  ASSERT_EQ(openpty(&near, &far, nullptr, nullptr, nullptr), 0);
  const std::string device = ttyname(far);
  ChildProcess sim(command({"--device", device, "--baud", "9600"}));
  EXPECT_EQ(sim.readLine(kPatience), device);
  ASSERT_TRUE(writeAll(near, "CR1\r"));
  EXPECT_EQ(readUntil(near, '\r'), "1\r");
  sim.signal(SIGTERM);
  const std::optional<int> status = sim.waitForExit(kPatience);
  EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
  close(near);
  close(far);
}

TEST(SimEndToEnd, DelayHoldsTheReplyBack) {
  Simulator sim({"--delay", "400"});
  ASSERT_TRUE(sim.ready());
  EXPECT_EQ(sim.askAndListen("CR0\r", 200ms), "");
  EXPECT_EQ(sim.reply(), "80\r");
  sim.process().signal(SIGTERM);
  EXPECT_TRUE(sim.exitsCleanly());
}

TEST(SimEndToEnd, SilentNeverAnswers) {
  Simulator sim({"--silent"});
  ASSERT_TRUE(sim.ready());
  EXPECT_EQ(sim.askAndListen("CR0\r", 300ms), "");
  sim.process().signal(SIGTERM);
  EXPECT_TRUE(sim.exitsCleanly());
}

TEST(SimEndToEnd, SplitRepliesStillArriveWhole) {
  Simulator sim({"--split"});
  ASSERT_TRUE(sim.ready());
  EXPECT_EQ(sim.ask("CR0\r"), "80\r");
  sim.process().signal(SIGTERM);
  EXPECT_TRUE(sim.exitsCleanly());
}

TEST(SimEndToEnd, ChattyTalksUnasked) {
  Simulator sim({"--chatty", "1920", "--seed", "5"});
  ASSERT_TRUE(sim.ready());
  EXPECT_GE(sim.listen(300ms).size(), 100u);
  sim.process().signal(SIGTERM);
  EXPECT_TRUE(sim.exitsCleanly());
}

TEST(SimEndToEnd, RefusesBadArgumentsWithExitCode2) {
  ChildProcess sim(command({"--baud", "300"}));
  EXPECT_EQ(sim.readLine(kPatience), std::nullopt);
  const std::optional<int> status = sim.waitForExit(kPatience);
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 2);
}

}  // namespace
}  // namespace pv7100::sim
