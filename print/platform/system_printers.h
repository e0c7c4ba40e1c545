#pragma once

#include <string>
#include <vector>

#include "print/printer_service.h"

namespace vorn::print {

// The printers the system's spooler has installed, in its enumeration order, with their
// driver (make and model) and port (device address). Empty when the spooler has none; a
// spooler that cannot be reached or does not answer in time is RunError 482.
std::vector<PrinterInfo> SystemPrinters();

// The name of the system's default printer; empty when there is none. RunError 482 as above.
std::string SystemDefaultPrinter();

}  // namespace vorn::print
