#include "common/number_parse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace vorn {

namespace {

bool Skippable(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool IsDigitOfBase(char c, int base) {
  if (base == 8) return c >= '0' && c <= '7';
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

// "&H1F" / "&O17": a whole number. Up to 16 bits it is a 16-bit value (so &HFFFF is -1), up to
// 32 bits a 32-bit value, as the platform reads such literals; wider ones keep their magnitude.
double RadixNumber(std::string_view text, std::size_t pos, int base) {
  unsigned long long value = 0;
  bool wide = false;
  for (; pos < text.size(); ++pos) {
    char c = text[pos];
    if (Skippable(c)) continue;
    if (!IsDigitOfBase(c, base)) break;
    if (value > (~0ULL >> 4)) wide = true;
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(DigitValue(c));
  }
  if (wide) return static_cast<double>(value);
  if (value <= 0xFFFFULL) return static_cast<double>(static_cast<std::int16_t>(value));
  if (value <= 0xFFFFFFFFULL) return static_cast<double>(static_cast<std::int32_t>(value));
  return static_cast<double>(value);
}

// Converts collected number text ("-12.5e3") with the point as the decimal sign, whatever the
// user's locale says. A value too large for a double becomes infinite, one too small zero.
double ConvertNumber(std::string_view number) {
  const bool negative = number.front() == '-';
  if (number.front() == '+' || number.front() == '-') number.remove_prefix(1);
  double value = 0.0;
  const std::errc ec = std::from_chars(number.data(), number.data() + number.size(), value).ec;
  if (ec == std::errc::result_out_of_range) {
    // Where the first significant digit stands, counted in powers of ten.
    const auto e = number.find('e');
    const std::string_view mantissa = number.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
      std::string_view digits = number.substr(e + 1);
      const bool down = !digits.empty() && digits.front() == '-';
      if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) digits.remove_prefix(1);
      for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000LL);
      if (down) exponent = -exponent;
    }
    const auto point = std::min(mantissa.find('.'), mantissa.size());
    const auto first = mantissa.find_first_of("123456789");
    long long order = first == std::string_view::npos
                          ? 0
                          : (first < point ? static_cast<long long>(point - first) - 1
                                           : -static_cast<long long>(first - point));
    value = order + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

double LeadingNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && Skippable(text[pos])) ++pos;
  if (pos + 1 < text.size() && text[pos] == '&') {
    char kind = text[pos + 1];
    if (kind == 'h' || kind == 'H') return RadixNumber(text, pos + 2, 16);
    if (kind == 'o' || kind == 'O') return RadixNumber(text, pos + 2, 8);
  }

  // Collect the number's characters without the skipped blanks, then convert once.
  std::string number;
  enum class Stage { kSign, kInteger, kFraction, kExponentSign, kExponent } stage = Stage::kSign;
  bool mantissaDigits = false;
  std::size_t exponentStart = 0;
  for (; pos < text.size(); ++pos) {
    char c = text[pos];
    if (Skippable(c)) continue;
    bool digit = c >= '0' && c <= '9';
    if (stage == Stage::kSign && (c == '+' || c == '-')) {
      number.push_back(c);
      stage = Stage::kInteger;
    } else if (digit && stage <= Stage::kFraction) {
      number.push_back(c);
      mantissaDigits = true;
      if (stage == Stage::kSign) stage = Stage::kInteger;
    } else if (c == '.' && stage <= Stage::kInteger) {
      number.push_back(c);
      stage = Stage::kFraction;
    } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && stage <= Stage::kFraction &&
               mantissaDigits) {
      exponentStart = number.size();
      number.push_back('e');
      stage = Stage::kExponentSign;
    } else if (stage == Stage::kExponentSign && (c == '+' || c == '-')) {
      number.push_back(c);
      stage = Stage::kExponent;
    } else if (digit && stage >= Stage::kExponentSign) {
      number.push_back(c);
      stage = Stage::kExponent;
    } else {
      break;
    }
  }
  if (!mantissaDigits) return 0.0;
  // An exponent marker with no digits after it adds nothing.
  if (exponentStart != 0 && (number.back() == 'e' || number.back() == '+' || number.back() == '-'))
    number.resize(exponentStart);
  return ConvertNumber(number);
}

std::optional<std::int16_t> RoundToInt16(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double whole = std::nearbyint(value);  // the default rounding mode sends halves to even
  if (whole < -32768.0 || whole > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(whole);
}

std::string ShortestNumberText(double value) {
  if (value == 0.0 || std::isnan(value)) return "0";
  // A number too large to hold is written so that it reads back as the same overflow.
  if (std::isinf(value)) return value < 0 ? "-1E+309" : "1E+309";
  // The fewest digits that read back as the same value, "d.ddde-XX".
  char buffer[64];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  if (ec != std::errc()) return "0";
  std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  const auto e = text.find('e');
  std::string digits;
  for (char c : text.substr(0, e))
    if (c != '.') digits += c;
  int exponent = 0;
  std::string_view exponentText = text.substr(e + 1);
  if (exponentText.front() == '+') exponentText.remove_prefix(1);
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

  std::string out = negative ? "-" : "";
  // Plain decimals from 0.0001 up to fifteen digits before the point, the exponent form
  // beyond, as the platform writes numbers: capital E, a sign and at least two digits.
  if (exponent < -4 || exponent >= 15) {
    out += digits.front();
    if (digits.size() > 1) out += '.' + digits.substr(1);
    out += exponent < 0 ? "E-" : "E+";
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
  } else if (exponent < 0) {
    out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  } else if (digits.size() <= static_cast<std::size_t>(exponent) + 1) {
    out += digits + std::string(static_cast<std::size_t>(exponent) + 1 - digits.size(), '0');
  } else {
    const auto point = static_cast<std::size_t>(exponent) + 1;
    out += digits.substr(0, point) + '.' + digits.substr(point);
  }
  return out;
}

}  // namespace vorn
