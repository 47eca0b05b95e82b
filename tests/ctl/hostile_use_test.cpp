// Odd arguments, late replies, shared ports, failing output and signals: one line per send, no
// stale answers, no silent failures.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "serial/port_lock.h"
#include "tests/ctl/processes.h"

namespace pv7100::ctl::testing {
namespace {

bool printable(const std::string& text) {
  for (const char c : text.substr(0, text.size() - 1))
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return text.ends_with('\n');
}

TEST(CtlHostileUse, BadCodesAndUnusableFilesAreUsageErrorsAndNothingIsSent) {
  Projector projector;
  const std::string fifo = temporaryFile("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string port = projector.device();
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  for (const Case& bad : std::vector<Case>{
           {{"send", "CR0\rC00"}, "\"CR0\\rC00\" holds the control byte \\r"},
           {{"send", "C\x1b[2J"}, "\\x1b"},
           {{"send", ""}, "send needs a code"},
           {{"send", std::string(257, 'C')}, "257 bytes long; send takes at most 256"},
           {{"probe", ""}, "probe needs a device"},
           {{"--log", fifo, "power-on"}, "neither a regular file nor a character device"},
       }) {
    std::vector<std::string> args{"--port", port};
    args.insert(args.end(), bad.args.begin(), bad.args.end());
    const CtlRun run = runCtl(args);
    EXPECT_EQ(run.exitCode, 2) << bad.says;
    EXPECT_TRUE(printable(run.err)) << run.err;
    EXPECT_NE(run.err.find(bad.says), std::string::npos) << run.err;
  }
  EXPECT_EQ(projector.taken("C00") + projector.taken("CR0"), 0);
  EXPECT_EQ(runCtl({"--port", port, "send", "--", "-h"}).exitCode, 4);
  EXPECT_EQ(projector.taken("-h"), 1);
  const CtlRun probe = runCtl({"probe", port, port});
  EXPECT_EQ(probe.out, port + "\t19200\tStand by\n");
}

TEST(CtlHostileUse, ALateReplyIsDroppedNotTakenForTheNextAnswer) {
  Projector late({"--delay", "600"});
  const std::string port = late.device();
  const CtlRun within = runCtl({"--port", port, "--timeout", "500", "status", "state", "input"});
  EXPECT_EQ(within.exitCode, 1);
  EXPECT_EQ(within.out, "");
  const CtlRun next = runCtl({"--port", port, "--timeout", "1500", "status", "lamp-hours"});
  EXPECT_EQ(next.exitCode, 0) << next.err;
  EXPECT_EQ(next.out.rfind("lamp-hours: ", 0), 0u) << next.out;
  EXPECT_EQ(next.out.find("Stand by"), std::string::npos) << next.out;
}

TEST(CtlHostileUse, AHoldStopsAtTheFirstRefusal) {
  Projector standby;
  EXPECT_EQ(runCtl({"--port", standby.device(), "vol-plus", "--for", "2000"}).exitCode, 4);
  EXPECT_EQ(standby.taken("C09"), 1);
}

TEST(CtlHostileUse, OutputThatCannotBeWrittenIsAFailure) {
  Projector projector;
  const std::string port = projector.device();
  struct Case {
    std::vector<std::string> args;
    const char* output;
  };
  for (const auto& [args, output] : std::vector<Case>{
           {{"--port", port, "--log", "/dev/full", "status", "state"}, "/dev/null"},
           {{"--port", port, "status", "state"}, "/dev/full"},
           {{"list"}, "/dev/full"},
           {{"--help"}, "/dev/full"},
       }) {
    std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$0\" \"$@\" > " + std::string(output),
                                  PV7100_CTL};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess ctl(
        argv, {.env = {}, .quiet = false, .fd3 = -1, .captureStderr = true, .stderrFile = {}});
    const auto finished = ctl.finish(10s);
    EXPECT_EQ(exitCodeOf(finished.status), 2) << ::testing::PrintToString(args);
    EXPECT_NE(finished.err.find("cannot be written"), std::string::npos) << finished.err;
  }
}

TEST(CtlHostileUse, JsonStaysWholeAndUtf8) {
  Projector projector({"--delay", "300"});
  const CtlRun bytes = runCtl({"--port", projector.device(), "--json", "send", "\xff"});
  EXPECT_NE(bytes.out.find("\"code\": \"\\u00ff\""), std::string::npos) << bytes.out;
  ChildProcess reading(
      {PV7100_CTL, "--port", projector.device(), "--json", "status"},
      {.env = {}, .quiet = false, .fd3 = -1, .captureStderr = true, .stderrFile = {}});
  ASSERT_TRUE(projector.waitForTaken("CR1", 1));
  projector.stop();
  const auto finished = reading.finish(10s);
  EXPECT_EQ(exitCodeOf(finished.status), 5);
  EXPECT_TRUE(finished.out.starts_with("[\n  {\"read\": \"state\"")) << finished.out;
  EXPECT_NE(finished.out.find("\"text\": null, \"value\": null, \"error\": \"" +
                              projector.device() + " went away"),
            std::string::npos)
      << finished.out;
  EXPECT_TRUE(finished.out.ends_with("\"}\n]\n")) << finished.out;
}

// Under another name the port is the same port; a stop signal closes it, lock and all.
TEST(CtlHostileUse, ThePortIsHeldByItsRealPathAndFreedOnSignals) {
  Projector projector;
  const std::string link = temporaryFile("projector");
  std::filesystem::create_symlink(projector.device(), link);
  for (const int signal : {SIGINT, SIGTERM}) {
    const int before = projector.taken("CR0");
    ChildProcess waiting(
        {PV7100_CTL, "--port", projector.device(), "--json", "wait", "on"},
        {.env = {}, .quiet = false, .fd3 = -1, .captureStderr = false, .stderrFile = {}});
    ASSERT_TRUE(projector.waitForTaken("CR0", before + 1));
    for (const std::string& name : {link, projector.device()}) {
      const CtlRun second = runCtl({"--port", name, "status"});
      EXPECT_EQ(second.exitCode, 3);
      EXPECT_NE(second.err.find(", pv7100ctl) holds it"), std::string::npos) << second.err;
    }
    EXPECT_TRUE(std::filesystem::exists(portLockFile(link)));
    const CtlRun probe = runCtl({"probe", link});
    EXPECT_NE(probe.err.find("holds it"), std::string::npos) << probe.err;
    EXPECT_EQ(probe.err.find("went away"), std::string::npos) << probe.err;
    waiting.signal(signal);
    const auto finished = waiting.finish(5s);
    EXPECT_EQ(exitCodeOf(finished.status), 128 + signal);
    EXPECT_FALSE(std::filesystem::exists(portLockFile(link)));
    EXPECT_EQ(finished.out.rfind("{\"read\": \"state\"", 0), 0u) << finished.out;
    EXPECT_EQ(runCtl({"--port", link, "status", "state"}).exitCode, 0);
  }
}

}  // namespace
}  // namespace pv7100::ctl::testing
