// The display check both programs make before Qt starts: which platform it looks at, and that
// an unreachable or missing X display is found without Qt's abort.
#include "gui/qt/display_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace vorn::gui {
namespace {

struct Case {
  const char* name;
  std::vector<std::string> args;
  std::optional<std::string> platform;  // QT_QPA_PLATFORM, unset when empty
  std::optional<std::string> display;   // DISPLAY, unset when empty
  bool expected;
  const char* whyHolds;  // a text `why` holds when the check fails
};

// No X server listens on display 987 here: its socket does not exist.
const Case kCases[] = {
    {"OffscreenIsLeftToQt", {}, "offscreen", ":987", true, ""},
    {"OffscreenByArgument", {"-platform", "offscreen"}, std::nullopt, ":987", true, ""},
    {"OffscreenByDoubleHyphen", {"--platform", "offscreen"}, "xcb", ":987", true, ""},
    {"FallbackListIsLeftToQt", {}, "xcb;offscreen", ":987", true, ""},
    {"WaylandIsLeftToQt", {}, "wayland", std::nullopt, true, ""},
    {"UnreachableDisplay", {}, std::nullopt, ":987", false, "\":987\""},
    {"UnreachableDisplayWithXcb", {}, "xcb", ":987", false, "\":987\""},
    {"XcbWithOptions", {}, "xcb:nograb", ":987", false, "\":987\""},
    {"DisplayArgumentWins", {"-display", ":986"}, "xcb", ":987", false, "\":986\""},
    {"NoDisplaySet", {}, std::nullopt, std::nullopt, false, "DISPLAY is not set"},
    {"ScreenOfAnUnreachableDisplay", {}, "xcb", ":987.1", false, "\":987.1\""},
};

void SetOrUnset(const char* name, const std::optional<std::string>& value) {
  if (value)
    ::setenv(name, value->c_str(), 1);
  else
    ::unsetenv(name);
}

class DisplayCheck : public ::testing::TestWithParam<Case> {};

TEST_P(DisplayCheck, AnswersWithoutAborting) {
  const Case& c = GetParam();
  SetOrUnset("QT_QPA_PLATFORM", c.platform);
  SetOrUnset("DISPLAY", c.display);
  std::vector<std::string> args = {"program"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::string why;
  EXPECT_EQ(CanOpenDisplay(static_cast<int>(args.size()), argv.data(), why), c.expected);
  if (!c.expected) {
    EXPECT_NE(why.find(c.whyHolds), std::string::npos) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos) << "one line";
  }
}

INSTANTIATE_TEST_SUITE_P(Platforms, DisplayCheck, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorn::gui
