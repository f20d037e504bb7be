// Number texts: the checks of integer and float texts, reading decimals
// with "," as separator, and the number formats of the table.
#include "core/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace kessik {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Optional "-", digits, at most one separator ("," or "."), digits; at least
// one digit. Rewritten for from_chars into `out`.
bool plainDecimal(std::string_view text, std::string& out, bool& integerNonZero) {
  out.clear();
  integerNonZero = false;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') out += text[i++];
  bool separator = false, digit = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (isDigit(c)) {
      digit = true;
      if (!separator && c != '0') integerNonZero = true;
      out += c;
    } else if ((c == ',' || c == '.') && !separator) {
      separator = true;
      out += '.';
    } else {
      return false;
    }
  }
  return digit;
}

template <typename T>
NumberStatus parseDecimal(std::string_view text, T& value) {
  std::string s;
  bool big = false;
  if (!plainDecimal(text, s, big)) return NumberStatus::NotNumber;
  T v{};
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    if (big) return NumberStatus::Overflow;
    value = s[0] == '-' ? -T(0) : T(0);  // too small: rounds to zero
    return NumberStatus::Ok;
  }
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return NumberStatus::NotNumber;
  if (std::isinf(v)) return NumberStatus::Overflow;
  value = v;
  return NumberStatus::Ok;
}

// 15 significant digits of |v| (v finite, not zero): the digits without
// trailing zeros and the decimal exponent of the first one.
void significantDigits(double v, std::string& digits, int& exponent) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
  std::string_view s(buf, r.ptr - buf);  // d.dddddddddddddde±XX
  std::size_t e = s.find('e');
  digits.assign(1, s[0]);
  digits.append(s.substr(2, e - 2));
  exponent = 0;
  std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

std::string appendComma(std::string text) {
  if (text.find(',') == std::string::npos) text += ",0";
  return text;
}

// All the digits of a whole number held in a double.
std::string wholeNumber(double v) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 0);
  return std::string(buf, r.ptr);
}

}  // namespace

NumberStatus readDecimal(std::string_view text, float& value) { return parseDecimal(text, value); }
NumberStatus readDecimal(std::string_view text, double& value) { return parseDecimal(text, value); }

bool isIntegerText(std::string_view text) {
  if (!text.empty() && text[0] == '-') text.remove_prefix(1);
  if (text.empty()) return false;
  for (char c : text)
    if (!isDigit(c)) return false;
  return true;
}

bool isFloatText(std::string_view text) {
  if (text == "NAN") return true;
  if (!text.empty() && text[0] == '-') text.remove_prefix(1);
  if (text.empty()) return false;
  int commas = 0;
  for (char c : text) {
    if (c == ',') {
      if (++commas > 1) return false;
    } else if (!isDigit(c)) {
      return false;
    }
  }
  return true;
}

std::optional<std::int32_t> parseInt32(std::string_view text) {
  if (!isIntegerText(text)) return std::nullopt;
  bool negative = text[0] == '-';
  if (negative) text.remove_prefix(1);
  std::int64_t v = 0;
  for (char c : text) {
    v = v * 10 + (c - '0');
    if (v > std::int64_t{1} << 31) return std::nullopt;
  }
  if (negative) v = -v;
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(v);
}

std::optional<double> parseNumber(std::string_view text) {
  double v = 0;
  if (parseDecimal(text, v) != NumberStatus::Ok) return std::nullopt;
  return v;
}

std::optional<double> parseShownNumber(std::string_view text) {
  if (text == "NAN") return std::numeric_limits<double>::quiet_NaN();
  if (text == "INF") return std::numeric_limits<double>::infinity();
  if (text == "-INF") return -std::numeric_limits<double>::infinity();
  const std::size_t e = text.find('E');
  if (e == std::string_view::npos) return parseNumber(text);
  // Scientific: a plain mantissa, "E", a signed exponent, and the ",0" that
  // formatNumber() appends to a text without a comma.
  std::string mantissa;
  bool big = false;
  if (!plainDecimal(text.substr(0, e), mantissa, big)) return std::nullopt;
  std::string_view exponent = text.substr(e + 1);
  if (exponent.size() >= 2 && exponent.substr(exponent.size() - 2) == ",0") exponent.remove_suffix(2);
  if (!exponent.empty() && (exponent[0] == '-' || exponent[0] == '+')) {
    if (exponent[0] == '-') mantissa += "e-";
    else mantissa += "e";
    exponent.remove_prefix(1);
  } else {
    mantissa += "e";
  }
  if (exponent.empty() || exponent.size() > 4) return std::nullopt;
  for (char c : exponent)
    if (!isDigit(c)) return std::nullopt;
  mantissa += exponent;
  double v = 0;
  auto r = std::from_chars(mantissa.data(), mantissa.data() + mantissa.size(), v);
  if (r.ec != std::errc() || r.ptr != mantissa.data() + mantissa.size() || std::isinf(v)) return std::nullopt;
  return v;
}

std::string formatNumber(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  std::string sign = std::signbit(v) ? "-" : "";
  if (v == 0) return sign + "0,0";
  std::string digits;
  int e = 0;
  significantDigits(v, digits, e);
  std::string text;
  if (e < -5 || e >= 15) {
    text = digits.substr(0, 1);
    if (digits.size() > 1) text += "," + digits.substr(1);
    text += "E" + std::to_string(e);
  } else if (e >= 0) {
    if (digits.size() < static_cast<std::size_t>(e) + 1) digits.append(e + 1 - digits.size(), '0');
    text = digits.substr(0, e + 1);
    if (digits.size() > static_cast<std::size_t>(e) + 1) text += "," + digits.substr(e + 1);
  } else {
    text = "0," + std::string(-e - 1, '0') + digits;
  }
  return appendComma(sign + text);
}

namespace {

// The digits of n (< 10^9) into the end of buf; returns where they begin.
char* writeDigits(char* end, std::uint32_t n) {
  do {
    *--end = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  return end;
}

// The float32 display of the usual values straight from the bits, the text
// formatFloat32() below gives: a whole number below 10^15, or a number below
// 2^23 with a fraction (every float with a fraction is) whose seven decimals
// cannot be changed by the rounding to 15 significant digits. Nothing for
// the rest, which take the long way.
std::optional<std::string> quickFloat32(float x) {
  const bool negative = std::signbit(x);
  const float a = std::fabs(x);
  if (!(a < 1e15f)) return std::nullopt;
  const float whole = std::trunc(a);
  const float fraction = a - whole;
  char buf[48];
  char* const end = buf + sizeof buf;
  char* p = end;
  if (fraction == 0) {
    // Up to 15 digits: formatNumber() writes them as they are.
    *--p = '0';
    *--p = ',';
    auto n = static_cast<std::uint64_t>(whole);
    do {
      *--p = static_cast<char>('0' + n % 10);
      n /= 10;
    } while (n != 0);
    if (negative) *--p = '-';
    return std::string(p, end);
  }
  // The fraction has at most 24 significant bits, so its 10^7-fold is exact
  // in a double: the first seven decimals and what follows them.
  const double scaled = static_cast<double>(fraction) * 1e7;
  const double first7 = std::floor(scaled);
  // Decimals 8 to 15 all nines: the rounding to 15 significant digits may
  // carry into the seventh.
  if (scaled - first7 >= 0.99999999) return std::nullopt;
  auto d = static_cast<std::uint32_t>(first7);
  auto integer = static_cast<std::uint32_t>(whole);
  // A seventh decimal of 5 or more rounds the sixth up and becomes 0.
  if (d % 10 >= 5) {
    d += 10 - d % 10;
    if (d == 10000000) {
      d = 0;
      ++integer;
    }
  }
  // integer,ddddddd holds at most 14 significant digits: formatNumber()
  // writes it back digit for digit, trailing zeros dropped.
  if (d == 0) {
    *--p = '0';
    *--p = ',';
    p = writeDigits(p, integer);
    if (negative) *--p = '-';
    return std::string(p, end);
  }
  if (integer == 0 && d < 100) {
    // Below 0,00001: the E notation, "1,2E-6" or "5E-7,0".
    std::string text = negative ? "-" : "";
    const std::uint32_t first = d >= 10 ? d / 10 : d, second = d >= 10 ? d % 10 : 0;
    text += static_cast<char>('0' + first);
    if (second != 0) {
      text += ',';
      text += static_cast<char>('0' + second);
    }
    text += d >= 10 ? "E-6" : "E-7";
    if (second == 0) text += ",0";
    return text;
  }
  int decimals = 7;
  while (d % 10 == 0) {
    d /= 10;
    --decimals;
  }
  char* digitsAt = writeDigits(p, d);
  while (p - digitsAt < decimals) *--digitsAt = '0';
  p = digitsAt;
  *--p = ',';
  p = writeDigits(p, integer);
  if (negative) *--p = '-';
  return std::string(p, end);
}

}  // namespace

std::string formatFloat32(float x) {
  if (std::isnan(x) || std::isinf(x)) return formatNumber(x);
  if (auto quick = quickFloat32(x)) return *std::move(quick);
  return formatFloat32Exactly(x);
}

std::string formatFloat32Exactly(float x) {
  if (std::isnan(x) || std::isinf(x)) return formatNumber(x);
  const bool negative = std::signbit(x);
  const std::string sign = negative ? "-" : "";
  const float a = std::fabs(x);
  const float whole = std::trunc(a);
  const float fraction = a - whole;  // exact in single precision
  if (a >= 1e15f) return sign + wholeNumber(whole) + ",0";
  if (fraction == 0) return formatNumber(negative ? -double(whole) : double(whole));

  // The fraction's first seven digits, from its 15 significant digits.
  std::string digits;
  int e = 0;
  significantDigits(fraction, digits, e);  // e <= -1
  std::string d = std::string(-e - 1, '0') + digits;
  if (d.size() > 7) d.resize(7);
  auto integer = static_cast<std::int64_t>(whole);
  if (d.size() == 7 && d[6] >= '5') {
    d[6] = '0';
    int i = 5;
    for (; i >= 0; --i) {
      if (d[i] != '9') {
        ++d[i];
        break;
      }
      d[i] = '0';
    }
    if (i < 0) ++integer;
  }
  std::string exact = std::to_string(integer) + "." + d;
  double value = 0;
  std::from_chars(exact.data(), exact.data() + exact.size(), value);
  return formatNumber(negative ? -value : value);
}

}  // namespace kessik
