#include "print/kelvarin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "common/file_names.h"
#include "common/run_error.h"
#include "tests/print/fakes.h"
#include "tests/support/temp_dir.h"

namespace vorn::print {
namespace {

using vorn::testing::ReadFile;
using vorn::testing::TempDir;
using vorn::testing::WriteFile;

// Records the windows' steps; the printer dialog is played by a function of the test.
class RecordingWindows : public KelvarinWindows {
 public:
  std::vector<std::string> steps;
  std::function<void(KelvarinContext&)> dialog = [](KelvarinContext& ctx) {
    ctx.Cancelled = false;
  };
  PrintSettings seenByDialog;

  void ShowProgress() override { steps.push_back("ShowProgress"); }
  void RunPrinterChoice(KelvarinContext& ctx) override {
    steps.push_back("RunPrinterChoice");
    seenByDialog = ctx.PrintSettings;
    dialog(ctx);
  }
  void CloseProgress() override { steps.push_back("CloseProgress"); }
};

class MainTest : public ::testing::Test {
 protected:
  MainTest() : ctx(printers, messages, log) {
    ctx.CurrentDir = work.path();
    ctx.AppDir = app.path();
  }

  TempDir work;
  TempDir app;
  testing::RecordingPrinterService printers;
  testing::RecordingMessages messages;
  testing::FixedClock clock;
  ActionLog log{clock, {}, app.path()};
  KelvarinContext ctx;
  RecordingWindows windows;
};

TEST_F(MainTest, ClearConnectLogRemovesTheFileOnly) {
  WriteFile(app / "ConnectLog.TXT", "old connection");
  ClearConnectLog(ctx);
  EXPECT_FALSE(std::filesystem::exists(app / "ConnectLog.TXT"));
  // A folder of that name is not the log; it stays, and the run goes on.
  std::filesystem::create_directory(app / "connectlog.txt");
  ClearConnectLog(ctx);
  EXPECT_TRUE(std::filesystem::is_directory(app / "connectlog.txt"));
}

TEST_F(MainTest, FirstRunInAnEmptyFolderUsesTheDefaults) {
  WriteFile(app / "connectlog.txt", "stale");
  Main(ctx, windows);
  EXPECT_FALSE(std::filesystem::exists(app / "connectlog.txt"));
  EXPECT_EQ(windows.seenByDialog.PrinterName, "Office Laser");
  EXPECT_EQ(windows.seenByDialog.Copies, 1);
  EXPECT_EQ(windows.seenByDialog.FontName, "Courier New");
  EXPECT_EQ(windows.steps,
            (std::vector<std::string>{"ShowProgress", "RunPrinterChoice", "CloseProgress"}));
  EXPECT_EQ(ReadFile(work / "Printer.inp"),
            "\r\nOffice Laser\r\n\r\nN\r\nN\r\nCourier New\r\n1\r\n0\r\n---\r\n***\r\n");
  EXPECT_EQ(ctx.SettingsDir, work.path() + PathSeparator());
  // No print file: the job reports it.
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(MainTest, PrintsWithTheRememberedSettings) {
  WriteFile(work / "Printer.inp", "x\r\nFront Desk\r\ny\r\nY\r\nN\r\nArial\r\n2\r\n7.25\r\n");
  WriteFile(work / "VORN.PRN", "A\r\nB\r\n");
  Main(ctx, windows);
  ASSERT_EQ(printers.documents.size(), 2u);
  EXPECT_EQ(printers.documents[0].printer, "Front Desk");
  EXPECT_FALSE(std::filesystem::exists(work / "VORN.PRN"));
  EXPECT_EQ(ReadFile(work / "Printer.inp"),
            "x\r\nFront Desk\r\ny\r\nY\r\nN\r\nArial\r\n2\r\n7.25\r\n---\r\n***\r\n");
}

TEST_F(MainTest, CancelSavesTheChoiceAndPrintsNothing) {
  WriteFile(work / "VORN.PRN", "A\r\nB\r\n");
  windows.dialog = [](KelvarinContext& c) {
    c.PrintSettings.PrinterName = "Front Desk";
    c.PrintSettings.Copies = 3;
    c.Cancelled = true;
  };
  Main(ctx, windows);
  EXPECT_TRUE(printers.documents.empty());
  EXPECT_EQ(ReadFile(work / "VORN.PRN"), "A\r\nB\r\n");
  EXPECT_EQ(ReadFile(work / "Printer.inp"),
            "\r\nFront Desk\r\n\r\nN\r\nN\r\nCourier New\r\n3\r\n0\r\n---\r\n***\r\n");
  EXPECT_FALSE(std::filesystem::exists(app / "actionlog.txt"));
}

TEST_F(MainTest, NegativeCopiesStayForTheDialogToRefuse) {
  WriteFile(work / "Printer.inp", "\r\nFront Desk\r\n\r\nN\r\nN\r\nArial\r\n-2\r\n");
  windows.dialog = [](KelvarinContext& c) { c.Cancelled = true; };
  Main(ctx, windows);
  EXPECT_EQ(windows.seenByDialog.Copies, -2);
}

TEST_F(MainTest, NoDefaultPrinterLeavesTheNameEmptyForTheDialog) {
  printers.defaultPrinter.clear();
  windows.dialog = [](KelvarinContext& c) { c.Cancelled = true; };
  Main(ctx, windows);
  EXPECT_EQ(windows.seenByDialog.PrinterName, "");
}

TEST_F(MainTest, NoPrinterAtAllEndsTheRunBeforeAnyWindow) {
  printers.defaultPrinter.clear();
  printers.printers.clear();
  WriteFile(work / "VORN.PRN", "A\r\nB\r\n");
  try {
    Main(ctx, windows);
    FAIL() << "the run went on without a printer";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), static_cast<int>(ErrorNumber::kNoPrinter));
  }
  EXPECT_TRUE(windows.steps.empty());
  EXPECT_EQ(ReadFile(work / "VORN.PRN"), "A\r\nB\r\n");
}

TEST_F(MainTest, AnUnwritableSettingsFileEndsTheRunWithThePrintFileKept) {
  WriteFile(work / "Printer.inp", "\r\nFront Desk\r\n");
  std::filesystem::permissions(work / "Printer.inp", std::filesystem::perms::owner_read);
  WriteFile(work / "VORN.PRN", "A\r\nB\r\n");
  EXPECT_THROW(Main(ctx, windows), RunError);
  EXPECT_TRUE(printers.documents.empty());
  EXPECT_EQ(ReadFile(work / "VORN.PRN"), "A\r\nB\r\n");
  EXPECT_EQ(ReadFile(work / "Printer.inp"), "\r\nFront Desk\r\n");
}

}  // namespace
}  // namespace vorn::print
