// Printers as the Windows spooler knows them: EnumPrinters level 2 and the default printer.
#include <windows.h>
#include <winspool.h>

#include <vector>

#include "common/wide_text.h"
#include "print/system_printers.h"
#include "print/win32/spooler_library.h"

namespace vorn::print {

namespace {

// The spooler's texts as the settings file holds names: ANSI bytes.
std::string Text(const wchar_t* text) { return text != nullptr ? WideToAnsi(text) : std::string(); }

}  // namespace

std::vector<PrinterInfo> SystemPrinters() {
  const auto enumPrinters = SpoolerLibrary::Get().enumPrinters;
  std::vector<PrinterInfo> printers;
  if (enumPrinters == nullptr) return printers;  // no spooler to ask
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0, count = 0;
  enumPrinters(flags, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return printers;
  std::vector<BYTE> buffer(needed);
  if (!enumPrinters(flags, nullptr, 2, buffer.data(), needed, &needed, &count)) return printers;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    printers.push_back(
        {Text(info[i].pPrinterName), Text(info[i].pDriverName), Text(info[i].pPortName)});
  return printers;
}

std::string SystemDefaultPrinter() {
  const auto defaultPrinter = SpoolerLibrary::Get().getDefaultPrinter;
  if (defaultPrinter == nullptr) return {};
  DWORD size = 0;
  defaultPrinter(nullptr, &size);
  if (size == 0) return {};
  std::vector<wchar_t> name(size);
  if (!defaultPrinter(name.data(), &size)) return {};
  return WideToAnsi(name.data());
}

}  // namespace vorn::print
