#include "util/cp1251.h"

#include <array>
#include <cstdint>

namespace kessik {
namespace {

// Unicode code points of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char32_t toUnicode(unsigned char b) {
  if (b < 0x80) return b;
  if (b >= 0xC0) return 0x0410 + (b - 0xC0);
  return kHigh[b - 0x80];
}

int fromUnicode(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(0xC0 + (cp - 0x0410));
  for (std::size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

struct Tables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  std::array<std::uint16_t, 256> primary{};   // order ignoring case
  std::array<std::uint8_t, 256> secondary{};  // tie-break between ё and е
};

Tables makeTables() {
  Tables t;
  for (int i = 0; i < 256; ++i) t.upper[i] = t.lower[i] = static_cast<unsigned char>(i);
  auto pair = [&t](int up, int low) {
    t.upper[low] = static_cast<unsigned char>(up);
    t.lower[up] = static_cast<unsigned char>(low);
  };
  for (int c = 'a'; c <= 'z'; ++c) pair(c - 32, c);
  for (int c = 0xE0; c <= 0xFF; ++c) pair(c - 32, c);
  const int pairs[][2] = {{0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
                          {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
                          {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
  for (auto& p : pairs) pair(p[0], p[1]);

  // Primary weights: every byte that is not a letter or digit keeps its byte
  // order at the front; then digits; then Latin; then Cyrillic.
  std::uint16_t w = 1;
  for (int i = 0; i < 256; ++i) {
    auto c = static_cast<unsigned char>(i);
    bool letter = t.lower[c] != c || t.upper[c] != c;
    bool digit = c >= '0' && c <= '9';
    if (!letter && !digit) t.primary[c] = w++;
  }
  for (int c = '0'; c <= '9'; ++c) t.primary[c] = w++;
  for (int c = 'a'; c <= 'z'; ++c) { t.primary[c] = t.primary[c - 32] = w++; }
  // Cyrillic alphabet with the letters of other Cyrillic alphabets after the
  // closest Russian letter. ё shares е's primary weight.
  const int cyr[] = {0xE0, 0xE1, 0xE2, 0xE3, 0xB4, 0x83, 0xE4, 0x90, 0xE5, 0xBA, 0xE6, 0xE7,
                     0xBE, 0xE8, 0xB3, 0xBF, 0xE9, 0xBC, 0xEA, 0x9D, 0xEB, 0x9A, 0xEC, 0xED,
                     0x9C, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0x9E, 0xF3, 0xA2, 0xF4, 0xF5, 0xF6,
                     0xF7, 0x9F, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};
  for (int low : cyr) {
    t.primary[low] = t.primary[t.upper[low]] = w++;
  }
  t.primary[0xB8] = t.primary[0xA8] = t.primary[0xE5];
  t.secondary[0xB8] = t.secondary[0xA8] = 1;
  return t;
}

const Tables& tables() {
  static const Tables t = makeTables();
  return t;
}

}  // namespace

// Decodes one UTF-8 character at i; advances i. Returns nothing when invalid.
std::optional<char32_t> nextCodePoint(std::string_view s, std::size_t& i) {
  auto b = static_cast<unsigned char>(s[i]);
  int extra;
  char32_t cp;
  if (b < 0x80) { ++i; return b; }
  if ((b & 0xE0) == 0xC0) { extra = 1; cp = b & 0x1F; }
  else if ((b & 0xF0) == 0xE0) { extra = 2; cp = b & 0x0F; }
  else if ((b & 0xF8) == 0xF0) { extra = 3; cp = b & 0x07; }
  else return std::nullopt;
  if (i + static_cast<std::size_t>(extra) >= s.size()) return std::nullopt;
  for (int k = 1; k <= extra; ++k) {
    auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (c & 0x3F);
  }
  // Each character has one form only: the shortest (C0 AF is no "/"), and
  // none for the surrogate halves or past U+10FFFF.
  static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return std::nullopt;
  i += extra + 1;
  return cp;
}

std::optional<std::size_t> firstInvalidUtf8(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t start = i;
    if (!nextCodePoint(utf8, i)) return start;
  }
  return std::nullopt;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::optional<std::string> utf8ToCp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    auto cp = nextCodePoint(utf8, i);
    if (!cp) return std::nullopt;
    int b = fromUnicode(*cp);
    if (b < 0) return std::nullopt;
    out += static_cast<char>(b);
  }
  return out;
}

std::optional<std::string> firstUnmappable(std::string_view utf8) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    std::size_t start = i;
    auto cp = nextCodePoint(utf8, i);
    if (!cp) return std::string(utf8.substr(start, 1));
    if (fromUnicode(*cp) < 0) return std::string(utf8.substr(start, i - start));
  }
  return std::nullopt;
}

std::string cp1251ToUtf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size() * 2);
  for (char c : cp1251) appendUtf8(out, toUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string ru(std::string_view utf8Literal) {
  std::string out;
  out.reserve(utf8Literal.size());
  std::size_t i = 0;
  while (i < utf8Literal.size()) {
    auto cp = nextCodePoint(utf8Literal, i);
    if (!cp) { ++i; continue; }
    int b = fromUnicode(*cp);
    if (b >= 0) out += static_cast<char>(b);
  }
  return out;
}

char upperChar(char c) { return static_cast<char>(tables().upper[static_cast<unsigned char>(c)]); }
char lowerChar(char c) { return static_cast<char>(tables().lower[static_cast<unsigned char>(c)]); }

std::string upperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = upperChar(c);
  return out;
}

std::string lowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lowerChar(c);
  return out;
}

int compareIgnoringCase(std::string_view a, std::string_view b) {
  const Tables& t = tables();
  std::size_t n = std::min(a.size(), b.size());
  int tie = 0;
  for (std::size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[i]);
    if (t.primary[ca] != t.primary[cb]) return t.primary[ca] < t.primary[cb] ? -1 : 1;
    if (tie == 0 && t.secondary[ca] != t.secondary[cb]) tie = t.secondary[ca] < t.secondary[cb] ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return tie;
}

bool wildcardMatch(std::string_view text, std::string_view mask) {
  // Greedy match with one backtrack point: linear in practice, never
  // exponential.
  std::size_t t = 0, m = 0, starM = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starT = t;
    } else if (m < mask.size() && (mask[m] == '?' || lowerChar(mask[m]) == lowerChar(text[t]))) {
      ++m;
      ++t;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace kessik
