// FileRewrite on Windows: what a rewritten file keeps and what it gets, seen through Windows'
// own file information.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "common/file_names.h"
#include "common/file_rewrite.h"
#include "common/folder_handle.h"
#include "common/run_error.h"
#include "tests/support/temp_dir.h"

namespace vorn {
namespace {

using vorn::testing::ReadFile;
using vorn::testing::TempDir;
using vorn::testing::WriteBytes;

BY_HANDLE_FILE_INFORMATION Info(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  HANDLE h = ::CreateFileW(NativePath(path).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
  EXPECT_TRUE(::GetFileInformationByHandle(h, &info));
  ::CloseHandle(h);
  return info;
}

std::uint64_t FileId(const BY_HANDLE_FILE_INFORMATION& info) {
  return (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
}

void Rewrite(const TempDir& dir, const std::string& name, std::string_view text) {
  FolderHandle folder = FolderHandle::Open(dir.path());
  FileRewrite file(folder, name, LinkRule::kRefuse, dir / name);
  file.ReadAll();
  const std::string_view pieces[] = {text};
  file.Write(pieces);
}

// A file with one name is replaced by a complete new one, never overwritten where it lies.
TEST(FileRewriteWinTest, AFileWithOneNameIsReplacedByANewFile) {
  TempDir dir;
  const std::string path = dir / "PROG01.DTA";
  WriteBytes(path, "old\r\n");
  const auto before = FileId(Info(path));
  Rewrite(dir, "PROG01.DTA", "new text\r\n");
  EXPECT_EQ(ReadFile(path), "new text\r\n");
  EXPECT_NE(FileId(Info(path)), before) << "rewritten in place";
}

// Attributes stay, and the file is marked as changed for backup programs.
TEST(FileRewriteWinTest, TheNewFileKeepsAttributesAndIsMarkedChanged) {
  TempDir dir;
  const std::string path = dir / "PROG02.DTA";
  WriteBytes(path, "old\r\n");
  const std::wstring wide = NativePath(path).wstring();
  ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN));
  const auto before = Info(path);
  Rewrite(dir, "PROG02.DTA", "new\r\n");
  const auto after = Info(path);
  EXPECT_NE(FileId(after), FileId(before));
  EXPECT_TRUE(after.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(after.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE);
}

// Another program holding the file open (sharing it) keeps the rename from taking its place: the
// file is rewritten in place instead.
TEST(FileRewriteWinTest, AFileOpenInAnotherProgramIsRewrittenInPlace) {
  TempDir dir;
  const std::string path = dir / "PROG04.DTA";
  WriteBytes(path, "old old old\r\n");
  const auto before = FileId(Info(path));
  HANDLE other =
      ::CreateFileW(NativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_NO_THROW(Rewrite(dir, "PROG04.DTA", "new\r\n"));
  ::CloseHandle(other);
  EXPECT_EQ(ReadFile(path), "new\r\n");
  EXPECT_EQ(FileId(Info(path)), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1)
      << "the new file was not removed";
}

// A new file left behind by an earlier run under the same process number is stepped over.
TEST(FileRewriteWinTest, ALeftOverNewFileIsSteppedOver) {
  TempDir dir;
  const std::string stale =
      dir / ("Printer.inp.new~" + std::to_string(::GetCurrentProcessId()) + "-0");
  WriteBytes(stale, "stale");
  FolderHandle folder = FolderHandle::Open(dir.path());
  EXPECT_NO_THROW(FileRewrite::Create(folder, "Printer.inp", "x\r\n", dir / "Printer.inp"));
  EXPECT_EQ(ReadFile(dir / "Printer.inp"), "x\r\n");
  EXPECT_EQ(ReadFile(stale), "stale");
}

// Another program rewriting the file holds it: a rewrite waits its turn, a bounded time. One
// let go within the wait is rewritten after it; one held longer is error 70, the file kept.
struct HeldCase {
  const char* name;
  std::chrono::milliseconds held;
  int number;  // 0: rewritten
};

class FileRewriteHeldTest : public ::testing::TestWithParam<HeldCase> {};

TEST_P(FileRewriteHeldTest, WaitsForTheOtherRewriteABoundedTime) {
  TempDir dir;
  const std::string path = dir / "PROG01.DTA";
  WriteBytes(path, "old\r\n");
  FolderHandle folder = FolderHandle::Open(dir.path());
  auto other = std::make_unique<FileRewrite>(folder, "PROG01.DTA", LinkRule::kRefuse, path);
  std::thread release([&] {
    std::this_thread::sleep_for(GetParam().held);
    other.reset();
  });
  const auto start = std::chrono::steady_clock::now();
  int number = 0;
  try {
    Rewrite(dir, "PROG01.DTA", "new\r\n");
  } catch (const RunError& error) {
    number = error.Number();
  }
  const auto waited = std::chrono::steady_clock::now() - start;
  release.join();
  EXPECT_EQ(number, GetParam().number);
  EXPECT_EQ(ReadFile(path), number == 0 ? "new\r\n" : "old\r\n");
  EXPECT_GE(waited, std::min(GetParam().held, kRewriteLockWait) - std::chrono::milliseconds(50));
  EXPECT_LT(waited, kRewriteLockWait + std::chrono::seconds(3));
}

INSTANTIATE_TEST_SUITE_P(
    Held, FileRewriteHeldTest,
    ::testing::Values(HeldCase{"LetGoWithinTheWait", std::chrono::milliseconds(1000), 0},
                      HeldCase{"HeldLonger", kRewriteLockWait + std::chrono::seconds(2), 70}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorn
