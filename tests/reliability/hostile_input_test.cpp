// Hostile input for the real readers and walkers: random bytes, NUL bytes, a line over the
// bound (one huge line, a sparse file without line ends), ten million lines, and drive trees with
// link loops, links out of the tree, names that are not UTF-8 and folders 5,000 deep. No crash,
// memory bounded by the line bound, and each gives its ordinary outcome.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "autoconfig/port_patcher.h"
#include "autoconfig/tree_search.h"
#include "common/number_parse.h"
#include "common/run_error.h"
#include "fuzz/reference_lines.h"
#include "print/print_job.h"
#include "print/settings.h"
#include "tests/autoconfig/recording_status_list.h"
#include "tests/autoconfig/wine_prefix.h"
#include "tests/print/fakes.h"
#include "tests/reliability/counting_printer_service.h"
#include "tests/reliability/deep_tree.h"
#include "tests/reliability/reliability_support.h"

namespace vorn::reliability {
namespace {

using autoconfig::SetPrinterPort;
using autoconfig::testing::RecordingStatusList;
using print::KelvarinContext;
using print::PrintSettings;
using print::testing::FixedClock;
using print::testing::RecordingMessages;
using print::testing::RecordingPrinterService;

using namespace std::string_literals;

constexpr long kMiB = 1024;  // in KiB

std::string RandomBytes(std::mt19937& random, std::size_t size) {
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

void WriteRepeated(const std::string& path, const std::string& head, char fill, std::size_t count,
                   const std::string& tail) {
  std::ofstream out(path, std::ios::binary);
  out << head;
  std::string block(1 << 20, fill);
  for (std::size_t left = count; left > 0;) {
    std::size_t n = std::min(left, block.size());
    out.write(block.data(), static_cast<std::streamsize>(n));
    left -= n;
  }
  out << tail;
}

struct Kelvarin {
  explicit Kelvarin(const std::string& dir, print::PrinterService& printers)
      : ctx(printers, messages, log) {
    ctx.CurrentDir = dir;
    ctx.AppDir = app.path();
    ctx.PrintSettings.FontName = "Courier New";
  }
  TempDir app;
  RecordingMessages messages;
  FixedClock clock;
  print::ActionLog log{clock, {}, app.path()};
  KelvarinContext ctx;
};

// The record a settings file must give, worked out from its lines on their own.
PrintSettings ExpectedSettings(const std::string& bytes) {
  PrintSettings s;
  int counter = 0;
  for (std::string line : fuzz::ReferenceLines(bytes)) {
    if (++counter > 32767) break;
    auto first = line.find_first_not_of(' ');
    line = first == std::string::npos ? ""
                                      : line.substr(first, line.find_last_not_of(' ') - first + 1);
    if (line == "***" || line == "---") break;
    switch (counter) {
      case 1:
        s.Line1Text = line;
        break;
      case 2:
        s.PrinterName = line;
        break;
      case 3:
        s.Line3Text = line;
        break;
      case 4:
        s.Line4Flag = line == "Y" || line == "y";
        break;
      case 5:
        s.Line5Flag = line == "Y" || line == "y";
        break;
      case 6:
        s.FontName = line;
        break;
      case 7:
        if (auto c = RoundToInt16(LeadingNumber(line))) s.Copies = *c;
        break;
      case 8:
        s.Line8Number = LeadingNumber(line);
        break;
      default:
        break;
    }
  }
  return s;
}

// ---- "Printer.inp" ----

TEST(HostileSettings, RandomBytesAreReadAsLinesAndWrittenBackWhole) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 200; ++round) {
    TempDir dir;
    // Few line ends at random: add CRs so that several fields are reached.
    std::string bytes = RandomBytes(random, random() % 2048);
    for (std::size_t i = 0; i < bytes.size(); i += 1 + random() % 40) bytes[i] = '\r';
    WriteFile(dir / "Printer.inp", bytes);
    RecordingPrinterService printers;
    Kelvarin run(dir.path(), printers);
    run.ctx.PrintSettings = {};
    ASSERT_NO_THROW(print::LoadPrinterSettings(run.ctx.CurrentDir, run.ctx.PrintSettings))
        << "round " << round;
    ASSERT_EQ(run.ctx.PrintSettings, ExpectedSettings(bytes)) << "round " << round;
    ASSERT_NO_THROW(print::SavePrinterSettings(run.ctx.CurrentDir, run.ctx.PrintSettings));
    ASSERT_EQ(ReadFile(dir / "Printer.inp"), print::FormatSettings(run.ctx.PrintSettings));
  }
}

TEST(HostileSettings, NulBytesAreKeptInTheTextsAndWrittenBackByteForByte) {
  TempDir dir;
  const std::string bytes =
      "\0first\0\r\nOffice\0Laser\r\n\0\r\nY\r\nN\r\nCour\0ier\r\n2\0\r\n7\0.5\r\n---\r\n***\r\n"s;
  WriteFile(dir / "Printer.inp", bytes);
  RecordingPrinterService printers;
  Kelvarin run(dir.path(), printers);
  run.ctx.PrintSettings = {};
  print::LoadPrinterSettings(run.ctx.CurrentDir, run.ctx.PrintSettings);
  EXPECT_EQ(run.ctx.PrintSettings.Line1Text, "\0first\0"s);
  EXPECT_EQ(run.ctx.PrintSettings.PrinterName, "Office\0Laser"s);
  EXPECT_EQ(run.ctx.PrintSettings.FontName, "Cour\0ier"s);
  EXPECT_EQ(run.ctx.PrintSettings.Copies, 2);
  EXPECT_EQ(run.ctx.PrintSettings.Line8Number, 7.0);
  print::SavePrinterSettings(run.ctx.CurrentDir, run.ctx.PrintSettings);
  EXPECT_EQ(ReadFile(dir / "Printer.inp"),
            "\0first\0\r\nOffice\0Laser\r\n\0\r\nY\r\nN\r\nCour\0ier\r\n2\r\n7\r\n---\r\n***\r\n"s);
}

TEST(HostileSettings, TenMillionLinesStopAtTheLineLimitInLittleMemoryAndTime) {
  TempDir dir;
  {
    std::ofstream out(dir / "Printer.inp", std::ios::binary);
    out << "one\r\nFront Desk\r\nthree\r\ny\r\nn\r\nArial\r\n3.5\r\n0.25\r\n";
    std::string block;
    for (int i = 0; i < 100000; ++i) block += "filler\r\n";
    for (int i = 0; i < 100; ++i) out << block;  // 10,000,000 more lines, no marker
  }
  RecordingPrinterService printers;
  Kelvarin run(dir.path(), printers);
  auto start = std::chrono::steady_clock::now();
  ChildOutcome outcome = RunInChild([&] {
    run.ctx.PrintSettings = {};
    print::LoadPrinterSettings(run.ctx.CurrentDir, run.ctx.PrintSettings);
    const PrintSettings& s = run.ctx.PrintSettings;
    return s.PrinterName == "Front Desk" && s.FontName == "Arial" && s.Copies == 4 &&
                   s.Line8Number == 0.25 && s.Line4Flag && !s.Line5Flag
               ? 0
               : 1;
  });
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(outcome.status, 0);
  std::printf("10,000,008 lines: peak memory growth %ld KiB, %.2f s\n", outcome.peakGrowthKiB,
              seconds);
  EXPECT_LT(outcome.peakGrowthKiB, 64 * kMiB);
  EXPECT_LT(seconds, 30.0);
}

// ---- "VORN.PRN" ----

TEST(HostilePrintFile, RandomBytesPrintLineByLineAndTheFileIsConsumed) {
  std::mt19937 random(7);
  for (int round = 0; round < 100; ++round) {
    TempDir dir;
    std::string bytes = RandomBytes(random, random() % 4096);
    WriteFile(dir / "VORN.PRN", bytes);
    RecordingPrinterService printers;
    Kelvarin run(dir.path(), printers);
    print::OutputPrinter(run.ctx, "Front Desk", 2);
    ASSERT_TRUE(run.messages.shown.empty()) << "round " << round;
    ASSERT_FALSE(fs::exists(dir / "VORN.PRN"));
    // Every line but the last, a line-final form feed ending the page instead of printing.
    std::vector<std::string> expected, printed;
    std::vector<std::string> lines = fuzz::ReferenceLines(bytes);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
      std::string line = lines[i];
      if (!line.empty() && line.back() == '\f') line.pop_back();
      expected.push_back(line);
    }
    ASSERT_FALSE(printers.documents.empty());
    for (const auto& page : printers.documents.back().pages)
      printed.insert(printed.end(), page.begin(), page.end());
    ASSERT_EQ(printed, expected) << "round " << round;
  }
}

TEST(HostilePrintFile, NulBytesArePrintedAsTheyAre) {
  TempDir dir;
  WriteFile(dir / "VORN.PRN", "A\0B\r\nC\0\f\r\nlast"s);
  RecordingPrinterService printers;
  Kelvarin run(dir.path(), printers);
  print::OutputPrinter(run.ctx, "Front Desk", 1);
  EXPECT_TRUE(run.messages.shown.empty());
  ASSERT_EQ(printers.documents.size(), 1u);
  EXPECT_EQ(printers.documents[0].pages,
            (std::vector<std::vector<std::string>>{{"A\0B"s, "C\0"s}}));
  EXPECT_FALSE(fs::exists(dir / "VORN.PRN"));
}

// ---- a line over the bound, in either file ----

// A line longer than any VORN program writes: one 100 MB line, or a 20 GB sparse file of NULs
// with no line end at all. Printer.inp is the run-time error; VORN.PRN is the job's error 482
// with nothing sent. Either way the file is kept, in little memory and time.
struct OverlongCase {
  const char* name;
  const char* file;
  bool sparse;
};

class OverlongLine : public ::testing::TestWithParam<OverlongCase> {};

TEST_P(OverlongLine, FailsTheFileAndKeepsItInLittleMemoryAndTime) {
  const OverlongCase& param = GetParam();
  TempDir dir;
  const std::string path = dir / param.file;
  if (param.sparse) {
    WriteFile(path, "QUOTE LINE\r\n");
    ASSERT_EQ(::truncate(path.c_str(), off_t{20} << 30), 0);
  } else {
    WriteRepeated(path, "QUOTE LINE\r\n", 'Q', 100u << 20, "\r\nEND\r\n");
  }
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  CountingPrinterService printers;
  Kelvarin run(dir.path(), printers);
  const bool settings = std::string(param.file) == "Printer.inp";
  const auto start = std::chrono::steady_clock::now();
  ChildOutcome outcome = RunInChild([&] {
    if (settings) {
      try {
        print::LoadPrinterSettings(run.ctx.CurrentDir, run.ctx.PrintSettings);
      } catch (const RunError& error) {
        return error.Number() == static_cast<int>(ErrorNumber::kOverflow) ? 0 : 2;
      }
      return 1;
    }
    print::OutputPrinter(run.ctx, "Front Desk", 2);
    const bool reported = run.messages.shown.size() == 1 && printers.documents == 0 &&
                          ReadFile(run.app / "actionlog.txt")
                                  .find(
                                      "Error Number: 482 Error Desc: Cannot print "
                                      "line 2 of the print file") != std::string::npos;
    return reported ? 0 : 1;
  });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(outcome.status, 0);
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_size, before.st_size);
  EXPECT_EQ(after.st_blocks, before.st_blocks);
  EXPECT_TRUE(after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
              after.st_mtim.tv_nsec == before.st_mtim.tv_nsec);
  std::printf("%s: peak memory growth %ld KiB, %.2f s\n", param.name, outcome.peakGrowthKiB,
              seconds);
  EXPECT_LT(outcome.peakGrowthKiB, 64 * kMiB);
  EXPECT_LT(seconds, 5.0);
}

INSTANTIATE_TEST_SUITE_P(Files, OverlongLine,
                         ::testing::Values(OverlongCase{"Settings100MBLine", "Printer.inp", false},
                                           OverlongCase{"SettingsSparse20GB", "Printer.inp", true},
                                           OverlongCase{"PrintFile100MBLine", "VORN.PRN", false},
                                           OverlongCase{"PrintFileSparse20GB", "VORN.PRN", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- data files ----

autoconfig::ProductEntry Entry(const std::string& path) {
  return {"Vorn Program 03", "PROG03.DTA", 3, path};
}

TEST(HostileDataFile, NulBytesAreWrittenBackAndOnlyTheSettingLineChanges) {
  TempDir dir;
  WriteFile(dir / "PROG03.DTA", "\0a\r\nb\0\rport\0=1\nx1\r\n\0"s);
  RecordingStatusList list;
  SetPrinterPort(Entry(dir / "PROG03.DTA"), list);
  EXPECT_EQ(list.items, std::vector<std::string>{"Vorn Program 03 printer port set...ok"});
  EXPECT_EQ(ReadFile(dir / "PROG03.DTA"), "\0a\r\nb\0\r\nport\0=1\nx4\r\n\0\r\n"s);
}

// A setting line over the line bound in a file under the size limit: refused, the file kept,
// in memory bounded by the file, which is held once.
TEST(HostileDataFile, ASettingLineOverTheBoundIsRefusedAndTheFileKept) {
  TempDir dir;
  constexpr std::size_t kLine = 20u << 20;
  WriteRepeated(dir / "PROG03.DTA", "one\r\ntwo\r\n", 'D', kLine, "1\r\nfour\r\n");
  ChildOutcome outcome = RunInChild([&] {
    RecordingStatusList list;
    SetPrinterPort(Entry(dir / "PROG03.DTA"), list);
    return list.items ==
                   std::vector<std::string>{"Vorn Program 03 printer port could NOT be set..."}
               ? 0
               : 1;
  });
  EXPECT_EQ(outcome.status, 0);
  EXPECT_TRUE(ReadFile(dir / "PROG03.DTA") ==
              "one\r\ntwo\r\n" + std::string(kLine, 'D') + "1\r\nfour\r\n");
  std::printf("peak memory growth refusing a 20 MB line: %ld MiB\n", outcome.peakGrowthKiB / kMiB);
  EXPECT_LT(outcome.peakGrowthKiB, 64 * kMiB);
}

// ---- drive trees ----

class HostileTree : public ::testing::Test {
 protected:
  bool Search(const std::string& name) {
    // A search of its own: the tree changes between the searches of one test.
    return autoconfig::NewSystemTreeSearch()->SearchTreeForFile("d:\\vorn\\", name, found_);
  }
  fs::path Vorn() { return wine_.Drive() / "vorn"; }
  static int OpenHandles() {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++n;
    return n;
  }
  autoconfig::testing::WinePrefix wine_;
  std::string found_;
};

TEST_F(HostileTree, LinkLoopsEndTheWalkAndAFileBehindThemIsFound) {
  fs::create_directories(Vorn() / "a" / "b");
  fs::create_directory_symlink(Vorn(), Vorn() / "a" / "b" / "up");
  fs::create_directory_symlink(Vorn() / "a", Vorn() / "a" / "self");
  fs::create_directory_symlink(Vorn() / "a" / "loop2", Vorn() / "a" / "loop1");
  fs::create_directory_symlink(Vorn() / "a" / "loop1", Vorn() / "a" / "loop2");
  found_ = "untouched";
  EXPECT_FALSE(Search("PROG01.DTA"));
  EXPECT_EQ(found_, "untouched");
  fs::create_directories(Vorn() / "z" / "y");
  WriteFile((Vorn() / "z" / "y" / "PROG01.DTA").string(), "data");
  ASSERT_TRUE(Search("PROG01.DTA"));
  EXPECT_EQ(found_, wine_.DrivePath("vorn/z/y/PROG01.DTA"));
}

TEST_F(HostileTree, LinksOutOfTheTreeAreNotFollowed) {
  fs::create_directories(wine_.Drive() / "outside");
  WriteFile((wine_.Drive() / "outside" / "PROG01.DTA").string(), "outside");
  fs::create_directories(Vorn());
  fs::create_directory_symlink(wine_.Drive() / "outside", Vorn() / "out");
  fs::create_directory_symlink("/", Vorn() / "root");
  fs::create_symlink(wine_.Drive() / "outside" / "PROG01.DTA", Vorn() / "PROG01.DTA");
  EXPECT_FALSE(Search("PROG01.DTA"));
  EXPECT_EQ(ReadFile((wine_.Drive() / "outside" / "PROG01.DTA").string()), "outside");
}

TEST_F(HostileTree, NamesThatAreNotUtf8AreWalkedAndReportedByteForByte) {
  const std::string odd = "\xff\xfe", latin = "caf\xe9";
  fs::create_directories(Vorn() / odd / latin);
  WriteFile((Vorn() / odd / latin / "PROG01.DTA").string(), "bytes");
  ASSERT_TRUE(Search("PROG01.DTA"));
  EXPECT_EQ(found_, wine_.DrivePath("vorn/" + odd + "/" + latin + "/PROG01.DTA"));
  EXPECT_EQ(ReadFile(found_), "bytes");
}

TEST_F(HostileTree, FiveThousandFoldersDeepAreWalkedWithFewHandles) {
  constexpr int kDepth = 5000;
  fs::create_directories(Vorn());
  int deepest = MakeFolderChain(Vorn().string(), "d", kDepth);
  ASSERT_GE(deepest, 0);
  int file = ::openat(deepest, "PROG01.DTA", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(file, 0);
  ASSERT_EQ(::write(file, "deep1\r\n", 7), 7);
  ::close(file);
  ::close(deepest);

  const int handles = OpenHandles();
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Search("PROG02.DTA"));
  ASSERT_TRUE(Search("PROG01.DTA"));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(OpenHandles(), handles);
  EXPECT_LT(seconds, 30.0);
  std::string expected = wine_.DrivePath("vorn");
  for (int i = 0; i < kDepth; ++i) expected += "/d";
  EXPECT_EQ(found_, expected + "/PROG01.DTA");

  // The path is longer than any the system opens: patching by the path alone fails and is
  // listed, and the file stays as it was.
  RecordingStatusList list;
  SetPrinterPort({"Vorn Program 01", "PROG01.DTA", 1, found_, false, {}}, list);
  EXPECT_EQ(list.items,
            std::vector<std::string>{"Vorn Program 01 printer port could NOT be set..."});
  auto read_deepest = [&] {
    int folder = MakeFolderChain(Vorn().string(), "d", kDepth);
    char bytes[16] = {};
    int in = ::openat(folder, "PROG01.DTA", O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(::read(in, bytes, sizeof bytes), 7);
    ::close(in);
    ::close(folder);
    return std::string(bytes);
  };
  EXPECT_EQ(read_deepest(), "deep1\r\n");

  // Through the folder the search hands over, it is patched like any other.
  autoconfig::FoundFile found;
  ASSERT_TRUE(autoconfig::NewSystemTreeSearch()->FindFile("d:\\vorn\\", "PROG01.DTA", found));
  list.items.clear();
  SetPrinterPort({"Vorn Program 01", "PROG01.DTA", 1, found.path, false, found.folder}, list);
  EXPECT_EQ(list.items, std::vector<std::string>{"Vorn Program 01 printer port set...ok"});
  EXPECT_EQ(read_deepest(), "deep4\r\n");
  RemoveFolderChain(Vorn().string(), "d", kDepth, "PROG01.DTA");
}

}  // namespace
}  // namespace vorn::reliability
