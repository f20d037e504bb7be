// Field value codecs: the conversions between a field's bytes and the one
// line of text an editor shows for it, the checks a text must pass before it
// is encoded, and the item and run operations that cut a field payload into
// values. Every text here is cp1251; numbers use "," as decimal separator.
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

namespace kessik {

// ---------------------------------------------------------------------------
// The codecs

enum class Codec {
  Name,       // "name":       text + 00
  Int32,      // "int32":      4 bytes signed little-endian
  Int32Label, // "int32label": int32 shown with its label, "0     ELEMENTAL"
  Float32,    // "float32":    IEEE single, little-endian; "NAN"
  Ticks15,    // "ticks15":    int32 of the number x 15
  Ticks15f,   // "ticks15f":   int32 of round((v - 0.1) x 15 + 1)
  Byte,       // "byte":       1 byte, -128..255
  Bool,       // "bool":       1 byte, "0" / "1"
  Bitset30,   // "bitset30":   int32 mask shown as "1,3"
  NameList,   // "namelist":   items of names, shown as "a,b"
  Code4,      // "code4":      4 bytes padded with 00
  Char1,      // "char1":      4 bytes padded with 00, one character
  Code4List,  // "code4list":  items of code4, shown as "ab,c"
  Raw,        // "raw":        bytes shown as a description, edited via a file
  SoundList,  // "soundlist":  items shown as a count, edited in the sound editor
};

// "float32" -> Codec::Float32; nothing for an unknown name (also "maxlen").
std::optional<Codec> codecFromName(std::string_view name);
// Codec::Float32 -> "float32".
std::string_view codecName(Codec c);
// "maxlen 24" (or "maxlen24") -> 24; nothing for any other text.
std::optional<std::size_t> maxLenFromName(std::string_view name);

// The number of bytes a fixed-width codec takes from a packed run (4 for
// int32, int32label, float32, ticks15, ticks15f, bitset30, code4, char1; 1 for
// byte and bool); 0 for the codecs whose value is the whole field or item.
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
struct EncodeResult {
  bool ok = true;
  ByteString bytes;
  std::string error;  // cp1251, empty when ok
};
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
// The checks and number rules the codecs are made of, for schema hooks.

// Optional "-" then one or more digits, nothing else.
bool isIntegerText(std::string_view text);
// "NAN", or optional "-" then digits and at most one "," (at least one char).
bool isFloatText(std::string_view text);
// Empty, or neither begins nor ends with "," and has no ",,".
bool isListText(std::string_view text);
// Removes every run of blanks directly after a ",".
std::string normaliseList(std::string_view text);

// The decimal integer of the text when it fits 32 bits signed.
std::optional<std::int32_t> parseInt32(std::string_view text);
// A decimal number with "," (or ".") as separator: "5,", ",5", "-1,25".
// Nothing for a text that is no number (",", "-,", "1e5", "").
std::optional<double> parseNumber(std::string_view text);

// A number as the program itself shows it: every text parseNumber() reads,
// and what formatNumber() and formatFloat32() write besides: E notation
// ("5E-6,0", "1,5E-6", "3,40282346638529E38"), "NAN", "INF" and "-INF".
// Nothing for any other text.
std::optional<double> parseShownNumber(std::string_view text);

// The general number format: 15 significant digits, "," as separator,
// trailing zeros dropped, fixed when 0.00001 <= |v| and at most 15 integer
// digits, else scientific ("5E-6", "1,5E20"); ",0" appended when there is no
// ",". NaN gives "NAN", infinities "INF" / "-INF".
std::string formatNumber(double v);
// The float32 display: seven-digit rounding, then formatNumber(). Integer
// parts of more than 15 digits are written out whole ("100000002004087734272,0"),
// so the text converts back to the same value.
std::string formatFloat32(float x);

}  // namespace kessik
