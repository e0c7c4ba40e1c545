// Printers as the Windows spooler knows them: EnumPrinters level 2 and the default printer.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <vector>

#include "common/wide_text.h"
#include "print/spooler_answer_win.h"
#include "print/system_printers.h"

namespace vorn::print {

namespace {

// The spooler's texts as the settings file holds names: ANSI bytes.
std::string Text(const wchar_t* text) { return text != nullptr ? WideToAnsi(text) : std::string(); }

// Room for the default printer's name, in characters: a first guess that fits nearly every
// name, and the most ever asked for.
constexpr std::size_t kFirstNameRoom = 512;
constexpr std::size_t kMostNameRoom = 32768;

}  // namespace

std::vector<PrinterInfo> SystemPrinters() {
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD count = 0;
  const std::vector<BYTE> buffer = SpoolerAnswer(
      [&count](BYTE* data, DWORD size, DWORD* needed) {
        count = 0;
        return EnumPrintersW(flags, nullptr, 2, data, size, needed, &count);
      },
      "Cannot list the printers");
  std::vector<PrinterInfo> printers;
  if (count == 0) return printers;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    printers.push_back(
        {Text(info[i].pPrinterName), Text(info[i].pDriverName), Text(info[i].pPortName)});
  return printers;
}

std::string SystemDefaultPrinter() {
  // Asked with room to spare from the start: the size the spooler gives back for an empty
  // buffer is not to be relied on for long names (a network printer's "\\server\share").
  std::vector<wchar_t> name(kFirstNameRoom);
  while (name.size() <= kMostNameRoom) {
    DWORD size = static_cast<DWORD>(name.size());
    if (GetDefaultPrinterW(name.data(), &size)) return WideToAnsi(name.data());
    const DWORD error = GetLastError();
    // A name cut short by a buffer too small may also read as a malformed entry.
    if (error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_INVALID_NAME) return {};
    name.resize(std::max<std::size_t>(size, name.size() * 2));
  }
  return {};
}

}  // namespace vorn::print
