// Field value codecs on arbitrary bytes and texts: decoding, checking and
// encoding never read out of bounds; a decoded text that passes its check
// encodes, and decodes back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/codecs.h"
#include "fuzz_support.h"

using namespace kessik;

namespace {

const LabelTable& labels() {
  static const LabelTable table = {{0, "     ZERO"}, {1, "     ONE"}, {-1, "     MINUS"}};
  return table;
}

void decodeSide(Codec c, std::string_view bytes) {
  std::string text = decode(c, bytes, &labels());
  RowCheck row = checkRow(c, text);
  if (showsDescription(c) || !row.accepted) return;
  EncodeResult e = encode(c, row.text);
  require(e.ok);
  std::string again = decode(c, e.bytes, &labels());
  if (row.text != text) return;  // normalised: the bytes may hold blanks after commas
  require(again == text);
  EncodeResult e2 = encode(c, again);
  require(e2.ok && e2.bytes == e.bytes);
}

void textSide(Codec c, std::string_view text) {
  bool ok = check(c, text);
  RowCheck row = checkRow(c, text);
  if (c != Codec::NameList && c != Codec::Code4List) require(row.accepted == ok && row.text == text);
  EncodeResult e = encode(c, text);
  require(e.ok || (e.bytes.empty() && !e.error.empty()));
  if (e.ok && fixedWidth(c) != 0) require(e.bytes.size() == fixedWidth(c));
  if (!ok) return;
  // An accepted text fails only by range (integers, floats); the others
  // always encode.
  switch (c) {
    case Codec::Int32:
    case Codec::Int32Label:
    case Codec::Ticks15:
    case Codec::Float32:
    case Codec::Ticks15f:
      break;
    default:
      require(e.ok);
  }
  // Encoding what the bytes show gives the same bytes again (texts with 00
  // bytes in them are cut at the 00 when shown).
  if (!e.ok || showsDescription(c) || c == Codec::Float32 || c == Codec::Ticks15f) return;
  if (text.find('\0') != std::string_view::npos) return;
  EncodeResult again = encode(c, decode(c, e.bytes, &labels()));
  require(again.ok && again.bytes == e.bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (int i = 0; i <= static_cast<int>(Codec::SoundList); ++i) {
    auto c = static_cast<Codec>(i);
    decodeSide(c, input);
    textSide(c, input);
  }

  // Items: taking until empty takes as many as countItems says, each within
  // the input.
  std::string_view run = input;
  std::uint32_t n = 0;
  std::size_t taken = 0;
  while (!run.empty()) {
    std::size_t before = run.size();
    taken += takeItem(run).size();
    require(run.size() < before);
    ++n;
  }
  require(n == countItems(input));
  require(taken <= input.size());

  // Number rules on the input's first eight bytes as a double.
  if (size >= 8) {
    double v;
    std::memcpy(&v, data, 8);
    std::string text = formatNumber(v);
    auto back = parseNumber(text);
    if (back && text.find('E') == std::string::npos) require(formatNumber(*back) == text);
  }
  // The float display's quick path gives the long way's text.
  if (size >= 4) {
    float f;
    std::memcpy(&f, data, 4);
    require(formatFloat32(f) == formatFloat32Exactly(f));
  }
  checkMaxLen(input, 24);
  normaliseList(input);
  return 0;
}
