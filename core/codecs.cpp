// Field value codecs: the codec table and the item and run operations.
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

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

#include "util/cp1251.h"

namespace kessik {

namespace {

// ---------------------------------------------------------------------------
// What the codecs share

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

// Reads a float text; the conversion message when it is no number or too big.
template <typename T>
std::optional<std::string> readFloatText(std::string_view text, T& value) {
  switch (readDecimal(text, value)) {
    case NumberStatus::NotNumber:
      return notFloat(text);
    case NumberStatus::Overflow:
      return std::string(kFloatOverflow);
    case NumberStatus::Ok:
      break;
  }
  return std::nullopt;
}

std::string noMessage() { return formatMessage(); }

// The sample helpers: the row's word with the record's number, and one of
// three texts by record.
std::string numbered(const SampleArgs& a, int plus = 0) { return std::string(a.word) + std::to_string(a.record + plus); }
std::string oneOf3(const SampleArgs& a, const char* const (&texts)[3]) { return texts[(a.record - 1) % 3]; }
// A number that differs from record to record and from row to row.
std::string sampleNumber(const SampleArgs& a) { return std::to_string(10 * a.record + 5 * (a.row % 3)); }

// ---------------------------------------------------------------------------
// name, code4, char1 and the lists

std::string decodeName(std::string_view bytes, const LabelTable* = nullptr) {
  return std::string(bytes.substr(0, bytes.find('\0')));
}

EncodeResult encodeName(std::string_view text, std::uint8_t) {
  ByteString out(text);
  out += '\0';
  return done(std::move(out));
}

std::string decodeCode4(std::string_view bytes, const LabelTable* = nullptr) { return decodeName(bytes.substr(0, 4)); }

ByteString code4Bytes(std::string_view text) {
  ByteString out(4, '\0');
  if (text.size() <= 4) std::memcpy(out.data(), text.data(), text.size());
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

std::string decodeList(std::string_view payload, const LabelTable* = nullptr) {
  std::string out;
  bool first = true;
  while (!payload.empty()) {
    if (!first) out += ',';
    first = false;
    out += decodeName(takeItem(payload));
  }
  return out;
}

ByteString encodeList(std::string_view text, std::uint8_t itemType, bool code4) {
  ByteString out;
  if (text.empty()) return out;
  forEachListPart(text, [&](std::string_view p) {
    if (code4) {
      appendItem(out, itemType, code4Bytes(p));
    } else {
      ByteString name(p);
      name += '\0';
      appendItem(out, itemType, name);
    }
  });
  return out;
}

bool checkCode4List(std::string_view text) {
  if (!isListText(text)) return false;
  bool ok = true;
  forEachListPart(text, [&](std::string_view p) { ok = ok && p.size() <= 4; });
  return ok;
}

std::string listMessage() {
  return formatMessage() + "\r" +
         ru("Это должен быть список текстовых значений, разделенный запятыми. Запятой в конце и начале быть не "
            "должно, 2-х запятых подряд быть не должно, лишние пробелы (после запятых) удаляются.");
}

// ---------------------------------------------------------------------------
// The numbers

std::string decodeInt32(std::string_view bytes, const LabelTable* = nullptr) {
  return std::to_string(readInt32(bytes));
}

EncodeResult encodeInt32(std::string_view text, std::uint8_t = 1) {
  auto v = parseInt32(text);
  if (!v) return fail(notInteger(text));
  return done(le32(static_cast<std::uint32_t>(*v)));
}

std::string decodeInt32Label(std::string_view bytes, const LabelTable* labels) {
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

std::string decodeFloat32(std::string_view bytes, const LabelTable* = nullptr) {
  std::uint32_t bits = readLe32(bytes);
  float f;
  std::memcpy(&f, &bits, 4);
  return formatFloat32(f);
}

EncodeResult encodeFloat32(std::string_view text, std::uint8_t = 1) {
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

EncodeResult encodeTicks15(std::string_view text, std::uint8_t) {
  auto v = parseInt32(text);
  if (!v) return fail(notInteger(text));
  std::int64_t n = std::int64_t{*v} * 15;
  if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
    return fail(kIntOverflow);
  return done(le32(static_cast<std::uint32_t>(static_cast<std::int32_t>(n))));
}

std::string ticks15fText(std::int32_t n) {
  double v = (static_cast<double>(n) - 1.0) / 15.0 + 0.1;
  // One decimal survives below 10, none from 10 on; the integer part itself
  // is never cut (1234,5 shows as 1234,0, not as 123,0).
  std::string shown = formatNumber(v);
  std::size_t keep = std::max<std::size_t>(3, std::min(shown.find(','), shown.size()));
  std::string cut = shown.substr(0, keep);
  double back = 0;
  if (readDecimal(cut, back) != NumberStatus::Ok) back = 0;
  return formatFloat32(static_cast<float>(back) + 0.0f);  // no "-0,0" here
}

EncodeResult encodeTicks15f(std::string_view text, std::uint8_t) {
  double v = 0;
  if (auto error = readFloatText(text, v)) return fail(*error);
  double r = std::nearbyint((v - 0.1) * 15 + 1);  // halves to even
  constexpr double kMin = std::numeric_limits<std::int32_t>::min(), kMax = std::numeric_limits<std::int32_t>::max();
  if (!(r >= kMin && r <= kMax)) return fail(kIntOverflow);
  // The display cuts while the formula rounds, so the formula's value may show
  // as another number ("11,0" would come back as "10,0"). Then the nearest
  // value that shows as the number typed is stored instead.
  auto shows = [v](double n) {
    auto back = parseNumber(ticks15fText(static_cast<std::int32_t>(n)));
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

bool checkByte(std::string_view text) {
  if (!isIntegerText(text)) return false;
  auto v = parseInt32(text);
  return v && *v >= -128 && *v <= 255;
}

EncodeResult encodeByte(std::string_view text, std::uint8_t) {
  auto v = parseInt32(text);
  if (!v) return fail(notInteger(text));
  return done(ByteString(1, static_cast<char>(static_cast<std::uint32_t>(*v) & 0xFF)));
}

// ---------------------------------------------------------------------------
// bitset30

std::string decodeBitset30(std::string_view bytes, const LabelTable*) {
  const std::int32_t mask = readInt32(bytes);
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

EncodeResult encodeBitset30(std::string_view text, std::uint8_t) {
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
  return done(le32(mask));
}

// ---------------------------------------------------------------------------
// raw and soundlist: the cell describes the bytes, kept as they are

EncodeResult keepBytes(std::string_view bytes, std::uint8_t) { return done(ByteString(bytes)); }
bool anyText(std::string_view) { return true; }

// Two sounds, each an item of four items (file, number, text, code), as the
// sound list editor writes them.
std::string sampleSounds(const SampleArgs&) {
  struct Sound {
    const char* file;
    std::int32_t number;
    const char* text;
    const char* code;
  };
  static const Sound sounds[] = {{"sound\\sample1.wav", 0, "Sample sound", "S1"},
                                 {"sound\\sample2.wav", 1, "Another sample sound", "S2"}};
  ByteString out;
  for (const Sound& s : sounds) {
    ByteString element;
    appendItem(element, 1, encodeName(s.file, 1).bytes);
    appendItem(element, 2, le32(static_cast<std::uint32_t>(s.number)));
    appendItem(element, 3, encodeName(s.text, 1).bytes);
    appendItem(element, 4, encodeName(s.code, 1).bytes);
    appendItem(out, 1, element);
  }
  return out;
}

// ---------------------------------------------------------------------------
// The codec table: one entry per codec, in the order of enum Codec.

constexpr CodecEntry kCodecs[] = {
    {Codec::Name, "name", 0, false, false, decodeName, anyText, encodeName, noMessage,
     [](const SampleArgs& a) { return numbered(a); }},
    {Codec::Int32, "int32", 4, false, false, decodeInt32, isIntegerText, encodeInt32, noMessage, sampleNumber},
    {Codec::Int32Label, "int32label", 4, false, false, decodeInt32Label,
     [](std::string_view t) { return isIntegerText(beforeBlank(t)); },
     [](std::string_view t, std::uint8_t) { return encodeInt32(beforeBlank(t)); }, noMessage,
     [](const SampleArgs& a) {
       std::int32_t v = a.record;
       if (a.labels && !a.labels->empty()) v = (*a.labels)[(a.record - 1) % a.labels->size()].value;
       return std::to_string(v);
     }},
    {Codec::Float32, "float32", 4, false, false, decodeFloat32, isFloatText, encodeFloat32, noMessage,
     [](const SampleArgs& a) { return oneOf3(a, {"0,25", "0,5", "0,75"}); }},
    {Codec::Ticks15, "ticks15", 4, false, false,
     [](std::string_view b, const LabelTable*) { return std::to_string(readInt32(b) / 15); }, isIntegerText,
     encodeTicks15, noMessage, sampleNumber},
    {Codec::Ticks15f, "ticks15f", 4, false, false,
     [](std::string_view b, const LabelTable*) { return ticks15fText(readInt32(b)); }, isFloatText, encodeTicks15f,
     noMessage, sampleNumber},
    {Codec::Byte, "byte", 1, false, false,
     [](std::string_view b, const LabelTable*) { return std::to_string(b.empty() ? 0 : static_cast<std::uint8_t>(b[0])); },
     checkByte, encodeByte,
     [] { return ru("Выделенное поле имеет неправильный формат. Не больше 255 и не меньше -128 (1 байт)"); },
     [](const SampleArgs& a) { return std::to_string(a.record); }},
    {Codec::Bool, "bool", 1, false, false,
     [](std::string_view b, const LabelTable*) { return std::string(!b.empty() && b[0] != '\0' ? "1" : "0"); },
     [](std::string_view t) { return t == "0" || t == "1"; },
     [](std::string_view t, std::uint8_t) { return done(ByteString(1, t == "1" ? '\x01' : '\0')); },
     [] {
       return ru("Выделенное поле имеет неправильный формат. Либо ноль - значит \"нет\", либо единица - значит "
                 "\"да\" (тобиш 0=False, 1=True)");
     },
     [](const SampleArgs& a) { return std::string(a.record % 2 ? "1" : "0"); }},
    {Codec::Bitset30, "bitset30", 4, false, false, decodeBitset30, checkBitset30, encodeBitset30,
     [] {
       return ru("Выделенное поле имеет неправильный формат. Это должен быть список номеров магазинов, "
                 "разделенный запятыми, и заканчивающийся последней цифрой магазина (никаких других символов "
                 "дальше)");
     },
     [](const SampleArgs& a) { return oneOf3(a, {"1", "1,3", "2"}); }},
    {Codec::NameList, "namelist", 0, false, true, decodeList, isListText,
     [](std::string_view t, std::uint8_t type) { return done(encodeList(t, type, false)); }, listMessage,
     [](const SampleArgs& a) { return numbered(a) + "," + numbered(a, 1); }},
    {Codec::Code4, "code4", 4, false, false, decodeCode4, [](std::string_view t) { return t.size() <= 4; },
     [](std::string_view t, std::uint8_t) { return done(code4Bytes(t)); },
     [] {
       return ru("Выделенное поле имеет неправильный формат. Не больше 4 символов (любых), либо вообще без "
                 "символов.");
     },
     [](const SampleArgs& a) { return "SMP" + std::to_string(a.record % 10); }},
    {Codec::Char1, "char1", 4, false, false, decodeCode4, [](std::string_view t) { return t.size() <= 1; },
     [](std::string_view t, std::uint8_t) { return done(code4Bytes(t)); },
     [] { return ru("Выделенное поле имеет неправильный формат. Не больше 1 символа (любого), либо без символов."); },
     [](const SampleArgs& a) { return std::string(1, static_cast<char>('A' + (a.record - 1) % 26)); }},
    {Codec::Code4List, "code4list", 0, false, true, decodeList, checkCode4List,
     [](std::string_view t, std::uint8_t type) { return done(encodeList(t, type, true)); },
     [] { return listMessage() + "\r" + ru("Каждый элемент списка не должен быть длиннее 4 символов."); },
     [](const SampleArgs& a) {
       return "SMP" + std::to_string(a.record % 10) + ",SMP" + std::to_string((a.record + 1) % 10);
     }},
    {Codec::Raw, "raw", 0, true, false, [](std::string_view b, const LabelTable*) { return rawDescription(b); },
     anyText, keepBytes, noMessage, [](const SampleArgs&) { return ByteString(4, '\0'); }},
    {Codec::SoundList, "soundlist", 0, true, false,
     [](std::string_view b, const LabelTable*) { return soundListDescription(b); }, anyText, keepBytes, noMessage,
     sampleSounds},
};

constexpr bool inEnumOrder() {
  for (std::size_t i = 0; i < std::size(kCodecs); ++i)
    if (static_cast<std::size_t>(kCodecs[i].codec) != i) return false;
  return std::size(kCodecs) == static_cast<std::size_t>(Codec::SoundList) + 1;
}
static_assert(inEnumOrder(), "one entry per codec, in the order of enum Codec");

}  // namespace

// ---------------------------------------------------------------------------
// The table's entries

const CodecEntry& codecEntry(Codec c) { return kCodecs[static_cast<std::size_t>(c)]; }

std::optional<Codec> codecFromName(std::string_view name) {
  for (const CodecEntry& e : kCodecs)
    if (e.name == name) return e.codec;
  return std::nullopt;
}

std::string_view codecName(Codec c) { return codecEntry(c).name; }

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

std::size_t fixedWidth(Codec c) { return codecEntry(c).width; }

bool showsDescription(Codec c) { return codecEntry(c).describes; }

std::string decode(Codec c, std::string_view bytes, const LabelTable* labels) {
  return codecEntry(c).decode(bytes, labels);
}

bool check(Codec c, std::string_view text) { return codecEntry(c).check(text); }

RowCheck checkRow(Codec c, std::string_view text) {
  RowCheck r;
  r.text = std::string(text);
  if (!codecEntry(c).list) {
    r.accepted = check(c, text);
    return r;
  }
  if (!isListText(text)) return r;
  r.text = normaliseList(text);
  r.accepted = check(c, r.text);
  return r;
}

EncodeResult encode(Codec c, std::string_view text, std::uint8_t itemType) {
  return codecEntry(c).encode(text, itemType);
}

std::string checkMessage(Codec c) { return codecEntry(c).message(); }

// ---------------------------------------------------------------------------
// Messages and descriptions

std::string formatMessage() { return ru("Выделенное поле имеет неправильный формат."); }

bool checkMaxLen(std::string_view text, std::size_t n) { return text.size() <= n; }

std::string maxLenMessage(std::size_t n) {
  return ru("Выделенное поле имеет неправильный формат - оно не должно быть длинее ") + std::to_string(n) +
         ru(" символов.");
}

// The descriptions are shown for every raw and sound-list cell of a section
// table: their words are converted to cp1251 once.
std::string rawDescription(std::string_view bytes) {
  static const std::string empty = ru("Поле пустое (все байты нули). Длина поля ");
  static const std::string notEmpty = ru("Поле НЕ пустое (НЕ все байты нули). Длина поля ");
  static const std::string tail = ru(" байтов.");
  const bool zeros = bytes.find_first_not_of('\0') == std::string_view::npos;
  return (zeros ? empty : notEmpty) + std::to_string(bytes.size()) + tail;
}

std::string soundListDescription(std::string_view payload) {
  static const std::string none = ru("Пусто. Элементов (звуков) в поле нет.");
  static const std::string head = ru("В поле содержится ");
  static const std::string tail = ru(" элементов (звуков).");
  std::uint32_t n = countItems(payload);
  if (n == 0) return none;
  return head + std::to_string(n) + tail;
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
// List rules

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

}  // namespace kessik
