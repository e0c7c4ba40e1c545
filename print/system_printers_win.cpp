// Printers as the Windows spooler knows them: EnumPrinters level 2 and the default printer.
#include <windows.h>
#include <winspool.h>

#include <vector>

#include "common/wide_text.h"
#include "print/system_printers.h"

namespace vorn::print {

namespace {

// The spooler's texts as the settings file holds names: ANSI bytes.
std::string Text(const wchar_t* text) { return text != nullptr ? WideToAnsi(text) : std::string(); }

}  // namespace

std::vector<PrinterInfo> SystemPrinters() {
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0, count = 0;
  EnumPrintersW(flags, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<PrinterInfo> printers;
  if (needed == 0) return printers;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersW(flags, nullptr, 2, buffer.data(), needed, &needed, &count)) return printers;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    printers.push_back(
        {Text(info[i].pPrinterName), Text(info[i].pDriverName), Text(info[i].pPortName)});
  return printers;
}

std::string SystemDefaultPrinter() {
  DWORD size = 0;
  GetDefaultPrinterW(nullptr, &size);
  if (size == 0) return {};
  std::vector<wchar_t> name(size);
  if (!GetDefaultPrinterW(name.data(), &size)) return {};
  return WideToAnsi(name.data());
}

}  // namespace vorn::print
