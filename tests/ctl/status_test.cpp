// Status reads and `wait` against the simulated projector.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/ctl/processes.h"

namespace pv7100::ctl::testing {
namespace {

struct Read {
  std::string read;
  std::string start;  // the text after "READ: " starts with this
  std::string end;    // and ends with this
};

// The simulator in stand-by, as it starts; temperatures and pressure wobble.
const Read kReads[] = {
    {"state", "Stand by", ""},
    {"input", "Input mode 1", ""},
    {"lamp-hours", "0 1 2 3 4 CR  Hour Use", ""},
    {"reversal", "Normally", ""},
    {"temperatures", "S1=   2 ", " C "},
    {"lamp-mode", "OFF", ""},
    {"version", "P V 7 1 0 0   S I M   V 1 . 0 0 CR ", ""},
    {"mute", "Stand by", ""},
    {"pressure", "101", " hPa"},
};

bool shows(const std::string& out, const Read& read) {
  const std::string start = read.read + ": " + read.start;
  return out.starts_with(start) && out.ends_with(read.end + "\n") &&
         out.size() >= start.size() + read.end.size() + 1 && out.find('\n') == out.size() - 1;
}

TEST(CtlStatus, ReadsEachStatusInTextAndAllInOneRun) {
  Projector projector;
  for (const Read& read : kReads) {
    const CtlRun run = runCtl({"--port", projector.device(), "status", read.read});
    EXPECT_EQ(run.exitCode, 0) << read.read << ": " << run.err;
    EXPECT_TRUE(shows(run.out, read)) << run.out;
  }
  const CtlRun run = runCtl({"--port", projector.device(), "status"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::istringstream lines(run.out);
  for (const Read& read : kReads) {
    std::string line;
    std::getline(lines, line);
    EXPECT_TRUE(shows(line + "\n", read)) << line;
  }
}

TEST(CtlStatus, InJsonGivesReplyTextAndValue) {
  Projector projector;
  const CtlRun run = runCtl({"--json", "--port", projector.device(), "status", "state",
                             "lamp-hours", "version", "pressure"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(
      run.out,
      "[\n"
      R"(  {"read": "state", "code": "CR0", "reply": " 8 0 CR ", "text": " Stand by", "value": "standby"},)"
      "\n"
      R"(  {"read": "lamp-hours", "code": "CR3", "reply": " 0 1 2 3 4 CR ", "text": " 0 1 2 3 4 CR  Hour Use", "value": 1234},)"
      "\n"
      R"(  {"read": "version", "code": "CR9", "reply": " P V 7 1 0 0   S I M   V 1 . 0 0 CR ", "text": " P V 7 1 0 0   S I M   V 1 . 0 0 CR ", "value": null},)"
      "\n"
      R"(  {"read": "pressure", "code": "CR PRESSURE", "reply": " 8 5 3 CR ", "text": "1013 hPa", "value": 1013})"
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
