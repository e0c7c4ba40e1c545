#pragma once

#include <string>
#include <vector>

#include "print/printer_service.h"

namespace vorn::print {

// The printers the system's spooler has installed, in its enumeration order, with their
// driver (make and model) and port (device address). Empty when there are none or the
// spooler cannot be reached.
std::vector<PrinterInfo> SystemPrinters();

// The name of the system's default printer; empty when there is none.
std::string SystemDefaultPrinter();

}  // namespace vorn::print
