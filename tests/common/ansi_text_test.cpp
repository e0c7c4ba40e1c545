#include "common/ansi_text.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(AnsiTextTest, ConvertsCodePage1252BothWays) {
  EXPECT_EQ(AnsiToUtf8("Quote"), "Quote");
  EXPECT_EQ(AnsiToUtf8("\x80"), "\u20AC");              // euro sign
  EXPECT_EQ(AnsiToUtf8("Caf\xE9"), "Caf\u00E9");        // Latin-1 range
  EXPECT_EQ(AnsiToUtf8("\x93x\x94"), "\u201Cx\u201D");  // curly quotes
  EXPECT_EQ(Utf8ToAnsi("\u20AC 5"), "\x80 5");
  EXPECT_EQ(Utf8ToAnsi("Caf\u00E9"), "Caf\xE9");
}

TEST(AnsiTextTest, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(AnsiTextTest, UnrepresentableOrBrokenTextBecomesQuestionMarks) {
  EXPECT_EQ(Utf8ToAnsi("\u4E2D"), "?");            // not in the code page
  EXPECT_EQ(Utf8ToAnsi("\xF0\x9F\x98\x80"), "?");  // outside the basic plane
  EXPECT_EQ(Utf8ToAnsi("a\xC3"), "a?");            // cut short
  EXPECT_EQ(Utf8ToAnsi("\xFFz"), "?z");            // not UTF-8 at all
}

}  // namespace
}  // namespace vorn
