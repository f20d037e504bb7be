// A record of a schema whose every value the table shows other than it is
// stored (rounded, cut, extra bytes, other item types inside a list), so that
// encoding the cells' texts again would change it: saving it without an edit
// proves that untouched values keep their bytes.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "editors/engine/schema.h"
#include "support/record_fixtures.h"

namespace kessik::test {

// Bytes that a row's cell shows other than they are stored, so that encoding
// the cell's text again would change them (rounded, cut, extra bytes, other
// item types inside a list). width: the run's width, 0 for a whole field or
// item.
inline std::string lossyValue(const Row& row, std::size_t width) {
  std::string v;
  switch (row.codec) {
    case Codec::Name:
      v = std::string("Ab\0x", 4);
      break;
    case Codec::Int32:
      v = int32Bytes(123) + "\x07";
      break;
    case Codec::Int32Label:
      v = int32Bytes(row.labels && !row.labels->empty() ? row.labels->front().value : 3) + "\x07";
      break;
    case Codec::Float32:
      v = floatBytes(1.2345678f);
      break;
    case Codec::Ticks15:
    case Codec::Ticks15f:
      v = int32Bytes(44);
      break;
    case Codec::Byte:
      v = "\x05\x09";
      break;
    case Codec::Bool:
      v = "\x07";
      break;
    case Codec::Bitset30:
      v = int32Bytes(5) + "\x01";
      break;
    case Codec::NameList:
      v = itemsOf({{3, nameBytes("a")}, {7, std::string("b\0x", 3)}});
      break;
    case Codec::Code4:
      v = std::string("AB\0Z", 4);
      break;
    case Codec::Char1:
      v = std::string("Q\0\0\x05", 4);
      break;
    case Codec::Code4List:
      v = itemsOf({{3, std::string("AB\0Z", 4)}, {9, std::string("CD\0\0", 4)}});
      break;
    case Codec::Raw:
      v = std::string("\x01\0\x03", 3);
      break;
    case Codec::SoundList:
      v = itemsOf({{2, "sound"}});
      break;
  }
  if (width) v.resize(width, '\0');
  return v;
}

// A record of the schema whose every value is lossy in the table; the rules'
// rows hold what their rules accept (the record number for record 1).
inline std::string lossyRecord(const Schema& schema) {
  std::map<int, std::vector<int>> byField;
  for (int i = 0; i < static_cast<int>(schema.rows.size()); ++i) byField[schema.rows[i].place.field].push_back(i);
  const int last = byField.empty() ? 1 : byField.rbegin()->first;
  std::vector<std::pair<int, std::string>> fields;
  for (int n = 1; n <= last; ++n) {
    std::string payload;
    auto it = byField.find(n);
    if (it != byField.end()) {
      std::vector<int> rows = it->second;
      const Row& first = schema.rows[rows.front()];
      auto value = [&](int r, std::size_t width) {
        for (const auto& m : schema.minMax)
          if (m.minRow == r || m.maxRow == r) return floatBytes(r == m.minRow ? 1.2345678f : 0.3333333f);
        if (schema.recordNumber && schema.recordNumber->row == r) return int32Bytes(1 + schema.recordNumber->offset);
        return lossyValue(schema.rows[r], width);
      };
      switch (first.place.where) {
        case Where::Field:
          payload = value(rows.front(), 0);
          break;
        case Where::Item:
          std::sort(rows.begin(), rows.end(),
                    [&](int a, int b) { return schema.rows[a].place.item < schema.rows[b].place.item; });
          for (int r : rows) appendItem(payload, schema.rows[r].itemType, value(r, 0));
          break;
        case Where::Bytes:
          for (int r : rows) {
            const Place& p = schema.rows[r].place;
            if (payload.size() < static_cast<std::size_t>(p.to)) payload.resize(p.to, '\0');
            payload.replace(p.from - 1, p.to - p.from + 1, value(r, p.to - p.from + 1));
          }
          break;
        case Where::NamePart:
        case Where::DescPart: {
          std::string name = "A B";  // shown without its blank
          name.resize(std::max(first.place.to, 3), ' ');
          payload = name + "De sc" + std::string("\0zz", 3);
          break;
        }
      }
    }
    fields.emplace_back(n, payload);
  }
  return recordOf(fields);
}

}  // namespace kessik::test
