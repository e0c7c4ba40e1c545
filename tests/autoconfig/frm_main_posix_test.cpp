// Print Test Page in Tesmo's status window starting a real program (a shell script in
// Kelvarin's place).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "autoconfig/forms/frm_main.h"
#include "autoconfig/tesmo.h"
#include "fake_tree_search.h"
#include "scripted_form_host.h"
#include "temp_dir.h"
#include "tesmo_texts.h"

namespace vorn::autoconfig {
namespace {

namespace fs = std::filesystem;
using Ctl = frmMain::Control;

int Started(const fs::path& dir) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(dir))
    count += entry.path().filename().string().rfind("started.", 0) == 0;
  return count;
}

TEST(FrmMainPosix, PrintTestPageStartsKelvarinOnEveryClick) {
  vorn::testing::TempDir dir;
  vorn::testing::WriteBytes(dir.Path() / "PROG02.DTA", "1\r\n");
  const fs::path kelvarin = dir.Path() / "kelvarin";
  vorn::testing::WriteBytes(kelvarin,
                            "#!/bin/sh\ntouch \"" + dir.Path().string() + "/started.$$\"\n");
  fs::permissions(kelvarin, fs::perms::owner_all);
  testing::FakeTreeSearch search;
  search.files["PROG02.DTA"] = (dir.Path() / "PROG02.DTA").string();
  testing::RecordingMessageBoxes boxes;
  TesmoContext ctx(boxes, search, SystemLauncher());
  ctx.KelvarinPath = kelvarin.string();
  ::vorn::testing::ScriptedFormHost host;
  frmMain window(ctx, host);
  Main(ctx, window, "/d");
  ::vorn::testing::RecordingFormView& view = *host.Modeless("frmMain");
  ASSERT_TRUE(view.Control(Ctl::cmdPrint).Visible);
  view.Click(Ctl::cmdPrint);
  view.Click(Ctl::cmdPrint);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (Started(dir.Path()) < 2 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(Started(dir.Path()), 2);
  EXPECT_FALSE(view.Closed());
  EXPECT_TRUE(view.Control(Ctl::cmdPrint).Enabled);
}

}  // namespace
}  // namespace vorn::autoconfig
