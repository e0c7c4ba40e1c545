#pragma once

#include <windows.h>
#include <winspool.h>

namespace vorn::print {

// The Windows spooler's library, winspool.drv, loaded when it is first needed instead of at
// the program's start. Loading it has the spooler bring its printer list up to date, which
// takes a noticeable share of the start-up; LoadInBackground lets that run on a thread of its
// own while the first windows are built.
class SpoolerLibrary final {
 public:
  // The library; the first call loads it (or waits for the background load). Its entry points
  // are null when it cannot be loaded.
  static const SpoolerLibrary& Get();
  // Starts loading the library on a thread of its own; returns at once.
  static void LoadInBackground();

  decltype(&::EnumPrintersW) enumPrinters = nullptr;
  decltype(&::GetDefaultPrinterW) getDefaultPrinter = nullptr;

 private:
  SpoolerLibrary();
};

}  // namespace vorn::print
