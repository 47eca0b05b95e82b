#include "protocol/pressure.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace pv7100 {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isExponentMark(char c) {
  return c == 'E' || c == 'D';
}

// The number at the start of a text, taken apart with its blanks removed.
struct Number {
  bool negative = false;
  std::string integerDigits;
  std::string fractionDigits;
  bool exponentNegative = false;
  std::string exponentDigits;
};

Number readNumber(std::string_view text) {
  enum class Stage { Sign, Integer, Fraction, ExponentSign, Exponent };
  Number n;
  Stage stage = Stage::Sign;
  for (const char c : text) {
    if (isBlank(c)) continue;
    if (stage == Stage::Sign && (c == '+' || c == '-')) {
      n.negative = c == '-';
      stage = Stage::Integer;
    } else if ((stage == Stage::Sign || stage == Stage::Integer) && isDigit(c)) {
      n.integerDigits += c;
      stage = Stage::Integer;
    } else if ((stage == Stage::Sign || stage == Stage::Integer) && c == '.') {
      stage = Stage::Fraction;
    } else if (stage == Stage::Fraction && isDigit(c)) {
      n.fractionDigits += c;
    } else if ((stage == Stage::Integer || stage == Stage::Fraction) && isExponentMark(c) &&
               !(n.integerDigits.empty() && n.fractionDigits.empty())) {
      stage = Stage::ExponentSign;
    } else if (stage == Stage::ExponentSign && (c == '+' || c == '-')) {
      n.exponentNegative = c == '-';
      stage = Stage::Exponent;
    } else if ((stage == Stage::ExponentSign || stage == Stage::Exponent) && isDigit(c)) {
      n.exponentDigits += c;
      stage = Stage::Exponent;
    } else {
      break;
    }
  }
  return n;
}

// Decimal order of magnitude of a number whose digits are not all zero, with the exponent
// saturated, so that a value beyond what a double holds can be told huge or tiny.
long long orderOfMagnitude(const Number& n) {
  long long exponent = 0;
  for (const char d : n.exponentDigits)
    exponent = std::min(exponent * 10 + (d - '0'), 1'000'000'000LL);
  if (n.exponentNegative) exponent = -exponent;
  const auto firstInteger = n.integerDigits.find_first_not_of('0');
  if (firstInteger != std::string::npos) {
    return exponent + static_cast<long long>(n.integerDigits.size() - firstInteger);
  }
  return exponent - static_cast<long long>(n.fractionDigits.find_first_not_of('0'));
}

}  // namespace

double numericValue(std::string_view text) {
  const Number n = readNumber(text);
  const std::string digits = n.integerDigits + n.fractionDigits;
  if (digits.find_first_not_of('0') == std::string::npos) return 0;  // no digits, or zero

  std::string form = (n.negative ? "-" : "") + (n.integerDigits.empty() ? "0" : n.integerDigits);
  if (!n.fractionDigits.empty()) form += "." + n.fractionDigits;
  if (!n.exponentDigits.empty()) form += (n.exponentNegative ? "e-" : "e") + n.exponentDigits;

  double value = 0;
  const auto result = std::from_chars(form.data(), form.data() + form.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    const double magnitude = orderOfMagnitude(n) > 0 ? HUGE_VAL : 0.0;
    return n.negative ? -magnitude : magnitude;
  }
  return value;
}

std::optional<std::int16_t> roundToInt16(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double rounded = std::round(value);  // an exact half goes away from zero here
  if (std::fabs(value - std::trunc(value)) == 0.5 && std::fmod(rounded, 2.0) != 0.0) {
    rounded -= std::copysign(1.0, value);
  }
  if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

std::optional<std::int16_t> pressureHpa(std::string_view r) {
  const std::optional<std::int16_t> reading = roundToInt16(numericValue(r));
  if (!reading) return std::nullopt;
  const int times5 = 5 * *reading;
  if (times5 < -32768 || times5 > 32767) return std::nullopt;
  const double p = ((times5 / 1024.0) - 0.204) / 0.00459 + 150;
  return roundToInt16(p);
}

}  // namespace pv7100
