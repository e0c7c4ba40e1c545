#include "common/number_parse.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

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
                      NumberCase{"7.25", 7.25}, NumberCase{"1e400", HUGE_VAL},
                      NumberCase{"-1e400", -HUGE_VAL}, NumberCase{"1e-400", 0},
                      NumberCase{"0.001e-322", 0}, NumberCase{"1000e306", HUGE_VAL},
                      NumberCase{"5e-324", 5e-324}, NumberCase{"1e99999999999999", HUGE_VAL}));

// Turns on a locale whose decimal sign is a comma, for one test, where the machine has one.
class CommaLocale {
 public:
  CommaLocale() {
    saved_ = std::setlocale(LC_NUMERIC, nullptr);
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252", "de-DE"})
      if (std::setlocale(LC_NUMERIC, name) != nullptr) return;
    saved_.clear();
  }
  ~CommaLocale() {
    if (!saved_.empty()) std::setlocale(LC_NUMERIC, saved_.c_str());
  }
  bool Active() const { return !saved_.empty(); }

 private:
  std::string saved_;
};

TEST(LeadingNumberLocaleTest, TheDecimalSignIsAPointWhateverTheUsersLocale) {
  CommaLocale german;
  if (!german.Active()) GTEST_SKIP() << "this machine has no locale with a decimal comma";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(LeadingNumber("3.5"), 3.5);
  EXPECT_EQ(LeadingNumber("1.5e1"), 15);
  EXPECT_EQ(LeadingNumber("3,5"), 3);
  EXPECT_EQ(RoundToInt16(LeadingNumber("3.5")), 4);
  EXPECT_EQ(ShortestNumberText(7.25), "7.25");
}

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

TEST(ShortestNumberTextTest, WritesTheShortestTextInThePlatformsForm) {
  struct Case {
    double value;
    const char* text;
  };
  // Plain decimals from 0.0001 up to fifteen digits before the point, the exponent form
  // beyond; the digits are the fewest that read back as the same value.
  const Case cases[] = {
      {0, "0"},
      {-0.0, "0"},
      {7.25, "7.25"},
      {-3, "-3"},
      {0.1, "0.1"},
      {100000, "100000"},
      {1000000, "1000000"},
      {-250000.5, "-250000.5"},
      {1e14, "100000000000000"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E+15"},
      {1.25e16, "1.25E+16"},
      {1e20, "1E+20"},
      {1e100, "1E+100"},
      {0.0001, "0.0001"},
      {0.000123, "0.000123"},
      {0.00001, "1E-05"},
      {1.5e-7, "1.5E-07"},
      {-2.5e-12, "-2.5E-12"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShortestNumberText(c.value), c.text) << c.value;
  for (double v : {7.25, 0.1, 1e20, 123456.789, -2.5e-12, 0.1 + 0.2, 1.0 / 3, 5e-324, 1.7976931348623157e308})
    EXPECT_EQ(LeadingNumber(ShortestNumberText(v)), v) << v;
}

}  // namespace
}  // namespace vorn
