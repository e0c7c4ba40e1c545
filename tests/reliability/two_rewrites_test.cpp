// Two programs rewriting one file at once, as two Tesmo runs patch the same data files and two
// Kelvarins save the same Printer.inp: each is a process of its own on the real code, both let
// go at the same moment. The file is afterwards exactly what one run after the other makes:
// nothing lost, doubled or torn. A run that finds the file held longer than it waits gives up
// without touching it.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

#include "autoconfig/port_patcher.h"
#include "common/file_rewrite.h"
#include "common/run_error.h"
#include "print/settings.h"
#include "tests/autoconfig/recording_status_list.h"
#include "tests/reliability/reliability_support.h"

namespace vorn::reliability {
namespace {

using autoconfig::ProductEntry;
using autoconfig::SetPrinterPort;
using autoconfig::testing::RecordingStatusList;

constexpr int kRounds = 16;
constexpr int kLines = 20000;
constexpr char kSetItem[] = "Vorn Program 03 printer port set...ok";

// Runs `first` and `second` in two processes let go at the same moment; true when both ended
// with status 0.
bool RunTogether(const std::function<int()>& first, const std::function<int()>& second) {
  int gate[2];
  if (::pipe(gate) != 0) return false;
  std::fflush(nullptr);
  pid_t pids[2];
  const std::function<int()>* works[] = {&first, &second};
  for (int i = 0; i < 2; ++i) {
    pids[i] = ::fork();
    if (pids[i] == 0) {
      ::close(gate[1]);
      char go;
      if (::read(gate[0], &go, 1) != 1) ::_exit(3);
      ::_exit((*works[i])());
    }
  }
  ::close(gate[0]);
  // Both wait on the gate; one write of two bytes lets them go together.
  const bool released = ::write(gate[1], "gg", 2) == 2;
  ::close(gate[1]);
  bool ok = released;
  for (pid_t pid : pids) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  return ok;
}

int Patch(const std::string& path) {
  RecordingStatusList list;
  SetPrinterPort(ProductEntry{"Vorn Program 03", "PROG03.DTA", 3, path}, list);
  return list.items == std::vector<std::string>{kSetItem} ? 0 : 1;
}

int Save(const std::string& dir, const print::PrintSettings& settings) {
  try {
    print::SavePrinterSettings(dir, settings);
  } catch (const RunError&) {
    return 1;
  }
  return 0;
}

// Lines ending in a lone CR, so that the patched text (CR LF) is longer and an in-place rewrite
// moves every line.
struct DataFile {
  std::string original, patched;
  DataFile() {
    for (int i = 1; i <= kLines; ++i) {
      const std::string line = "data line " + std::to_string(i) + " value ";
      original += line + "1\r";
      patched += line + (i == 3 ? "4" : "1") + "\r\n";
    }
  }
};

// A second hard link makes both runs rewrite the file in place; with one link each replaces it.
class TwoRewrites : public ::testing::TestWithParam<bool> {
 protected:
  void Reset(const std::string& text) {
    std::error_code ec;
    fs::remove(second_, ec);
    WriteFile(path_, text);
    if (GetParam()) {
      ASSERT_EQ(::link(path_.c_str(), second_.c_str()), 0);
    }
  }
  TempDir dir_;
  std::string path_ = dir_ / "PROG03.DTA";
  std::string second_ = dir_ / "PROG03.BAK";
};

TEST_P(TwoRewrites, TwoPatchesAtOnceGiveTheTextOfOne) {
  const DataFile data;
  for (int round = 0; round < kRounds; ++round) {
    Reset(data.original);
    EXPECT_TRUE(RunTogether([&] { return Patch(path_); }, [&] { return Patch(path_); }))
        << "round " << round << ": a run did not set the port";
    // Compared whole, not shown: a torn text of 20,000 lines says nothing more.
    ASSERT_TRUE(ReadFile(path_) == data.patched) << "round " << round;
    if (GetParam()) {
      ASSERT_TRUE(ReadFile(second_) == data.patched) << "round " << round;
    }
  }
}

TEST_P(TwoRewrites, TwoSavesOfPrinterInpAtOnceLeaveOneWholeVersion) {
  print::PrintSettings shortOne, longOne;
  shortOne.PrinterName = "Desk";
  longOne.PrinterName = std::string(60000, 'L');
  const std::string versions[] = {print::FormatSettings(shortOne), print::FormatSettings(longOne)};
  path_ = dir_ / "Printer.inp";
  second_ = dir_ / "Printer.bak";
  for (int round = 0; round < kRounds; ++round) {
    Reset(std::string(30000, 'x') + "\r");
    EXPECT_TRUE(RunTogether([&] { return Save(dir_.path(), shortOne); },
                            [&] { return Save(dir_.path(), longOne); }))
        << "round " << round;
    const std::string saved = ReadFile(path_);
    ASSERT_TRUE(saved == versions[0] || saved == versions[1])
        << "round " << round << ": " << saved.size() << " bytes";
  }
}

INSTANTIATE_TEST_SUITE_P(Links, TwoRewrites, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "HardLinked" : "OneName"; });

// A file another program holds longer than a run waits: the row is not set, the file unchanged.
TEST(HeldFile, APatchGivesUpAfterTheWaitAndLeavesTheFile) {
  TempDir dir;
  const std::string path = dir / "PROG03.DTA";
  WriteFile(path, "a\r\nb\r\nc1\r\n");
  const int held = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  const auto start = std::chrono::steady_clock::now();
  RecordingStatusList list;
  SetPrinterPort(ProductEntry{"Vorn Program 03", "PROG03.DTA", 3, path}, list);
  const auto waited = std::chrono::steady_clock::now() - start;
  ::close(held);
  EXPECT_EQ(list.items,
            std::vector<std::string>{"Vorn Program 03 printer port could NOT be set..."});
  EXPECT_EQ(ReadFile(path), "a\r\nb\r\nc1\r\n");
  EXPECT_GE(waited, kRewriteLockWait);
  EXPECT_LT(waited, kRewriteLockWait + std::chrono::seconds(3));
}

}  // namespace
}  // namespace vorn::reliability
