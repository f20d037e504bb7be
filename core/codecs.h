// Field value codecs: the conversions between a field's bytes and the one
// line of text an editor shows for it, the checks a text must pass before it
// is encoded, and the item and run operations that cut a field payload into
// values. Every text here is cp1251; numbers use "," as decimal separator
// (their rules are in core/numbers.h).
//
// Each codec is one entry of the codec table (codecs.cpp): its name, width,
// decode, check, encode, message and sample value. A new codec is its
// enumerator below and its entry there; nothing else names codecs one by one.
//
// Typical use by a schema engine:
//   text  = decode(Codec::Float32, takeBytes(run, 4));
//   row   = checkRow(Codec::NameList, cellText);   // row.text goes back to the cell
//   if (!row.accepted) show(checkMessage(Codec::NameList));
//   auto e = encode(Codec::Int32, row.text);        // e.ok / e.bytes / e.error
//
// Nothing here reads past the end of a byte string, whatever the size codes
// or the widths say (see each function for what comes out then).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/node.h"
#include "core/numbers.h"

namespace kessik {

// ---------------------------------------------------------------------------
// The codecs

// Every codec, in the order of the codec table (codecs.cpp), where each one
// is described.
enum class Codec : std::uint8_t {
  Name,
  Int32,
  Int32Label,
  Float32,
  Ticks15,
  Ticks15f,
  Byte,
  Bool,
  Bitset30,
  NameList,
  Code4,
  Char1,
  Code4List,
  Raw,
  SoundList,
};

// "float32" -> Codec::Float32; nothing for an unknown name (also "maxlen").
std::optional<Codec> codecFromName(std::string_view name);
// Codec::Float32 -> "float32".
std::string_view codecName(Codec c);
// "maxlen 24" (or "maxlen24") -> 24; nothing for any other text.
std::optional<std::size_t> maxLenFromName(std::string_view name);

// The number of bytes a fixed-width codec takes from a packed run; 0 for the
// codecs whose value is the whole field or item.
std::size_t fixedWidth(Codec c);

// Raw and SoundList show a description, not their value: their text cannot be
// encoded back. For them encode() is the identity (pass the bytes you keep).
bool showsDescription(Codec c);

// A number with its label for int32label, e.g. {0, "     ELEMENTAL"}. The
// label is appended to the number as it stands (its five leading blanks
// included).
struct LabelEntry {
  std::int32_t value = 0;
  std::string label;  // cp1251
};
using LabelTable = std::vector<LabelEntry>;

// A text converted to bytes: ok, or the conversion message.
struct EncodeResult {
  bool ok = true;
  ByteString bytes;
  std::string error;  // cp1251, empty when ok
};

// The sample value of a codec for a row of a sample record.
struct SampleArgs {
  std::string_view word;               // the row's name as one word ("GeneralPrice")
  int record = 1;                      // the sample record, from 1
  int row = 0;                         // the row's index, so that numbers differ from row to row
  const LabelTable* labels = nullptr;  // int32label: the row's labels
};

// One codec, whole.
struct CodecEntry {
  Codec codec;
  std::string_view name;  // "float32"
  std::size_t width;      // bytes taken from a packed run; 0: the whole field or item
  bool describes;         // the cell describes the bytes (raw, soundlist): not encodable text
  bool list;              // a comma list: checked as typed, normalised, checked again
  std::string (*decode)(std::string_view bytes, const LabelTable* labels);
  bool (*check)(std::string_view text);
  EncodeResult (*encode)(std::string_view text, std::uint8_t itemType);
  std::string (*message)();  // the message of a refused check
  // A plausible text of the codec; for a codec that describes its bytes,
  // the bytes of a sample field instead.
  std::string (*sample)(const SampleArgs& args);
};

// The entry of a codec.
const CodecEntry& codecEntry(Codec c);

// Bytes -> text. Fixed-width codecs read their width from the front of the
// bytes; missing bytes count as 00, extra bytes are ignored. `labels` is used
// by int32label only (nullptr: every number shows alone).
std::string decode(Codec c, std::string_view bytes, const LabelTable* labels = nullptr);

// The codec's check of a text (see the per-codec notes in codecs.cpp). Raw and
// SoundList accept everything. For the lists this is the full check of the
// normalised text; editors use checkRow() for the three steps.
bool check(Codec c, std::string_view text);

// How a row's text fares when it is checked by the editor: for namelist and
// code4list the list check of the typed text, then normalisation (the cell
// takes `text`), then the full check; for every other codec `text` is the
// typed text and `accepted` is check().
struct RowCheck {
  bool accepted = false;
  std::string text;
};
RowCheck checkRow(Codec c, std::string_view text);

// Text -> bytes. When the text cannot be converted, ok is false, bytes empty
// and error holds the conversion message ("'12x' is not a valid integer
// value", "',' is not a valid floating point value", "Floating point
// overflow"). itemType is the type byte of the items namelist and code4list
// write. Callers check() first; encode of a refused text still never crashes.
EncodeResult encode(Codec c, std::string_view text, std::uint8_t itemType = 1);

// The message shown when the codec's check refuses a row (cp1251; the list
// messages hold CR line breaks).
std::string checkMessage(Codec c);
// "Выделенное поле имеет неправильный формат." (the message of most checks).
std::string formatMessage();

// The extra check "maxlen n": at most n characters; and its message.
bool checkMaxLen(std::string_view text, std::size_t n);
std::string maxLenMessage(std::size_t n);

// The descriptions shown for raw and soundlist fields.
std::string rawDescription(std::string_view bytes);
std::string soundListDescription(std::string_view payload);

// ---------------------------------------------------------------------------
// Item and run operations (values nested as nodes inside a field, or packed
// back to back). All are safe at the end of the data: a header cut short
// consumes what is left and yields an empty payload; a payload that runs past
// the end yields the bytes that exist; taking from an empty string yields an
// empty string.

// Removes the item node at the front (header and payload) and returns its
// payload; the item's type byte is ignored.
ByteString takeItem(std::string_view& data);
ByteString takeItem(ByteString& data);
// Appends an item node: type, size code of payload.size(), payload.
void appendItem(ByteString& out, std::uint8_t type, std::string_view payload);
// Removes the first n bytes (or all there are) and returns them.
ByteString takeBytes(std::string_view& data, std::size_t n);
ByteString takeBytes(ByteString& data, std::size_t n);
// The number of items takeItem() yields before the payload is used up.
std::uint32_t countItems(std::string_view payload);

// ---------------------------------------------------------------------------
// The list rules of namelist and code4list.

// Empty, or neither begins nor ends with "," and has no ",,".
bool isListText(std::string_view text);
// Removes every run of blanks directly after a ",".
std::string normaliseList(std::string_view text);

}  // namespace kessik
