#include "common/number_parse.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

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
  return std::strtod(number.c_str(), nullptr);
}

std::optional<std::int16_t> RoundToInt16(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double whole = std::nearbyint(value);  // the default rounding mode sends halves to even
  if (whole < -32768.0 || whole > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(whole);
}

std::string ShortestNumberText(double value) {
  if (value == 0.0) return "0";
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return "0";
  std::string text(buffer, end);
  // Exponent form as the platform writes it: capital E, a sign and at least two digits.
  if (auto e = text.find('e'); e != std::string::npos) {
    std::string_view exponent(text.c_str() + e + 1);
    char sign = '+';
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
      sign = exponent[0];
      exponent.remove_prefix(1);
    }
    std::string formatted(text, 0, e);
    formatted += 'E';
    formatted += sign;
    if (exponent.size() < 2) formatted += '0';
    formatted += exponent;
    text = std::move(formatted);
  }
  return text;
}

}  // namespace vorn
