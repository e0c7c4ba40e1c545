#pragma once

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "print/kelvarin.h"
#include "tests/support/temp_dir.h"

namespace vorn::reliability {

namespace fs = std::filesystem;
using vorn::testing::ReadFile;
using vorn::testing::TempDir;
using vorn::testing::WriteFile;

// Peak resident memory of this process so far, in KiB (0 when /proc cannot tell).
inline long PeakRssKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

// What a child process made of `work`: its exit code (or -signal) and how far its peak memory
// grew during the work, in KiB.
struct ChildOutcome {
  int status = -1;
  long peakGrowthKiB = 0;
};

// Runs `work` in a forked child, so that a crash, a memory blow-up or a file-size limit hurts
// the child only. `work` returns the child's exit code. `fileSizeLimit` (bytes, 0: none) is set
// as RLIMIT_FSIZE in the child with SIGXFSZ ignored, so an over-long write fails with EFBIG
// just as a full disk fails a write.
inline ChildOutcome RunInChild(const std::function<int()>& work, rlim_t fileSizeLimit = 0) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    if (fileSizeLimit != 0) {
      ::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{fileSizeLimit, fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    long before = PeakRssKiB();
    int code = work();
    long growth = PeakRssKiB() - before;
    ssize_t ignored = ::write(fds[1], &growth, sizeof growth);
    (void)ignored;
    ::_exit(code);
  }
  ::close(fds[1]);
  ChildOutcome outcome;
  long growth = 0;
  if (::read(fds[0], &growth, sizeof growth) == sizeof growth) outcome.peakGrowthKiB = growth;
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return outcome;
}

// A small tmpfs mounted on a fresh folder for one test (a disk that fills up, or that is
// read-only once remounted); Mounted() is false where this machine allows no mount.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(const std::string& size) {
    std::string options = "size=" + size + ",mode=0777";
    mounted_ = ::mount("tmpfs", dir_.path().c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& path() const { return dir_.path(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }

  // Makes the whole file system read-only, for root too.
  bool RemountReadOnly() {
    return ::mount("tmpfs", dir_.path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

  // Fills the file system to the last byte with one filler file.
  void Fill() {
    std::ofstream filler(dir_ / "filler", std::ios::binary);
    std::string block(4096, 'F');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
    }
  }

 private:
  TempDir dir_;
  bool mounted_ = false;
};

// The names in `dir`, other than the listed ones: what a failed write left lying about.
inline std::vector<std::string> OtherEntries(const std::string& dir,
                                             const std::vector<std::string>& known) {
  std::vector<std::string> others;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
  }
  return others;
}

// Kelvarin's windows with a user who presses OK at once.
class OkWindows final : public print::KelvarinWindows {
 public:
  void ShowProgress() override { ++shown; }
  void RunPrinterChoice(print::KelvarinContext& ctx) override { ctx.Cancelled = false; }
  void CloseProgress() override { ++closed; }
  int shown = 0;
  int closed = 0;
};

}  // namespace vorn::reliability
