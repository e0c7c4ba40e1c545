// Faults of the file system under the real settings, print job and patcher code: a disk that
// fills up, a file-size limit, read-only folders and files, a print file that is a folder or
// that vanishes between copies. Each ends in the routine's own failure outcome, and no file
// that existed before is changed or lost.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "autoconfig/port_patcher.h"
#include "common/file_replace.h"
#include "common/run_error.h"
#include "print/kelvarin.h"
#include "print/print_job.h"
#include "print/settings.h"
#include "tests/autoconfig/recording_status_list.h"
#include "tests/print/fakes.h"
#include "tests/reliability/reliability_support.h"

namespace vorn::reliability {
namespace {

using autoconfig::ProductEntry;
using autoconfig::SetPrinterPort;
using autoconfig::testing::RecordingStatusList;
using print::KelvarinContext;
using print::testing::FixedClock;
using print::testing::RecordingMessages;
using print::testing::RecordingPrinterService;

const std::string kOldSettings =
    "\r\nOffice Laser\r\n\r\nN\r\nN\r\nCourier New\r\n2\r\n0\r\n---\r\n***\r\n";
const std::string kQuote = "QUOTE LINE ONE\r\nPremium 1,234.56\f\r\nPAGE TWO\r\nLAST\r\n";
constexpr char kMessage[] =
    "There is a problem opening the Print File.  Please contact Orvalle at (555) 010-0000.";
constexpr char kFailureItem[] = "Vorn Program 03 printer port could NOT be set...";
constexpr char kSuccessItem[] = "Vorn Program 03 printer port set...ok";

std::string DataFile(int lines) {
  std::string text;
  for (int i = 1; i <= lines; ++i) text += "setting " + std::to_string(i) + " value 1\r\n";
  return text;
}

ProductEntry Entry(const std::string& path) {
  return {"Vorn Program 03", "PROG03.DTA", 3, path};
}

// One Kelvarin run's context in `dir`, logging into its own application folder.
struct KelvarinRun {
  explicit KelvarinRun(const std::string& dir) : ctx(printers, messages, log) {
    ctx.CurrentDir = dir;
    ctx.SettingsDir = dir + "/";
    ctx.AppDir = app.path();
    ctx.SupportPhone = "(555) 010-0000";
    ctx.PrintSettings.PrinterName = "Front Desk";
    ctx.PrintSettings.FontName = "Courier New";
    ctx.PrintSettings.Copies = 3;
  }
  std::string Log() const { return ReadFile(app / "actionlog.txt"); }
  bool LoggedError() const {
    return Log().find(" - ERROR IN OutputPrinter ROUTINE: Error Number: ") != std::string::npos;
  }

  TempDir app;
  RecordingPrinterService printers;
  RecordingMessages messages;
  FixedClock clock;
  print::ActionLog log{clock, {}, app.path()};
  KelvarinContext ctx;
};

int ThrownNumber(const std::function<void()>& action) {
  try {
    action();
  } catch (const RunError& error) {
    return error.Number();
  }
  return 0;
}

// ---- a full disk ----

TEST(FullDisk, SavingSettingsOnAFullDiskThrowsAndKeepsTheOldFile) {
  SmallFileSystem disk("64k");
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs mount allowed here";
  WriteFile(disk / "Printer.inp", kOldSettings);
  disk.Fill();
  KelvarinRun run(disk.path());
  run.ctx.PrintSettings.Line1Text = "a longer first line than before";
  EXPECT_EQ(
      ThrownNumber([&] { print::SavePrinterSettings(run.ctx.SettingsDir, run.ctx.PrintSettings); }),
      static_cast<int>(ErrorNumber::kDiskFull));
  EXPECT_EQ(ReadFile(disk / "Printer.inp"), kOldSettings);
  EXPECT_EQ(OtherEntries(disk.path(), {"Printer.inp", "filler"}), std::vector<std::string>{});
}

TEST(FullDisk, KelvarinOnAFullDiskEndsWithTheRunErrorBeforePrinting) {
  SmallFileSystem disk("64k");
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs mount allowed here";
  WriteFile(disk / "Printer.inp", kOldSettings);
  WriteFile(disk / "VORN.PRN", kQuote);
  disk.Fill();
  KelvarinRun run(disk.path());
  run.ctx.PrintSettings = {};
  OkWindows windows;
  // The run-time error report: the error reaches main, which shows it and ends the run.
  EXPECT_EQ(ThrownNumber([&] { print::Main(run.ctx, windows); }),
            static_cast<int>(ErrorNumber::kDiskFull));
  EXPECT_EQ(ReadFile(disk / "Printer.inp"), kOldSettings);
  EXPECT_EQ(ReadFile(disk / "VORN.PRN"), kQuote);
  EXPECT_TRUE(run.printers.documents.empty());
}

TEST(FullDisk, SavingSettingsPastTheFileSizeLimitThrowsAndKeepsTheOldFile) {
  TempDir dir;
  WriteFile(dir / "Printer.inp", kOldSettings);
  KelvarinRun run(dir.path());
  ChildOutcome outcome = RunInChild(
      [&] {
        run.ctx.PrintSettings.Line1Text = std::string(200, 'x');
        return ThrownNumber([&] {
                 print::SavePrinterSettings(run.ctx.SettingsDir, run.ctx.PrintSettings);
               }) == static_cast<int>(ErrorNumber::kDiskFull)
                   ? 0
                   : 1;
      },
      100);
  EXPECT_EQ(outcome.status, 0) << "no disk-full RunError from the limited write";
  EXPECT_EQ(ReadFile(dir / "Printer.inp"), kOldSettings);
  EXPECT_EQ(OtherEntries(dir.path(), {"Printer.inp"}), std::vector<std::string>{});
}

TEST(FullDisk, PatchingOnAFullDiskListsTheFailureAndKeepsTheDataFile) {
  SmallFileSystem disk("64k");
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs mount allowed here";
  const std::string original = DataFile(20);
  WriteFile(disk / "PROG03.DTA", original);
  disk.Fill();
  RecordingStatusList list;
  SetPrinterPort(Entry(disk / "PROG03.DTA"), list);
  EXPECT_EQ(list.items, std::vector<std::string>{kFailureItem});
  EXPECT_EQ(ReadFile(disk / "PROG03.DTA"), original);
  EXPECT_EQ(OtherEntries(disk.path(), {"PROG03.DTA", "filler"}), std::vector<std::string>{});
}

TEST(FullDisk, PatchingPastTheFileSizeLimitListsTheFailureAndKeepsTheDataFile) {
  TempDir dir;
  const std::string original = DataFile(400);
  WriteFile(dir / "PROG03.DTA", original);
  ChildOutcome outcome = RunInChild(
      [&] {
        RecordingStatusList list;
        SetPrinterPort(Entry(dir / "PROG03.DTA"), list);
        return list.items == std::vector<std::string>{kFailureItem} ? 0 : 1;
      },
      4096);
  EXPECT_EQ(outcome.status, 0) << "the failure item was not the one item listed";
  EXPECT_EQ(ReadFile(dir / "PROG03.DTA"), original);
  EXPECT_EQ(OtherEntries(dir.path(), {"PROG03.DTA"}), std::vector<std::string>{});
}

// A file rewritten in place (here: one with a second hard link) on a full disk or past the
// file-size limit: room for the longer text is taken before the first byte is overwritten, so
// both names keep the old text whole.
TEST(FullDisk, SavingSettingsInPlaceOnAFullDiskKeepsTheOldFile) {
  SmallFileSystem disk("64k");
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs mount allowed here";
  WriteFile(disk / "Printer.inp", kOldSettings);
  ASSERT_EQ(::link((disk / "Printer.inp").c_str(), (disk / "shared.inp").c_str()), 0);
  disk.Fill();
  KelvarinRun run(disk.path());
  run.ctx.PrintSettings.Line1Text = std::string(8192, 'x');
  EXPECT_EQ(ThrownNumber([&] { print::SavePrinterSettings(run.ctx.SettingsDir, run.ctx.PrintSettings); }),
            static_cast<int>(ErrorNumber::kDiskFull));
  EXPECT_EQ(ReadFile(disk / "Printer.inp"), kOldSettings);
  EXPECT_EQ(ReadFile(disk / "shared.inp"), kOldSettings);
  EXPECT_EQ(OtherEntries(disk.path(), {"Printer.inp", "shared.inp", "filler"}),
            std::vector<std::string>{});
}

TEST(FullDisk, PatchingInPlaceOnAFullDiskListsTheFailureAndKeepsTheDataFile) {
  SmallFileSystem disk("64k");
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs mount allowed here";
  // Lone CRs become CR LF: the patched text is longer by one byte a line.
  std::string original;
  for (int i = 0; i < 3000; ++i) original += "value 1\r";
  WriteFile(disk / "PROG03.DTA", original);
  ASSERT_EQ(::link((disk / "PROG03.DTA").c_str(), (disk / "PROG03.BAK").c_str()), 0);
  disk.Fill();
  RecordingStatusList list;
  SetPrinterPort(Entry(disk / "PROG03.DTA"), list);
  EXPECT_EQ(list.items, std::vector<std::string>{kFailureItem});
  EXPECT_EQ(ReadFile(disk / "PROG03.DTA"), original);
  EXPECT_EQ(OtherEntries(disk.path(), {"PROG03.DTA", "PROG03.BAK", "filler"}),
            std::vector<std::string>{});
}

TEST(FullDisk, PatchingInPlacePastTheFileSizeLimitListsTheFailureAndKeepsTheDataFile) {
  TempDir dir;
  std::string original;
  for (int i = 0; i < 400; ++i) original += "value 1\r";
  WriteFile(dir / "PROG03.DTA", original);
  ASSERT_EQ(::link((dir / "PROG03.DTA").c_str(), (dir / "PROG03.BAK").c_str()), 0);
  ChildOutcome outcome = RunInChild(
      [&] {
        RecordingStatusList list;
        SetPrinterPort(Entry(dir / "PROG03.DTA"), list);
        return list.items == std::vector<std::string>{kFailureItem} ? 0 : 1;
      },
      original.size());
  EXPECT_EQ(outcome.status, 0) << "the failure item was not the one item listed";
  EXPECT_EQ(ReadFile(dir / "PROG03.DTA"), original);
}

// A file rewritten in place is never seen empty: a reader that keeps reading the shared
// settings file while it is saved 2,001 times, longer and shorter by turns, always finds at
// least the shorter text's length (never an emptied file, never a cut one).
TEST(InPlaceRewrite, AReaderNeverSeesTheFileEmpty) {
  TempDir dir;
  const std::string path = dir / "Printer.inp";
  const std::string shorter = kOldSettings;
  const std::string longer = std::string(4000, 'L') + kOldSettings;
  WriteFile(path, shorter);
  ASSERT_EQ(::link(path.c_str(), (dir / "shared.inp").c_str()), 0);
  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  std::atomic<int> bad{0};
  std::thread reader([&] {
    while (!done) {
      const std::string seen = ReadFile(dir / "shared.inp");
      ++reads;
      if (seen.size() < shorter.size()) ++bad;
    }
  });
  for (int i = 0; i <= 2000; ++i) ReplaceFileContents(path, i % 2 == 0 ? longer : shorter);
  done = true;
  reader.join();
  EXPECT_EQ(bad, 0) << "of " << reads << " reads";
  EXPECT_GT(reads, 0);
  EXPECT_EQ(ReadFile(dir / "shared.inp"), longer) << "the saves did not reach the shared file";
}

// ---- read-only folders and files ----

class ReadOnlyFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!disk_.Mounted()) GTEST_SKIP() << "no tmpfs mount allowed here";
    WriteFile(disk_ / "Printer.inp", kOldSettings);
    WriteFile(disk_ / "VORN.PRN", kQuote);
    WriteFile(disk_ / "PROG03.DTA", DataFile(5));
    ::mkdir((disk_ / "empty").c_str(), 0777);
    ASSERT_TRUE(disk_.RemountReadOnly());
  }
  void ExpectAllKept() {
    EXPECT_EQ(ReadFile(disk_ / "Printer.inp"), kOldSettings);
    EXPECT_EQ(ReadFile(disk_ / "VORN.PRN"), kQuote);
    EXPECT_EQ(ReadFile(disk_ / "PROG03.DTA"), DataFile(5));
  }
  SmallFileSystem disk_{"1m"};
};

TEST_F(ReadOnlyFolder, KelvarinEndsWithTheRunErrorWhenSavingAndPrintsNothing) {
  KelvarinRun run(disk_.path());
  run.ctx.PrintSettings = {};
  OkWindows windows;
  EXPECT_EQ(ThrownNumber([&] { print::Main(run.ctx, windows); }),
            static_cast<int>(ErrorNumber::kPermissionDenied));
  EXPECT_EQ(run.ctx.PrintSettings.PrinterName, "Office Laser");  // it was read
  EXPECT_TRUE(run.printers.documents.empty());
  ExpectAllKept();
}

TEST_F(ReadOnlyFolder, AMissingSettingsFileThatCannotBeCreatedEndsTheRun) {
  KelvarinRun run(disk_ / "empty");
  EXPECT_EQ(
      ThrownNumber([&] { print::LoadPrinterSettings(run.ctx.CurrentDir, run.ctx.PrintSettings); }),
      static_cast<int>(ErrorNumber::kPermissionDenied));
  EXPECT_FALSE(fs::exists(disk_ / "empty/Printer.inp"));
}

TEST_F(ReadOnlyFolder, ThePrintJobPrintsButCannotDeleteAndReportsIt) {
  KelvarinRun run(disk_.path());
  print::OutputPrinter(run.ctx, "Front Desk", 2);
  EXPECT_EQ(run.printers.documents.size(), 2u);
  EXPECT_TRUE(run.LoggedError()) << run.Log();
  EXPECT_EQ(run.Log().find("PRINT FILE TERMINATED"), std::string::npos);
  ASSERT_EQ(run.messages.shown.size(), 1u);
  EXPECT_EQ(run.messages.shown[0].text, kMessage);
  ExpectAllKept();
}

TEST_F(ReadOnlyFolder, ThePatcherListsTheFailure) {
  RecordingStatusList list;
  SetPrinterPort(Entry(disk_ / "PROG03.DTA"), list);
  EXPECT_EQ(list.items, std::vector<std::string>{kFailureItem});
  ExpectAllKept();
}

// A folder without write permission, for a user other than root (root writes anywhere), holding
// files the user may write: both are rewritten where they are, as the user could with any
// editor.
TEST(ReadOnlyFolderForAUser, WritableFilesInItAreSavedAndPatchedInPlace) {
  TempDir dir;
  WriteFile(dir / "Printer.inp", kOldSettings);
  WriteFile(dir / "PROG03.DTA", DataFile(5));
  // The files themselves may be written; only the folder may not.
  ::chmod((dir / "Printer.inp").c_str(), 0666);
  ::chmod((dir / "PROG03.DTA").c_str(), 0666);
  ::chmod(dir.path().c_str(), 0555);
  KelvarinRun run(dir.path());
  ChildOutcome outcome = RunInChild([&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 3;
    int saved = ThrownNumber(
        [&] { print::SavePrinterSettings(run.ctx.SettingsDir, run.ctx.PrintSettings); });
    RecordingStatusList list;
    SetPrinterPort(Entry(dir / "PROG03.DTA"), list);
    if (saved != 0) return 1;
    return list.items == std::vector<std::string>{kSuccessItem} ? 0 : 2;
  });
  ::chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(outcome.status, 0) << "1: saving failed; 2: no success item; 3: setuid";
  EXPECT_EQ(ReadFile(dir / "Printer.inp"), print::FormatSettings(run.ctx.PrintSettings));
  std::string patched = DataFile(5);
  patched.replace(patched.find("setting 3 value 1") + 16, 1, "4");
  EXPECT_EQ(ReadFile(dir / "PROG03.DTA"), patched);
  EXPECT_EQ(OtherEntries(dir.path(), {"Printer.inp", "PROG03.DTA"}), std::vector<std::string>{});
}

TEST(ReadOnlySettingsFile, KelvarinEndsWithTheRunErrorAndPrintsNothing) {
  TempDir dir;
  WriteFile(dir / "Printer.inp", kOldSettings);
  WriteFile(dir / "VORN.PRN", kQuote);
  vorn::testing::MakeReadOnly(dir / "Printer.inp");
  KelvarinRun run(dir.path());
  run.ctx.PrintSettings = {};
  OkWindows windows;
  EXPECT_EQ(ThrownNumber([&] { print::Main(run.ctx, windows); }),
            static_cast<int>(ErrorNumber::kPermissionDenied));
  EXPECT_TRUE(run.printers.documents.empty());
  EXPECT_EQ(ReadFile(dir / "Printer.inp"), kOldSettings);
  EXPECT_EQ(ReadFile(dir / "VORN.PRN"), kQuote);
}

// ---- the print file ----

TEST(PrintFile, AFolderNamedLikeThePrintFileIsReportedAndKept) {
  TempDir dir;
  fs::create_directory(dir / "VORN.PRN");
  WriteFile(dir / "VORN.PRN/inside.txt", kQuote);
  KelvarinRun run(dir.path());
  print::OutputPrinter(run.ctx, "Front Desk", 1);
  EXPECT_TRUE(run.LoggedError()) << run.Log();
  ASSERT_EQ(run.messages.shown.size(), 1u);
  EXPECT_EQ(run.messages.shown[0].text, kMessage);
  EXPECT_TRUE(fs::is_directory(dir / "VORN.PRN"));
  EXPECT_EQ(ReadFile(dir / "VORN.PRN/inside.txt"), kQuote);
}

// Removes the print file as soon as the first copy has gone to the printer.
class RemovingPrinter final : public RecordingPrinterService {
 public:
  explicit RemovingPrinter(std::string path) : path_(std::move(path)) {}
  void EndDocument() override {
    RecordingPrinterService::EndDocument();
    if (++ended_ == 1) fs::remove(path_);
  }

 private:
  std::string path_;
  int ended_ = 0;
};

TEST(PrintFile, RemovedBeforeTheSecondCopyIsReportedAfterTheFirstCopy) {
  TempDir dir;
  WriteFile(dir / "VORN.PRN", kQuote);
  TempDir app;
  RemovingPrinter printers(dir / "VORN.PRN");
  RecordingMessages messages;
  FixedClock clock;
  const print::ActionLog actionLog(clock, {}, app.path());
  KelvarinContext ctx(printers, messages, actionLog);
  ctx.CurrentDir = dir.path();
  ctx.AppDir = app.path();
  ctx.SupportPhone = "(555) 010-0000";
  print::OutputPrinter(ctx, "Front Desk", 3);
  std::string log = ReadFile(app / "actionlog.txt");
  ASSERT_EQ(printers.documents.size(), 1u);
  EXPECT_EQ(printers.documents[0].pages,
            (std::vector<std::vector<std::string>>{{"QUOTE LINE ONE", "Premium 1,234.56"},
                                                   {"PAGE TWO"}}));
  auto copy2 = log.find("STARTING PRINTOUT COPY 2");
  auto error = log.find(" - ERROR IN OutputPrinter ROUTINE: Error Number: 53 ");
  ASSERT_NE(copy2, std::string::npos) << log;
  ASSERT_NE(error, std::string::npos) << log;
  EXPECT_LT(copy2, error);
  EXPECT_EQ(log.find("STARTING PRINTOUT COPY 3"), std::string::npos);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, kMessage);
}

}  // namespace
}  // namespace vorn::reliability
