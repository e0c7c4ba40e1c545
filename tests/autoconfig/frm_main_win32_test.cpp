// Tesmo's status window in the Win32 front end under Wine, where the window system can close it
// at any time it takes messages. Needs a screen (the Windows job's Xvfb).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "autoconfig/forms/frm_main.h"
#include "autoconfig/tesmo.h"
#include "fake_tree_search.h"
#include "gui/win32/win32_form_host.h"
#include "recording_launcher.h"
#include "recording_message_boxes.h"

namespace vorn::autoconfig {
namespace {

// This thread's status window.
HWND StatusWindowOfThisThread() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) {
        wchar_t name[32] = {};
        GetClassNameW(hwnd, name, 32);
        if (std::wstring(name) != L"VornForm") return TRUE;
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// A message box takes messages while it is shown: the window system (the task bar's "Close
// window", Task Manager's "End task") may close the status window meanwhile. The run then ends
// without touching the window that is gone.
TEST(FrmMainWin32, ClosedWhileTheNothingFoundMessageIsShownTheRunEndsQuietly) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no screen";
  win32::Win32FormHost host(GetModuleHandleW(nullptr));
  ::vorn::testing::RecordingMessageBoxes boxes;
  testing::FakeTreeSearch search;  // finds nothing
  testing::RecordingLauncher launcher;
  TesmoContext ctx(boxes, search, launcher);
  frmMain window(ctx, host);
  bool closed = false;
  boxes.on_show = [&](const auto& shown) {
    if (shown.icon != MessageIcon::kCritical) return;
    HWND status = StatusWindowOfThisThread();
    ASSERT_NE(status, nullptr);
    SendMessageW(status, WM_CLOSE, 0, 0);
    closed = !IsWindow(status);
  };
  Main(ctx, window, "/q");
  EXPECT_TRUE(closed);
  EXPECT_FALSE(window.Attached());
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].text,
            "No Vorn programs were found on the drive you installed this utility to!");
  host.RunUntilNoWindow();  // no window is left: returns at once
}

}  // namespace
}  // namespace vorn::autoconfig
