#include "print/win32/spooler_library.h"

#include <thread>

namespace vorn::print {

SpoolerLibrary::SpoolerLibrary() {
  HMODULE library = LoadLibraryW(L"winspool.drv");
  if (library == nullptr) return;
  enumPrinters = reinterpret_cast<decltype(enumPrinters)>(
      reinterpret_cast<void*>(GetProcAddress(library, "EnumPrintersW")));
  getDefaultPrinter = reinterpret_cast<decltype(getDefaultPrinter)>(
      reinterpret_cast<void*>(GetProcAddress(library, "GetDefaultPrinterW")));
}

const SpoolerLibrary& SpoolerLibrary::Get() {
  // Made once; a second thread asking meanwhile waits for it.
  static const SpoolerLibrary library;
  return library;
}

void SpoolerLibrary::LoadInBackground() {
  std::thread([] { Get(); }).detach();
}

}  // namespace vorn::print
