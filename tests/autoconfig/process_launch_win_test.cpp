#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "autoconfig/platform/process_launch.h"
#include "common/file_names.h"
#include "common/run_error.h"
#include "tests/support/temp_dir.h"

namespace vorn::autoconfig {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

// Waits up to twenty seconds (a first start under Wine is slow) for the text the probe
// writes; the file may show up a moment before it can be read.
std::string WaitForFile(const fs::path& path) {
  for (int i = 0; i < 2000; ++i) {
    if (fs::exists(path)) {
      std::string text = testing::ReadFile(Utf8(path));
      if (!text.empty()) return text;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "<never written>";
}

// The probe program, copied to where a test wants Kelvarin to be.
fs::path PlaceProbe(const fs::path& folder) {
  fs::create_directories(folder);
  const fs::path program = folder / L"Kelvarin.exe";
  fs::copy_file(NativePath(ApplicationDirectory()) / L"launch_probe.exe", program);
  return program;
}

TEST(StartDetachedProcessWin, StartsTheProgramFromAFolderOutsideTheAnsiCodePage) {
  vorn::testing::TempDir dir;
  // "Größe 日本": letters of two code pages at once, so no ANSI code page holds the path.
  const fs::path program = PlaceProbe(fs::path(dir.path()) / L"Gr\u00f6\u00dfe \u65e5\u672c");
  const fs::path work = fs::path(dir.path()) / L"work";
  fs::create_directories(work);
  const fs::path start = fs::current_path();
  fs::current_path(work);
  StartDetachedProcess(Utf8(program));
  fs::current_path(start);
  // Started with no arguments, in the current directory it inherited.
  EXPECT_EQ(WaitForFile(work / L"started"), "0");
}

TEST(StartDetachedProcessWin, AMissingProgramIsAnError) {
  vorn::testing::TempDir dir;
  EXPECT_THROW(StartDetachedProcess(Utf8(fs::path(dir.path()) / L"Kelvarin.exe")), RunError);
}

}  // namespace
}  // namespace vorn::autoconfig
