// The sections the program knows, as editors/schemas/sections.def lists them:
// each section's database and number, its folder, its schema and the hints
// of its sample records. The window table (window_table.h) comes from the
// same rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editors/engine/schema.h"

namespace kessik {

// What the sample records of a section take besides the generic values of
// their codecs: masks that suit them (UTF-8; none: the mask row's name and
// the record's number), and the type bytes of their fields (field n gets
// entry n - 1; fields past the list get their number).
struct SampleHint {
  std::vector<const char*> masks;
  std::vector<std::uint8_t> fieldTypes;
};

struct SectionEntry {
  std::string database;  // the database file: "prints.db"
  int number = 0;        // the section in it, from 1
  std::string folder;    // below the source and template roots: the database's name and the number, each ending in a backslash
  Schema schema;         // its folder is `folder`
  SampleHint sample;
};

// Every section, in the order of the list (the menu order).
const std::vector<SectionEntry>& sections();

// The schema of a section folder, or nullptr when no section has it.
const Schema* findSchema(const std::string& schemaFolder);

// The section of a database file and number; nullptr when none is listed.
const SectionEntry* findSection(const std::string& database, int number);

// The section whose folder the schema has; nullptr when none has it.
const SectionEntry* sectionOf(const Schema& schema);

}  // namespace kessik
