#include "common/number_parse.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn {
namespace {

struct NumberCase {
  const char* text;
  double value;
};

class LeadingNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LeadingNumberTest, ReadsTheNumberAtTheStart) {
  EXPECT_DOUBLE_EQ(LeadingNumber(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingNumberTest,
    ::testing::Values(NumberCase{"12", 12}, NumberCase{"12abc", 12}, NumberCase{"abc", 0},
                      NumberCase{"", 0}, NumberCase{"2.5", 2.5}, NumberCase{"-3", -3},
                      NumberCase{"+4", 4}, NumberCase{" 7 ", 7}, NumberCase{"1 2 3", 123},
                      NumberCase{"1\t2\n3", 123}, NumberCase{"- 3", -3}, NumberCase{"1e1", 10},
                      NumberCase{"1E+2", 100}, NumberCase{"2.5E-1", 0.25}, NumberCase{"1d2", 100},
                      NumberCase{"1e", 1}, NumberCase{"1e+", 1}, NumberCase{".5", 0.5},
                      NumberCase{"1.2.3", 1.2}, NumberCase{"--1", 0}, NumberCase{"-", 0},
                      NumberCase{"&H10", 16}, NumberCase{"&hff", 255}, NumberCase{"&HFFFF", -1},
                      NumberCase{"&H10000", 65536}, NumberCase{"&O17", 15}, NumberCase{"&o8", 0},
                      NumberCase{"&X1", 0}, NumberCase{"99999", 99999}, NumberCase{"12 copies", 12},
                      NumberCase{"7.25", 7.25}));

TEST(RoundToInt16Test, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundToInt16(2.5), 2);
  EXPECT_EQ(RoundToInt16(3.5), 4);
  EXPECT_EQ(RoundToInt16(-2.5), -2);
  EXPECT_EQ(RoundToInt16(0.5), 0);
  EXPECT_EQ(RoundToInt16(1.5), 2);
  EXPECT_EQ(RoundToInt16(2.6), 3);
  EXPECT_EQ(RoundToInt16(-0.4), 0);
}

TEST(RoundToInt16Test, OnlySixteenBitValuesFit) {
  EXPECT_EQ(RoundToInt16(32767), 32767);
  EXPECT_EQ(RoundToInt16(-32768), -32768);
  EXPECT_EQ(RoundToInt16(32767.4), 32767);
  EXPECT_EQ(RoundToInt16(32767.5), std::nullopt);
  EXPECT_EQ(RoundToInt16(-32768.6), std::nullopt);
  EXPECT_EQ(RoundToInt16(99999), std::nullopt);
  EXPECT_EQ(RoundToInt16(NAN), std::nullopt);
  EXPECT_EQ(RoundToInt16(INFINITY), std::nullopt);
}

TEST(ShortestNumberTextTest, WritesTheShortestText) {
  EXPECT_EQ(ShortestNumberText(0), "0");
  EXPECT_EQ(ShortestNumberText(-0.0), "0");
  EXPECT_EQ(ShortestNumberText(7.25), "7.25");
  EXPECT_EQ(ShortestNumberText(-3), "-3");
  EXPECT_EQ(ShortestNumberText(0.1), "0.1");
  EXPECT_EQ(ShortestNumberText(1e20), "1E+20");
  EXPECT_EQ(ShortestNumberText(1.5e-7), "1.5E-07");
  for (double v : {7.25, 0.1, 1e20, 123456.789, -2.5e-12})
    EXPECT_EQ(LeadingNumber(ShortestNumberText(v)), v) << v;
}

}  // namespace
}  // namespace vorn
