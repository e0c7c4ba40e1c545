#include "print/kelvarin.h"

#include <filesystem>
#include <system_error>

#include "common/file_names.h"
#include "common/run_error.h"
#include "print/print_job.h"
#include "print/settings.h"

namespace vorn::print {

void ClearConnectLog(KelvarinContext& ctx) {
  try {
    const auto path =
        NativePath(ResolveFileName(WithTrailingSeparator(ctx.AppDir), "connectlog.txt"));
    std::error_code ignored;
    // Only the file goes: a folder of that name is not the log.
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, ignored)))
      std::filesystem::remove(path, ignored);
  } catch (...) {
    // A missing or locked connection log is no reason to stop.
  }
}

void Main(KelvarinContext& ctx, KelvarinWindows& windows) {
  ClearConnectLog(ctx);
  ctx.SettingsDir = WithTrailingSeparator(ctx.CurrentDir);
  LoadPrinterSettings(ctx.SettingsDir, ctx.PrintSettings);

  PrintSettings& settings = ctx.PrintSettings;
  if (settings.PrinterName.empty()) {
    // With no default printer the name stays empty and the dialog makes the user pick one;
    // with no printer at all there is nothing to pick.
    settings.PrinterName = ctx.Printers.DefaultPrinterName();
    if (settings.PrinterName.empty() && ctx.Printers.InstalledPrinters().empty())
      throw RunError(ErrorNumber::kNoPrinter, "No printer is installed");
  }
  if (settings.Copies == 0) settings.Copies = 1;
  if (settings.FontName.empty()) settings.FontName = "Courier New";

  windows.ShowProgress();
  windows.RunPrinterChoice(ctx);

  // Saved whatever the outcome, so a choice made before Cancel is remembered.
  SavePrinterSettings(ctx.SettingsDir, ctx.PrintSettings);
  if (!ctx.Cancelled) OutputPrinter(ctx, settings.PrinterName, settings.Copies);
  windows.CloseProgress();
}

}  // namespace vorn::print
