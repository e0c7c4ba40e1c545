// Printers as CUPS knows them (the server named by CUPS_SERVER, or the system's). Every call
// has a time limit, and a server that does not answer is an error, never an empty list.
// Divisions, in order: a server's answer, held and read; the printers; the default printer.
#include <cups/cups.h>

#include <cstring>

#include "common/ansi_text.h"
#include "print/platform/cups_connection.h"
#include "print/platform/system_printers.h"

namespace vorn::print {

namespace {

struct IppResponse {
  explicit IppResponse(ipp_t* response) : ipp(response) {}
  ~IppResponse() { ippDelete(ipp); }
  IppResponse(const IppResponse&) = delete;
  IppResponse& operator=(const IppResponse&) = delete;
  ipp_t* ipp;
};

// "Not found" is the server's answer when it has no printers (or no default): an answer.
bool Answered(ipp_status_t status) {
  return status <= IPP_STATUS_OK_CONFLICTING || status == IPP_STATUS_ERROR_NOT_FOUND;
}

std::string Text(ipp_attribute_t* attribute) {
  const char* value = ippGetString(attribute, 0, nullptr);
  return value != nullptr ? Utf8ToAnsi(value) : std::string();
}

}  // namespace

std::vector<PrinterInfo> SystemPrinters() {
  CupsConnection server("Cannot list the printers");
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  static const char* const kWanted[] = {"printer-name", "printer-make-and-model", "device-uri"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr,
                kWanted);
  IppResponse response(cupsDoRequest(server.get(), request, "/"));
  if (response.ipp == nullptr || !Answered(cupsLastError())) throw server.Failure();

  // One group of attributes per printer, in the server's order.
  std::vector<PrinterInfo> printers;
  ipp_attribute_t* attribute = ippFirstAttribute(response.ipp);
  while (attribute != nullptr) {
    while (attribute != nullptr && ippGetGroupTag(attribute) != IPP_TAG_PRINTER)
      attribute = ippNextAttribute(response.ipp);
    PrinterInfo printer;
    for (; attribute != nullptr && ippGetGroupTag(attribute) == IPP_TAG_PRINTER;
         attribute = ippNextAttribute(response.ipp)) {
      const char* name = ippGetName(attribute);
      if (name == nullptr) continue;
      if (std::strcmp(name, "printer-name") == 0) printer.DeviceName = Text(attribute);
      if (std::strcmp(name, "printer-make-and-model") == 0) printer.DriverName = Text(attribute);
      if (std::strcmp(name, "device-uri") == 0) printer.Port = Text(attribute);
    }
    if (!printer.DeviceName.empty()) printers.push_back(std::move(printer));
  }
  return printers;
}

std::string SystemDefaultPrinter() {
  CupsConnection server("Cannot find the default printer");
  // The user's own choice (LPDEST, PRINTER, lpoptions) comes first, then the server's default.
  if (const char* name = cupsGetDefault2(server.get())) return Utf8ToAnsi(name);
  if (!Answered(cupsLastError())) throw server.Failure();
  return {};
}

}  // namespace vorn::print
