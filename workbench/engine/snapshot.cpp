#include "workbench/engine/snapshot.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

#include "core/database.h"
#include "core/file_buf.h"
#include "editors/engine/section.h"
#include "platform/files.h"
#include "platform/host.h"
#include "util/notify.h"

namespace kessik {

namespace {

// The record number a directory entry name stands for, when the name is
// exactly that number's record file name ("0000012.zap").
template <class Char>
std::optional<std::uint64_t> recordNumberOf(const std::basic_string<Char>& name) {
  constexpr std::size_t kMaxDigits = 18;
  std::size_t digits = 0;
  std::uint64_t n = 0;
  while (digits < name.size() && digits <= kMaxDigits && name[digits] >= '0' && name[digits] <= '9')
    n = n * 10 + static_cast<std::uint64_t>(name[digits++] - '0');
  if (digits < 7 || digits > kMaxDigits || name.size() != digits + 4) return std::nullopt;
  std::string tail;
  for (std::size_t i = digits; i < name.size(); ++i) {
    auto c = static_cast<std::uint32_t>(name[i]);
    if (c > 0x7F) return std::nullopt;
#ifdef _WIN32
    // Windows finds "0000001.ZAP" by the name "0000001.zap".
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
#endif
    tail += static_cast<char>(c);
  }
  std::string digitsText;
  for (std::size_t i = 0; i < digits; ++i) digitsText += static_cast<char>(name[i]);
  if (tail != ".zap" || n == 0 || recordFileName(n) != digitsText + ".zap") return std::nullopt;
  return n;
}

// Collects what work on a thread tells the notifier, by the index at hand.
class Collector : public Notifier {
 public:
  Collector(std::mutex& lock, std::vector<IndexedMessage>& out) : lock_(lock), out_(out) {}
  std::uint64_t index = 0;
  Answer show(const Message& m) override {
    std::lock_guard<std::mutex> hold(lock_);
    out_.emplace_back(index, m.text);
    return defaultAnswer(m.buttons);
  }

 private:
  std::mutex& lock_;
  std::vector<IndexedMessage>& out_;
};

}  // namespace

CellTexts::CellTexts(const std::vector<std::string>& texts) {
  std::size_t total = 0;
  for (const std::string& t : texts) total += t.size();
  joined_.reserve(total);
  ends_.reserve(texts.size());
  for (const std::string& t : texts) {
    joined_ += t;
    ends_.push_back(static_cast<std::uint32_t>(joined_.size()));
  }
}

std::vector<std::string> CellTexts::strings() const {
  std::vector<std::string> out;
  out.reserve(size());
  for (std::size_t i = 0; i < size(); ++i) out.emplace_back((*this)[i]);
  return out;
}

bool CellTexts::same(const std::vector<std::string>& texts) const {
  if (texts.size() != size()) return false;
  for (std::size_t i = 0; i < size(); ++i)
    if (texts[i] != (*this)[i]) return false;
  return true;
}

int readingThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 2 : static_cast<int>(std::min(cores, 4u));
}

std::optional<std::uint64_t> countRecordFiles(const std::string& folder) {
  if (!folderExists(folder)) return std::nullopt;
  std::vector<std::uint64_t> numbers;
  std::error_code ec;
  auto host = platform::toHost(folder);
  if (host) {
    for (std::filesystem::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
      auto n = recordNumberOf(it->path().filename().native());
      std::error_code ignored;
      if (n && it->exists(ignored) && !it->is_directory(ignored)) numbers.push_back(*n);
    }
  }
  if (!host || ec) {
    // The folder could not be listed: ask for each file as the scan does.
    std::uint64_t k = 0;
    while (fileExists(folder + recordFileName(k + 1))) ++k;
    return k;
  }
  std::sort(numbers.begin(), numbers.end());
  std::uint64_t k = 0;
  for (std::uint64_t n : numbers) {
    if (n != k + 1) break;
    k = n;
  }
  return k;
}

RecordView decodeSnapshotRecord(const Schema& schema, const ByteString& bytes, int k, TZapisBaziZm& record,
                                DecodeParts parts) {
  record.Parse(bytes);
  applyRecordNumber(schema, record, k);
  return decodeRecord(schema, record, parts);
}

void decodeSnapshotBytes(const Schema& schema, int k, SnapshotRecord& r) {
  TZapisBaziZm record;
  RecordView view = decodeSnapshotRecord(schema, r.bytes, k, record, DecodeParts::TextsOnly);
  // A record without field 1 is listed as "ERROR", as the scan lists it.
  r.mask = record.FieldCount >= 1 ? maskOf(record) : std::string("ERROR");
  r.texts = CellTexts(view.texts);
  if (std::find(view.readable.begin(), view.readable.end(), false) != view.readable.end()) {
    r.unreadable.assign(view.readable.size(), false);
    for (std::size_t i = 0; i < view.readable.size(); ++i) r.unreadable[i] = !view.readable[i];
  } else {
    r.unreadable.clear();
  }
}

bool readSnapshotRecord(const Schema& schema, const std::string& folder, std::uint64_t k, SnapshotRecord& r,
                        const platform::FolderReader* reader) {
  r.file = recordFileName(k);
  TZapisBaziZm record;
  // The usual case straight from the open folder; anything else through
  // the record file reading of the editor, with its messages.
  r.bytes.clear();
  if (!reader || reader->read(r.file, r.bytes) != platform::ReadStatus::Ok) {
    TFileInString buffer;
    if (!loadRecordFile(folder + r.file, buffer, record)) return false;
    r.bytes = std::move(buffer.data());
  }
  decodeSnapshotBytes(schema, static_cast<int>(k), r);
  return true;
}

std::vector<IndexedMessage> forEachIndex(std::uint64_t n, int threads, const std::function<bool(std::uint64_t)>& fn) {
  std::vector<IndexedMessage> messages;
  std::mutex lock;
  std::atomic<std::uint64_t> next{0};
  std::atomic<bool> stop{false};
  // Blocks small enough to share the work evenly, large enough that the
  // threads rarely meet at the counter.
  const std::uint64_t block = std::clamp<std::uint64_t>(n / 64, 1, 256);
  auto work = [&] {
    Collector collector(lock, messages);
    ThreadNotifier quiet(collector);
    while (!stop) {
      const std::uint64_t from = next.fetch_add(block);
      if (from >= n) break;
      const std::uint64_t to = std::min(n, from + block);
      for (std::uint64_t i = from; i < to && !stop; ++i) {
        collector.index = i;
        if (!fn(i)) stop = true;
      }
    }
  };
  const int helpers = static_cast<int>(std::min<std::uint64_t>(std::max(threads, 1), (n + block - 1) / block)) - 1;
  std::vector<std::thread> pool;
  for (int t = 0; t < helpers; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
  std::stable_sort(messages.begin(), messages.end(),
                   [](const IndexedMessage& a, const IndexedMessage& b) { return a.first < b.first; });
  return messages;
}

std::optional<SectionSnapshot> readSnapshot(const Schema& schema, const std::string& folder, int threads) {
  auto count = countRecordFiles(folder);
  if (!count) return std::nullopt;
  SectionSnapshot snap;
  snap.schema = &schema;
  snap.folder = folder;
  snap.records.resize(*count);
  std::atomic<std::uint64_t> firstMissing{*count};
  const auto host = platform::toHost(folder);
  std::optional<platform::FolderReader> reader;
  if (host) reader.emplace(*host);
  const platform::FolderReader* open = reader && reader->isOpen() ? &*reader : nullptr;
  auto messages = forEachIndex(*count, threads, [&](std::uint64_t i) {
    if (readSnapshotRecord(schema, folder, i + 1, snap.records[i], open)) return true;
    // Gone since the folder was listed: the list ends before it.
    std::uint64_t seen = firstMissing.load();
    while (i < seen && !firstMissing.compare_exchange_weak(seen, i)) {
    }
    return true;
  });
  snap.records.resize(firstMissing.load());
  for (auto& [i, text] : messages) {
    if (i >= snap.records.size()) continue;
    snap.messages.push_back(folder + recordFileName(i + 1) + ": " + text);
  }
  return snap;
}

}  // namespace kessik
