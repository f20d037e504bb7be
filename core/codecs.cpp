// Field value codecs.
//
// Choices for values the plain rules do not cover:
// - float32: any NaN shows "NAN" (and is saved back as FF FF FF FF); an
//   infinity shows "INF" or "-INF", which the float check refuses, so the row
//   must be retyped before the record can be saved; -0.0 shows "-0,0" and is
//   saved back as 00 00 00 80; denormals and other values below 0.0000001 show
//   as "0,0" (or "-0,0") by the seven-digit rounding; integer parts of more
//   than 15 digits are written out whole so that they convert back unchanged.
//   When the nearest single-precision value of a typed number shows as
//   another number (the display cuts after seven digits), the neighbour that
//   shows as the typed number is stored.
// - ticks15: a number whose 15-fold does not fit 32 bits signed is refused
//   with "Integer overflow" instead of being stored wrapped around.
// - ticks15f: a number whose stored value does not fit 32 bits signed is
//   refused with "Integer overflow"; "NAN" is no number here. The display cut
//   to three characters never cuts into the integer part. When the stored
//   value of the rounding formula would show as another number than the one
//   typed, the nearest value that shows as the typed number is stored, so a
//   record saved unchanged keeps its values.
// - Fixed-width decoders count missing bytes as 00.
#include "core/codecs.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "util/cp1251.h"

namespace kessik {

namespace {

constexpr std::array<std::string_view, 15> kNames = {
    "name",     "int32",     "int32label", "float32", "ticks15",   "ticks15f", "byte",      "bool",
    "bitset30", "namelist",  "code4",      "char1",   "code4list", "raw",      "soundlist"};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::uint32_t readLe32(std::string_view bytes) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    std::uint8_t b = i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0;
    v |= static_cast<std::uint32_t>(b) << (8 * i);
  }
  return v;
}

std::int32_t readInt32(std::string_view bytes) { return static_cast<std::int32_t>(readLe32(bytes)); }

ByteString le32(std::uint32_t v) {
  ByteString out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}

EncodeResult fail(std::string message) {
  EncodeResult r;
  r.ok = false;
  r.error = std::move(message);
  return r;
}

EncodeResult done(ByteString bytes) {
  EncodeResult r;
  r.bytes = std::move(bytes);
  return r;
}

std::string notInteger(std::string_view text) { return "'" + std::string(text) + "' is not a valid integer value"; }
std::string notFloat(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid floating point value";
}
const char* const kFloatOverflow = "Floating point overflow";
const char* const kIntOverflow = "Integer overflow";

// The text before the first blank (the whole text when there is none).
std::string_view beforeBlank(std::string_view text) { return text.substr(0, text.find(' ')); }

enum class NumberStatus { Ok, NotNumber, Overflow };

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

std::string decodeName(std::string_view bytes) { return std::string(bytes.substr(0, bytes.find('\0'))); }

std::string decodeCode4(std::string_view bytes) { return decodeName(bytes.substr(0, 4)); }

ByteString encodeCode4(std::string_view text) {
  ByteString out(4, '\0');
  if (text.size() <= 4) std::memcpy(out.data(), text.data(), text.size());
  return out;
}

std::string decodeList(std::string_view payload) {
  std::string out;
  bool first = true;
  while (!payload.empty()) {
    if (!first) out += ',';
    first = false;
    out += decodeName(takeItem(payload));
  }
  return out;
}

template <typename Part>
void forEachListPart(std::string_view text, Part part) {
  std::size_t start = 0;
  while (true) {
    std::size_t comma = text.find(',', start);
    part(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
}

bool partsAtMost4(std::string_view text) {
  bool ok = true;
  forEachListPart(text, [&](std::string_view p) { ok = ok && p.size() <= 4; });
  return ok;
}

ByteString encodeList(std::string_view text, std::uint8_t itemType, bool code4) {
  ByteString out;
  if (text.empty()) return out;
  forEachListPart(text, [&](std::string_view p) {
    if (code4) {
      appendItem(out, itemType, encodeCode4(p));
    } else {
      ByteString name(p);
      name += '\0';
      appendItem(out, itemType, name);
    }
  });
  return out;
}

std::string decodeBitset30(std::int32_t mask) {
  if (mask == 0) return "0";
  std::int64_t m = mask;
  bool present[31] = {};
  for (int n = 30; n >= 1; --n) {
    std::int64_t low = std::int64_t{1} << (n - 1);
    if (low <= m && m < 2 * low) {
      present[n] = true;
      m -= low;
    }
  }
  std::string out;
  for (int n = 1; n <= 30; ++n) {
    if (!present[n]) continue;
    if (!out.empty()) out += ',';
    out += std::to_string(n);
  }
  return out;
}

bool checkBitset30(std::string_view text) {
  std::string_view part = beforeBlank(text);
  if (part.empty() || !isDigit(part[0]) || part.back() == ',') return false;
  for (std::size_t i = 1; i < part.size(); ++i) {
    if (isDigit(part[i])) continue;
    if (part[i] != ',' || part[i - 1] == ',') return false;
  }
  return true;
}

ByteString encodeBitset30(std::string_view text) {
  std::uint32_t mask = 0;
  forEachListPart(beforeBlank(text), [&](std::string_view p) {
    if (p.empty()) return;
    for (char c : p)
      if (!isDigit(c)) return;
    // Leading zeros do not count: "030" is 30, "001" is 1.
    p.remove_prefix(std::min(p.find_first_not_of('0'), p.size()));
    if (p.size() > 2) return;
    int n = 0;
    for (char c : p) n = n * 10 + (c - '0');
    if (n >= 1 && n <= 30) mask |= std::uint32_t{1} << (n - 1);
  });
  return le32(mask);
}

std::string decodeTicks15f(std::int32_t n) {
  double v = (static_cast<double>(n) - 1.0) / 15.0 + 0.1;
  // One decimal survives below 10, none from 10 on; the integer part itself
  // is never cut (1234,5 shows as 1234,0, not as 123,0).
  std::string shown = formatNumber(v);
  std::size_t keep = std::max<std::size_t>(3, std::min(shown.find(','), shown.size()));
  std::string cut = shown.substr(0, keep);
  double back = 0;
  if (parseDecimal(cut, back) != NumberStatus::Ok) back = 0;
  return formatFloat32(static_cast<float>(back) + 0.0f);  // no "-0,0" here
}

EncodeResult encodeInt32(std::string_view text) {
  auto v = parseInt32(text);
  if (!v) return fail(notInteger(text));
  return done(le32(static_cast<std::uint32_t>(*v)));
}

// Reads a float text; the conversion message when it is no number or too big.
template <typename T>
std::optional<std::string> readFloatText(std::string_view text, T& value) {
  switch (parseDecimal(text, value)) {
    case NumberStatus::NotNumber:
      return notFloat(text);
    case NumberStatus::Overflow:
      return std::string(kFloatOverflow);
    case NumberStatus::Ok:
      break;
  }
  return std::nullopt;
}

EncodeResult encodeFloat32(std::string_view text) {
  if (text == "NAN") return done(ByteString(4, '\xFF'));
  float f = 0;
  if (auto error = readFloatText(text, f)) return fail(*error);
  // The display cuts a fraction after seven digits, so the nearest value may
  // show as another number ("0,1682061" as "0,168206"). Then a neighbour that
  // shows as the number typed is stored instead, so a record saved unchanged
  // keeps its values.
  const double typed = *parseNumber(text);
  auto shows = [typed](float x) {
    auto back = parseNumber(formatFloat32(x));
    return back && *back == typed;
  };
  if (std::isfinite(f) && !shows(f)) {
    float down = f, up = f;
    for (int step = 0; step < 4; ++step) {
      down = std::nextafter(down, -std::numeric_limits<float>::infinity());
      up = std::nextafter(up, std::numeric_limits<float>::infinity());
      if (std::isfinite(down) && shows(down)) {
        f = down;
        break;
      }
      if (std::isfinite(up) && shows(up)) {
        f = up;
        break;
      }
    }
  }
  std::uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return done(le32(bits));
}

EncodeResult encodeTicks15f(std::string_view text) {
  double v = 0;
  if (auto error = readFloatText(text, v)) return fail(*error);
  double r = std::nearbyint((v - 0.1) * 15 + 1);  // halves to even
  constexpr double kMin = std::numeric_limits<std::int32_t>::min(), kMax = std::numeric_limits<std::int32_t>::max();
  if (!(r >= kMin && r <= kMax)) return fail(kIntOverflow);
  // The display cuts while the formula rounds, so the formula's value may show
  // as another number ("11,0" would come back as "10,0"). Then the nearest
  // value that shows as the number typed is stored instead.
  auto shows = [v](double n) {
    auto back = parseNumber(decodeTicks15f(static_cast<std::int32_t>(n)));
    return back && *back == v;
  };
  if (!shows(r)) {
    for (double d = 1; d <= 20; ++d) {
      if (r - d >= kMin && shows(r - d)) {
        r -= d;
        break;
      }
      if (r + d <= kMax && shows(r + d)) {
        r += d;
        break;
      }
    }
  }
  return done(le32(static_cast<std::uint32_t>(static_cast<std::int32_t>(r))));
}

}  // namespace

// ---------------------------------------------------------------------------
// Names and properties

std::optional<Codec> codecFromName(std::string_view name) {
  for (std::size_t i = 0; i < kNames.size(); ++i)
    if (kNames[i] == name) return static_cast<Codec>(i);
  return std::nullopt;
}

std::string_view codecName(Codec c) { return kNames.at(static_cast<std::size_t>(c)); }

std::optional<std::size_t> maxLenFromName(std::string_view name) {
  constexpr std::string_view kPrefix = "maxlen";
  if (name.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  name.remove_prefix(kPrefix.size());
  if (!name.empty() && name[0] == ' ') name.remove_prefix(1);
  if (name.empty() || name.size() > 9) return std::nullopt;
  std::size_t n = 0;
  for (char c : name) {
    if (!isDigit(c)) return std::nullopt;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n;
}

std::size_t fixedWidth(Codec c) {
  switch (c) {
    case Codec::Int32:
    case Codec::Int32Label:
    case Codec::Float32:
    case Codec::Ticks15:
    case Codec::Ticks15f:
    case Codec::Bitset30:
    case Codec::Code4:
    case Codec::Char1:
      return 4;
    case Codec::Byte:
    case Codec::Bool:
      return 1;
    default:
      return 0;
  }
}

bool showsDescription(Codec c) { return c == Codec::Raw || c == Codec::SoundList; }

// ---------------------------------------------------------------------------
// Decode, check, encode

std::string decode(Codec c, std::string_view bytes, const LabelTable* labels) {
  switch (c) {
    case Codec::Name:
      return decodeName(bytes);
    case Codec::Int32:
      return std::to_string(readInt32(bytes));
    case Codec::Int32Label: {
      std::int32_t v = readInt32(bytes);
      std::string text = std::to_string(v);
      if (labels) {
        for (const auto& e : *labels) {
          if (e.value == v) {
            text += e.label;
            break;
          }
        }
      }
      return text;
    }
    case Codec::Float32: {
      std::uint32_t bits = readLe32(bytes);
      float f;
      std::memcpy(&f, &bits, 4);
      return formatFloat32(f);
    }
    case Codec::Ticks15:
      return std::to_string(readInt32(bytes) / 15);
    case Codec::Ticks15f:
      return decodeTicks15f(readInt32(bytes));
    case Codec::Byte:
      return std::to_string(bytes.empty() ? 0 : static_cast<std::uint8_t>(bytes[0]));
    case Codec::Bool:
      return !bytes.empty() && bytes[0] != '\0' ? "1" : "0";
    case Codec::Bitset30:
      return decodeBitset30(readInt32(bytes));
    case Codec::NameList:
    case Codec::Code4List:
      return decodeList(bytes);
    case Codec::Code4:
    case Codec::Char1:
      return decodeCode4(bytes);
    case Codec::Raw:
      return rawDescription(bytes);
    case Codec::SoundList:
      return soundListDescription(bytes);
  }
  return {};
}

bool check(Codec c, std::string_view text) {
  switch (c) {
    case Codec::Int32:
    case Codec::Ticks15:
      return isIntegerText(text);
    case Codec::Int32Label:
      return isIntegerText(beforeBlank(text));
    case Codec::Float32:
    case Codec::Ticks15f:
      return isFloatText(text);
    case Codec::Byte: {
      if (!isIntegerText(text)) return false;
      auto v = parseInt32(text);
      return v && *v >= -128 && *v <= 255;
    }
    case Codec::Bool:
      return text == "0" || text == "1";
    case Codec::Bitset30:
      return checkBitset30(text);
    case Codec::NameList:
      return isListText(text);
    case Codec::Code4List:
      return isListText(text) && partsAtMost4(text);
    case Codec::Code4:
      return text.size() <= 4;
    case Codec::Char1:
      return text.size() <= 1;
    case Codec::Name:
    case Codec::Raw:
    case Codec::SoundList:
      return true;
  }
  return false;
}

RowCheck checkRow(Codec c, std::string_view text) {
  RowCheck r;
  if (c != Codec::NameList && c != Codec::Code4List) {
    r.text = std::string(text);
    r.accepted = check(c, text);
    return r;
  }
  if (!isListText(text)) {
    r.text = std::string(text);
    return r;
  }
  r.text = normaliseList(text);
  r.accepted = check(c, r.text);
  return r;
}

EncodeResult encode(Codec c, std::string_view text, std::uint8_t itemType) {
  switch (c) {
    case Codec::Name: {
      ByteString out(text);
      out += '\0';
      return done(std::move(out));
    }
    case Codec::Int32:
      return encodeInt32(text);
    case Codec::Int32Label:
      return encodeInt32(beforeBlank(text));
    case Codec::Float32:
      return encodeFloat32(text);
    case Codec::Ticks15: {
      auto v = parseInt32(text);
      if (!v) return fail(notInteger(text));
      std::int64_t n = std::int64_t{*v} * 15;
      if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
        return fail(kIntOverflow);
      return done(le32(static_cast<std::uint32_t>(static_cast<std::int32_t>(n))));
    }
    case Codec::Ticks15f:
      return encodeTicks15f(text);
    case Codec::Byte: {
      auto v = parseInt32(text);
      if (!v) return fail(notInteger(text));
      return done(ByteString(1, static_cast<char>(static_cast<std::uint32_t>(*v) & 0xFF)));
    }
    case Codec::Bool:
      return done(ByteString(1, text == "1" ? '\x01' : '\0'));
    case Codec::Bitset30:
      return done(encodeBitset30(text));
    case Codec::NameList:
      return done(encodeList(text, itemType, false));
    case Codec::Code4List:
      return done(encodeList(text, itemType, true));
    case Codec::Code4:
    case Codec::Char1:
      return done(encodeCode4(text));
    case Codec::Raw:
    case Codec::SoundList:
      return done(ByteString(text));
  }
  return fail({});
}

// ---------------------------------------------------------------------------
// Messages and descriptions

std::string formatMessage() { return ru("Выделенное поле имеет неправильный формат."); }

std::string checkMessage(Codec c) {
  switch (c) {
    case Codec::Byte:
      return ru("Выделенное поле имеет неправильный формат. Не больше 255 и не меньше -128 (1 байт)");
    case Codec::Char1:
      return ru("Выделенное поле имеет неправильный формат. Не больше 1 символа (любого), либо без символов.");
    case Codec::Code4:
      return ru(
          "Выделенное поле имеет неправильный формат. Не больше 4 символов (любых), либо вообще без "
          "символов.");
    case Codec::Bool:
      return ru(
          "Выделенное поле имеет неправильный формат. Либо ноль - значит \"нет\", либо единица - значит "
          "\"да\" (тобиш 0=False, 1=True)");
    case Codec::Bitset30:
      return ru(
          "Выделенное поле имеет неправильный формат. Это должен быть список номеров магазинов, "
          "разделенный запятыми, и заканчивающийся последней цифрой магазина (никаких других символов "
          "дальше)");
    case Codec::NameList:
    case Codec::Code4List: {
      std::string m = formatMessage() + "\r" +
                      ru("Это должен быть список текстовых значений, разделенный запятыми. Запятой в "
                         "конце и начале быть не должно, 2-х запятых подряд быть не должно, лишние "
                         "пробелы (после запятых) удаляются.");
      if (c == Codec::Code4List) m += "\r" + ru("Каждый элемент списка не должен быть длиннее 4 символов.");
      return m;
    }
    default:
      return formatMessage();
  }
}

bool checkMaxLen(std::string_view text, std::size_t n) { return text.size() <= n; }

std::string maxLenMessage(std::size_t n) {
  return ru("Выделенное поле имеет неправильный формат - оно не должно быть длинее ") + std::to_string(n) +
         ru(" символов.");
}

std::string rawDescription(std::string_view bytes) {
  bool zeros = bytes.find_first_not_of('\0') == std::string_view::npos;
  return ru(zeros ? "Поле пустое (все байты нули)." : "Поле НЕ пустое (НЕ все байты нули).") +
         ru(" Длина поля ") + std::to_string(bytes.size()) + ru(" байтов.");
}

std::string soundListDescription(std::string_view payload) {
  std::uint32_t n = countItems(payload);
  if (n == 0) return ru("Пусто. Элементов (звуков) в поле нет.");
  return ru("В поле содержится ") + std::to_string(n) + ru(" элементов (звуков).");
}

// ---------------------------------------------------------------------------
// Items and runs

ByteString takeBytes(std::string_view& data, std::size_t n) {
  n = std::min(n, data.size());
  ByteString out(data.substr(0, n));
  data.remove_prefix(n);
  return out;
}

ByteString takeBytes(ByteString& data, std::size_t n) {
  n = std::min(n, data.size());
  ByteString out = data.substr(0, n);
  data.erase(0, n);
  return out;
}

ByteString takeItem(std::string_view& data) {
  auto h = readNodeHeader(data, 0);
  if (!h) {  // a header cut short: nothing more can be read
    data = {};
    return {};
  }
  data.remove_prefix(h->headerSize);
  return takeBytes(data, static_cast<std::size_t>(std::min<std::uint64_t>(h->payloadLength, data.size())));
}

ByteString takeItem(ByteString& data) {
  std::string_view view(data);
  ByteString out = takeItem(view);
  data.erase(0, data.size() - view.size());
  return out;
}

void appendItem(ByteString& out, std::uint8_t type, std::string_view payload) {
  appendNodeHeader(out, type, payload.size());
  out += payload;
}

std::uint32_t countItems(std::string_view payload) {
  std::uint32_t n = 0;
  while (!payload.empty()) {
    auto h = readNodeHeader(payload, 0);
    ++n;
    if (!h || !fitsIn(*h, payload, 0)) break;
    payload.remove_prefix(h->headerSize + h->payloadLength);
  }
  return n;
}

// ---------------------------------------------------------------------------
// Text rules and numbers

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

bool isListText(std::string_view text) {
  if (text.empty()) return true;
  if (text.front() == ',' || text.back() == ',') return false;
  return text.find(",,") == std::string_view::npos;
}

std::string normaliseList(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool afterComma = false;
  for (char c : text) {
    if (afterComma && c == ' ') continue;
    afterComma = c == ',';
    out += c;
  }
  return out;
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

std::string formatFloat32(float x) {
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
