#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

#include "autoconfig/platform/process_launch.h"
#include "common/run_error.h"
#include "temp_dir.h"

namespace vorn::autoconfig {
namespace {

namespace fs = std::filesystem;

// Waits up to five seconds for a file the started program writes.
std::string WaitForFile(const fs::path& path) {
  for (int i = 0; i < 500; ++i) {
    if (fs::exists(path)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      return vorn::testing::ReadBytes(path);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "<never written>";
}

TEST(StartDetachedProcess, StartsTheProgramWithoutArgumentsInTheCurrentDirectory) {
  vorn::testing::TempDir dir;
  const fs::path program = dir.Path() / "program";
  const fs::path work = dir.Path() / "work";
  fs::create_directories(work);
  vorn::testing::WriteBytes(
      program,
      "#!/bin/sh\n"
      "echo \"$# $(pwd) $(cut -d' ' -f6 /proc/$$/stat) $PPID\" > \"$(pwd)/out.$$\"\n"
      "mv \"$(pwd)/out.$$\" \"$(pwd)/started\"\n");
  fs::permissions(program, fs::perms::owner_all);
  const fs::path start = fs::current_path();
  fs::current_path(work);
  StartDetachedProcess(program.string());
  fs::current_path(start);

  std::string line = WaitForFile(work / "started");
  std::istringstream fields(line);
  std::string count, cwd, session, parent;
  fields >> count >> cwd >> session >> parent;
  EXPECT_EQ(count, "0") << line;
  EXPECT_EQ(fs::path(cwd), fs::canonical(work)) << line;
  // A session of its own, and not our child: nothing for us to wait for.
  EXPECT_NE(session, std::to_string(::getsid(0))) << line;
  EXPECT_NE(parent, std::to_string(::getpid())) << line;
}

TEST(StartDetachedProcess, EveryCallStartsAnotherProcess) {
  vorn::testing::TempDir dir;
  const fs::path program = dir.Path() / "program";
  vorn::testing::WriteBytes(program,
                            "#!/bin/sh\necho $$ > \"" + dir.Path().string() + "/pid.$$\"\n");
  fs::permissions(program, fs::perms::owner_all);
  StartDetachedProcess(program.string());
  StartDetachedProcess(program.string());
  int files = 0;
  for (int i = 0; i < 500 && files < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    files = 0;
    for (const auto& e : fs::directory_iterator(dir.Path()))
      files += e.path().filename().string().rfind("pid.", 0) == 0;
  }
  EXPECT_EQ(files, 2);
}

TEST(StartDetachedProcess, AMissingProgramIsFileNotFound) {
  vorn::testing::TempDir dir;
  try {
    StartDetachedProcess((dir.Path() / "kelvarin").string());
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), static_cast<int>(ErrorNumber::kFileNotFound));
    EXPECT_NE(error.Description().find("kelvarin"), std::string::npos);
  }
}

TEST(StartDetachedProcess, AFileThatCannotBeRunIsAnError) {
  vorn::testing::TempDir dir;
  const fs::path program = dir.Path() / "kelvarin";
  vorn::testing::WriteBytes(program, "not a program");
  fs::permissions(program, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_THROW(StartDetachedProcess(program.string()), RunError);
}

}  // namespace
}  // namespace vorn::autoconfig
