#include "editors/engine/schema.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "core/record.h"
#include "util/cp1251.h"

namespace kessik {

std::vector<int> Schema::writtenFields() const {
  std::vector<int> out;
  for (const auto& r : rows)
    if (std::find(out.begin(), out.end(), r.place.field) == out.end()) out.push_back(r.place.field);
  std::sort(out.begin(), out.end());
  return out;
}

bool Schema::hasButtonRows() const {
  return std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.button != RowButton::None; });
}

namespace {

// The rows of each field, fields ascending, rows in row order: one sorted
// list of row indices cut into runs, so that a record is read without a
// container per field.
class RowsByField {
 public:
  explicit RowsByField(const Schema& schema) : order_(schema.rows.size()) {
    // Rows mostly stand in field order already: an insertion sort, stable
    // and without a buffer.
    auto fieldOf = [&](int r) { return schema.rows[r].place.field; };
    for (std::size_t i = 0; i < order_.size(); ++i) {
      std::size_t j = i;
      for (; j > 0 && fieldOf(order_[j - 1]) > fieldOf(static_cast<int>(i)); --j) order_[j] = order_[j - 1];
      order_[j] = static_cast<int>(i);
    }
    runs_.reserve(order_.size());
    std::size_t begin = 0;
    for (std::size_t i = 1; i <= order_.size(); ++i) {
      if (i < order_.size() && schema.rows[order_[i]].place.field == schema.rows[order_[begin]].place.field) continue;
      runs_.emplace_back(schema.rows[order_[begin]].place.field,
                         std::span<const int>(order_.data() + begin, i - begin));
      begin = i;
    }
  }
  RowsByField(const RowsByField&) = delete;
  RowsByField& operator=(const RowsByField&) = delete;
  // (field, its rows) in field order.
  auto begin() const { return runs_.begin(); }
  auto end() const { return runs_.end(); }

 private:
  std::vector<int> order_;
  std::vector<std::pair<int, std::span<const int>>> runs_;
};

const MinMaxRule* minMaxOf(const Schema& schema, int row) {
  for (const auto& m : schema.minMax)
    if (m.minRow == row || m.maxRow == row) return &m;
  return nullptr;
}

std::string decimal(std::int64_t v) { return std::to_string(v); }

// The items of a field payload, front to back; stops at the first item that
// does not lie whole inside the payload.
struct Items {
  std::vector<std::string_view> payloads;
  bool clean = true;  // every byte of the field belongs to a whole item
};

Items splitItems(std::string_view data) {
  Items out;
  std::size_t pos = 0;
  while (pos < data.size()) {
    auto h = readNodeHeader(data, pos);
    if (!h || !fitsIn(*h, data, pos)) {
      out.clean = false;
      break;
    }
    out.payloads.push_back(data.substr(pos + h->headerSize, h->payloadLength));
    pos += h->headerSize + h->payloadLength;
  }
  return out;
}

// True when a value of the codec can be read from these bytes as a whole.
bool enoughFor(Codec c, std::string_view bytes) {
  if (c == Codec::NameList || c == Codec::Code4List) return splitItems(bytes).clean;
  return bytes.size() >= fixedWidth(c);
}

std::string removeBlanks(std::string_view s) {
  std::string out;
  for (char c : s)
    if (c != ' ') out += c;
  return out;
}

void appendFloat32(ByteString& out, float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  for (int i = 0; i < 4; ++i) out += static_cast<char>((u >> (8 * i)) & 0xFF);
}

// A float32 field from a computed value; the texts that gave it are known to
// be numbers or "NAN".
EncodeResult float32Of(double v) {
  EncodeResult r;
  if (std::isnan(v)) {
    r.bytes = std::string(4, '\xFF');
    return r;
  }
  if (std::fabs(v) > std::numeric_limits<float>::max()) {
    r.ok = false;
    r.error = "Floating point overflow";
    return r;
  }
  appendFloat32(r.bytes, static_cast<float>(v));
  return r;
}

// The number of a cell: any text the table itself shows ("5E-6,0", "NAN",
// "-0,0") or a user may type; nothing for no number.
std::optional<double> cellNumber(const std::string& text) { return parseShownNumber(text); }

}  // namespace

Schema buildSchema(const SchemaDef& def, std::string folder) {
  auto text = [&](const char* utf8) {
    auto t = utf8ToCp1251(utf8 ? utf8 : "");
    if (!t) throw std::logic_error(folder + ": not a cp1251 text: " + utf8);
    return *t;
  };
  Schema s;
  s.folder = std::move(folder);
  for (const RowDef& d : def.rows) {
    Row r = makeRow(text(d.name), d.place, d.codec, d.check);
    r.button = d.button;
    r.slot = d.button == RowButton::Raw || d.button == RowButton::SoundList;
    r.itemType = d.itemType;
    r.labels = d.labels;
    r.maxLen = d.maxLen;
    for (const Row& earlier : s.rows)
      if (earlier.name == r.name) throw std::logic_error(s.folder + ": two rows named " + d.name);
    s.rows.push_back(std::move(r));
  }
  auto row = [&](const char* name) {
    const std::string n = text(name);
    for (int i = 0; i < static_cast<int>(s.rows.size()); ++i)
      if (s.rows[i].name == n) return i;
    throw std::logic_error(s.folder + ": a rule names no row " + name);
  };
  s.masks = def.masks;
  s.freeMask = text(def.freeMask);
  for (const TypeIdDef& t : def.typeIds) {
    TypeIdRule rule{row(t.typeRow), row(t.idRow), {}};
    for (const TypeId& id : t.ids) rule.ids.emplace_back(text(id.name), id.id);
    s.typeIds.push_back(std::move(rule));
  }
  for (const MinMaxDef& m : def.minMax) s.minMax.push_back({row(m.minRow), row(m.maxRow), m.scale});
  if (def.recordNumber)
    s.recordNumber = RecordNumberRule{row(def.recordNumber->row), def.recordNumber->offset, text(def.recordNumber->message)};
  return s;
}

std::string unreadableText(int field, bool fieldMissing) {
  // Converted once: a damaged section shows these in many cells.
  static const std::string missingHead = ru("<не прочитано: в записи нет поля ");
  static const std::string missingTail = ru("; поле не будет записано>");
  static const std::string damagedHead = ru("<не прочитано: поле ");
  static const std::string damagedTail = ru(" повреждено или короче, чем нужно; оно сохранится как было>");
  if (fieldMissing) return missingHead + decimal(field) + missingTail;
  return damagedHead + decimal(field) + damagedTail;
}

bool RecordView::untouched(int row) const {
  return row >= 0 && static_cast<std::size_t>(row) < loadedTexts.size() &&
         static_cast<std::size_t>(row) < loadedBytes.size() && static_cast<std::size_t>(row) < texts.size() &&
         texts[row] == loadedTexts[row];
}

RecordView decodeRecord(const Schema& schema, TZapisBaziZm& record, DecodeParts parts) {
  const int n = static_cast<int>(schema.rows.size());
  const bool whole = parts == DecodeParts::All;
  RecordView view;
  view.texts.assign(n, std::string());
  view.readable.assign(n, true);
  if (whole) {
    view.slotData.assign(n, ByteString());
    view.loadedBytes.assign(n, ByteString());
  }
  // Every field found once; each row's value is a view into its field.
  const std::vector<std::optional<std::string_view>> fields = record.FieldViews();

  for (const auto& [field, rows] : RowsByField(schema)) {
    std::optional<std::string_view> payload;
    if (field >= 1 && static_cast<std::size_t>(field) <= fields.size()) payload = fields[field - 1];
    bool missing = field < 1 || field > record.FieldCount;
    if (missing) record.GetField(field);  // the record object reports the missing field
    bool ok = payload.has_value();
    std::string_view data = ok ? *payload : std::string_view();
    Items items;
    bool itemsSplit = false;
    std::optional<std::string> name;
    auto nameOfField = [&]() -> const std::string& {
      if (!name) name = decode(Codec::Name, data);
      return *name;
    };

    // First read every row of the field; one unreadable row marks them all.
    for (int r : rows) {
      if (!ok) break;
      const Row& row = schema.rows[r];
      std::string_view bytes;
      switch (row.place.where) {
        case Where::Field:
          bytes = data;
          break;
        case Where::Item: {
          if (!itemsSplit) {
            items = splitItems(data);
            itemsSplit = true;
          }
          int k = row.place.item;
          if (k < 1 || k > static_cast<int>(items.payloads.size())) {
            ok = false;
            break;
          }
          bytes = items.payloads[k - 1];
          break;
        }
        case Where::Bytes: {
          int a = row.place.from, b = row.place.to;
          if (a < 1 || b < a || static_cast<std::size_t>(b) > data.size()) {
            ok = false;
            break;
          }
          bytes = data.substr(a - 1, b - a + 1);
          break;
        }
        case Where::NamePart: {
          if (whole) view.loadedBytes[r] = ByteString(data);
          const std::string& text = nameOfField();
          view.texts[r] = removeBlanks(std::string_view(text).substr(0, std::min<std::size_t>(row.place.to, text.size())));
          continue;
        }
        case Where::DescPart: {
          if (whole) view.loadedBytes[r] = ByteString(data);
          const std::string& text = nameOfField();
          view.texts[r] = text.size() > static_cast<std::size_t>(row.place.to) ? text.substr(row.place.to) : std::string();
          continue;
        }
      }
      if (!ok) break;
      if (!showsDescription(row.codec) && !enoughFor(row.codec, bytes)) {
        ok = false;
        break;
      }
      if (whole) {
        if (row.slot) view.slotData[r] = ByteString(bytes);
        view.loadedBytes[r] = ByteString(bytes);
      }
      view.texts[r] = decode(row.codec, bytes, row.labels);
    }
    if (!ok) {
      const std::string unreadable = unreadableText(field, missing);
      for (int r : rows) {
        view.readable[r] = false;
        view.texts[r] = unreadable;
        if (whole) {
          view.slotData[r].clear();
          view.loadedBytes[r].clear();
        }
      }
    }
  }

  // Minimum and maximum: the min row scaled, the max row the spread scaled
  // plus the min row as shown.
  // Without a readable minimum the maximum cannot be shown (nor written).
  for (const auto& m : schema.minMax) {
    if (!view.readable[m.minRow]) {
      if (view.readable[m.maxRow]) {
        view.readable[m.maxRow] = false;
        view.texts[m.maxRow] = view.texts[m.minRow];
      }
      continue;
    }
    auto lo = cellNumber(view.texts[m.minRow]);
    if (lo && !std::isnan(*lo)) view.texts[m.minRow] = formatNumber(*lo * m.scale);
    if (!view.readable[m.maxRow]) continue;
    auto spread = cellNumber(view.texts[m.maxRow]);
    auto shownLo = cellNumber(view.texts[m.minRow]);
    if (shownLo && spread) view.texts[m.maxRow] = formatNumber(*spread * m.scale + *shownLo);
  }
  if (whole) view.loadedTexts = view.texts;
  return view;
}

std::string rowMessage(const Schema& schema, int row) {
  const Row& r = schema.rows[row];
  if (!r.message.empty()) return r.message;
  switch (r.check) {
    case CheckKind::Mask:
      return ru("Неправильная маска - такая уже есть. Маска берется из выделенного поля.");
    case CheckKind::MaxLen:
      return maxLenMessage(r.maxLen);
    case CheckKind::None:
      return formatMessage();
    case CheckKind::Codec:
      break;
  }
  return checkMessage(r.codec);
}

std::vector<RowFailure> checkRows(const Schema& schema, RecordView& view, const CheckContext& context) {
  std::vector<RowFailure> failures;
  for (int i = 0; i < static_cast<int>(schema.rows.size()); ++i) {
    if (!view.readable[i]) continue;
    const Row& row = schema.rows[i];
    std::string& text = view.texts[i];
    const bool untouched = view.untouched(i);
    bool passed = true;
    switch (row.check) {
      case CheckKind::None:
        break;
      case CheckKind::Mask:
        passed = !context.maskAllowed || context.maskAllowed(text);
        break;
      case CheckKind::MaxLen:
        passed = checkMaxLen(text, row.maxLen);
        break;
      case CheckKind::Codec: {
        if (showsDescription(row.codec)) break;
        RowCheck rc = checkRow(row.codec, text);
        if (!untouched) text = rc.text;
        passed = rc.accepted;
        break;
      }
    }
    std::string message, expectedText;
    if (passed && schema.recordNumber && schema.recordNumber->row == i) {
      std::int32_t expected = context.recordIndex + 1 + schema.recordNumber->offset;
      auto v = parseInt32(text);
      if (!v || *v != expected) {
        passed = false;
        message = schema.recordNumber->message + decimal(expected);
        expectedText = ru("число ") + decimal(expected);
      }
    }
    if (passed) {
      for (const auto& rule : schema.typeIds) {
        if (rule.idRow != i) continue;
        for (const auto& [typeName, id] : rule.ids)
          if (view.texts[rule.typeRow] == typeName) text = decimal(id);
      }
    }
    if (!passed) failures.push_back({i, message.empty() ? rowMessage(schema, i) : message, expectedText});
  }
  return failures;
}

BuildResult encodeRecord(const Schema& schema, RecordView& view, TZapisBaziZm& record) {
  std::vector<std::pair<int, ByteString>> fields;
  std::vector<std::pair<int, ByteString>> newSlots;
  auto fail = [](int row, std::string error) {
    BuildResult b;
    b.ok = false;
    b.row = row;
    b.error = std::move(error);
    return b;
  };

  for (const auto& [field, rowsOfField] : RowsByField(schema)) {
    bool readable = std::all_of(rowsOfField.begin(), rowsOfField.end(), [&](int r) { return view.readable[r]; });
    if (!readable) continue;

    // Encode every row of the field; an untouched row keeps its bytes.
    std::vector<std::pair<int, ByteString>> values;  // row, bytes
    for (int r : rowsOfField) {
      const Row& row = schema.rows[r];
      const std::string& text = view.texts[r];
      if (row.place.where == Where::NamePart || row.place.where == Where::DescPart) continue;
      if (const MinMaxRule* m = minMaxOf(schema, r)) {
        // The maximum is shown on top of the minimum: it keeps its bytes
        // only while both are untouched.
        if (view.untouched(r) && (r == m->minRow || view.untouched(m->minRow))) {
          values.emplace_back(r, view.loadedBytes[r]);
          continue;
        }
        // The spread needs the minimum, which is readable whenever the
        // maximum is (decodeRecord sees to it).
        auto lo = cellNumber(view.texts[m->minRow]);
        if (!lo) return fail(m->minRow, encode(Codec::Float32, view.texts[m->minRow]).error);
        double v = *lo / m->scale;
        if (r == m->maxRow) {
          // A minimum typed anew as the value it had (another spelling of
          // it) leaves an untouched maximum's spread as it was.
          if (view.untouched(r) && static_cast<std::size_t>(m->minRow) < view.loadedBytes.size() &&
              view.loadedBytes[m->minRow].size() == 4) {
            EncodeResult min = float32Of(v);
            if (min.ok && min.bytes == view.loadedBytes[m->minRow]) {
              values.emplace_back(r, view.loadedBytes[r]);
              continue;
            }
          }
          auto hi = cellNumber(view.texts[m->maxRow]);
          if (!hi) return fail(r, encode(Codec::Float32, view.texts[m->maxRow]).error);
          v = *hi / m->scale - *lo / m->scale;
        }
        EncodeResult e = float32Of(v);
        if (!e.ok) return fail(r, e.error);
        values.emplace_back(r, e.bytes);
        continue;
      }
      if (row.slot) {
        if (showsDescription(row.codec)) {
          values.emplace_back(r, view.slotData[r]);
          continue;
        }
        ByteString slot = view.slotData[r];
        if (view.untouched(r) && slot == view.loadedBytes[r]) {
          values.emplace_back(r, slot);
          continue;
        }
        if (text != decode(row.codec, slot, row.labels)) {
          EncodeResult e = encode(row.codec, text, row.itemType);
          if (!e.ok) return fail(r, e.error);
          slot = e.bytes;
          newSlots.emplace_back(r, slot);
        }
        // A number keeps its codec's width: the first bytes of a longer
        // slot, a shorter one padded with zeros (the number it shows).
        std::size_t w = fixedWidth(row.codec);
        ByteString value = w ? slot.substr(0, w) : slot;
        if (value.size() < w) value.append(w - value.size(), '\0');
        values.emplace_back(r, value);
        continue;
      }
      if (view.untouched(r)) {
        values.emplace_back(r, view.loadedBytes[r]);
        continue;
      }
      EncodeResult e = encode(row.codec, text, 1);
      if (!e.ok) return fail(r, e.error);
      values.emplace_back(r, e.bytes);
    }

    // Put the field together.
    const Row& first = schema.rows[rowsOfField.front()];
    ByteString payload;
    switch (first.place.where) {
      case Where::Field:
        payload = values.empty() ? ByteString() : values.front().second;
        break;
      case Where::Item: {
        std::sort(values.begin(), values.end(), [&](const auto& a, const auto& b) {
          return schema.rows[a.first].place.item < schema.rows[b.first].place.item;
        });
        for (const auto& [r, bytes] : values) appendItem(payload, schema.rows[r].itemType, bytes);
        break;
      }
      case Where::Bytes: {
        std::sort(values.begin(), values.end(), [&](const auto& a, const auto& b) {
          return schema.rows[a.first].place.from < schema.rows[b.first].place.from;
        });
        for (const auto& [r, bytes] : values) payload += bytes;
        break;
      }
      case Where::NamePart:
      case Where::DescPart: {
        if (std::all_of(rowsOfField.begin(), rowsOfField.end(), [&](int r) { return view.untouched(r); })) {
          payload = view.loadedBytes[rowsOfField.front()];
          break;
        }
        std::string name, desc;
        std::size_t width = static_cast<std::size_t>(first.place.to);
        for (int r : rowsOfField) {
          if (schema.rows[r].place.where == Where::NamePart) name = view.texts[r];
          if (schema.rows[r].place.where == Where::DescPart) desc = view.texts[r];
        }
        if (name.size() < width) name.append(width - name.size(), ' ');
        payload = name + desc;
        payload += '\0';
        break;
      }
    }
    fields.emplace_back(field, std::move(payload));
  }

  for (auto& [field, payload] : fields) record.SetField(field, payload);
  record.Rebuild();
  for (auto& [r, slot] : newSlots) view.slotData[r] = std::move(slot);
  return {};
}

std::string maskOf(TZapisBaziZm& record) {
  auto f = record.FieldOrNothing(1);
  if (!f || f->empty()) return std::string();
  return f->substr(0, f->size() - 1);
}

void setMask(TZapisBaziZm& record, const std::string& mask) {
  ByteString v = mask;
  v += '\0';
  record.SetField(1, v);
}

std::string chooserEntries(const Row& row) {
  std::string out;
  if (!row.labels) return out;
  for (const auto& e : *row.labels) out += decimal(e.value) + e.label + '\r';
  return out;
}

int chooserIndex(const Row& row, const std::string& text) {
  if (!row.labels) return 0;
  std::string code = text.substr(0, text.find(' '));
  for (std::size_t i = 0; i < row.labels->size(); ++i)
    if (decimal((*row.labels)[i].value) == code) return static_cast<int>(i);
  return 0;
}

bool applyRecordNumber(const Schema& schema, TZapisBaziZm& record, int recordNumber) {
  if (!schema.recordNumber) return false;
  int field = schema.rows[schema.recordNumber->row].place.field;
  auto f = record.FieldOrNothing(field);
  if (!f) return false;
  std::int32_t expected = recordNumber + schema.recordNumber->offset;
  if (f->size() >= 4 && decode(Codec::Int32, *f) == decimal(expected)) return false;
  record.SetField(field, encode(Codec::Int32, decimal(expected)).bytes);
  record.Rebuild();
  return true;
}

}  // namespace kessik
