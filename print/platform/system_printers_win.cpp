// Printers as the Windows spooler knows them: EnumPrinters level 2 and the default printer.
// Divisions, in order: the spooler's texts as ANSI; the installed printers, asked within the
// print server's deadline; the printers; the default printer; a printer's name as the
// spooler holds it.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "common/wide_text.h"
#include "print/platform/spooler_answer_win.h"
#include "print/platform/spooler_names_win.h"
#include "print/platform/system_printers.h"

namespace vorn::print {

namespace {

// The spooler's texts as the settings file holds names: ANSI bytes.
std::string Text(const wchar_t* text) { return text != nullptr ? WideToAnsi(text) : std::string(); }

// Room for the default printer's name, in characters: a first guess that fits nearly every
// name, and the most ever asked for.
constexpr std::size_t kFirstNameRoom = 512;
constexpr std::size_t kMostNameRoom = 32768;

// The installed printers, local ones and connections to print servers' printers, as
// PRINTER_INFO_<level> records: the spooler's whole answer and how many records it holds.
// The spooler asks print servers for their printers; a server that does not answer must not
// hold the program, so the question has the print server's deadline.
std::vector<BYTE> InstalledPrinters(DWORD level, DWORD& count) {
  auto found = std::make_shared<DWORD>(0);
  std::vector<BYTE> answer = SpoolerCallWithin<std::vector<BYTE>>(
      kSpoolerTimeLimit, "Cannot list the printers", [level, found] {
        return SpoolerAnswer(
            [level, found](BYTE* data, DWORD size, DWORD* needed) {
              *found = 0;
              return EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, level,
                                   data, size, needed, found.get());
            },
            "Cannot list the printers");
      });
  count = *found;
  return answer;
}

}  // namespace

std::vector<PrinterInfo> SystemPrinters() {
  DWORD count = 0;
  const std::vector<BYTE> buffer = InstalledPrinters(2, count);
  std::vector<PrinterInfo> printers;
  if (count == 0) return printers;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    printers.push_back(
        {Text(info[i].pPrinterName), Text(info[i].pDriverName), Text(info[i].pPortName)});
  return printers;
}

std::wstring SpoolerDefaultPrinter() {
  return SpoolerCallWithin<std::wstring>(kSpoolerTimeLimit, "Cannot find the default printer", [] {
    // Asked with room to spare from the start: the size the spooler gives back for an empty
    // buffer is not to be relied on for long names (a network printer's "\\server\share").
    std::vector<wchar_t> name(kFirstNameRoom);
    while (name.size() <= kMostNameRoom) {
      DWORD size = static_cast<DWORD>(name.size());
      if (GetDefaultPrinterW(name.data(), &size)) return std::wstring(name.data());
      const DWORD error = GetLastError();
      // A name cut short by a buffer too small may also read as a malformed entry.
      if (error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_INVALID_NAME) return std::wstring();
      name.resize(std::max<std::size_t>(size, name.size() * 2));
    }
    return std::wstring();
  });
}

std::string SystemDefaultPrinter() { return WideToAnsi(SpoolerDefaultPrinter()); }

std::wstring SpoolerPrinterName(const std::string& ansiName) {
  const std::wstring direct = AnsiToWide(ansiName);
  // Level 4 holds the names alone and asks no print server.
  DWORD count = 0;
  const std::vector<BYTE> buffer = InstalledPrinters(4, count);
  const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  const auto name = [info](DWORD i) {
    return std::wstring_view(info[i].pPrinterName != nullptr ? info[i].pPrinterName : L"");
  };
  for (DWORD i = 0; i < count; ++i)
    if (name(i) == direct) return direct;
  for (DWORD i = 0; i < count; ++i)
    if (!name(i).empty() && WideToAnsi(name(i)) == ansiName) return std::wstring(name(i));
  return direct;
}

}  // namespace vorn::print
