// The leading-number parse fed any text, and the 16-bit rounding fed any double.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/number_parse.h"
#include "fuzz/fuzz_check.h"

namespace {

void CheckRounding(double value) {
  std::optional<std::int16_t> rounded = vorn::RoundToInt16(value);
  if (!std::isfinite(value)) {
    VORN_FUZZ_CHECK(!rounded, "no 16-bit value for infinity or NaN");
    return;
  }
  if (!rounded) {
    VORN_FUZZ_CHECK(value < -32768.5 || value > 32767.5, "a value near the range rounds in it");
    return;
  }
  const double difference = value - *rounded;
  VORN_FUZZ_CHECK(std::fabs(difference) <= 0.5, "rounding goes to the nearest whole number");
  if (std::fabs(difference) == 0.5)
    VORN_FUZZ_CHECK(*rounded % 2 == 0, "a half goes to the even neighbour");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const double value = vorn::LeadingNumber(text);
  VORN_FUZZ_CHECK(!std::isnan(value), "a leading number is never NaN");
  CheckRounding(value);
  if (std::isfinite(value)) {
    const std::string shortest = vorn::ShortestNumberText(value);
    VORN_FUZZ_CHECK(shortest.find(' ') == std::string::npos, "number text has no blanks");
    VORN_FUZZ_CHECK(vorn::LeadingNumber(shortest) == value, "number text reads back the same");
  }
  if (size >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, data, sizeof raw);
    CheckRounding(raw);
  }
  return 0;
}
