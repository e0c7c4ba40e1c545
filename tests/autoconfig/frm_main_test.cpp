// Tesmo's status window as logic: what the configuration run lists in it and how it leaves
// its buttons, for each way a run can end.
#include "autoconfig/forms/frm_main.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "autoconfig/tesmo.h"
#include "fake_tree_search.h"
#include "recording_launcher.h"
#include "scripted_form_host.h"
#include "temp_dir.h"
#include "tesmo_texts.h"

namespace vorn::autoconfig {
namespace {

namespace fs = std::filesystem;
using Items = std::vector<std::string>;
using vorn::testing::ReadBytes;
using vorn::testing::WriteBytes;
using View = ::vorn::testing::RecordingFormView;
using Ctl = frmMain::Control;

const std::string kWaitTitle = "Please wait... configuring Vorn programs...";

// One Tesmo run against its window: message boxes answered in-process, data files found by
// a fake search in a fresh folder, programs started by `launch` (recorded unless told).
struct TesmoRun {
  TesmoRun() : TesmoRun(launcher) {}
  explicit TesmoRun(Launcher& launch) : ctx(boxes, search, launch) {}

  // Makes a data file `name` with `text` that the search finds; returns its path.
  fs::path DataFile(const std::string& name, const std::string& text) {
    const fs::path path = dir.Path() / name;
    WriteBytes(path, text);
    search.files[name] = path.string();
    return path;
  }

  View& Window() { return *host.Modeless("frmMain"); }
  const Items& List() { return Window().Control(Ctl::lstStatus).Items; }

  vorn::testing::TempDir dir;
  testing::FakeTreeSearch search;
  ::vorn::testing::RecordingMessageBoxes boxes;
  testing::RecordingLauncher launcher;
  TesmoContext ctx;
  ::vorn::testing::ScriptedFormHost host;
  frmMain window{ctx, host};
};

TEST(FrmMain, InitialStatesFollowTheTable) {
  TesmoRun run;
  run.window.Show();
  View& view = run.Window();
  EXPECT_EQ(view.Caption(), "");
  EXPECT_EQ(view.Text(Ctl::lblTitle), kWaitTitle);
  EXPECT_EQ(view.Text(Ctl::lblStatus), "");
  EXPECT_EQ(view.Text(Ctl::cmdClose), "&Close");
  EXPECT_EQ(view.Text(Ctl::cmdPrint), "Print Test Page");
  EXPECT_TRUE(run.List().empty());
  EXPECT_TRUE(view.Control(Ctl::lstStatus).Enabled);
  EXPECT_FALSE(view.Control(Ctl::cmdClose).Enabled);
  EXPECT_FALSE(view.Control(Ctl::cmdPrint).Visible);
  EXPECT_TRUE(view.Control(Ctl::cmdPrint).Enabled);
  EXPECT_EQ(view.Focus(), Ctl::lstStatus);
  EXPECT_GE(view.Repaints(), 1);  // drawn at once: the run keeps the event loop waiting
}

TEST(FrmMain, CancelAtTheFirstMessageShowsNoWindowAndTouchesNothing) {
  TesmoRun run;
  const fs::path file = run.DataFile("PROG03.DTA", "P=1\r");
  const auto modified = fs::last_write_time(file);
  run.boxes.answers = {MessageAnswer::kCancel};
  Main(run.ctx, run.window, "/d");
  ASSERT_EQ(run.boxes.shown.size(), 2u);
  EXPECT_EQ(run.boxes.shown[0].text, testing::kConfirmText);
  EXPECT_EQ(run.boxes.shown[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(run.boxes.shown[0].buttons, MessageButtons::kOkCancel);
  EXPECT_EQ(run.boxes.shown[1].text, testing::kCancelledText);
  EXPECT_EQ(run.boxes.shown[1].icon, MessageIcon::kInformation);
  EXPECT_EQ(run.boxes.shown[1].buttons, MessageButtons::kOk);
  EXPECT_EQ(run.host.Modeless("frmMain"), nullptr);
  EXPECT_FALSE(run.window.Attached());
  EXPECT_EQ(ReadBytes(file), "P=1\r");
  EXPECT_TRUE(fs::last_write_time(file) == modified);
  EXPECT_EQ(run.ctx.ProductTable[2].FoundPath, "");
}

TEST(FrmMain, NoArgumentEndState) {
  TesmoRun run;
  Main(run.ctx, run.window, "");
  View& view = run.Window();
  EXPECT_FALSE(view.Closed());
  EXPECT_EQ(run.List(),
            Items{"This program can only be run when installing the Vorn Print Utility."});
  EXPECT_EQ(view.Text(Ctl::lblTitle), kWaitTitle);
  EXPECT_EQ(view.Text(Ctl::lblStatus), "");
  EXPECT_TRUE(view.Control(Ctl::cmdClose).Enabled);
  EXPECT_FALSE(view.Control(Ctl::cmdPrint).Visible);
  EXPECT_TRUE(run.search.calls.empty());
  EXPECT_EQ(run.boxes.shown.size(), 1u);
}

TEST(FrmMain, OneCharacterEndsInNothingFound) {
  TesmoRun run;
  const fs::path file = run.DataFile("PROG01.DTA", "x1\r\n");
  run.search.files.clear();  // no drive letter: nothing is searched where it lies
  bool closeEnabledDuringMessage = true;
  run.boxes.on_show = [&](const auto& shown) {
    if (shown.icon == MessageIcon::kCritical)
      closeEnabledDuringMessage = run.Window().Control(Ctl::cmdClose).Enabled;
  };
  Main(run.ctx, run.window, "d");
  View& view = run.Window();
  EXPECT_EQ(run.List(), (Items{"Looking for Vorn programs installed on Drive ()", ""}));
  ASSERT_EQ(run.boxes.shown.size(), 2u);
  EXPECT_EQ(run.boxes.shown[1].text, testing::kNothingFoundText);
  EXPECT_EQ(run.boxes.shown[1].icon, MessageIcon::kCritical);
  EXPECT_EQ(run.boxes.shown[1].buttons, MessageButtons::kOk);
  EXPECT_FALSE(closeEnabledDuringMessage);
  EXPECT_TRUE(view.Control(Ctl::cmdClose).Enabled);
  EXPECT_FALSE(view.Control(Ctl::cmdPrint).Visible);
  EXPECT_EQ(view.Text(Ctl::lblTitle), kWaitTitle);
  EXPECT_EQ(view.Text(Ctl::lblStatus), "");
  EXPECT_EQ(ReadBytes(file), "x1\r\n");
}

TEST(FrmMain, TwoProgramsTheSecondPatchFailing) {
  TesmoRun run;
  const fs::path prog03 = run.DataFile("PROG03.DTA", "PORT=1\r\nrest\r\n");
  const fs::path prog09 = run.DataFile("PROG09.DTA", "PORT=1\r\n");
  fs::permissions(prog09, fs::perms::owner_read);  // read-only: its patch fails
  Main(run.ctx, run.window, "/d");
  fs::permissions(prog09, fs::perms::owner_read | fs::perms::owner_write);
  View& view = run.Window();
  EXPECT_EQ(run.List(), (Items{
                            "Looking for Vorn programs installed on Drive (D)",
                            "",
                            "Vorn Program 03 found...",
                            "Vorn Program 03 printer port set...ok",
                            "",
                            "Vorn Program 09 found...",
                            "Vorn Program 09 printer port could NOT be set...",
                            "",
                        }));
  EXPECT_EQ(view.Control(Ctl::lstStatus).ListIndex, 7);
  EXPECT_EQ(view.Text(Ctl::lblTitle), "Vorn Auto Config");
  EXPECT_EQ(view.Text(Ctl::lblStatus), "Configuration complete!");
  EXPECT_TRUE(view.Control(Ctl::cmdClose).Enabled);
  EXPECT_TRUE(view.Control(Ctl::cmdPrint).Visible);
  EXPECT_TRUE(view.Control(Ctl::cmdPrint).Enabled);
  EXPECT_EQ(run.boxes.shown.size(), 1u);
  EXPECT_EQ(ReadBytes(prog03), "PORT=4\r\nrest\r\n");
  EXPECT_EQ(ReadBytes(prog09), "PORT=1\r\n");
  EXPECT_EQ(run.ctx.ProductTable[8].FoundPath, prog09.string());
}

TEST(FrmMain, AllSixteenFound) {
  TesmoRun run;
  for (int i = 1; i <= 16; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "PROG%02d.DTA", i);
    std::string text;
    for (int line = 1; line <= 18; ++line) text += "\"line " + std::to_string(line) + "1\"\r\n";
    run.DataFile(name, text);
  }
  Main(run.ctx, run.window, "/D");
  const Items& items = run.List();
  ASSERT_EQ(items.size(), 50u);
  EXPECT_EQ(items[0], "Looking for Vorn programs installed on Drive (D)");
  EXPECT_EQ(items[1], "");
  for (int i = 0; i < 16; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Vorn Program %02d", i + 1);
    EXPECT_EQ(items[2 + 3 * i], std::string(name) + " found...");
    EXPECT_EQ(items[3 + 3 * i], std::string(name) + " printer port set...ok");
    EXPECT_EQ(items[4 + 3 * i], "");
  }
  EXPECT_EQ(run.Window().Control(Ctl::lstStatus).ListIndex, 49);
  EXPECT_TRUE(run.Window().Control(Ctl::cmdPrint).Visible);
  // Row 7's data file keeps its closing quotation mark; row 1 changes its 13th line.
  EXPECT_NE(ReadBytes(run.dir.Path() / "PROG07.DTA").find("\"line 104\"\r\n"), std::string::npos);
  EXPECT_NE(ReadBytes(run.dir.Path() / "PROG01.DTA").find("\r\n\"line 1314\r\n\"line 141\"\r\n"),
            std::string::npos);
}

TEST(FrmMain, AFailingSearchLeavesTheWindowClosable) {
  TesmoRun run;
  run.DataFile("PROG02.DTA", "1");
  run.search.fail_at_call = 4;
  Main(run.ctx, run.window, "/d");
  View& view = run.Window();
  EXPECT_EQ(run.List(), (Items{
                            "Looking for Vorn programs installed on Drive (D)",
                            "",
                            "Vorn Program 02 found...",
                            "Vorn Program 02 printer port set...ok",
                            "",
                        }));
  EXPECT_EQ(run.boxes.shown.back().text, testing::kFailureText);
  EXPECT_EQ(run.boxes.shown.back().icon, MessageIcon::kWarning);
  EXPECT_EQ(run.boxes.shown.back().buttons, MessageButtons::kOk);
  EXPECT_EQ(view.Text(Ctl::lblTitle), kWaitTitle);
  EXPECT_EQ(view.Text(Ctl::lblStatus), "");
  EXPECT_FALSE(view.Control(Ctl::cmdPrint).Visible);
  EXPECT_TRUE(view.Control(Ctl::cmdClose).Enabled);
  view.Click(Ctl::cmdClose);
  EXPECT_TRUE(view.Closed());
}

TEST(FrmMain, CloseUnloadsTheWindow) {
  TesmoRun run;
  Main(run.ctx, run.window, "");
  View& view = run.Window();
  EXPECT_FALSE(view.Closed());
  view.Click(Ctl::cmdClose);
  EXPECT_TRUE(view.Closed());
  EXPECT_EQ(view.Unloads(), 1);
}

TEST(FrmMain, PrintTestPageStartsKelvarinOnEveryClick) {
  TesmoRun run;
  run.DataFile("PROG02.DTA", "1\r\n");
  run.ctx.KelvarinPath = (run.dir.Path() / "kelvarin").string();
  Main(run.ctx, run.window, "/d");
  ASSERT_TRUE(run.Window().Control(Ctl::cmdPrint).Visible);
  EXPECT_EQ(run.launcher.started, Items{});
  run.Window().Click(Ctl::cmdPrint);
  run.Window().Click(Ctl::cmdPrint);
  EXPECT_EQ(run.launcher.started, (Items{run.ctx.KelvarinPath, run.ctx.KelvarinPath}));
  EXPECT_FALSE(run.Window().Closed());
}

TEST(FrmMain, PrintTestPageWithoutKelvarinFailsWithFileNotFound) {
  TesmoRun run(SystemLauncher());
  run.DataFile("PROG02.DTA", "1\r\n");
  run.ctx.KelvarinPath = (run.dir.Path() / "kelvarin").string();
  Main(run.ctx, run.window, "/d");
  ASSERT_TRUE(run.Window().Control(Ctl::cmdPrint).Visible);
  // Nothing in the form handles it: the front end ends the program with the run-time error
  // report (ReportRunError).
  try {
    run.Window().Click(Ctl::cmdPrint);
    ADD_FAILURE() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), 53);
    EXPECT_NE(error.Description().find(run.ctx.KelvarinPath), std::string::npos);
  }
}

}  // namespace
}  // namespace vorn::autoconfig
