// Every section schema on arbitrary record bytes: decoding, checking and
// encoding never read out of bounds, never lose a field or change a type
// byte, and a record built once builds again to the same bytes. The first
// input byte picks the schema among all the program knows, so a schema is
// covered as soon as it is registered.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/record.h"
#include "editors/engine/schema.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/window_table.h"
#include "fuzz_support.h"
#include "util/notify.h"

using namespace kessik;

namespace {

const std::vector<const Schema*>& schemas() {
  static const std::vector<const Schema*> all = [] {
    std::vector<const Schema*> out;
    for (const WindowEntry& w : windowTable()) {
      const Schema* s = findSchema(w.schemaFolder);
      bool seen = false;
      for (const Schema* o : out) seen = seen || o == s;
      if (s && !seen) out.push_back(s);
    }
    return out;
  }();
  return all;
}

// Decodes, checks (every mask allowed) and encodes; false when the checks or
// a conversion refused the record.
bool roundTrip(const Schema& schema, TZapisBaziZm& record) {
  RecordView view = decodeRecord(schema, record);
  require(view.texts.size() == schema.rows.size() && view.readable.size() == schema.rows.size());
  CheckContext context;
  context.maskAllowed = [](const std::string&) { return true; };
  if (!checkRows(schema, view, context).empty()) return false;
  return encodeRecord(schema, view, record).ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::Silent silent;
  setNotifier(&silent);
  const auto& all = schemas();
  if (size < 1 || all.empty()) return 0;
  const Schema& schema = *all[data[0] % all.size()];
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  TZapisBaziZm record;
  record.Parse(bytes, static_cast<std::int64_t>(bytes.size()));
  const int fields = record.FieldCount;
  std::vector<std::optional<std::uint8_t>> types;
  for (int n = 1; n <= fields && n <= 64; ++n) types.push_back(record.FieldType(n));

  TZapisBaziZm built = record;
  if (!roundTrip(schema, built)) return 0;
  // The fields stay where they were, with their type bytes.
  TZapisBaziZm reread;
  reread.Parse(built.Bytes, built.Length);
  require(reread.FieldCount == fields);
  for (int n = 1; n <= fields && n <= 64; ++n) require(reread.FieldType(n) == types[n - 1]);

  // What was built once is what the table shows: building again changes
  // nothing.
  TZapisBaziZm again = reread;
  require(roundTrip(schema, again));
  require(again.Bytes == built.Bytes);
  return 0;
}
