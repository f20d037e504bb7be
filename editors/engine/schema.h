// Section schemas and the engine that reads, checks and writes a record by
// its schema. A schema is data: a table of rows (the field name shown, where
// the value lives, its codec, its check and message, its row button) plus a
// few named rules that a row table cannot say (IDs set from a type name,
// min/max pairs, the record-number field). Schema files declare them as
// static tables (RowDef, SchemaDef below). The engine is generic: nothing in
// it knows a section.
//
// Texts are cp1251. Row numbers in the engine's interface are 0-based
// indices into Schema::rows (row 1 of a section is index 0).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/codecs.h"
#include "core/node.h"

namespace kessik {

class TZapisBaziZm;

// ---------------------------------------------------------------------------
// The data model

// Where a row's value lives in the record.
enum class Where : std::uint8_t {
  Field,     // the whole payload of field `field`
  Item,      // item `item` (from 1) of field `field`, items taken front to back
  Bytes,     // bytes `from`..`to` (from 1, inclusive) of field `field`, a packed run
  NamePart,  // the first `to` characters of the name held in field `field`,
             // shown with every blank removed, written padded with blanks
  DescPart,  // the characters of that name after the first `to`
};

struct Place {
  Where where = Where::Field;
  int field = 1;
  int item = 0;
  int from = 0;
  int to = 0;
};

constexpr Place fieldAt(int n) { return {Where::Field, n, 0, 0, 0}; }
constexpr Place itemAt(int n, int k) { return {Where::Item, n, k, 0, 0}; }
constexpr Place bytesAt(int n, int a, int b) { return {Where::Bytes, n, 0, a, b}; }
constexpr Place namePartOf(int n, int width) { return {Where::NamePart, n, 0, 0, width}; }
constexpr Place descPartOf(int n, int width) { return {Where::DescPart, n, 0, 0, width}; }

enum class CheckKind : std::uint8_t {
  Codec,         // the codec's check (list codecs: check, normalise, check again)
  None,          // any text
  Mask,          // the mask row: unique among the section's masks (see MaskRule)
  MaxLen,        // at most Row::maxLen characters
};

enum class RowButton : std::uint8_t {
  None,
  Raw,        // the raw value dialog over the row's slot
  Chooser,    // the value chooser over the row's labels
  SoundList,  // the sound list editor over the row's slot
};

// A row as the engine works with it (buildSchema() makes them of the
// declared RowDefs).
struct Row {
  std::string name;  // cp1251, exactly as the first column shows it
  Place place;
  Codec codec = Codec::Name;
  CheckKind check = CheckKind::Codec;
  std::string message;  // cp1251; empty: the check's standard message
  std::size_t maxLen = 0;          // for CheckKind::MaxLen
  std::uint8_t itemType = 1;       // type byte written for an Item row
  RowButton button = RowButton::None;
  const LabelTable* labels = nullptr;  // int32label labels; the chooser's list
  // The field's bytes are kept in a slot outside the table (raw and sound
  // rows, and number rows that can also be loaded from a file). The cell
  // shows the codec's text of the slot; a number row whose text differs from
  // its slot's number replaces the slot when the record is built.
  bool slot = false;
};

// A row with the usual check of its codec and no button.
inline Row makeRow(std::string name, Place place, Codec codec, CheckKind check = CheckKind::Codec) {
  Row r;
  r.name = std::move(name);
  r.place = place;
  r.codec = codec;
  r.check = check;
  return r;
}

enum class MaskRule : std::uint8_t {
  Unique,      // a warning per repetition at the scan; unique on save and create
  Repeatable,  // masks may repeat: no warning, no check, lists in step by position
};

// The rules as the engine works with them, their rows found by index
// (buildSchema() finds them by the names the declarations give).

// A type name in one row sets the ID in another row before the record is
// built (exact comparison, with case); other names leave the ID as typed.
struct TypeIdRule {
  int typeRow = 0;  // 0-based
  int idRow = 0;
  std::vector<std::pair<std::string, std::int32_t>> ids;
};

// A minimum and a maximum stored as the minimum and the spread, both divided
// by `scale`: the min row shows the min field's float32 text times scale, the
// max row shows the spread field's float32 text times scale plus the min row.
struct MinMaxRule {
  int minRow = 0;  // 0-based; both rows are whole float32 fields
  int maxRow = 0;
  double scale = 1;
};

// A row that must hold the record's own number plus `offset` (offset -1: the
// index, as Materials; 0: the number, as Quests). The scan writes it into
// each record whose field differs; saving refuses any other value.
struct RecordNumberRule {
  int row = 0;  // 0-based; an int32 whole-field row
  int offset = 0;
  std::string message;  // cp1251, the expected value is appended
};

struct Schema {
  std::string folder;  // the section's folder below the source and template roots, ending in a backslash
  std::vector<Row> rows;  // row 1 (index 0) is the mask
  MaskRule masks = MaskRule::Unique;
  std::string freeMask;  // a mask exempt from uniqueness ("dummy"); lists by position then
  std::vector<TypeIdRule> typeIds;
  std::vector<MinMaxRule> minMax;
  std::optional<RecordNumberRule> recordNumber;

  // Masks may repeat in the record list: no scan warning, lists by position.
  bool masksMayRepeat() const { return masks == MaskRule::Repeatable || !freeMask.empty(); }
  // The fields the engine writes, ascending.
  std::vector<int> writtenFields() const;
  bool hasButtonRows() const;
};

// ---------------------------------------------------------------------------
// Declaring a schema
//
// A schema file declares its sections as static tables: one table of rows,
// each row whole on its own line, and the rules, which name the rows they tie
// by the rows' names. Texts there are UTF-8 literals, row names exactly as
// the first column shows them; buildSchema() turns a declaration into the
// Schema the engine works with.
//
//   constexpr RowDef kRows[] = {
//       // name, place, codec, check, button, item type, labels, maxlen
//       {"Name", fieldAt(1), Codec::Name, CheckKind::Mask},
//       {"Scale", fieldAt(4), Codec::Float32},
//       {"Unknown1", fieldAt(5), Codec::Raw, CheckKind::None, RowButton::Raw},
//   };
//   constexpr MinMaxDef kDamage[] = {{"Damage Min", "Damage Max", 10}};
//   extern const SchemaDef swords = {.rows = kRows, .minMax = kDamage};

struct RowDef {
  const char* name;  // UTF-8
  Place place;
  Codec codec = Codec::Name;
  CheckKind check = CheckKind::Codec;
  // A Raw or SoundList button keeps the field's bytes in the row's slot.
  RowButton button = RowButton::None;
  std::uint8_t itemType = 1;           // the type byte an Item row is written with
  const LabelTable* labels = nullptr;  // int32label: the labels and the chooser's list
  std::size_t maxLen = 0;              // CheckKind::MaxLen
};

// One row table of several, in order: for rows that sections share.
template <std::size_t... N>
consteval std::array<RowDef, (N + ...)> joinRows(const RowDef (&... parts)[N]) {
  std::array<RowDef, (N + ...)> out{};
  std::size_t at = 0;
  ((std::copy(parts, parts + N, out.begin() + at), at += N), ...);
  return out;
}

struct TypeId {
  const char* name;  // compared exactly, with case
  std::int32_t id;
};
struct TypeIdDef {
  const char* typeRow;  // the row holding the type name
  const char* idRow;    // the row that takes the type's ID
  std::span<const TypeId> ids;
};
struct MinMaxDef {
  const char* minRow;
  const char* maxRow;
  double scale = 1;
};
struct RecordNumberDef {
  const char* row;
  int offset = 0;
  const char* message;  // UTF-8; the expected value is appended
};

struct SchemaDef {
  std::span<const RowDef> rows;  // row 1 is the mask
  MaskRule masks = MaskRule::Unique;
  const char* freeMask = "";
  std::span<const TypeIdDef> typeIds = {};
  std::span<const MinMaxDef> minMax = {};
  const RecordNumberDef* recordNumber = nullptr;
};

// The Schema of a declaration, with its folder below the source and template
// roots. A rule that names no row, and two rows of one name, are faults of
// the declaration (std::logic_error).
Schema buildSchema(const SchemaDef& def, std::string folder);

// ---------------------------------------------------------------------------
// The engine

// A record read by its schema: one cell text per row, whether the row could
// be read, and the slots of the slot rows.
struct RecordView {
  std::vector<std::string> texts;
  std::vector<bool> readable;
  std::vector<ByteString> slotData;  // one per row; used by slot rows only
  // What decodeRecord read, per row: the cell text and the bytes the value
  // came from (the item's payload, the run, the whole field; for the name
  // and description parts the whole field). A row whose text still equals
  // its loaded text is untouched: encodeRecord writes its loaded bytes back
  // as they were, so a display that rounds (ticks15, float32) never changes
  // a value the user did not edit. Empty for a view built by hand: every
  // row is then encoded from its text.
  std::vector<std::string> loadedTexts;
  std::vector<ByteString> loadedBytes;

  // True when the row's text is the one it was loaded with.
  bool untouched(int row) const;
};

// Reads every row of the record. A row whose field is missing, or whose item
// or bytes lie past the end of its field, cannot be read: its cell says so,
// and every row of that field is marked unreadable so that the field keeps
// its bytes when the record is written. TextsOnly fills in the texts and
// readable alone (all a table of many records shows), leaving the slots and
// what was loaded empty: such a view is not for encodeRecord.
enum class DecodeParts : std::uint8_t { All, TextsOnly };
RecordView decodeRecord(const Schema& schema, TZapisBaziZm& record, DecodeParts parts = DecodeParts::All);

// The text of a cell whose row could not be read.
std::string unreadableText(int field, bool fieldMissing);

// What the checks need to know about the record list.
struct CheckContext {
  int recordIndex = 0;  // the loaded record's list index (record number - 1)
  // True when the mask may be given to the loaded record (MaskUniqueExcept
  // for the record's own list item, with the schema's mask rule).
  std::function<bool(const std::string& mask)> maskAllowed;
};

struct RowFailure {
  int row = 0;  // 0-based
  std::string message;
  std::string expected;  // cp1251; set where the check knows it better than the row does
};

// Checks every readable row in row order; fills in what the checks change
// (normalised lists, IDs from type names) in view.texts. An untouched row is
// checked but its text is not normalised (its bytes are kept); a section
// rule (an ID from a type name) still sets its text. Returns the failing
// rows in row order.
std::vector<RowFailure> checkRows(const Schema& schema, RecordView& view, const CheckContext& context);

// The message of a failed check of a row.
std::string rowMessage(const Schema& schema, int row);

struct BuildResult {
  bool ok = true;
  int row = -1;       // 0-based: the row whose value could not be converted
  std::string error;  // cp1251 conversion message when not ok
};

// Encodes the rows (which passed checkRows) and replaces the written fields
// of the record, then rebuilds its bytes. Fields whose rows could not be read
// and fields no row names keep their bytes. An untouched row keeps the value
// bytes it was loaded from (an item still gets the schema's type byte); the
// maximum of a min/max pair only while its minimum is untouched too. Slot
// rows may update their slot. Nothing changes in the record when a
// conversion fails.
BuildResult encodeRecord(const Schema& schema, RecordView& view, TZapisBaziZm& record);

// A record's mask: field 1 less its last byte (empty when there is none).
std::string maskOf(TZapisBaziZm& record);
// Replaces field 1 with the name encoding of the text.
void setMask(TZapisBaziZm& record, const std::string& mask);

// The chooser's list of a Chooser row (each entry followed by CR) and its
// start index for the row's current text.
std::string chooserEntries(const Row& row);
int chooserIndex(const Row& row, const std::string& text);

// Applies the record-number rule to record k (from 1): true when the field
// was changed (the record is then rebuilt).
bool applyRecordNumber(const Schema& schema, TZapisBaziZm& record, int recordNumber);

}  // namespace kessik
