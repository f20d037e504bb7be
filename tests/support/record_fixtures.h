// Building record files for the schema and section tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/codecs.h"
#include "core/node.h"
#include "core/record.h"

namespace kessik::test {

// A record node of fields given as (type byte, payload).
inline std::string recordOf(const std::vector<std::pair<int, std::string>>& fields) {
  std::string payload;
  for (const auto& [type, bytes] : fields) appendItem(payload, static_cast<std::uint8_t>(type), bytes);
  std::string out;
  appendItem(out, 1, payload);
  return out;
}

inline std::string nameBytes(const std::string& text) { return text + std::string(1, '\0'); }

inline std::string int32Bytes(std::int32_t v) {
  std::string out(4, '\0');
  auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
  return out;
}

inline std::string floatBytes(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return int32Bytes(static_cast<std::int32_t>(u));
}

// A field payload of items given as (type byte, payload).
inline std::string itemsOf(const std::vector<std::pair<int, std::string>>& items) {
  std::string out;
  for (const auto& [type, bytes] : items) appendItem(out, static_cast<std::uint8_t>(type), bytes);
  return out;
}

// A node of the given type around a payload, and a database file of section
// nodes (the database node and the trailer).
inline std::string node(std::uint8_t type, const std::string& payload) {
  std::string out;
  appendNodeHeader(out, type, payload.size());
  return out + payload;
}
inline std::string databaseFile(const std::string& sectionNodes) {
  return node(1, sectionNodes) + std::string(kDatabaseTrailer);
}

inline TZapisBaziZm parsed(const std::string& bytes) {
  TZapisBaziZm z;
  z.Parse(bytes);
  return z;
}

}  // namespace kessik::test
