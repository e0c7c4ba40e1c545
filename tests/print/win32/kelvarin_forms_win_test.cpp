// Kelvarin's windows on the Win32 front end when a run ends with an error: the program's
// objects go in the reverse order of their making, the windows' owner (the forms) before the
// host that shows them. Needs a screen (the Windows job's Xvfb).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "gui/win32/win32_form_host.h"
#include "print/forms/kelvarin_forms.h"

namespace vorn::print {
namespace {

TEST(KelvarinFormsWin32Test, FormsEndingBeforeTheirHostTakeTheProgressWindowWithThem) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no screen";
  // The forms live in storage the test watches: once they have ended, nothing may write there.
  alignas(KelvarinForms) unsigned char storage[sizeof(KelvarinForms)];
  int windowsLeft = -1;
  {
    win32::Win32FormHost host(GetModuleHandleW(nullptr));
    auto* windows = new (storage) KelvarinForms(host);
    windows->ShowProgress();
    ASSERT_NE(FindWindowW(L"VornForm", L"Printing Quote"), nullptr);
    // A failure between the progress window and its closing unwinds past both objects.
    windows->~KelvarinForms();
    std::memset(storage, 0xA5, sizeof storage);
    windowsLeft = host.WindowCount();
  }
  EXPECT_EQ(windowsLeft, 0) << "the progress window outlived its form";
  EXPECT_EQ(FindWindowW(L"VornForm", L"Printing Quote"), nullptr);
  int touched = 0;
  for (unsigned char byte : storage) touched += byte != 0xA5 ? 1 : 0;
  EXPECT_EQ(touched, 0) << "the host wrote into forms that had ended";
}

}  // namespace
}  // namespace vorn::print
