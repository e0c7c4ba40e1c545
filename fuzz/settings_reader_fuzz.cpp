// The settings reader fed any bytes: it never crashes, and what it read is written and read
// back to the same record and the same ten lines.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/fuzz_check.h"
#include "print/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vorn::print::PrintSettings;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  PrintSettings first;
  vorn::print::ReadSettings(in, first);

  const std::string written = vorn::print::FormatSettings(first);
  VORN_FUZZ_CHECK(std::count(written.begin(), written.end(), '\r') == 10,
                  "the settings file has ten CR LF lines");
  VORN_FUZZ_CHECK(written.size() >= 2 && written.substr(written.size() - 2) == "\r\n",
                  "the settings file ends in CR LF");

  std::istringstream again(written);
  PrintSettings second;
  vorn::print::ReadSettings(again, second);
  // An overflowing number ("1E999") is kept in memory as infinity, which has no text form.
  if (std::isfinite(first.Line8Number)) {
    VORN_FUZZ_CHECK(second == first, "the settings read back equal the settings written");
    VORN_FUZZ_CHECK(vorn::print::FormatSettings(second) == written,
                    "writing the settings read back gives the same bytes");
  }
  return 0;
}
