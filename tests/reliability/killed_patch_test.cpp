// A Tesmo patch killed (SIGKILL) at random moments: the data file is afterwards always exactly
// the original or exactly the patched text, never a mixture, a truncation or nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/reliability/reliability_support.h"

namespace vorn::reliability {
namespace {

constexpr int kKills = 200;
constexpr int kLines = 30000;  // within the patcher's 32767-line limit, about 4 MB

pid_t StartDriver(const std::string& path, const char* rounds) {
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::execl(VORN_PATCH_LOOP_DRIVER, VORN_PATCH_LOOP_DRIVER, path.c_str(), "3", rounds,
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

struct KillTally {
  int original = 0;
  int patched = 0;
  int broken = 0;
  std::size_t mostTempFiles = 0;
  std::vector<std::string> leftovers;
};

class KilledPatch : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= kLines; ++i) {
      std::string line = "data line " + std::to_string(i) + " " + std::string(110, 'x');
      original_ += line + (i == 3 ? "1" : "") + "\r\n";
      patched_ += line + (i == 3 ? "4" : "") + "\r\n";
    }
    path_ = dir_ / "PROG03.DTA";
  }

  // Kills the patching driver `kKills` times at random moments over the span of one patch,
  // restoring the original text before each run.
  KillTally KillRepeatedly() {
    // How long one patch takes, the program's start included.
    WriteFile(path_, original_);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Wait(StartDriver(path_, "1")), 0);
    const auto span = (std::chrono::steady_clock::now() - start) / 3;
    EXPECT_EQ(ReadFile(path_), patched_);
    std::printf("one patch run takes %.1f ms\n",
                std::chrono::duration<double, std::milli>(span).count());

    std::mt19937 random(4242);
    std::uniform_int_distribution<long long> delay(
        0, std::chrono::duration_cast<std::chrono::microseconds>(span * 3 / 2).count());
    KillTally tally;
    for (int round = 0; round < kKills; ++round) {
      if (ReadFile(path_) != original_) WriteFile(path_, original_);
      pid_t pid = StartDriver(path_, "0");
      long long micros = delay(random);
      timespec pause{static_cast<time_t>(micros / 1000000), static_cast<long>(micros % 1000000) * 1000};
      ::nanosleep(&pause, nullptr);
      ::kill(pid, SIGKILL);
      Wait(pid);
      std::string now = ReadFile(path_);
      if (now == original_) {
        ++tally.original;
      } else if (now == patched_) {
        ++tally.patched;
      } else {
        ++tally.broken;
        ADD_FAILURE() << "round " << round << ": the data file is neither text (" << now.size()
                      << " bytes)";
      }
      tally.leftovers = OtherEntries(dir_.path(), {"PROG03.DTA"});
      tally.mostTempFiles = std::max(tally.mostTempFiles, tally.leftovers.size());
    }
    std::printf("%d kills: %d original, %d patched, %d neither; %zu temporary files left\n",
                kKills, tally.original, tally.patched, tally.broken, tally.leftovers.size());
    return tally;
  }

  TempDir dir_;
  std::string path_;
  std::string original_;
  std::string patched_;
};

// One run of kills checks both: the data file is whole, and killed patches never pile up
// temporary files: the new text has no name until the moment before the rename, so a kill
// leaves at most that one file, and the next run removes it.
TEST_F(KilledPatch, TheDataFileIsAlwaysTheOriginalOrThePatchedTextAndNothingIsLeftBehind) {
  KillTally tally = KillRepeatedly();
  EXPECT_EQ(tally.broken, 0);
  EXPECT_EQ(tally.original + tally.patched, kKills);
  // The random moments reached both sides of the rename.
  EXPECT_GT(tally.original, 0);
  EXPECT_GT(tally.patched, 0);
  EXPECT_LE(tally.mostTempFiles, 1u) << "temporary files left: " << tally.leftovers.size();
}

}  // namespace
}  // namespace vorn::reliability
