// Status reads and `wait` against the simulated projector.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/ctl/processes.h"

namespace pv7100::ctl::testing {
namespace {

struct Read {
  std::string read;
  std::string text;  // a pattern for the text after "READ: "
};

// The simulator in stand-by, as it starts.
const Read kReads[] = {
    {"state", "Stand by"},
    {"input", "Input mode 1"},
    {"lamp-hours", R"(0 1 2 3 4 CR  Hour Use)"},
    {"reversal", "Normally"},
    {"temperatures", R"(S1=   2 5 \. [0-9] C  ,   S2=  2 5 \. [0-9] C  , .*)"},
    {"lamp-mode", "OFF"},
    {"version", R"(P V 7 1 0 0   S I M   V 1 \. 0 0 CR )"},
    {"mute", "Stand by"},
    {"pressure", "101[1-5] hPa"},
};

TEST(CtlStatus, ReadsEachStatusInTextAndAllInOneRun) {
  Projector projector;
  std::string all;
  for (const Read& read : kReads) {
    const CtlRun run = runCtl({"--port", projector.device(), "status", read.read});
    EXPECT_EQ(run.exitCode, 0) << read.read << ": " << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex(read.read + ": " + read.text + "\n")))
        << run.out;
    all += read.read + ": " + read.text + "\n";
  }
  const CtlRun run = runCtl({"--port", projector.device(), "status"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::regex_match(run.out, std::regex(all))) << run.out;
}

TEST(CtlStatus, InJsonGivesReplyAndText) {
  Projector projector;
  const CtlRun run = runCtl({"--json", "--port", projector.device(), "status", "state", "version"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(
      run.out,
      "[\n"
      R"(  {"read": "state", "code": "CR0", "reply": " 8 0 CR ", "text": " Stand by"},)"
      "\n"
      R"(  {"read": "version", "code": "CR9", "reply": " P V 7 1 0 0   S I M   V 1 . 0 0 CR ", "text": " P V 7 1 0 0   S I M   V 1 . 0 0 CR "})"
      "\n]\n");
}

TEST(CtlStatus, WaitPollsTheStateAtMostOnceASecond) {
  Projector projector({"--count-down", "2500"});
  ASSERT_EQ(runCtl({"--port", projector.device(), "power-on"}).exitCode, 0);
  const CtlRun run = runCtl({"--port", projector.device(), "wait", "on", "--within", "10"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_GE(run.took, 2000ms);
  const int reads = projector.taken("CR0");
  EXPECT_GE(reads, 3);
  EXPECT_LE(reads, run.took / 1000ms + 1) << "in " << run.took.count() << " ms";
}

TEST(CtlStatus, WaitGivesUpAfterItsTime) {
  Projector projector;
  const CtlRun run = runCtl({"--port", projector.device(), "wait", "on", "--within", "1"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("not on within 1 s (last state: Stand by)"), std::string::npos) << run.err;
  EXPECT_GE(run.took, 1000ms);
  EXPECT_LE(projector.taken("CR0"), 1);
}

}  // namespace
}  // namespace pv7100::ctl::testing
