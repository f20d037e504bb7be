// The record object: one record node (type 01, size code, field nodes), its
// fields by number from 1.
//
//   TZapisBaziZm z;
//   z.Parse(file.data(), file.Size());
//   ByteString v = z.GetField(3);          // error dialog + "ERROR!" when missing
//   z.SetField(3, n, newBytes);
//   z.Rebuild();                          // z.Bytes is the record file again
//
// Malformed records never make it read past the end of its data:
// - Parse clamps a Length larger than the bytes given (or below 0) to the
//   bytes given; a Length that leaves no payload gives no fields.
// - A field whose size code runs past the end of the payload counts as a
//   field (the last one); GetField returns the payload bytes that exist and
//   LastFieldLength their count; SetField copies such a field's bytes
//   unchanged (unless it is the field being replaced). A field whose header
//   itself is cut short (a type byte alone, or a four-byte size code missing
//   bytes) counts likewise, with no payload bytes.
// - SetField with a length beyond the bytes given (or below 0) writes the
//   bytes given.
// FieldOrNothing and FieldIntact tell such fields apart quietly.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/node.h"

namespace kessik {

class TZapisBaziZm {
 public:
  ByteString Bytes;                // the record node as parsed or last built
  ByteString Payload;              // the field nodes
  std::int32_t Length = 0;         // bytes of Bytes used by Parse, or built by Rebuild
  std::int32_t FieldCount = 0;     // field nodes found by Parse
  std::uint32_t PayloadLength = 0; // length of Payload
  bool Parsed = false;
  bool Built = false;
  std::int32_t LastFieldLength = 0; // payload length of the field GetField last returned

  // Loads the object from a record node: the first `length` bytes of `bytes`.
  void Parse(std::string_view bytes, std::int64_t length);
  void Parse(std::string_view bytes) { Parse(bytes, static_cast<std::int64_t>(bytes.size())); }

  // The payload of field n (from 1). A missing field shows the error dialog
  // "Неправильный номер поля базы!" and returns "ERROR!".
  ByteString GetField(int n);

  // Replaces the payload of field n by the first `length` of `bytes`; keeps
  // every field's type byte and every other field byte for byte. A missing n
  // leaves the payload as it is. Bytes and Length wait for Rebuild.
  void SetField(int n, std::int64_t length, std::string_view bytes);
  void SetField(int n, std::string_view bytes) { SetField(n, static_cast<std::int64_t>(bytes.size()), bytes); }

  // Bytes := 01, the size code of the payload, the payload.
  void Rebuild();

  // Quiet accessors for the editors: the payload of field n, nothing when the
  // field is missing or its payload runs past the end of the record.
  std::optional<ByteString> FieldOrNothing(int n) const;
  // The payloads of fields 1 .. FieldCount in one pass, each as
  // FieldOrNothing gives it (nothing for a field cut short): views into
  // Payload, valid until it changes.
  std::vector<std::optional<std::string_view>> FieldViews() const;
  // True when field n exists and its header and payload lie inside the payload.
  bool FieldIntact(int n) const;
  // The type byte of field n, nothing when it is missing.
  std::optional<std::uint8_t> FieldType(int n) const;
  // True when every field of the payload is intact.
  bool FieldsIntact() const;
};

}  // namespace kessik
