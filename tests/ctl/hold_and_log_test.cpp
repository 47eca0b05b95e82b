// Held commands paced as the panel's buttons, and the traffic log.
#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "tests/ctl/processes.h"

namespace pv7100::ctl::testing {
namespace {

struct LogLine {
  double seconds = 0;  // within the minute
  std::string direction;
  std::string bytes;
};

// "2026-12-07T09:12:03.141+01:00 TX C R 0 CR ": the stamp's shape, then the direction.
bool wellFormed(const std::string& row) {
  static const std::string shape = "dddd-dd-ddTdd:dd:dd.ddd+dd:dd ";
  if (row.size() < shape.size() + 3 || row[shape.size() + 2] != ' ') return false;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(row[i]));
    if (shape[i] == 'd'   ? !digit
        : shape[i] == '+' ? row[i] != '+' && row[i] != '-'
                          : row[i] != shape[i])
      return false;
  }
  return true;
}

std::vector<LogLine> parseLog(const std::string& text) {
  std::vector<LogLine> lines;
  std::istringstream in(text);
  for (std::string row; std::getline(in, row);) {
    EXPECT_TRUE(wellFormed(row)) << row;
    if (wellFormed(row))
      lines.push_back({std::stod(row.substr(17, 6)), row.substr(30, 2), row.substr(32)});
  }
  return lines;
}

TEST(CtlHold, SendsAtOnceThenAtEachPeriod) {
  Projector projector({"--count-down", "0"});
  ASSERT_EQ(runCtl({"--port", projector.device(), "power-on"}).exitCode, 0);
  struct Case {
    std::string name;
    std::string holdMs;
    std::string code;
    int lines;
    double period;
  };
  for (const Case& hold :
       {Case{"vol-plus", "600", "C09", 3, 0.250}, Case{"cursor-up", "500", "C3C", 3, 0.200},
        Case{"zoom-minus", "100", "C46", 1, 0.105}}) {
    const std::string log = temporaryFile("hold.log");
    const CtlRun run =
        runCtl({"--port", projector.device(), "--log", log, hold.name, "--for", hold.holdMs});
    EXPECT_EQ(run.exitCode, 0) << hold.name << ": " << run.err;
    EXPECT_TRUE(projector.waitForTaken(hold.code, hold.lines)) << hold.name;
    EXPECT_EQ(projector.taken(hold.code), hold.lines) << hold.name;
    std::vector<double> sent;
    for (const LogLine& line : parseLog(readFile(log))) {
      if (line.direction == "TX") sent.push_back(line.seconds);
    }
    ASSERT_EQ(sent.size(), static_cast<std::size_t>(hold.lines)) << hold.name;
    for (std::size_t i = 1; i < sent.size(); ++i) {
      const double gap = sent[i] - sent[i - 1] + (sent[i] < sent[i - 1] ? 60 : 0);
      EXPECT_NEAR(gap, hold.period, 0.030) << hold.name << " line " << i;
    }
  }
}

TEST(CtlLog, AppendsEachLineAndEachReply) {
  Projector projector;
  const std::string log = temporaryFile("traffic.log");
  ASSERT_EQ(runCtl({"--port", projector.device(), "--log", log, "status", "state"}).exitCode, 0);
  ASSERT_EQ(runCtl({"--port", projector.device(), "--log", log, "fan-max"}).exitCode, 0);
  ASSERT_EQ(runCtl({"--port", projector.device(), "--log", log, "input-2"}).exitCode, 4);
  const std::vector<LogLine> lines = parseLog(readFile(log));
  ASSERT_EQ(lines.size(), 6u);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"TX", " C R 0 CR "}, {"RX", " 8 0 CR "},   {"TX", " C F   F A N S P E E D   M A X CR "},
      {"RX", " ACK "},      {"TX", " C 0 6 CR "}, {"RX", " ? CR "},
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].direction, expected[i].first) << i;
    EXPECT_EQ(lines[i].bytes, expected[i].second) << i;
  }
}

}  // namespace
}  // namespace pv7100::ctl::testing
