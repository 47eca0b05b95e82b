#include "sim/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pv7100::sim {
namespace {

// The lines as text, an overflow written as "!".
std::vector<std::string> codes(const std::vector<ReceivedLine>& lines) {
  std::vector<std::string> texts;
  for (const ReceivedLine& line : lines) texts.push_back(line.overflow ? "!" : line.code);
  return texts;
}

using Lines = std::vector<std::string>;

TEST(SimLineReader, CutsAtEachCarriageReturn) {
  LineReader reader;
  EXPECT_EQ(codes(reader.feed("CR0\rC00\rCF IMAGE REAL\r")),
            (Lines{"CR0", "C00", "CF IMAGE REAL"}));
}

TEST(SimLineReader, HoldsAnUnfinishedLineUntilItsCarriageReturn) {
  LineReader reader;
  EXPECT_TRUE(reader.feed("C").empty());
  EXPECT_TRUE(reader.feed("R").empty());
  EXPECT_EQ(codes(reader.feed("0\rC0")), Lines{"CR0"});
  EXPECT_EQ(codes(reader.feed("1\r")), Lines{"C01"});
}

TEST(SimLineReader, DropsLineFeedsWherever) {
  LineReader reader;
  EXPECT_EQ(codes(reader.feed("\nC\nR0\r\nC01\n\r")), (Lines{"CR0", "C01"}));
}

TEST(SimLineReader, ALoneCarriageReturnIsAnEmptyLine) {
  LineReader reader;
  EXPECT_EQ(codes(reader.feed("\r\r")), (Lines{"", ""}));
}

TEST(SimLineReader, KeepsEveryOtherByteAsItCame) {
  LineReader reader;
  const std::string odd("\x00\x06 \x7f\xff", 5);
  EXPECT_EQ(codes(reader.feed(odd + "\r")), Lines{odd});
}

TEST(SimLineReader, TakesALineOfExactlyTheLimit) {
  LineReader reader;
  const std::string longest(kMaxLineLength, 'A');
  EXPECT_EQ(codes(reader.feed(longest + "\r")), Lines{longest});
}

TEST(SimLineReader, ReportsAnOverlongLineOnceAndSkipsItsRest) {
  LineReader reader;
  EXPECT_TRUE(reader.feed(std::string(kMaxLineLength, 'A')).empty());
  EXPECT_EQ(codes(reader.feed("B")), Lines{"!"});
  EXPECT_TRUE(reader.feed(std::string(1000, 'C')).empty());
  EXPECT_EQ(codes(reader.feed("C00\rCR0\r")), Lines{"CR0"});
}

TEST(SimLineReader, AnEndlessLineIsReportedOnlyOnce) {
  LineReader reader;
  EXPECT_EQ(codes(reader.feed(std::string(10 * kMaxLineLength, 'X'))), Lines{"!"});
}

}  // namespace
}  // namespace pv7100::sim
