#pragma once

#include "print/kelvarin_context.h"

namespace vorn::print {

// The windows Kelvarin shows during a run; Qt realises them, tests record them.
class KelvarinWindows {
 public:
  virtual ~KelvarinWindows() = default;
  // Shows the progress window "Printing Quote", modeless.
  virtual void ShowProgress() = 0;
  // Shows the printer choice dialog modally and returns when the whole dialog chain (with
  // any New Font detours) has closed; the dialogs change ctx.PrintSettings and ctx.Cancelled.
  virtual void RunPrinterChoice(KelvarinContext& ctx) = 0;
  // Closes the progress window.
  virtual void CloseProgress() = 0;
};

// Deletes "connectlog.txt" in the application directory; every failure is ignored.
void ClearConnectLog(KelvarinContext& ctx);

// The whole run: clear the connection log, load the settings, fill in defaults, show the
// progress window and the printer dialog, save the settings, print unless cancelled, close.
// Errors other than the print job's own reach the caller as RunError.
void Main(KelvarinContext& ctx, KelvarinWindows& windows);

}  // namespace vorn::print
