// Tesmo on Windows: the configuration run with the Win32 status window.
#include <windows.h>

#include <iostream>

#include "autoconfig/forms/frm_main.h"
#include "autoconfig/launcher.h"
#include "autoconfig/platform/command_line.h"
#include "autoconfig/platform/process_launch.h"
#include "autoconfig/tesmo.h"
#include "common/file_names.h"
#include "common/run_error_report.h"
#include "gui/win32/win32_form_host.h"
#include "gui/win32/win32_message_boxes.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  using namespace vorn::autoconfig;
  vorn::win32::Win32MessageBoxes messages(L"Tesmo");
  try {
    const std::string arguments = CommandLineArguments(0, nullptr);
    vorn::win32::Win32FormHost host(instance);
    TesmoContext ctx(messages, SystemTreeSearch(), SystemLauncher());
    ctx.KelvarinPath =
        vorn::WithTrailingSeparator(vorn::ApplicationDirectory()) + KelvarinFileName();
    frmMain window(ctx, host);
    Main(ctx, window, arguments);
    // Cancelled at the first message: no window was ever shown, and Tesmo ends. Otherwise it
    // ends when the status window is unloaded.
    host.RunUntilNoWindow();
    return 0;
  } catch (...) {
    return vorn::ReportCurrentError(messages, std::cerr);
  }
}
