#pragma once

#include <string>

namespace vorn::print {

// Printer names as the Windows spooler holds them (wide characters). The program knows a
// printer by its name in the ANSI code page; a name with letters the code page lacks reads
// differently once turned into code-page bytes and back, and only the spooler's own name opens
// the printer.

// The default printer's name; empty when there is none.
std::wstring SpoolerDefaultPrinter();

// The spooler's name of the installed printer whose code-page name is `ansiName`, the first in
// the spooler's order as the printer list has them. A name no printer has is only turned into
// wide characters.
std::wstring SpoolerPrinterName(const std::string& ansiName);

}  // namespace vorn::print
