#include "workbench/engine/tree_search.h"

#include <algorithm>

#include "core/database.h"
#include "editors/engine/section.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/tree.h"
#include "platform/files.h"
#include "platform/host.h"
#include "util/cp1251.h"
#include "workbench/engine/snapshot.h"
#include "workbench/engine/table_query.h"

namespace kessik {

namespace {

constexpr std::uint64_t kChunkRecords = 128;

bool isList(Codec c) { return c == Codec::NameList || c == Codec::Code4List; }

// "prints\1\" as "prints/1".
std::string slashedName(std::string folder) {
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  std::replace(folder.begin(), folder.end(), '\\', '/');
  return folder;
}

}  // namespace

std::vector<SearchSection> searchSectionsOfRoot(const std::string& root) {
  std::vector<SearchSection> out;
  for (const TreeSection& t : sectionsOfRoot(root)) {
    SearchSection s;
    s.schema = t.schema;
    s.folder = t.folder;
    s.name = t.name;
    s.caption = t.name;
    out.push_back(std::move(s));
  }
  return out;
}

std::vector<SearchSection> searchSectionsOfWindows(const std::vector<const WindowEntry*>& windows,
                                                   const std::string& singlRoot, const std::string& lmpRoot) {
  std::vector<SearchSection> out;
  for (const WindowEntry* w : windows) {
    const Schema* schema = findSchema(w->schemaFolder);
    const std::string& root = w->game == Game::Lmp ? lmpRoot : singlRoot;
    if (!schema || root.empty()) continue;
    SearchSection s;
    s.schema = schema;
    s.folder = sectionSourceFolder(root, *schema);
    if (!folderExists(s.folder)) continue;
    s.name = slashedName(w->schemaFolder);
    s.caption = w->caption;
    s.className = w->className;
    s.game = w->game;
    out.push_back(std::move(s));
  }
  return out;
}

// ---------------------------------------------------------------------------

struct CellMatcher::Impl {
  SearchQuery query;
  FoldedText needle;
};

CellMatcher::CellMatcher(const SearchQuery& query) {
  auto impl = std::make_shared<Impl>();
  impl->query = query;
  impl->needle = FoldedText(query.text);
  impl_ = std::move(impl);
}

bool CellMatcher::matches(const Row& row, std::string_view cell) const {
  const SearchQuery& q = impl_->query;
  if (!q.exact) return impl_->needle.foundIn(cell);
  if (cell == q.text) return true;
  if (!isList(row.codec)) return false;
  // A list holds the text when one of its elements is the text.
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = cell.find(',', from);
    if (cell.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from) == q.text)
      return true;
    if (comma == std::string_view::npos) return false;
    from = comma + 1;
  }
}

std::string hitLine(const SearchSection& section, const SearchHit& hit) {
  return section.name + "/" + recordFileName(static_cast<std::uint64_t>(hit.record) + 1) + " " + ru("«") + hit.mask +
         ru("»") + ": " + section.schema->rows[hit.row].name + ": " + hit.value;
}

// ---------------------------------------------------------------------------

struct TreeSearch::Chunk {
  int section = 0;
  std::uint64_t from = 0, to = 0;  // records [from, to), 0-based
  std::vector<SearchHit> hits;
  bool done = false;
};

TreeSearch::TreeSearch(std::vector<SearchSection> sections, SearchQuery query, int threads)
    : sections_(std::move(sections)), query_(std::move(query)), threads_(std::max(threads, 1)) {}

TreeSearch::~TreeSearch() {
  cancel();
  if (runner_.joinable()) runner_.join();
}

void TreeSearch::start() {
  if (runner_.joinable()) return;
  runner_ = std::thread([this] { run(); });
}

void TreeSearch::cancel() {
  cancel_ = true;
  changed_.notify_all();
}

void TreeSearch::run() {
  // Each section's records, in chunks the threads take one after another.
  std::vector<Chunk> chunks;
  std::uint64_t total = 0;
  for (int s = 0; s < static_cast<int>(sections_.size()) && !cancel_; ++s) {
    const std::uint64_t n = countRecordFiles(sections_[s].folder).value_or(0);
    for (std::uint64_t from = 0; from < n; from += kChunkRecords)
      chunks.push_back({s, from, std::min(n, from + kChunkRecords), {}, false});
    total += n;
  }
  {
    std::lock_guard<std::mutex> hold(lock_);
    chunks_ = std::move(chunks);
  }
  total_ = total;
  counted_ = true;
  changed_.notify_all();

  const CellMatcher matcher(query_);
  forEachIndex(chunks_.size(), threads_, [&](std::uint64_t c) {
    if (cancel_) return false;
    Chunk& chunk = chunks_[c];
    const SearchSection& section = sections_[chunk.section];
    const Schema& schema = *section.schema;
    const auto host = platform::toHost(section.folder);
    std::optional<platform::FolderReader> reader;
    if (host) reader.emplace(*host);
    const platform::FolderReader* open = reader && reader->isOpen() ? &*reader : nullptr;
    std::vector<SearchHit> hits;
    SnapshotRecord r;
    for (std::uint64_t k = chunk.from; k < chunk.to && !cancel_; ++k) {
      if (!readSnapshotRecord(schema, section.folder, k + 1, r, open)) break;
      const std::string_view mask = r.readable(0) ? r.texts[0] : std::string_view(r.mask);
      const int rows = query_.masksOnly ? 1 : static_cast<int>(schema.rows.size());
      // Every cell as the editor shows it: descriptions of raw values and
      // sound lists, and what a cell that could not be read says, too.
      for (int row = 0; row < rows; ++row) {
        if (!matcher.matches(schema.rows[row], r.texts[row])) continue;
        hits.push_back({chunk.section, static_cast<int>(k), row, std::string(mask), std::string(r.texts[row])});
      }
      ++done_;
    }
    {
      std::lock_guard<std::mutex> hold(lock_);
      chunk.hits = std::move(hits);
      chunk.done = true;
    }
    changed_.notify_all();
    return !cancel_;
  });
  finished_ = true;
  changed_.notify_all();
}

bool TreeSearch::take(std::vector<SearchHit>& out) {
  if (cancel_) return false;
  std::lock_guard<std::mutex> hold(lock_);
  if (!counted_) return true;
  while (delivered_ < chunks_.size() && chunks_[delivered_].done) {
    auto& hits = chunks_[delivered_].hits;
    out.insert(out.end(), std::make_move_iterator(hits.begin()), std::make_move_iterator(hits.end()));
    hits.clear();
    hits.shrink_to_fit();
    ++delivered_;
  }
  return delivered_ < chunks_.size() || !finished_;
}

void TreeSearch::wait(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait_for(hold, timeout, [&] {
    return cancel_ || finished_ || (counted_ && delivered_ < chunks_.size() && chunks_[delivered_].done);
  });
}

}  // namespace kessik
