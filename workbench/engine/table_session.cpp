#include "workbench/engine/table_session.h"

#include <algorithm>
#include <utility>
#include <unordered_map>

#include "core/codecs.h"
#include "core/record.h"
#include "platform/host.h"
#include "util/cp1251.h"

namespace kessik {

namespace {

// The row whose text its codec cannot convert, for a build that failed
// after the checks passed; `preferred` when it is one of them.
int unconvertibleRow(const Schema& schema, const RecordView& view, int preferred) {
  auto fails = [&](int r) {
    const Row& row = schema.rows[r];
    return view.readable[r] && !showsDescription(row.codec) && !view.untouched(r) &&
           !encode(row.codec, view.texts[r], row.itemType).ok;
  };
  if (preferred >= 0 && fails(preferred)) return preferred;
  for (int r = 0; r < static_cast<int>(schema.rows.size()); ++r)
    if (fails(r)) return r;
  return preferred >= 0 ? preferred : 0;
}

}  // namespace

std::string refusalMessage(const Schema& schema, int row, const std::string& message, const std::string& text) {
  return message + "\n" + schema.rows[row].name + ": " + ru("«") + text + ru("»");
}

TableSession::TableSession(SectionSnapshot snapshot) : snap_(std::move(snapshot)) {}

int TableSession::recordOf(const std::string& file) const {
  for (int i = 0; i < recordCount(); ++i)
    if (snap_.records[i].file == file) return i;
  return -1;
}

std::string_view TableSession::text(int record, int row) const {
  if (auto it = current_.find(record); it != current_.end()) return it->second[row];
  return snap_.records[record].texts[row];
}

std::string_view TableSession::loadedText(int record, int row) const { return snap_.records[record].texts[row]; }

bool TableSession::edited(int record, int row) const {
  auto it = current_.find(record);
  return it != current_.end() && it->second[row] != snap_.records[record].texts[row];
}

bool TableSession::recordEdited(int record) const { return current_.count(record) > 0; }

int TableSession::editedRecords() const { return static_cast<int>(current_.size()); }

std::vector<int> TableSession::editedRecordList() const {
  std::vector<int> out;
  for (const auto& [record, texts] : current_) out.push_back(record);
  std::sort(out.begin(), out.end());
  return out;
}

bool TableSession::editable(int record, int row) const {
  if (record < 0 || record >= recordCount() || row < 0 || row >= rowCount()) return false;
  return snap_.records[record].readable(row) && !showsDescription(schema().rows[row].codec);
}

const std::string& TableSession::maskOf(int record) const {
  if (auto it = current_.find(record); it != current_.end() && snap_.records[record].readable(0))
    return it->second[0];
  return snap_.records[record].mask;
}

std::vector<std::string> TableSession::currentTexts(int record) const {
  if (auto it = current_.find(record); it != current_.end()) return it->second;
  return snap_.records[record].texts.strings();
}

std::unordered_map<std::string, int>& TableSession::maskCounts() const {
  if (!maskCounts_) {
    maskCounts_.emplace();
    maskCounts_->reserve(snap_.records.size());
    for (int i = 0; i < recordCount(); ++i) ++(*maskCounts_)[maskOf(i)];
  }
  return *maskCounts_;
}

// MaskUniqueExcept over the masks as the section stands, with the schema's
// rule, in one look-up.
bool TableSession::maskFree(const std::string& mask, int record) const {
  const Schema& s = schema();
  if (s.masks == MaskRule::Repeatable) return true;
  if (!s.freeMask.empty() && mask == s.freeMask) return true;
  const auto& counts = maskCounts();
  auto it = counts.find(mask);
  int others = it == counts.end() ? 0 : it->second;
  if (record >= 0 && record < recordCount() && maskOf(record) == mask) --others;
  return others <= 0;
}

TableSession::Proposal TableSession::propose(int record, int row, const std::string& text) const {
  Proposal p;
  if (!editable(record, row)) {
    p.message = ru("Поле «") + schema().rows[row].name + ru("» в таблице не меняется: оно меняется кнопкой в окне раздела.");
    return p;
  }
  const SnapshotRecord& rec = snap_.records[record];
  TZapisBaziZm object;
  RecordView view = decodeSnapshotRecord(schema(), rec.bytes, record + 1, object);
  view.texts = currentTexts(record);
  view.texts[row] = text;
  CheckContext context;
  context.recordIndex = record;
  context.maskAllowed = [&](const std::string& mask) { return maskFree(mask, record); };
  for (const RowFailure& f : checkRows(schema(), view, context)) {
    if (f.row != row) continue;  // another row's trouble is said when saving
    p.message = refusalMessage(schema(), row, f.message, text);
    return p;
  }
  // A text that passes the check may still not convert (a number beyond
  // 32 bits): refused now rather than at saving.
  BuildResult built = encodeRecord(schema(), view, object);
  if (!built.ok) {
    p.message = refusalMessage(schema(), unconvertibleRow(schema(), view, row), built.error, text);
    return p;
  }
  p.accepted = true;
  const std::vector<std::string> before = currentTexts(record);
  for (int r = 0; r < rowCount(); ++r)
    if (view.texts[r] != before[r]) p.changes.push_back({record, r, before[r], view.texts[r]});
  return p;
}

void TableSession::apply(const std::vector<CellChange>& changes, bool undo) {
  auto set = [&](const CellChange& c) {
    const bool maskCell = c.row == 0 && maskCounts_;
    if (maskCell) --(*maskCounts_)[maskOf(c.record)];
    auto it = current_.find(c.record);
    if (it == current_.end()) it = current_.emplace(c.record, snap_.records[c.record].texts.strings()).first;
    it->second[c.row] = undo ? c.before : c.after;
    failures_.erase({c.record, c.row});
    if (snap_.records[c.record].texts.same(it->second)) current_.erase(it);
    if (maskCell) ++(*maskCounts_)[maskOf(c.record)];
  };
  if (undo)
    std::for_each(changes.rbegin(), changes.rend(), set);
  else
    std::for_each(changes.begin(), changes.end(), set);
}

SaveBuild TableSession::buildChanges() const {
  SaveBuild b;
  b.records = editedRecordList();
  const Schema& s = schema();
  for (int record : b.records) {
    const SnapshotRecord& rec = snap_.records[record];
    TZapisBaziZm object;
    RecordView view = decodeSnapshotRecord(s, rec.bytes, record + 1, object);
    view.texts = current_.at(record);
    CheckContext context;
    context.recordIndex = record;
    context.maskAllowed = [&](const std::string& mask) { return maskFree(mask, record); };
    const std::vector<RowFailure> failures = checkRows(s, view, context);
    for (const RowFailure& f : failures) b.failures.push_back({record, f.row, f.message});
    if (!failures.empty()) continue;
    BuildResult built = encodeRecord(s, view, object);
    if (!built.ok) {
      b.failures.push_back({record, unconvertibleRow(s, view, -1), built.error});
      continue;
    }
    if (object.Bytes != rec.bytes) b.files.emplace(rec.file, object.Bytes);
  }
  return b;
}

std::vector<int> TableSession::changedSinceRead(const SaveBuild& build) const {
  std::vector<int> out;
  const auto host = platform::toHost(folder());
  for (int record : build.records) {
    const SnapshotRecord& rec = snap_.records[record];
    if (!build.files.count(rec.file)) continue;
    ByteString now;
    if (!host || platform::readWholeFile(*host / rec.file, now) != platform::ReadStatus::Ok || now != rec.bytes)
      out.push_back(record);
  }
  return out;
}

void TableSession::markFailures(const std::vector<CellFailure>& failures) {
  for (const CellFailure& f : failures) failures_[{f.record, f.row}] = f.message;
}

std::optional<std::string> TableSession::failure(int record, int row) const {
  auto it = failures_.find({record, row});
  if (it == failures_.end()) return std::nullopt;
  return it->second;
}

void TableSession::commitSaved(const SaveBuild& build) {
  for (int record : build.records) {
    SnapshotRecord& rec = snap_.records[record];
    if (auto it = build.files.find(rec.file); it != build.files.end()) {
      rec.bytes = it->second;
      decodeSnapshotBytes(schema(), record + 1, rec);
    }
    current_.erase(record);
  }
  failures_.clear();
  maskCounts_.reset();
}

void TableSession::revert() {
  current_.clear();
  failures_.clear();
  maskCounts_.reset();
}

bool TableSession::reloadRecord(int record) {
  if (record < 0 || record >= recordCount()) return false;
  SnapshotRecord fresh;
  if (!readSnapshotRecord(schema(), folder(), static_cast<std::uint64_t>(record) + 1, fresh)) return false;
  const SnapshotRecord before = std::exchange(snap_.records[record], std::move(fresh));
  maskCounts_.reset();
  if (auto it = current_.find(record); it != current_.end()) {
    // Only the cells that were edited stay edited; an edit of a row that can
    // no longer be read cannot stay.
    const SnapshotRecord& now = snap_.records[record];
    for (int r = 0; r < rowCount(); ++r)
      if (it->second[r] == before.texts[r] || !now.readable(r)) it->second[r] = now.texts[r];
    if (now.texts.same(it->second)) current_.erase(it);
  }
  return true;
}

std::vector<std::string> TableSession::adoptEdits(const TableSession& earlier) {
  std::unordered_map<std::string_view, std::vector<int>> byBytes, byMask;
  for (int i = 0; i < recordCount(); ++i) {
    byBytes[snap_.records[i].bytes].push_back(i);
    byMask[snap_.records[i].mask].push_back(i);
  }
  std::vector<std::string> lost;
  maskCounts_.reset();
  for (int old : earlier.editedRecordList()) {
    const SnapshotRecord& was = earlier.snap_.records[old];
    int found = -1;
    if (auto it = byBytes.find(was.bytes); it != byBytes.end()) {
      for (int i : it->second)
        if (!current_.count(i) && (found < 0 || snap_.records[i].file == was.file)) found = i;
    }
    if (found < 0) {
      if (auto it = byMask.find(was.mask); it != byMask.end() && it->second.size() == 1 && !current_.count(it->second[0]))
        found = it->second[0];
    }
    if (found < 0) {
      lost.push_back(was.file);
      continue;
    }
    // Only the cells that were edited carry over.
    std::vector<std::string> texts = earlier.current_.at(old);
    for (int r = 0; r < rowCount(); ++r)
      if (texts[r] == was.texts[r] || !snap_.records[found].readable(r)) texts[r] = snap_.records[found].texts[r];
    if (!snap_.records[found].texts.same(texts)) current_[found] = std::move(texts);
  }
  return lost;
}

// ---------------------------------------------------------------------------

void EditHistory::push(std::vector<CellChange> step) {
  if (step.empty()) return;
  steps_.resize(done_);
  steps_.push_back(std::move(step));
  done_ = steps_.size();
}

const std::vector<CellChange>* EditHistory::undo() {
  if (!canUndo()) return nullptr;
  return &steps_[--done_];
}

const std::vector<CellChange>* EditHistory::redo() {
  if (!canRedo()) return nullptr;
  return &steps_[done_++];
}

void EditHistory::clear() {
  steps_.clear();
  done_ = 0;
}

}  // namespace kessik
