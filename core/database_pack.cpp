// Packing a database folder back into its database file.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "core/database.h"
#include "core/folder_swap.h"
#include "core/node.h"
#include "core/section_save.h"
#include "platform/host.h"
#include "util/cp1251.h"
#include "util/crashpoint.h"
#include "platform/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace fs = std::filesystem;

namespace kessik {
namespace {

// The size code holds 2 * L + 1 in 32 bits.
constexpr std::uint64_t kMaxPayload = 0x7FFFFFFFu;

std::string number(std::uint64_t n) { return std::to_string(n); }

void error(const std::string& text) { messageDialog(Icon::Error, text); }

// Records read ahead in runs of this many, one run per job.
constexpr std::uint64_t kRunRecords = 256;

// What one section's readers share: the open folder, and the first record
// number found missing, past which nobody reads.
struct SectionSource {
  SectionSource(const fs::path& host, std::string folderWin)
      : reader(host), folder(std::move(folderWin)) {}
  platform::FolderReader reader;
  std::string folder;  // the section folder, Windows path with a backslash
  std::atomic<std::uint64_t> end{std::numeric_limits<std::uint64_t>::max()};
};

// A run of consecutive record files of a section, read by one thread.
struct Run {
  std::shared_ptr<SectionSource> source;
  std::uint64_t first = 0;
  enum class State { Waiting, Reading, Read } state = State::Waiting;
  std::string bytes;                 // the records read, one after the other
  std::vector<std::uint32_t> sizes;  // of each of them
  bool sectionEnds = false;          // a record file is missing in the run: the section ends there
  std::string fault;                 // cp1251: why a record cannot be packed; reading stopped there
  bool outOfMemory = false;
};

void readRun(Run& run, const std::string& file) {
  SectionSource& source = *run.source;
  try {
    for (std::uint64_t n = run.first; n < run.first + kRunRecords; ++n) {
      if (n >= source.end) {
        run.sectionEnds = true;
        return;
      }
      const std::string name = recordFileName(n);
      const std::size_t start = run.bytes.size();
      const platform::ReadStatus status = source.reader.read(name, run.bytes);
      if (status == platform::ReadStatus::Missing) {
        // Later runs of the section stop short of it.
        std::uint64_t end = source.end;
        while (n < end && !source.end.compare_exchange_weak(end, n)) {
        }
        run.sectionEnds = true;
        return;
      }
      if (status != platform::ReadStatus::Ok) {
        run.fault = ru("Не удалось прочитать файл ") + source.folder + name + ru(". База ") + file + ru(" не запакована.");
        return;
      }
      const std::string_view record = std::string_view(run.bytes).substr(start);
      const RecordCheck check = checkRecordNode(record, false);
      if (check.fault == RecordFault::Empty) {
        // No record is zero bytes long: such a file is what an interrupted
        // write leaves.
        run.fault = ru("Файл записи ") + source.folder + name +
                    ru(" пустой (0 байт), а запись базы не бывает пустой. Исправьте или удалите его. База ") + file +
                    ru(" не запакована.");
        return;
      }
      if (check.fault != RecordFault::None) {
        run.fault = ru("Файл записи ") + source.folder + name + ru(" не годится в базу: ") +
                    recordFaultText(check, record.size()) + ru(". Исправьте или удалите его. База ") + file +
                    ru(" не запакована.");
        return;
      }
      run.sizes.push_back(static_cast<std::uint32_t>(record.size()));
    }
  } catch (const std::bad_alloc&) {
    run.outOfMemory = true;
  }
}

// Threads that read runs in the order they were asked for. Whoever waits
// for a run nobody has taken yet reads it itself, so the work goes on with
// no helper at all.
class RunReaders {
 public:
  RunReaders(const std::string& file, unsigned threads) : file_(file) {
    try {
      for (unsigned k = 0; k < threads; ++k) threads_.emplace_back([this] { work(); });
    } catch (const std::exception&) {
      // Fewer helpers (none, at worst): the waiting thread reads.
    }
  }
  ~RunReaders() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
      waiting_.clear();
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  RunReaders(const RunReaders&) = delete;
  RunReaders& operator=(const RunReaders&) = delete;

  std::shared_ptr<Run> ask(const std::shared_ptr<SectionSource>& source, std::uint64_t first) {
    auto run = std::make_shared<Run>();
    run->source = source;
    run->first = first;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      waiting_.push_back(run);
    }
    wake_.notify_one();
    return run;
  }

  void await(const std::shared_ptr<Run>& run) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (run->state == Run::State::Waiting) {
      waiting_.erase(std::find(waiting_.begin(), waiting_.end(), run));
      run->state = Run::State::Reading;
      lock.unlock();
      readRun(*run, file_);
      lock.lock();
      run->state = Run::State::Read;
      return;
    }
    done_.wait(lock, [&] { return run->state == Run::State::Read; });
  }

  // Runs asked for and not yet taken are not read.
  void dropWaiting() {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.clear();
  }

 private:
  void work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stop_ || !waiting_.empty(); });
      if (stop_) return;
      std::shared_ptr<Run> run = waiting_.front();
      waiting_.pop_front();
      run->state = Run::State::Reading;
      lock.unlock();
      readRun(*run, file_);
      lock.lock();
      run->state = Run::State::Read;
      done_.notify_all();
    }
  }

  const std::string file_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::deque<std::shared_ptr<Run>> waiting_;
  bool stop_ = false;
};

// The database node and its section nodes streamed into the new file. A
// node's size code is known only at its end: it takes its 4-byte form as
// soon as 128 payload bytes have come, written as a placeholder and filled in
// at the end; until then the node's bytes wait in memory (fewer than 128).
class PackedOutput {
 public:
  explicit PackedOutput(platform::ReplacingFile& out) : out_(out) { open(1); }

  void open(std::uint8_t type) {
    nodes_.emplace_back();
    nodes_.back().type = type;
  }
  // Payload bytes of the innermost open node.
  void append(std::string_view bytes) { emit(nodes_.size() - 1, bytes); }
  // Closes the innermost open node.
  void close() {
    Node node = std::move(nodes_.back());
    nodes_.pop_back();
    if (node.placed) {
      std::string code;
      appendSizeCode(code, node.payload);
      ok_ = out_.writeAt(node.headerAt + 1, code) && ok_;
      return;
    }
    std::string whole;
    appendNodeHeader(whole, node.type, node.payload);
    whole += node.held;
    emit(nodes_.size() - 1, whole);
  }
  std::uint64_t payloadOfInnermost() const { return nodes_.back().payload; }
  bool ok() const { return ok_; }

 private:
  struct Node {
    std::uint8_t type = 0;
    std::uint64_t payload = 0;
    bool placed = false;        // its header is in the file
    std::uint64_t headerAt = 0;
    std::string held;           // payload waiting for the header
  };

  // Bytes into node k (k = -1: the file itself).
  void emit(std::size_t k, std::string_view bytes) {
    if (k == static_cast<std::size_t>(-1)) {
      ok_ = out_.write(bytes) && ok_;
      return;
    }
    Node& node = nodes_[k];
    node.payload += bytes.size();
    if (node.placed) {
      emit(k - 1, bytes);
      return;
    }
    node.held += bytes;
    if (node.held.size() < 128) return;
    // Four bytes of size code from here on: a placeholder now. Its parent
    // holds at least as much, so it places itself on the way, and the
    // header's offset in the file is known once this returns.
    std::string whole(1, static_cast<char>(node.type));
    whole.append(4, '\0');
    whole += node.held;
    node.held.clear();
    node.held.shrink_to_fit();
    node.placed = true;
    emit(k - 1, whole);
    node.headerAt = out_.size() - whole.size();
  }

  platform::ReplacingFile& out_;
  std::vector<Node> nodes_;
  bool ok_ = true;
};

// Record files in a section folder: an upper bound of its records, for the
// bar only; nothing is read.
std::uint64_t entriesOf(const fs::path& folder) {
  std::uint64_t n = 0;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) ++n;
  return n;
}

bool packInto(const std::string& folder, const std::string& file, Progress& progress, std::uint64_t* records) {
  progress.setLine1(file);
  progress.setStage(ru("Анализ исходника и подсчет ДЛ..."));

  auto hostFolder = platform::toHost(withoutTrailingBackslash(folder));
  const auto t = treePlaces(folder);
  // Packing never changes the source tree, so the file goes nowhere in it.
  if (auto hostFile = platform::toHost(file); hostFile && t) {
    for (const fs::path* inside : {&t->target, &t->building, &t->aside}) {
      if (!isWithin(*hostFile, *inside)) continue;
      error(ru("Файл ") + file + ru(" лежит внутри папки ") + folder +
            ru(", которую запаковка читает и не меняет. Выберите файл вне ее. База не запакована."));
      return false;
    }
  }
  // Held while the folder is read, so that no unpack changes it meanwhile.
  std::optional<platform::FileLock> lock;
  std::string refusal;
  if (t && !holdFolder(*t, lock, refusal)) {
    error(refusal + ru(" База ") + file + ru(" не запакована."));
    return false;
  }
  // The folder as an interrupted unpack or section save may have left it:
  // put right first.
  if (t && (!settleInterruptedUnpack(*t) || !settleSectionLeftovers(folder))) {
    error(settleFailedText(folder) + ru(" База ") + file + ru(" не запакована."));
    return false;
  }
  std::error_code ec;
  if (!hostFolder || !fs::is_directory(fs::status(*hostFolder, ec))) {
    error(ru("Папки исходника ") + folder + ru(" нет. База ") + file + ru(" не запакована."));
    return false;
  }

  // The bar counts records; the folders' entries bound their number.
  std::vector<std::uint64_t> entries;
  for (int i = 1; i <= kMaxPackedSections; ++i) {
    const fs::path sectionHost = *hostFolder / number(i);
    if (!fs::is_directory(fs::status(sectionHost, ec))) break;
    entries.push_back(entriesOf(sectionHost));
  }
  std::uint64_t maximum = 0;
  for (std::uint64_t e : entries) maximum += e;

  progress.setLine1(file);
  progress.setStage(ru("Генерация новой базы и запись ее на диск..."));
  progress.setMaximum(std::max<std::uint64_t>(maximum, 1));
  auto saveFailed = [&](const platform::SystemError& why) {
    messageBoxEx("Error, Saving" + file + platform::failureLine(platform::FileDeed::Write, file, why), "Error",
                 Icon::Error);
    return false;
  };
  const std::string fileFolder = folderPart(file);
  if (!fileFolder.empty()) createFolderTree(fileFolder);
  auto hostFile = platform::toHost(file);
  if (!hostFile) return saveFailed(platform::failureOf(platform::Failure::NoDrive));
  platform::ReplacingFile out(*hostFile);
  if (!out.isOpen()) return saveFailed(out.error());
  PackedOutput packed(out);

  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  RunReaders readers(file, std::min(cores, 4u));
  const std::size_t ahead = 2 * std::min(cores, 4u) + 2;
  std::uint64_t written = 0;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const std::string section = number(k + 1);
    const std::string sectionFolder = folder + section + "\\";
    auto source = std::make_shared<SectionSource>(*hostFolder / section, sectionFolder);
    if (!source->reader.isOpen()) {
      error(ru("Не удалось прочитать папку ") + sectionFolder + ru(". База ") + file + ru(" не запакована."));
      return false;
    }
    packed.open(static_cast<std::uint8_t>(k + 1));
    std::deque<std::shared_ptr<Run>> asked;
    std::uint64_t next = 1;
    bool ended = false;
    while (!ended) {
      while (asked.size() < ahead) {
        asked.push_back(readers.ask(source, next));
        next += kRunRecords;
      }
      const std::shared_ptr<Run> run = asked.front();
      asked.pop_front();
      readers.await(run);
      if (run->outOfMemory) throw std::bad_alloc();
      std::size_t at = 0;
      for (std::uint32_t size : run->sizes) {
        packed.append(std::string_view(run->bytes).substr(at, size));
        at += size;
        crashPoint("pack-record");
        if (packed.payloadOfInnermost() > kMaxPayload) {
          error(ru("Раздел ") + sectionFolder + ru(" больше 2 Гб. База ") + file + ru(" не запакована."));
          return false;
        }
        progress.setPosition(++written);
      }
      if (!run->fault.empty()) {
        error(run->fault);
        return false;
      }
      ended = run->sectionEnds;
    }
    readers.dropWaiting();
    packed.close();
    if (packed.payloadOfInnermost() > kMaxPayload) {
      error(ru("База из папки ") + folder + ru(" больше 2 Гб. База ") + file + ru(" не запакована."));
      return false;
    }
  }
  if (entries.size() == static_cast<std::size_t>(kMaxPackedSections) &&
      fs::is_directory(fs::status(*hostFolder / number(kMaxPackedSections + 1), ec))) {
    messageDialog(Icon::Warning, ru("В папке ") + folder + ru(" больше ") + number(kMaxPackedSections) +
                                     ru(" разделов. Разделы с ") + number(kMaxPackedSections + 1) +
                                     ru("-го в базу не попали."));
  }
  packed.close();
  if (!packed.ok() || !out.write(kDatabaseTrailer) || !out.commit()) return saveFailed(out.error());
  progress.setPosition(std::max<std::uint64_t>(maximum, 1));
  if (records) *records += written;
  return true;
}

}  // namespace

bool packDatabase(std::string_view databaseFolder, std::string_view databaseFile, Progress& progress,
                  std::uint64_t* records) {
  ProgressScope scope(progress);
  const std::string file(databaseFile);
  const std::string folder = withTrailingBackslash(databaseFolder.empty() ? "." : databaseFolder);
  try {
    return packInto(folder, file, progress, records);
  } catch (const std::bad_alloc&) {
    // The temporary file went with the unwinding; the old file is untouched.
    error(ru("Не хватает памяти для запаковки папки ") + folder + ru(". База ") + file + ru(" не запакована."));
    return false;
  }
}

}  // namespace kessik
