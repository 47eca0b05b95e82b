#include "protocol/monitor_text.h"

#include <gtest/gtest.h>

#include <string>

namespace pv7100 {
namespace {

struct Rendering {
  std::string line;
  std::string monitor;
};

class MonitorRendering : public ::testing::TestWithParam<Rendering> {};

TEST_P(MonitorRendering, RendersEachCharacterAsItsToken) {
  EXPECT_EQ(renderMonitor(GetParam().line), GetParam().monitor);
}

INSTANTIATE_TEST_SUITE_P(Tokens, MonitorRendering,
                         ::testing::Values(
                             // Every row of the token table, in its order.
                             Rendering{"\x06", " ACK "}, Rendering{"\x14", " &"},
                             Rendering{"\r", " CR "}, Rendering{"\n", " LF "},
                             Rendering{std::string(1, '\0'), " ? "}, Rendering{"\x1f", " ? "},
                             Rendering{"\t", " ? "}, Rendering{" ", "   "}, Rendering{"z", " z "},
                             Rendering{"{", " ? "}, Rendering{"~", " ? "}, Rendering{"\x7f", " ? "},
                             Rendering{"\x80", " ? "}, Rendering{"\xff", " ? "},
                             Rendering{"é", " ? ? "}, Rendering{"abc", " a b c "},
                             // The worked examples.
                             Rendering{"C00\r", " C 0 0 CR "},
                             Rendering{"CF IMAGE REAL\r", " C F   I M A G E   R E A L CR "},
                             Rendering{"\x06", " ACK "}, Rendering{"00\r", " 0 0 CR "},
                             // Nothing at all, and a manual entry of nothing.
                             Rendering{"", " "}, Rendering{"\r", " CR "},
                             // DC4 takes one column, no space after it.
                             Rendering{"A\x14"
                                       "B",
                                       " A &B "}));

TEST(MonitorRendering, PrintableCharacterKStandsAtPosition2K) {
  std::string line;
  for (char c = ' '; c <= 'z'; ++c) line += c;
  const std::string monitor = renderMonitor(line);
  ASSERT_EQ(monitor.size(), 2 * line.size() + 1);
  for (std::size_t k = 1; k <= line.size(); ++k) {
    EXPECT_EQ(monitor[2 * k - 1], line[k - 1]) << "character " << k;
    EXPECT_EQ(monitor[2 * k - 2], ' ') << "position " << 2 * k - 1;
  }
}

TEST(MonitorRendering, RendersInPiecesAsInOne) {
  const std::string whole = "0\x06\r\nA{~\x14z";
  for (std::size_t split = 0; split <= whole.size(); ++split) {
    std::string monitor = renderMonitor(whole.substr(0, split));
    appendMonitorTokens(monitor, whole.substr(split));
    EXPECT_EQ(monitor, renderMonitor(whole)) << "split at " << split;
  }
}

TEST(MonitorRendering, LongerThanA16BitCountRendersWhole) {
  const std::string line(40000, 'A');
  EXPECT_EQ(renderMonitor(line).size(), 80001u);
}

}  // namespace
}  // namespace pv7100
