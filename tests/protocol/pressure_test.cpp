#include "protocol/pressure.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pv7100 {
namespace {

TEST(NumericValue, ReadsTheNumberAtTheStartSkippingBlanksAnywhere) {
  EXPECT_DOUBLE_EQ(numericValue(" 5 1 2 CR "), 512);
  EXPECT_DOUBLE_EQ(numericValue("\t-\n1 2 . 5"), -12.5);
  EXPECT_DOUBLE_EQ(numericValue("+7"), 7);
  EXPECT_DOUBLE_EQ(numericValue(".5"), 0.5);
  EXPECT_DOUBLE_EQ(numericValue("1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(numericValue("1 E 3"), 1000);
  EXPECT_DOUBLE_EQ(numericValue("25D-1"), 2.5);
  EXPECT_DOUBLE_EQ(numericValue("2E+2x"), 200);
  EXPECT_DOUBLE_EQ(numericValue("2e2"), 2);  // only upper-case letters mark an exponent
  EXPECT_DOUBLE_EQ(numericValue("2d2"), 2);
  EXPECT_DOUBLE_EQ(numericValue("3E"), 3);
  EXPECT_DOUBLE_EQ(numericValue("3E-"), 3);
  EXPECT_DOUBLE_EQ(numericValue("12-3"), 12);
  EXPECT_DOUBLE_EQ(numericValue("1,5"), 1);
}

TEST(NumericValue, NoDigitsGiveZero) {
  for (const char* text : {"", " ", "CR ", "-", "+.", ".", "E5", " ACK ", "--1"}) {
    EXPECT_DOUBLE_EQ(numericValue(text), 0) << '"' << text << '"';
  }
}

TEST(NumericValue, BeyondADoubleIsHugeOrZero) {
  EXPECT_TRUE(std::isinf(numericValue("1E999")));
  EXPECT_LT(numericValue("-1E999"), 0);
  EXPECT_DOUBLE_EQ(numericValue("1E-999"), 0);
  EXPECT_TRUE(std::isinf(numericValue(std::string(400, '9'))));
  EXPECT_DOUBLE_EQ(numericValue("0." + std::string(400, '0') + "1"), 0);
  EXPECT_TRUE(std::isinf(numericValue("1E99999999999999999999")));
}

TEST(RoundToInt16, ExactHalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(roundToInt16(0.5), 0);
  EXPECT_EQ(roundToInt16(1.5), 2);
  EXPECT_EQ(roundToInt16(2.5), 2);
  EXPECT_EQ(roundToInt16(-0.5), 0);
  EXPECT_EQ(roundToInt16(-1.5), -2);
  EXPECT_EQ(roundToInt16(-2.5), -2);
  EXPECT_EQ(roundToInt16(2.4999), 2);
  EXPECT_EQ(roundToInt16(2.5001), 3);
}

TEST(RoundToInt16, OnlyWhatFitsInSixteenBits) {
  EXPECT_EQ(roundToInt16(32767.4), 32767);
  EXPECT_EQ(roundToInt16(32767.5), std::nullopt);
  EXPECT_EQ(roundToInt16(-32768.5), -32768);
  EXPECT_EQ(roundToInt16(-32768.6), std::nullopt);
  EXPECT_EQ(roundToInt16(HUGE_VAL), std::nullopt);
  EXPECT_EQ(roundToInt16(NAN), std::nullopt);
}

}  // namespace
}  // namespace pv7100
