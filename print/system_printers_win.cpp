// Printers as the Windows spooler knows them: EnumPrinters level 2 and the default printer.
#include <windows.h>
#include <winspool.h>

#include <vector>

#include "print/system_printers.h"

namespace vorn::print {

namespace {

// The ANSI code page's bytes of a spooler text, as the settings file holds names.
std::string Ansi(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return {};
  int n = WideCharToMultiByte(1252, 0, text, -1, nullptr, 0, "?", nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(1252, 0, text, -1, bytes.data(), n, "?", nullptr);
  bytes.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
  return bytes;
}

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
        {Ansi(info[i].pPrinterName), Ansi(info[i].pDriverName), Ansi(info[i].pPortName)});
  return printers;
}

std::string SystemDefaultPrinter() {
  DWORD size = 0;
  GetDefaultPrinterW(nullptr, &size);
  if (size == 0) return {};
  std::vector<wchar_t> name(size);
  if (!GetDefaultPrinterW(name.data(), &size)) return {};
  return Ansi(name.data());
}

}  // namespace vorn::print
