// Printers as CUPS knows them (the server named by CUPS_SERVER, or the system's).
#include <cups/cups.h>

#include "common/ansi_text.h"
#include "print/system_printers.h"

namespace vorn::print {

namespace {

std::string Option(const cups_dest_t& dest, const char* name) {
  const char* value = cupsGetOption(name, dest.num_options, dest.options);
  return value != nullptr ? Utf8ToAnsi(value) : std::string();
}

}  // namespace

std::vector<PrinterInfo> SystemPrinters() {
  cups_dest_t* dests = nullptr;
  int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  std::vector<PrinterInfo> printers;
  for (int i = 0; i < count; ++i) {
    const cups_dest_t& dest = dests[i];
    if (dest.instance != nullptr) continue;  // instances are option sets of one queue
    printers.push_back({Utf8ToAnsi(dest.name), Option(dest, "printer-make-and-model"),
                        Option(dest, "device-uri")});
  }
  cupsFreeDests(count, dests);
  return printers;
}

std::string SystemDefaultPrinter() {
  cups_dest_t* dests = nullptr;
  int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  std::string name;
  if (const cups_dest_t* dest = cupsGetDest(nullptr, nullptr, count, dests))
    name = Utf8ToAnsi(dest->name);
  cupsFreeDests(count, dests);
  return name;
}

}  // namespace vorn::print
