// Sample records and a sample workspace, so that a newcomer can open every
// section editor on the first start. The values come from each row's codec,
// labels and checks, so a schema gets samples without code of its own; a
// section may add a hint (masks that suit it) in its row of the registry,
// editors/schemas/sections.def.
//
//   auto rec = sampleRecord(schema, 2);                // record 2 of 3
//   SampleReport r = writeSampleWorkspace("C:\\kessik\\");
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/node.h"
#include "editors/engine/schema.h"

namespace kessik {

// Records per section in the sample workspace.
inline constexpr int kSampleRecords = 3;

// The cell texts of sample record k (from 1) of the schema, before the
// editor's checks (which may still normalise them or set IDs).
std::vector<std::string> sampleTexts(const Schema& schema, int k);

struct SampleRecord {
  ByteString bytes;     // the record file
  std::string problem;  // cp1251; why no record could be made (bytes empty)
};
// Sample record k (from 1) with the mask `mask` (empty: the sample's own):
// built by the engine from sampleTexts after the editor's checks passed, as
// "Сохранить" would write it. Field type bytes are the field numbers unless
// the schema's hint says otherwise.
SampleRecord sampleRecord(const Schema& schema, int k, const std::string& mask = std::string());

struct SampleReport {
  int records = 0;    // record files written
  int templates = 0;  // template files written (record and sound element templates)
  int kept = 0;       // sections or templates left alone because they exist
  std::vector<std::string> problems;  // cp1251, one per section that failed
};

// Writes kSampleRecords records into every section that has a schema under
// programDir + "bases\database\" (the single-player databases) and
// programDir + "bases\databaselmp\" (the multiplayer ones), and one template
// "sample.zap" per section under programDir + "shablons\", and two sound
// element templates ("sample1.zap", "sample2.zap") under
// programDir + "shablons\ASounds\". Never overwrites a file: a section
// folder that already holds a record is left alone.
SampleReport writeSampleWorkspace(const std::string& programDir);

}  // namespace kessik
