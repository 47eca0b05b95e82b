// A projector that is silent, slow or refuses; ports that are missing, taken or lost; bad usage.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <QSerialPort>

#include "tests/ctl/processes.h"

namespace pv7100::ctl::testing {
namespace {

bool oneLine(const std::string& text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

TEST(CtlFaults, ASilentProjectorTimesOut) {
  Projector projector({"--silent"});
  const CtlRun run = runCtl({"--port", projector.device(), "--timeout", "300", "status", "state"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_GE(run.took, 300ms);
  EXPECT_LT(run.took, 1500ms);
  EXPECT_TRUE(oneLine(run.err)) << run.err;
  EXPECT_NE(run.err.find("no reply to state (CR0)"), std::string::npos) << run.err;
}

TEST(CtlFaults, SplitAndLateRepliesAreWaitedFor) {
  Projector split({"--split"});
  EXPECT_EQ(runCtl({"--port", split.device(), "status", "version"}).exitCode, 0);
  Projector late({"--delay", "400"});
  const CtlRun run = runCtl({"--port", late.device(), "status", "state"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "state: Stand by\n");
  EXPECT_GE(run.took, 400ms);
  EXPECT_EQ(runCtl({"--port", late.device(), "--timeout", "200", "power-on"}).exitCode, 1);
}

TEST(CtlFaults, ARefusalExitsWithFour) {
  Projector projector;
  const CtlRun refused = runCtl({"--port", projector.device(), "input-1"});
  EXPECT_EQ(refused.exitCode, 4);
  EXPECT_TRUE(oneLine(refused.err)) << refused.err;
  EXPECT_NE(refused.err.find("refused C05"), std::string::npos) << refused.err;
  const CtlRun unknown = runCtl({"--port", projector.device(), "send", "XYZ"});
  EXPECT_EQ(unknown.exitCode, 4);
  EXPECT_EQ(unknown.out, " ? CR \n");
  const CtlRun sent = runCtl({"--port", projector.device(), "send", "CF", "FANSPEED", "MAX"});
  EXPECT_EQ(sent.exitCode, 0) << sent.err;
  EXPECT_EQ(sent.out, " ACK \n");
}

TEST(CtlFaults, PortsThatDoNotOpenExitWithThree) {
  const std::string file = temporaryFile("plain");
  std::ofstream(file) << "x";
  struct Case {
    std::string device;
    std::string says;
  };
  for (const Case& bad : std::vector<Case>{
           {"/dev/pv7100-nothing-here", "there is no such device"},
           {file, "not a serial device (it is a regular file)"},
           {"/tmp", "not a serial device (it is a directory)"},
       }) {
    const CtlRun run = runCtl({"--port", bad.device, "status"});
    EXPECT_EQ(run.exitCode, 3) << bad.device;
    EXPECT_TRUE(oneLine(run.err)) << run.err;
    EXPECT_NE(run.err.find(bad.says), std::string::npos) << run.err;
  }
}

TEST(CtlFaults, ABusyPortNamesItsHolder) {
  Projector projector;
  QSerialPort holder(QString::fromStdString(projector.device()));
  ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
  const CtlRun run = runCtl({"--port", projector.device(), "status"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.err.find("(PID " + std::to_string(getpid()) + ", pv7100_ctl_test"),
            std::string::npos)
      << run.err;
  const CtlRun probe = runCtl({"probe", projector.device()});
  EXPECT_EQ(probe.exitCode, 1);
  EXPECT_NE(probe.err.find("holds it"), std::string::npos) << probe.err;
}

TEST(CtlFaults, APortLostInUseExitsWithFive) {
  Projector projector;
  ChildProcess waiting = startCtl({"--port", projector.device(), "wait", "on", "--within", "20"});
  ASSERT_TRUE(projector.waitForTaken("CR0", 1));
  projector.stop();
  EXPECT_EQ(exitCodeOf(waiting.waitForExit(5s)), 5);
}

TEST(CtlFaults, BadUsageExitsWithTwo) {
  const std::string unwritable = "/nonexistent-dir/ctl.log";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"nosuch"},
           {"--baud", "4800", "status"},
           {"--timeout", "soon", "status"},
           {"--bogus", "status"},
           {"power-on", "--for", "500"},
           {"status", "colour"},
           {"wait", "off"},
           {"status", "--within", "3"},
           {"list", "extra"},
           {"--port", "/dev/null", "--log", unwritable, "status"},
       }) {
    const CtlRun run = runCtl(args);
    EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
    EXPECT_TRUE(oneLine(run.err)) << run.err;
  }
}

// A pseudo-terminal has no line rate: both answer at the first speed asked.
TEST(CtlFaults, ProbeFindsEveryProjectorNamed) {
  Projector first;
  Projector second({"--count-down", "0", "--baud", "9600"});
  ASSERT_EQ(runCtl({"--port", second.device(), "power-on"}).exitCode, 0);
  const CtlRun run = runCtl({"probe", first.device(), second.device()});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            first.device() + "\t19200\tStand by\n" + second.device() + "\t19200\tPower ON\n");
}

}  // namespace
}  // namespace pv7100::ctl::testing
