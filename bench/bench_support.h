// Pieces the benchmarks share: a generated database and a changed sheet.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

#include "core/node.h"
#include "editors/engine/sheet.h"

namespace kessik::bench {

// A database file of sections 1 .. sections with recordsPerSection records
// each: mostly small records, some past 127 bytes (4-byte size codes), each
// a record node of field nodes, like the game's tables.
inline std::string generateDatabase(int sections, int recordsPerSection) {
  std::mt19937 rng(20261210);
  std::uniform_int_distribution<int> small(8, 120), large(128, 600), pick(0, 9), byte(0, 255);
  std::string nodes;
  for (int s = 1; s <= sections; ++s) {
    std::string records;
    for (int r = 0; r < recordsPerSection; ++r) {
      std::string payload;
      const int want = pick(rng) < 7 ? small(rng) : large(rng);
      while (static_cast<int>(payload.size()) < want) {
        std::string value(static_cast<std::size_t>(std::min(want - static_cast<int>(payload.size()), 60)), '\0');
        for (char& c : value) c = static_cast<char>(byte(rng));
        appendNodeHeader(payload, static_cast<std::uint8_t>(1 + payload.size() % 9), value.size());
        payload += value;
      }
      appendNodeHeader(records, 1, payload.size());
      records += payload;
    }
    appendNodeHeader(nodes, static_cast<std::uint8_t>(s), records.size());
    nodes += records;
  }
  std::string file;
  appendNodeHeader(file, 1, nodes.size());
  return file + nodes + std::string(kDatabaseTrailer);
}

// The Foot Prints sheet with every record's "Clear Weather Lifetime" raised
// by one, so that an import of it changes every record.
inline std::string everyLifetimePlusOne(const std::string& csv) {
  CsvParse p = parseCsv(csv);
  std::string out = csvLine(p.lines[0]);
  for (std::size_t l = 1; l < p.lines.size(); ++l) {
    p.lines[l][3] = std::to_string(std::stoi(p.lines[l][3]) + 1);
    out += csvLine(p.lines[l]);
  }
  return out;
}

}  // namespace kessik::bench
