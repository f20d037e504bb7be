// Field value codecs: decode, check and encode of every codec, the item and
// run operations, and the number display rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "core/codecs.h"
#include "support/testenv.h"

using namespace kessik;
using kessik::test::bytes;
using kessik::test::cp;
using kessik::test::hex;

namespace {

struct DecodeCase {
  Codec codec;
  const char* hexBytes;
  const char* text;  // UTF-8
  bool roundTrip;    // encode(text) gives the bytes back
};

void expectDecodes(const DecodeCase* cases, std::size_t n, const LabelTable* labels = nullptr) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto& c = cases[i];
    std::string b = bytes(c.hexBytes);
    SCOPED_TRACE(std::string(codecName(c.codec)) + " " + c.hexBytes);
    EXPECT_EQ(decode(c.codec, b, labels), cp(c.text));
    if (c.roundTrip) {
      auto e = encode(c.codec, cp(c.text));
      EXPECT_TRUE(e.ok) << e.error;
      EXPECT_EQ(hex(e.bytes), hex(b));
    }
  }
}

struct EncodeCase {
  Codec codec;
  const char* text;
  const char* hexBytes;  // nullptr: the conversion fails with `error`
  const char* error;
};

void expectEncodes(const EncodeCase* cases, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(std::string(codecName(c.codec)) + " '" + c.text + "'");
    auto e = encode(c.codec, cp(c.text));
    if (c.hexBytes) {
      EXPECT_TRUE(e.ok) << e.error;
      EXPECT_EQ(hex(e.bytes), hex(bytes(c.hexBytes)));
    } else {
      EXPECT_FALSE(e.ok);
      EXPECT_TRUE(e.bytes.empty());
      EXPECT_EQ(e.error, c.error);
    }
  }
}

struct CheckCase {
  Codec codec;
  const char* text;
  bool accepted;
};

void expectChecks(const CheckCase* cases, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto& c = cases[i];
    EXPECT_EQ(check(c.codec, cp(c.text)), c.accepted) << codecName(c.codec) << " '" << c.text << "'";
  }
}

template <typename T, std::size_t N>
constexpr std::size_t count(const T (&)[N]) {
  return N;
}

std::string floatBytes(float f) {
  std::string b(4, '\0');
  std::memcpy(b.data(), &f, 4);
  return b;
}

}  // namespace

TEST(Codecs, NamesParseBothWays) {
  for (int i = 0; i <= static_cast<int>(Codec::SoundList); ++i) {
    auto c = static_cast<Codec>(i);
    EXPECT_EQ(codecFromName(codecName(c)), c);
  }
  EXPECT_EQ(codecFromName("float32"), Codec::Float32);
  EXPECT_FALSE(codecFromName("maxlen"));
  EXPECT_FALSE(codecFromName("Float32"));
  EXPECT_EQ(maxLenFromName("maxlen 24"), 24u);
  EXPECT_EQ(maxLenFromName("maxlen24"), 24u);
  EXPECT_FALSE(maxLenFromName("maxlen"));
  EXPECT_FALSE(maxLenFromName("maxlen x"));
  EXPECT_EQ(fixedWidth(Codec::Float32), 4u);
  EXPECT_EQ(fixedWidth(Codec::Bool), 1u);
  EXPECT_EQ(fixedWidth(Codec::NameList), 0u);
}

TEST(Codecs, EveryEntryAgreesWithItself) {
  // What each table entry says of its codec holds together: its sample value
  // passes its check, encodes to its width and shows as a text the check
  // takes again; a codec that describes its bytes keeps them.
  for (int i = 0; i <= static_cast<int>(Codec::SoundList); ++i) {
    const CodecEntry& e = codecEntry(static_cast<Codec>(i));
    SCOPED_TRACE(std::string(e.name));
    EXPECT_EQ(static_cast<int>(e.codec), i);
    EXPECT_FALSE(e.message().empty());
    for (int k = 1; k <= 3; ++k) {
      const std::string sample = e.sample({"Word", k, k, nullptr});
      if (e.describes) {
        EXPECT_EQ(e.encode(sample, 1).bytes, sample);
        EXPECT_FALSE(e.decode(sample, nullptr).empty());
        continue;
      }
      EXPECT_TRUE(checkRow(e.codec, sample).accepted) << sample;
      EncodeResult bytes = e.encode(sample, 1);
      ASSERT_TRUE(bytes.ok) << sample;
      if (e.width) {
        EXPECT_EQ(bytes.bytes.size(), e.width) << sample;
      }
      EXPECT_TRUE(e.check(e.decode(bytes.bytes, nullptr))) << sample;
    }
  }
}

TEST(Codecs, IntegerFamily) {
  const DecodeCase decodes[] = {
      {Codec::Int32, "FF FF FF FF", "-1", true},
      {Codec::Int32, "00 00 00 80", "-2147483648", true},
      {Codec::Int32, "FF FF FF 7F", "2147483647", true},
      {Codec::Int32, "2A 00 00 00 99", "42", false},  // extra bytes are not part of the value
      {Codec::Int32, "2A", "42", false},              // missing bytes count as 00
      {Codec::Int32, "", "0", false},
      {Codec::Ticks15, "2C 00 00 00", "2", false},    // 44 div 15
      {Codec::Ticks15, "D4 FF FF FF", "-2", false},   // -44 rounds toward zero
      {Codec::Ticks15, "2D 00 00 00", "3", true},
      {Codec::Ticks15, "00 00 00 80", "-143165576", false},
  };
  expectDecodes(decodes, count(decodes));

  const LabelTable labels = {{0, "     ELEMENTAL"}, {-1, "     NONE"}};
  const DecodeCase labelled[] = {
      {Codec::Int32Label, "00 00 00 00", "0     ELEMENTAL", true},
      {Codec::Int32Label, "FF FF FF FF", "-1     NONE", true},
      {Codec::Int32Label, "07 00 00 00", "7", true},  // unlisted: the number alone
  };
  expectDecodes(labelled, count(labelled), &labels);
  EXPECT_EQ(decode(Codec::Int32Label, bytes("00 00 00 00")), "0");

  const CheckCase checks[] = {
      {Codec::Int32, "0", true},          {Codec::Int32, "-12", true},
      {Codec::Int32, "2147483648", true}, {Codec::Int32, "", false},
      {Codec::Int32, "-", false},         {Codec::Int32, "+1", false},
      {Codec::Int32, " 1", false},        {Codec::Int32, "1 ", false},
      {Codec::Int32, "1,0", false},       {Codec::Int32, "--1", false},
      {Codec::Ticks15, "3", true},        {Codec::Ticks15, "x", false},
      {Codec::Int32Label, "0     ELEMENTAL", true},
      {Codec::Int32Label, "15", true},    {Codec::Int32Label, "-3 anything", true},
      {Codec::Int32Label, " 0", false},   {Codec::Int32Label, "x     A", false},
  };
  expectChecks(checks, count(checks));

  const EncodeCase encodes[] = {
      {Codec::Int32, "-2147483648", "00 00 00 80", nullptr},
      {Codec::Int32, "0000000000000012", "0C 00 00 00", nullptr},
      {Codec::Int32, "2147483648", nullptr, "'2147483648' is not a valid integer value"},
      {Codec::Int32, "-2147483649", nullptr, "'-2147483649' is not a valid integer value"},
      {Codec::Int32, "99999999999999999999", nullptr, "'99999999999999999999' is not a valid integer value"},
      {Codec::Int32, "12x", nullptr, "'12x' is not a valid integer value"},
      {Codec::Int32Label, "0     ELEMENTAL", "00 00 00 00", nullptr},
      {Codec::Int32Label, "3000000000     BIG", nullptr, "'3000000000' is not a valid integer value"},
      {Codec::Ticks15, "3", "2D 00 00 00", nullptr},
      {Codec::Ticks15, "-3", "D3 FF FF FF", nullptr},
      {Codec::Ticks15, "143165576", "F8 FF FF 7F", nullptr},
      // The 15-fold no longer fits: refused rather than stored wrapped around.
      {Codec::Ticks15, "143165577", nullptr, "Integer overflow"},
      {Codec::Ticks15, "-143165577", nullptr, "Integer overflow"},
      {Codec::Ticks15, "2147483648", nullptr, "'2147483648' is not a valid integer value"},
  };
  expectEncodes(encodes, count(encodes));
}

TEST(Codecs, Float32Display) {
  const std::pair<float, const char*> cases[] = {
      {0.1f, "0,1"},
      {1.2345678f, "1,234568"},
      {2.5f, "2,5"},
      {0.99999994f, "1,0"},
      {-3.75f, "-3,75"},
      {0.000005f, "5E-6,0"},
      {0.0000012f, "1,2E-6"},
      {0.00001f, "0,00001"},
      {123456.7f, "123456,703125"},  // all six digits of the fraction survive
      {1.0000001f, "1,0000001"},
      {9.9999999e-1f, "1,0"},
      {0.0f, "0,0"},
      {-0.0f, "-0,0"},
      {1e-45f, "0,0"},   // denormal
      {-1e-45f, "-0,0"},
      {1e-7f, "1E-7,0"},
      {4e-8f, "0,0"},
      {8388607.5f, "8388607,5"},
      {16777216.0f, "16777216,0"},
      {1e15f, "999999986991104,0"},
      {1e20f, "100000002004087734272,0"},  // written out whole
      {-3.4028235e38f, "-340282346638528859811704183484516925440,0"},
  };
  for (auto [value, text] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(decode(Codec::Float32, floatBytes(value)), text);
  }
}

TEST(Codecs, Float32SpecialValues) {
  const DecodeCase decodes[] = {
      {Codec::Float32, "FF FF FF FF", "NAN", true},
      {Codec::Float32, "00 00 C0 7F", "NAN", false},  // other NaNs are saved back as FF FF FF FF
      {Codec::Float32, "01 00 80 FF", "NAN", false},
      {Codec::Float32, "00 00 80 7F", "INF", false},
      {Codec::Float32, "00 00 80 FF", "-INF", false},
      {Codec::Float32, "00 00 C0 3F", "1,5", true},
      {Codec::Float32, "00 00 00 80", "-0,0", true},
      {Codec::Float32, "FF FF 7F 7F", "340282346638528859811704183484516925440,0", true},
      {Codec::Float32, "00 00 80 3F 55", "1,0", false},
  };
  expectDecodes(decodes, count(decodes));
  EXPECT_FALSE(check(Codec::Float32, "INF"));
  EXPECT_FALSE(check(Codec::Float32, "-INF"));
  EXPECT_FALSE(check(Codec::Float32, "5E-6,0"));
}

TEST(Codecs, Float32DisplayIsTheLongWaysText) {
  // The display takes a quick path for the usual values; its text must be
  // the one worked out digit string by digit string, for every float.
  auto fromBits = [](std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  };
  std::size_t compared = 0, differing = 0;
  auto compare = [&](float f) {
    ++compared;
    const std::string quick = formatFloat32(f), exact = formatFloat32Exactly(f);
    if (quick != exact && ++differing <= 10) ADD_FAILURE() << std::hexfloat << f << ": " << quick << " != " << exact;
  };
  // Random bit patterns, every exponent and sign.
  std::mt19937 rng(20240607);
  for (int i = 0; i < 300000; ++i) compare(fromBits(static_cast<std::uint32_t>(rng())));
  // Every float of runs around the edges: whole numbers, the carry of the
  // seventh decimal (x,9999995), the E notation below 0,00001, 2^23 where
  // fractions end, 10^15 where the digits are written out whole.
  for (float edge : {0.0f, 1e-7f, 9.5e-6f, 1e-5f, 0.1f, 0.5f, 0.9999995f, 1.0f, 1.9999995f, 100.0f, 123456.7f,
                     8388607.5f, 8388608.0f, 16777216.0f, 1e15f}) {
    std::uint32_t bits;
    std::memcpy(&bits, &edge, 4);
    for (std::uint32_t b = bits > 2000 ? bits - 2000 : 0; b < bits + 2000; ++b) {
      compare(fromBits(b));
      compare(fromBits(b | 0x80000000u));
    }
  }
  // Values typed as decimals: k/100 and k/1000 as floats.
  for (int k = -20000; k <= 20000; ++k) {
    compare(static_cast<float>(k / 100.0));
    compare(static_cast<float>(k / 1000.0));
  }
  EXPECT_EQ(differing, 0u) << "of " << compared;
}

TEST(Codecs, Float32CheckAndEncode) {
  const CheckCase checks[] = {
      {Codec::Float32, "NAN", true},  {Codec::Float32, "1,5", true},  {Codec::Float32, "-1,5", true},
      {Codec::Float32, "5,", true},   {Codec::Float32, ",5", true},   {Codec::Float32, ",", true},
      {Codec::Float32, "-,", true},   {Codec::Float32, "12", true},   {Codec::Float32, "1.5", false},
      {Codec::Float32, "", false},    {Codec::Float32, "-", false},   {Codec::Float32, "1,5,", false},
      {Codec::Float32, "nan", false}, {Codec::Float32, "+1", false},  {Codec::Float32, "1 ", false},
      {Codec::Ticks15f, "1,1", true}, {Codec::Ticks15f, "1.1", false},
  };
  expectChecks(checks, count(checks));

  const std::string big = "1" + std::string(39, '0');
  const std::string tiny = "0," + std::string(60, '0') + "1";
  const EncodeCase encodes[] = {
      {Codec::Float32, "NAN", "FF FF FF FF", nullptr},
      {Codec::Float32, "1,5", "00 00 C0 3F", nullptr},
      {Codec::Float32, "5,", "00 00 A0 40", nullptr},
      {Codec::Float32, ",5", "00 00 00 3F", nullptr},
      {Codec::Float32, "-0,0", "00 00 00 80", nullptr},
      {Codec::Float32, "0,000005", "AC C5 A7 36", nullptr},
      {Codec::Float32, "340282350000000000000000000000000000000", "FF FF 7F 7F", nullptr},
      {Codec::Float32, ",", nullptr, "',' is not a valid floating point value"},
      {Codec::Float32, "-,", nullptr, "'-,' is not a valid floating point value"},
      {Codec::Float32, "1.5x", nullptr, "'1.5x' is not a valid floating point value"},
      {Codec::Float32, big.c_str(), nullptr, "Floating point overflow"},
      {Codec::Float32, "340282360000000000000000000000000000000", nullptr, "Floating point overflow"},
      {Codec::Float32, tiny.c_str(), "00 00 00 00", nullptr},  // too small: zero
  };
  expectEncodes(encodes, count(encodes));
  // The shown text of a stored value converts back to it.
  for (float f : {0.1f, 2.5f, -3.75f, 1234.5f, 1e20f, 1e-3f, 8388607.5f}) {
    auto e = encode(Codec::Float32, decode(Codec::Float32, floatBytes(f)));
    EXPECT_EQ(hex(e.bytes), hex(floatBytes(f))) << f;
  }
  // 0,1682061 is nearest to a value that shows 0,168206; its neighbour shows
  // 0,1682061 and is stored.
  EXPECT_EQ(decode(Codec::Float32, encode(Codec::Float32, "0,1682061").bytes), "0,1682061");
  // A number no value shows keeps the nearest value.
  EXPECT_EQ(decode(Codec::Float32, encode(Codec::Float32, "0,123456789").bytes), "0,123457");
  // A shown value is saved as a value that shows the same.
  for (std::uint32_t bits = 0x3E000000; bits < 0x3F800000; bits += 0x1357) {
    float f;
    std::memcpy(&f, &bits, 4);
    std::string text = decode(Codec::Float32, floatBytes(f));
    EXPECT_EQ(decode(Codec::Float32, encode(Codec::Float32, text).bytes), text) << f;
  }
}

TEST(Codecs, Ticks15f) {
  auto stored = [](std::int32_t n) { return std::string(reinterpret_cast<const char*>(&n), 4); };
  const std::pair<std::int32_t, const char*> decodes[] = {
      {16, "1,1"}, {1, "0,1"},     {0, "0,0"},      {-1, "0,0"},   {44, "2,9"},
      {151, "10,0"}, {-100, "-6,0"}, {1501, "100,0"},
      // From 1000 on the whole integer part stays (then single precision).
      {15001, "1000,0"}, {-15000, "-999,0"}, {2147483647, "143165568,0"},
  };
  for (auto [n, text] : decodes) EXPECT_EQ(decode(Codec::Ticks15f, stored(n)), text) << n;

  const EncodeCase encodes[] = {
      {Codec::Ticks15f, "1,1", "10 00 00 00", nullptr},
      {Codec::Ticks15f, "0,1", "01 00 00 00", nullptr},
      {Codec::Ticks15f, "0,2", "03 00 00 00", nullptr},  // 2.5 halves to 2, which shows 0,1
      {Codec::Ticks15f, "0,0", "00 00 00 00", nullptr},  // -0.5 halves to 0
      {Codec::Ticks15f, "10,", "96 00 00 00", nullptr},  // 149.5 halves to the even 150
      {Codec::Ticks15f, ",", nullptr, "',' is not a valid floating point value"},
      {Codec::Ticks15f, "NAN", nullptr, "'NAN' is not a valid floating point value"},
      {Codec::Ticks15f, "999999999", nullptr, "Integer overflow"},
      // The formula's value would show as another number: the nearest value
      // that shows as the typed one is stored.
      {Codec::Ticks15f, "2,8", "2A 00 00 00", nullptr},   // not 41 ("2,7")
      {Codec::Ticks15f, "11,0", "A5 00 00 00", nullptr},  // not 164 ("10,0")
      {Codec::Ticks15f, "11", "A5 00 00 00", nullptr},
      {Codec::Ticks15f, "2,85", "2A 00 00 00", nullptr},  // no value shows 2,85: the formula
  };
  expectEncodes(encodes, count(encodes));
  // A shown value is saved as a value that shows the same.
  for (std::int32_t n = -2000; n <= 20000; n += 7) {
    std::string text = decode(Codec::Ticks15f, stored(n));
    auto e = encode(Codec::Ticks15f, text);
    ASSERT_TRUE(e.ok) << n;
    EXPECT_EQ(decode(Codec::Ticks15f, e.bytes), text) << n;
  }
}

TEST(Codecs, NumberFormatting) {
  const std::pair<double, const char*> cases[] = {
      {5, "5,0"},
      {5e-6, "5E-6,0"},
      {-5e-6, "-5E-6,0"},
      {1.5e20, "1,5E20"},
      {0.00001, "0,00001"},
      {123456789012345.0, "123456789012345,0"},
      {1234567890123456.0, "1,23456789012346E15"},
      {0.1 + 0.2, "0,3"},
      {-2.5, "-2,5"},
      {1.0 / 3, "0,333333333333333"},
  };
  for (auto [value, text] : cases) EXPECT_EQ(formatNumber(value), text) << value;
  EXPECT_EQ(parseNumber("5,"), 5.0);
  EXPECT_EQ(parseNumber(",25"), 0.25);
  EXPECT_EQ(parseNumber("-1,5"), -1.5);
  EXPECT_FALSE(parseNumber(","));
  EXPECT_FALSE(parseNumber("1e5"));
  EXPECT_FALSE(parseNumber(""));
}

TEST(Codecs, EveryShownNumberReadsBack) {
  // Whatever the table shows, from 1E-7 to 3,4E38, reads back as the value
  // shown (to the 15 digits it is written with).
  const double values[] = {1e-7, 5e-6, -5e-6, 1.2e-6, 1e-5, 0.1, -0.0, 1, 1.5e15, 1e20, 3.4e38, 3.4028234663852886e38};
  for (double v : values) {
    for (const std::string& text : {formatNumber(v), formatFloat32(static_cast<float>(v))}) {
      auto back = parseShownNumber(text);
      ASSERT_TRUE(back) << text;
      EXPECT_NEAR(*back, v, std::fabs(v) * 1e-6) << text;
      EXPECT_EQ(std::signbit(*back), std::signbit(v)) << text;
    }
    EXPECT_EQ(formatNumber(*parseShownNumber(formatNumber(v))), formatNumber(v));
  }
  EXPECT_EQ(parseShownNumber("5E-6,0"), 5e-6);
  EXPECT_EQ(parseShownNumber("1,5E20"), 1.5e20);
  EXPECT_EQ(parseShownNumber("-1,2E-6"), -1.2e-6);
  EXPECT_TRUE(std::isnan(*parseShownNumber("NAN")));
  EXPECT_EQ(parseShownNumber("-INF"), -std::numeric_limits<double>::infinity());
  for (const char* no : {"", "E5", "5E", "5E-", "5e-6", "5E-6,1", "5E-6,0,0", "x5E2", "5E2x", "1E999"})
    EXPECT_FALSE(parseShownNumber(no)) << no;
}

TEST(Codecs, ByteAndBool) {
  const DecodeCase decodes[] = {
      {Codec::Byte, "80", "128", true}, {Codec::Byte, "FF", "255", true}, {Codec::Byte, "00", "0", true},
      {Codec::Byte, "", "0", false},    {Codec::Bool, "02", "1", false},  {Codec::Bool, "01", "1", true},
      {Codec::Bool, "00", "0", true},   {Codec::Bool, "", "0", false},
  };
  expectDecodes(decodes, count(decodes));
  const CheckCase checks[] = {
      {Codec::Byte, "-128", true},       {Codec::Byte, "255", true},  {Codec::Byte, "256", false},
      {Codec::Byte, "-129", false},      {Codec::Byte, "", false},    {Codec::Byte, "1,0", false},
      {Codec::Byte, "99999999999", false}, {Codec::Bool, "0", true},  {Codec::Bool, "1", true},
      {Codec::Bool, "2", false},         {Codec::Bool, "01", false},  {Codec::Bool, "", false},
  };
  expectChecks(checks, count(checks));
  const EncodeCase encodes[] = {
      {Codec::Byte, "-128", "80", nullptr}, {Codec::Byte, "-1", "FF", nullptr},
      {Codec::Byte, "x", nullptr, "'x' is not a valid integer value"},
      {Codec::Bool, "1", "01", nullptr},    {Codec::Bool, "0", "00", nullptr},
  };
  expectEncodes(encodes, count(encodes));
  EXPECT_EQ(checkMessage(Codec::Byte), cp("Выделенное поле имеет неправильный формат. Не больше 255 и не меньше -128 (1 байт)"));
  EXPECT_EQ(checkMessage(Codec::Bool),
            cp("Выделенное поле имеет неправильный формат. Либо ноль - значит \"нет\", либо единица - значит "
               "\"да\" (тобиш 0=False, 1=True)"));
}

TEST(Codecs, Bitset30) {
  const DecodeCase decodes[] = {
      {Codec::Bitset30, "05 00 00 00", "1,3", true},
      {Codec::Bitset30, "00 00 00 00", "0", true},
      {Codec::Bitset30, "00 00 00 20", "30", true},
      {Codec::Bitset30, "FF FF FF 3F",
       "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30", true},
      {Codec::Bitset30, "00 00 00 40", "", false},  // 2^30 and above: no numbers
      {Codec::Bitset30, "05 00 00 40", "", false},
      {Codec::Bitset30, "FF FF FF FF", "", false},  // negative masks likewise
      {Codec::Bitset30, "05 00 00 80", "", false},
  };
  expectDecodes(decodes, count(decodes));
  const CheckCase checks[] = {
      {Codec::Bitset30, "1,3", true},  {Codec::Bitset30, "1,3 abc", true}, {Codec::Bitset30, "31", true},
      {Codec::Bitset30, "0", true},    {Codec::Bitset30, "1, 3", false},   {Codec::Bitset30, "1,,3", false},
      {Codec::Bitset30, ",1", false},  {Codec::Bitset30, "1,", false},     {Codec::Bitset30, "", false},
      {Codec::Bitset30, " 1", false},  {Codec::Bitset30, "1a", false},     {Codec::Bitset30, "-1", false},
  };
  expectChecks(checks, count(checks));
  const EncodeCase encodes[] = {
      {Codec::Bitset30, "3,1", "05 00 00 00", nullptr},     {Codec::Bitset30, "1,3 abc", "05 00 00 00", nullptr},
      {Codec::Bitset30, "31", "00 00 00 00", nullptr},      {Codec::Bitset30, "0", "00 00 00 00", nullptr},
      {Codec::Bitset30, "30,1,1", "01 00 00 20", nullptr},  {Codec::Bitset30, "99999999999,2", "02 00 00 00", nullptr},
      // However a number is written, 1 to 30 sets its bit.
      {Codec::Bitset30, "030", "00 00 00 20", nullptr},     {Codec::Bitset30, "001", "01 00 00 00", nullptr},
      {Codec::Bitset30, "1,030", "01 00 00 20", nullptr},   {Codec::Bitset30, "0003,00", "04 00 00 00", nullptr},
      {Codec::Bitset30, "0031", "00 00 00 00", nullptr},
  };
  expectEncodes(encodes, count(encodes));
}

TEST(Codecs, NameAndFixedCodes) {
  const DecodeCase decodes[] = {
      {Codec::Name, "41 42 00", "AB", true},   {Codec::Name, "41 42 00 43", "AB", false},
      {Codec::Name, "41 42", "AB", false},     {Codec::Name, "00", "", true},
      {Codec::Name, "", "", false},            {Codec::Code4, "61 62 00 00", "ab", true},
      {Codec::Code4, "61 62 63 64 65", "abcd", false}, {Codec::Code4, "61 00 62 00", "a", false},
      {Codec::Char1, "78 00 00 00", "x", true}, {Codec::Char1, "", "", false},
  };
  expectDecodes(decodes, count(decodes));
  EXPECT_EQ(decode(Codec::Name, cp("Меч") + '\0'), cp("Меч"));
  const CheckCase checks[] = {
      {Codec::Code4, "", true},   {Codec::Code4, "abcd", true}, {Codec::Code4, "abcde", false},
      {Codec::Char1, "", true},   {Codec::Char1, "x", true},    {Codec::Char1, "xy", false},
      {Codec::Name, "any, text", true},
  };
  expectChecks(checks, count(checks));
  const EncodeCase encodes[] = {
      {Codec::Name, "", "00", nullptr},
      {Codec::Char1, "x", "78 00 00 00", nullptr},
      {Codec::Code4, "abcd", "61 62 63 64", nullptr},
      {Codec::Code4, "abcde", "00 00 00 00", nullptr},  // refused by the check before
  };
  expectEncodes(encodes, count(encodes));
  EXPECT_EQ(checkMessage(Codec::Char1),
            cp("Выделенное поле имеет неправильный формат. Не больше 1 символа (любого), либо без символов."));
  EXPECT_EQ(checkMessage(Codec::Code4),
            cp("Выделенное поле имеет неправильный формат. Не больше 4 символов (любых), либо вообще без символов."));
}

TEST(Codecs, Lists) {
  struct RowCase {
    Codec codec;
    const char* typed;
    bool accepted;
    const char* cell;       // the cell's text after the check
    const char* hexBytes;   // the encoding of the cell when accepted
  };
  const RowCase rows[] = {
      {Codec::NameList, "a, b", true, "a,b", "01 04 61 00 01 04 62 00"},
      {Codec::NameList, "", true, "", ""},
      {Codec::NameList, "a b,  c d", true, "a b,c d", "01 08 61 20 62 00 01 08 63 20 64 00"},
      {Codec::NameList, "a,,b", false, "a,,b", nullptr},
      {Codec::NameList, "a,", false, "a,", nullptr},
      {Codec::NameList, ",a", false, ",a", nullptr},
      {Codec::NameList, "a, ,b", false, "a,,b", nullptr},  // passes as typed, fails normalised
      {Codec::Code4List, "ab,c", true, "ab,c", "01 08 61 62 00 00 01 08 63 00 00 00"},
      {Codec::Code4List, "ab, abcd", true, "ab,abcd", "01 08 61 62 00 00 01 08 61 62 63 64"},
      {Codec::Code4List, "ab,abcde", false, "ab,abcde", nullptr},
      {Codec::Code4List, "", true, "", ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(codecName(r.codec)) + " '" + r.typed + "'");
    RowCheck rc = checkRow(r.codec, r.typed);
    EXPECT_EQ(rc.accepted, r.accepted);
    EXPECT_EQ(rc.text, r.cell);
    if (r.hexBytes) {
      auto e = encode(r.codec, rc.text);
      EXPECT_EQ(hex(e.bytes), hex(bytes(r.hexBytes)));
      EXPECT_EQ(decode(r.codec, e.bytes), rc.text);
    }
  }
  EXPECT_EQ(checkRow(Codec::Int32, "1 ").text, "1 ");  // other codecs keep the text
  EXPECT_EQ(hex(encode(Codec::NameList, "a", 7).bytes), hex(bytes("07 04 61 00")));

  const DecodeCase decodes[] = {
      {Codec::NameList, "01 04 61 00 02 06 62 00 63", "a,b", false},  // type bytes are ignored
      {Codec::NameList, "01 00", "", false},
      {Codec::NameList, "01 04 61 00 01", "a,", false},             // a header cut short: an empty element
      {Codec::NameList, "01 0A 61 62", "ab", false},                // a payload cut short: what exists
      {Codec::Code4List, "01 08 61 62 63 64 01 02 65", "abcd,e", false},
  };
  expectDecodes(decodes, count(decodes));

  const std::string listMessage =
      cp("Выделенное поле имеет неправильный формат.") + "\r" +
      cp("Это должен быть список текстовых значений, разделенный запятыми. Запятой в конце и начале быть не "
         "должно, 2-х запятых подряд быть не должно, лишние пробелы (после запятых) удаляются.");
  EXPECT_EQ(checkMessage(Codec::NameList), listMessage);
  EXPECT_EQ(checkMessage(Codec::Code4List),
            listMessage + "\r" + cp("Каждый элемент списка не должен быть длиннее 4 символов."));
  EXPECT_EQ(checkMessage(Codec::Bitset30),
            cp("Выделенное поле имеет неправильный формат. Это должен быть список номеров магазинов, разделенный "
               "запятыми, и заканчивающийся последней цифрой магазина (никаких других символов дальше)"));
  EXPECT_EQ(checkMessage(Codec::Int32), cp("Выделенное поле имеет неправильный формат."));
}

TEST(Codecs, RawSoundListAndMaxLen) {
  EXPECT_EQ(decode(Codec::Raw, std::string(12, '\0')), cp("Поле пустое (все байты нули). Длина поля 12 байтов."));
  EXPECT_EQ(decode(Codec::Raw, ""), cp("Поле пустое (все байты нули). Длина поля 0 байтов."));
  EXPECT_EQ(decode(Codec::Raw, bytes("00 00 01")), cp("Поле НЕ пустое (НЕ все байты нули). Длина поля 3 байтов."));
  EXPECT_EQ(hex(encode(Codec::Raw, bytes("00 01")).bytes), "00 01");

  EXPECT_EQ(decode(Codec::SoundList, ""), cp("Пусто. Элементов (звуков) в поле нет."));
  EXPECT_EQ(decode(Codec::SoundList, bytes("01 02 41 01 00 01 04 41 42")),
            cp("В поле содержится 3 элементов (звуков)."));

  EXPECT_TRUE(checkMaxLen(std::string(24, 'a'), 24));
  EXPECT_FALSE(checkMaxLen(std::string(25, 'a'), 24));
  EXPECT_EQ(maxLenMessage(24),
            cp("Выделенное поле имеет неправильный формат - оно не должно быть длинее 24 символов."));
  EXPECT_EQ(maxLenMessage(8), cp("Выделенное поле имеет неправильный формат - оно не должно быть длинее 8 символов."));
}

TEST(Codecs, ItemAndRunOperations) {
  struct TakeCase {
    const char* data;
    const char* payload;
    const char* rest;
  };
  const TakeCase takes[] = {
      {"01 04 41 00 02 00", "41 00", "02 00"},
      {"09 00", "", ""},
      {"01 0A 41 42", "41 42", ""},          // payload runs past the end: what exists
      {"01", "", ""},                        // a type byte alone
      {"01 05 01 00", "", ""},               // a four-byte size code cut short
      {"01 FF FF FF FF 41", "41", ""},       // a huge size code
      {"", "", ""},
  };
  for (const auto& t : takes) {
    SCOPED_TRACE(t.data);
    ByteString data = bytes(t.data);
    EXPECT_EQ(hex(takeItem(data)), hex(bytes(t.payload)));
    EXPECT_EQ(hex(data), hex(bytes(t.rest)));
    std::string_view view = bytes(t.data);
    std::string keep(view);
    view = keep;
    EXPECT_EQ(hex(takeItem(view)), hex(bytes(t.payload)));
    EXPECT_EQ(hex(std::string(view)), hex(bytes(t.rest)));
  }

  ByteString four = std::string(130, 'x');
  ByteString out = "AB";
  appendItem(out, 3, four);
  EXPECT_EQ(hex(out.substr(0, 7)), "41 42 03 05 01 00 00");
  EXPECT_EQ(out.size(), 2u + 5 + 130);
  ByteString run = out.substr(2);
  EXPECT_EQ(takeItem(run), four);
  EXPECT_TRUE(run.empty());

  ByteString packed = bytes("01 02 03 04 05");
  EXPECT_EQ(hex(takeBytes(packed, 4)), "01 02 03 04");
  EXPECT_EQ(hex(takeBytes(packed, 4)), "05");
  EXPECT_EQ(takeBytes(packed, 4), "");

  EXPECT_EQ(countItems(""), 0u);
  EXPECT_EQ(countItems(bytes("01 00 01 02 41")), 2u);
  EXPECT_EQ(countItems(bytes("01 00 01")), 2u);  // a trailing fragment is an item
  EXPECT_EQ(countItems(bytes("01 7E")), 1u);
}
