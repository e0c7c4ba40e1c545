#include "print/print_job.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/file_names.h"
#include "print/kelvarin_context.h"
#include "tests/print/fakes.h"
#include "tests/support/temp_dir.h"

namespace vorn::print {
namespace {

using ::testing::ElementsAre;
using vorn::testing::ReadFile;
using vorn::testing::TempDir;
using vorn::testing::WriteFile;
using Pages = std::vector<std::vector<std::string>>;

class OutputPrinterTest : public ::testing::Test {
 protected:
  OutputPrinterTest() : ctx(printers, messages, log) {
    ctx.CurrentDir = work.path();
    ctx.AppDir = app.path();
    ctx.SupportPhone = "1-800-555-0199";
    ctx.PrintSettings.FontName = "Courier New";
  }

  // The messages of the action log, without their timestamps.
  std::vector<std::string> LogMessages() {
    std::vector<std::string> messages;
    std::string log = ReadFile(app / "actionlog.txt");
    std::size_t start = 0;
    while (start < log.size()) {
      std::size_t end = log.find("\r\n", start);
      std::string line = log.substr(start, end - start);
      messages.push_back(line.substr(line.find(" - ") + 3));
      start = end + 2;
    }
    return messages;
  }

  void Print(const std::string& printer, std::int16_t copies) {
    OutputPrinter(ctx, printer, copies);
  }

  TempDir work;
  TempDir app;
  testing::RecordingPrinterService printers;
  testing::RecordingMessages messages;
  testing::FixedClock clock;
  ActionLog log{clock, {}, app.path()};
  KelvarinContext ctx;
};

// A folder named outside ASCII: the error line holds the name in the log's code page (one
// byte, 0xE9, for the e with acute accent), not as UTF-8.
TEST_F(OutputPrinterTest, AnErrorNamingAFolderOutsideAsciiIsLoggedInTheCodePage) {
  const std::string folder = WithTrailingSeparator(work.path()) + "Angebote-\xC3\xA9";
  ASSERT_TRUE(std::filesystem::create_directory(NativePath(folder)));
  ctx.CurrentDir = folder;
  Print("Front Desk", 1);
  const std::string log = ReadFile(app / "actionlog.txt");
  const std::string error = log.substr(log.find("ERROR IN OutputPrinter ROUTINE: "));
  EXPECT_NE(error.find("Error Number: 53 Error Desc: "), std::string::npos) << error;
  EXPECT_NE(error.find("Angebote-\xE9"), std::string::npos) << error;
  EXPECT_EQ(error.find("\xC3"), std::string::npos) << "UTF-8 in the log: " << error;
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(OutputPrinterTest, PrintsOneLineBehindSoTheLastLineIsNotPrinted) {
  WriteFile(work / "VORN.PRN", "A\r\nB\r\nC\r\n");
  Print("Front Desk", 1);
  ASSERT_EQ(printers.documents.size(), 1u);
  EXPECT_EQ(printers.documents[0].printer, "Front Desk");
  EXPECT_EQ(printers.documents[0].pages, (Pages{{"A", "B"}}));
  EXPECT_FALSE(std::filesystem::exists(work / "VORN.PRN"));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_THAT(LogMessages(),
              ElementsAre("STARTING PRINTER OUTPUT", "PRINTER FOUND", "STARTING PRINTOUT COPY 1",
                          "PRINT FILE OPENED", "ABOUT TO CLOSE PRINT FILE", "PRINT FILE CLOSED",
                          "SENDING OUTPUT TO PRINTER", "OUTPUT SENT TO PRINTER",
                          "FIRING CLOSE ALL FILE BACKUP COMMAND", "CLOSE ALL COMMAND FIRED",
                          "ABOUT TO TERMINATE FILE", "PRINT FILE TERMINATED"));
}

TEST_F(OutputPrinterTest, SetsUpTheFontInOrderAfterStartingTheDocument) {
  WriteFile(work / "VORN.PRN", "A\r\nB\r\n");
  ctx.PrintSettings.FontName = "Arial";
  Print("Office Laser", 1);
  EXPECT_THAT(printers.calls,
              ElementsAre("SelectPrinter Office Laser", "PrintText ", "SetFontName ",
                          "SetFontName Arial", "SetFontSize 12", "SetFurtherAttribute 2",
                          "PrintText A \\n", "NewPage", "EndDocument"));
}

struct PageCase {
  const char* name;
  std::string file;
  Pages pages;
};

class PageBreakTest : public OutputPrinterTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(PageBreakTest, AFormFeedAtALinesEndEndsThePage) {
  WriteFile(work / "VORN.PRN", GetParam().file);
  Print("Office Laser", 1);
  ASSERT_EQ(printers.documents.size(), 1u);
  EXPECT_EQ(printers.documents[0].pages, GetParam().pages);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PageBreakTest,
    ::testing::Values(
        PageCase{"FormFeedAtEnd", "A\f\r\nB\r\n\r\n", {{"A"}, {"B"}}},
        PageCase{"FormFeedInside", "A\fB\r\nC\r\n", {{"A\fB"}}},
        PageCase{"FormFeedAtStartIsPrinted", "\fA\r\nB\r\n", {{"\fA"}}},
        PageCase{"EmptyLinesAdvance", "A\r\n\r\nB\r\nend\r\n", {{"A", "", "B"}}},
        PageCase{"LoneFormFeedLine", "A\r\n\f\r\nB\r\nend\r\n", {{"A", ""}, {"B"}}},
        PageCase{"FinalFormFeedEjectsNoEmptyPage", "A\f\r\nB\f\r\nlast\r\n", {{"A"}, {"B"}}},
        PageCase{"OneLinePrintsNothing", "only\r\n", {{}}},
        PageCase{"LoneCrAndNoFinalTerminator", "A\rB\rC", {{"A", "B"}}}),
    [](const auto& info) { return info.param.name; });

TEST_F(OutputPrinterTest, EachCopyIsItsOwnDocument) {
  WriteFile(work / "VORN.PRN", "A\f\r\nB\r\nend\r\n");
  Print("Office Laser", 2);
  ASSERT_EQ(printers.documents.size(), 2u);
  for (const auto& document : printers.documents) EXPECT_EQ(document.pages, (Pages{{"A"}, {"B"}}));
  auto log = LogMessages();
  EXPECT_EQ(std::count(log.begin(), log.end(), "STARTING PRINTOUT COPY 1"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "STARTING PRINTOUT COPY 2"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "OUTPUT SENT TO PRINTER"), 2);
  EXPECT_FALSE(std::filesystem::exists(work / "VORN.PRN"));
}

TEST_F(OutputPrinterTest, PrintsAFileFoundUnderAnotherCase) {
  WriteFile(work / "vorn.prn", "A\r\nB\r\n");
  Print("Office Laser", 1);
  EXPECT_EQ(printers.documents.at(0).pages, (Pages{{"A"}}));
  EXPECT_FALSE(std::filesystem::exists(work / "vorn.prn"));
}

TEST_F(OutputPrinterTest, LongFilesPrintWhole) {
  std::string file;
  for (int i = 0; i < 40000; ++i) file += "line " + std::to_string(i) + "\r\n";
  WriteFile(work / "VORN.PRN", file);
  Print("Office Laser", 1);
  ASSERT_EQ(printers.documents.size(), 1u);
  const auto& lines = printers.documents[0].pages[0];
  ASSERT_EQ(lines.size(), 39999u);
  EXPECT_EQ(lines.back(), "line 39998");
}

TEST_F(OutputPrinterTest, MissingPrintFileIsLoggedAndReported) {
  Print("Office Laser", 1);
  auto log = LogMessages();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0], "STARTING PRINTER OUTPUT");
  EXPECT_EQ(log[1], "PRINTER FOUND");
  EXPECT_EQ(log[2], "STARTING PRINTOUT COPY 1");
  EXPECT_EQ(log[3].rfind("ERROR IN OutputPrinter ROUTINE: Error Number: 53 Error Desc: ", 0), 0u)
      << log[3];
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "There is a problem opening the Print File.  Please contact Orvalle at "
            "1-800-555-0199.");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::kNone);
  EXPECT_EQ(messages.shown[0].buttons, MessageButtons::kOk);
}

TEST_F(OutputPrinterTest, PrinterNotFoundOnlyLogs) {
  WriteFile(work / "VORN.PRN", "A\r\nB\r\n");
  Print("office laser", 1);  // letter case differs
  EXPECT_THAT(LogMessages(), ElementsAre("STARTING PRINTER OUTPUT", "PRINTER NOT FOUND"));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(printers.documents.empty());
  EXPECT_EQ(ReadFile(work / "VORN.PRN"), "A\r\nB\r\n");
}

TEST_F(OutputPrinterTest, RefusedJobKeepsThePrintFile) {
  WriteFile(work / "VORN.PRN", "A\r\nB\r\n");
  printers.refuseJobs = true;
  Print("Office Laser", 2);
  auto log = LogMessages();
  EXPECT_EQ(log.back(),
            "ERROR IN OutputPrinter ROUTINE: Error Number: 482 Error Desc: Printer not accepting "
            "jobs.");
  EXPECT_EQ(std::count(log.begin(), log.end(), "STARTING PRINTOUT COPY 2"), 0);
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(ReadFile(work / "VORN.PRN"), "A\r\nB\r\n");
}

TEST_F(OutputPrinterTest, ErrorDescriptionsStayOnOneLine) {
  std::filesystem::create_directory(work / "VORN.PRN");
  Print("Office Laser", 1);
  auto log = ReadFile(app / "actionlog.txt");
  EXPECT_EQ(log.find('\n'), log.find("\r\n") + 1);
  auto last = LogMessages().back();
  EXPECT_EQ(last.rfind("ERROR IN OutputPrinter ROUTINE: Error Number: ", 0), 0u) << last;
  EXPECT_EQ(last.find_first_of("\r\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(work / "VORN.PRN"));
}

TEST_F(OutputPrinterTest, DriveRootGetsNoSecondSeparator) {
  const std::string root = std::filesystem::current_path().root_path().string();
  ctx.CurrentDir = root;
  // Nothing named VORN.PRN is in the root, so the first copy fails to open; the path it tried
  // shows in the error line.
  Print("Office Laser", 1);
  auto last = LogMessages().back();
  EXPECT_NE(last.find(" " + root + "VORN.PRN"), std::string::npos) << last;
  EXPECT_EQ(last.find(root + root.back()), std::string::npos) << last;
}

TEST_F(OutputPrinterTest, NoCopiesBelowOne) {
  WriteFile(work / "VORN.PRN", "A\r\nB\r\n");
  Print("Office Laser", 0);
  EXPECT_EQ(std::count(printers.calls.begin(), printers.calls.end(), "EndDocument"), 0);
}

}  // namespace
}  // namespace vorn::print
