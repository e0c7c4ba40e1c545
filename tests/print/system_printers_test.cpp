// Asks the real spooler. The expected queue comes from the environment that starts a private
// print server for the test; without one the test says so and is skipped.
#include "print/platform/system_printers.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vorn::print {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

TEST(SystemPrintersTest, ListsTheQueuesOfThePrintServer) {
  const std::string expected = Env("VORN_EXPECT_PRINTER");
  if (expected.empty()) GTEST_SKIP() << "no private print server: VORN_EXPECT_PRINTER is not set";
  const std::vector<PrinterInfo> printers = SystemPrinters();
  const PrinterInfo* found = nullptr;
  for (const PrinterInfo& printer : printers)
    if (printer.DeviceName == expected) found = &printer;
  ASSERT_NE(found, nullptr) << "queue " << expected << " not listed among " << printers.size();
  EXPECT_FALSE(found->Port.empty());
  if (std::string port = Env("VORN_EXPECT_PORT"); !port.empty()) {
    EXPECT_EQ(found->Port, port);
  }
  for (const PrinterInfo& printer : printers) EXPECT_FALSE(printer.DeviceName.empty());
}

TEST(SystemPrintersTest, NamesTheDefaultPrinter) {
  const std::string expected = Env("VORN_EXPECT_DEFAULT");
  if (expected.empty()) GTEST_SKIP() << "no private print server: VORN_EXPECT_DEFAULT is not set";
  EXPECT_EQ(SystemDefaultPrinter(), expected);
}

}  // namespace
}  // namespace vorn::print
