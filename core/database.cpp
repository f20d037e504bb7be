#include "core/database.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <new>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "core/file_buf.h"
#include "core/folder_swap.h"
#include "core/node.h"
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



// "1234 (4D2h)": offsets as the user sees them.
std::string offsetText(std::uint64_t offset) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%llu (%llXh)", static_cast<unsigned long long>(offset),
                static_cast<unsigned long long>(offset));
  return buf;
}

std::string number(std::uint64_t n) { return std::to_string(n); }

void error(const std::string& text) { messageDialog(Icon::Error, text); }

// A base name that cannot be one folder name inside the source root.
bool badFolderName(std::string_view name) {
  for (unsigned char c : name) {
    if (c < 0x20) return true;
    if (std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos) return true;
  }
  return false;
}



std::string layoutFaultText(const LayoutResult& r, std::string_view file, std::size_t fileSize) {
  const std::string f(file);
  switch (r.fault) {
    case LayoutFault::None:
      break;
    case LayoutFault::FirstByteZero:
      return ru("Первый байт файла ") + f + ru(" равен 00h. Нестандартная база или вообще не база. Нераспакован.");
    case LayoutFault::LengthMismatch:
      if (r.offset <= fileSize) return ru("ДЛ файла неправильное!");
      // Shorter than its header says: the file was cut.
      return ru("ДЛ файла неправильное! Файл ") + f + ru(" обрезан: по заголовку в нем ") + number(r.offset) +
             ru(" байт, а он кончается на смещении ") + offsetText(fileSize) + ru(". Нераспакован.");
    case LayoutFault::Empty:
      return ru("Файл ") + f + ru(" пустой (0 байт), смещение 0. Это не база. Нераспакован.");
    case LayoutFault::HeaderCut:
      return ru("Файл ") + f + ru(" обрезан: заголовок базы по смещению 0 не помещается в ") + number(fileSize) +
             ru(" байт файла. Нераспакован.");
    case LayoutFault::SectionPastEnd:
      return ru("Файл ") + f + ru(": раздел по смещению ") + offsetText(r.offset) +
             ru(" вылезает за конец базы (ДЛ раздела неправильное). Нераспакован.");
    case LayoutFault::RecordPastEnd:
      return ru("Файл ") + f + ru(": запись по смещению ") + offsetText(r.offset) + ru(" в разделе ") +
             number(r.section) + ru(" вылезает за конец раздела (ДЛ записи неправильное). Нераспакован.");
    case LayoutFault::RepeatedSection:
      return ru("Файл ") + f + ru(": раздел ") + number(r.section) + ru(" по смещению ") + offsetText(r.offset) +
             ru(" встречается второй раз. Нестандартная база. Нераспакован.");
  }
  return {};
}


}  // namespace

std::string recordFileName(std::uint64_t n) {
  std::string digits = std::to_string(n);
  if (digits.size() < 7) digits.insert(0, 7 - digits.size(), '0');
  else digits.insert(0, 1, '0');
  return digits + ".zap";
}

std::string baseName(std::string_view path) {
  auto slash = path.rfind('\\');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return std::string(name.substr(0, name.find('.')));
}

namespace {

// The checks that need only the start of the file (its first 5 bytes, or all
// of a shorter one) and its size. The database node's header when they pass.
std::optional<NodeHeader> checkHead(std::string_view head, std::uint64_t size, LayoutResult& r) {
  if (size == 0 || head.empty()) {
    r.fault = LayoutFault::Empty;
    return std::nullopt;
  }
  r.layout.firstByte = static_cast<std::uint8_t>(head[0]);
  if (r.layout.firstByte == 0) {
    r.fault = LayoutFault::FirstByteZero;
    return std::nullopt;
  }
  auto top = readNodeHeader(head, 0);
  if (!top) {
    r.fault = LayoutFault::HeaderCut;
    return std::nullopt;
  }
  // Widened, so that a huge size code cannot wrap.
  const std::uint64_t total = top->headerSize + top->payloadLength;
  if (size < kDatabaseTrailer.size() || total != size - kDatabaseTrailer.size()) {
    r.fault = LayoutFault::LengthMismatch;
    r.offset = static_cast<std::size_t>(std::min<std::uint64_t>(total + kDatabaseTrailer.size(), SIZE_MAX));
    return std::nullopt;
  }
  return top;
}

}  // namespace

LayoutResult readDatabaseLayout(std::string_view data) {
  LayoutResult r;
  auto top = checkHead(data, data.size(), r);
  if (!top) return r;
  const std::uint64_t total = top->headerSize + top->payloadLength;
  const std::string_view db = data.substr(0, static_cast<std::size_t>(total));
  std::array<bool, 256> seen{};
  std::size_t p = top->headerSize;
  while (p < db.size()) {
    auto sec = readNodeHeader(db, p);
    if (!sec || !fitsIn(*sec, db, p)) {
      r.fault = LayoutFault::SectionPastEnd;
      r.offset = p;
      if (sec) r.section = sec->type;
      return r;
    }
    if (seen[sec->type]) {
      r.fault = LayoutFault::RepeatedSection;
      r.offset = p;
      r.section = sec->type;
      return r;
    }
    seen[sec->type] = true;
    SectionLayout s;
    s.number = sec->type;
    s.offset = p;
    const std::size_t end = p + sec->headerSize + static_cast<std::size_t>(sec->payloadLength);
    const std::string_view body = db.substr(0, end);
    std::size_t q = p + sec->headerSize;
    while (q < end) {
      auto rec = readNodeHeader(body, q);
      if (!rec || !fitsIn(*rec, body, q)) {
        r.fault = LayoutFault::RecordPastEnd;
        r.offset = q;
        r.section = s.number;
        return r;
      }
      const std::size_t size = rec->headerSize + static_cast<std::size_t>(rec->payloadLength);
      s.records.push_back({q, size});
      q += size;
    }
    r.layout.sections.push_back(std::move(s));
    p = end;
  }
  return r;
}

RecordCheck checkRecordNode(std::string_view bytes, bool withFields) {
  RecordCheck c;
  if (bytes.empty()) {
    c.fault = RecordFault::Empty;
    return c;
  }
  const auto h = readNodeHeader(bytes, 0);
  if (!h) {
    c.fault = RecordFault::HeaderCut;
    return c;
  }
  const std::uint64_t total = h->headerSize + h->payloadLength;
  if (total != bytes.size()) {
    c.fault = RecordFault::LengthMismatch;
    c.announced = total;
    return c;
  }
  if (!withFields) return c;
  for (std::size_t at = h->headerSize; at < bytes.size();) {
    const auto f = readNodeHeader(bytes, at);
    if (!f || !fitsIn(*f, bytes, at)) {
      c.fault = RecordFault::FieldPastEnd;
      c.offset = at;
      return c;
    }
    at += f->headerSize + static_cast<std::size_t>(f->payloadLength);
  }
  return c;
}

std::string recordFaultText(const RecordCheck& c, std::size_t size) {
  switch (c.fault) {
    case RecordFault::None:
      break;
    case RecordFault::Empty:
      return ru("файл пустой (0 байт), а запись базы не бывает пустой");
    case RecordFault::HeaderCut:
      return ru("заголовок записи не помещается в ") + number(size) + ru(" байт файла");
    case RecordFault::LengthMismatch:
      return ru("в файле ") + number(size) + ru(" байт, а по заголовку записи ") + number(c.announced) +
             ru(": это не одна целая запись");
    case RecordFault::FieldPastEnd:
      return ru("поле по смещению ") + offsetText(c.offset) + ru(" вылезает за конец записи");
  }
  return {};
}

namespace {

// The database file must be a whole regular file no larger than a database
// can be; anything else is refused before it is read. False after the
// message.
bool databaseFileReadable(const std::string& file) {
  auto host = platform::toHost(file);
  std::error_code ec;
  const auto st = host ? fs::status(*host, ec) : fs::file_status(fs::file_type::not_found);
  // A missing file and a folder get the buffer's own message.
  if (!fs::exists(st) || fs::is_directory(st)) return true;
  if (!fs::is_regular_file(st)) {
    error(ru("Файл ") + file + ru(" - не обычный файл (канал, устройство или сокет), базы в нем быть не может. "
                                  "Нераспакован."));
    return false;
  }
  const std::uint64_t size = fs::file_size(*host, ec);
  if (!ec && size > kMaxDatabaseFileSize) {
    error(ru("Файл ") + file + ru(" размером ") + number(size) + ru(" байт больше любой базы (база не бывает больше ") +
          number(kMaxDatabaseFileSize) + ru(" байт). Нераспакован."));
    return false;
  }
  return true;
}

// Writes the section folders of the new tree, one thread per section and no
// more threads than cores; the calling thread takes sections too and is the
// only one that reports progress, so the bar moves forward from one thread.
// The first failure stops every thread at its next record; its message is
// shown once all have stopped. Out of memory in any thread is rethrown here.
// Every kFlushEvery records written, one more thread puts what is written so
// far on the disk while the writing goes on (platform::flushAhead), so the
// sync before the swap waits for the last stretch only.
class SectionWriters {
 public:
  SectionWriters(const TreePlaces& t, const std::vector<SectionLayout>& sections, std::string_view data,
                 std::uint64_t start, Progress& progress)
      : t_(t), sections_(sections), data_(data), progress_(progress), consumed_(start), reported_(start) {}
  ~SectionWriters() {
    stop_ = true;
    joinAll();
  }
  SectionWriters(const SectionWriters&) = delete;
  SectionWriters& operator=(const SectionWriters&) = delete;

  // False after the message.
  bool run() {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t helpers = std::min<std::size_t>(cores, sections_.size()) - (sections_.empty() ? 0 : 1);
    try {
      threads_.reserve(helpers);
      for (std::size_t k = 0; k < helpers; ++k) threads_.emplace_back([this] { work(false); });
    } catch (const std::exception&) {
      // Fewer threads (none, at worst): the sections left are written here.
    }
    try {
      if (totalRecords() >= 2 * kFlushEvery) flusher_ = std::thread([this] { flushWhileWriting(); });
    } catch (const std::exception&) {
      // No head start: the sync before the swap does it all.
    }
    work(true);
    {
      std::unique_lock<std::mutex> lock(mutex_);
      while (!finished_.wait_for(lock, std::chrono::milliseconds(40), [&] { return busy_ == 0; })) {
        lock.unlock();
        report();
        lock.lock();
      }
    }
    joinAll();
    if (outOfMemory_) throw std::bad_alloc();
    if (!failure_.empty()) {
      error(failure_);
      return false;
    }
    report();
    return true;
  }

 private:
  static constexpr std::uint64_t kFlushEvery = 2000;

  void joinAll() {
    for (std::thread& th : threads_)
      if (th.joinable()) th.join();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      writingOver_ = true;
    }
    flushWanted_.notify_all();
    if (flusher_.joinable()) flusher_.join();
  }

  std::uint64_t totalRecords() const {
    std::uint64_t n = 0;
    for (const SectionLayout& s : sections_) n += s.records.size();
    return n;
  }

  // Requests that come while a flush runs are served by one more flush.
  void flushWhileWriting() {
    std::unique_lock<std::mutex> lock(mutex_);
    std::uint64_t served = 0;
    for (;;) {
      flushWanted_.wait(lock, [&] { return writingOver_ || flushRequests_ > served; });
      if (writingOver_) return;
      served = flushRequests_;
      lock.unlock();
      platform::flushAhead(t_.building);
      lock.lock();
    }
  }

  void recordWritten() {
    if (++written_ % kFlushEvery != 0) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++flushRequests_;
    }
    flushWanted_.notify_one();
  }

  // Takes sections until none are left or one failed.
  void work(bool reporter) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++busy_;
    }
    try {
      for (std::size_t k = next_++; k < sections_.size() && !stop_; k = next_++) {
        if (!writeSection(sections_[k], reporter)) break;
      }
    } catch (const std::bad_alloc&) {
      fail(std::string(), true);
    } catch (const std::exception&) {
      fail(ru("Ошибка записи папки ") + t_.folder + ru(". Нераспакован."), false);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    --busy_;
    finished_.notify_all();
  }

  bool writeSection(const SectionLayout& s, bool reporter) {
    const std::string section = number(s.number);
    const fs::path sectionHost = t_.building / section;
    if (!platform::makeFolder(sectionHost)) return fail(ru("Не удалось создать папку ") + t_.folder + section + ru("\\. Нераспакован."), false);
    consumed_ += readNodeHeader(data_, s.offset)->headerSize;
    platform::FolderWriter writer(sectionHost);
    std::uint64_t n = 0;
    for (const RecordSpan& rec : s.records) {
      if (stop_) return false;
      const std::string name = recordFileName(++n);
      if (!writer.write(name, data_.substr(rec.offset, rec.size)))
        return fail(ru("Ошибка записи файла ") + t_.folder + section + "\\" + name + ru(". Нераспакован."), false);
      crashPoint("unpack-record");
      consumed_ += rec.size;
      recordWritten();
      if (reporter) report();
    }
    return true;
  }

  // Calling thread only.
  void report() {
    const std::uint64_t now = consumed_;
    if (now <= reported_) return;
    reported_ = now;
    progress_.setPosition(now);
  }

  // Keeps the first failure and stops the others. Always false.
  bool fail(std::string message, bool outOfMemory) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stop_) {
      stop_ = true;
      failure_ = std::move(message);
      outOfMemory_ = outOfMemory;
    }
    return false;
  }

  const TreePlaces& t_;
  const std::vector<SectionLayout>& sections_;
  const std::string_view data_;
  Progress& progress_;
  std::vector<std::thread> threads_;
  std::thread flusher_;
  std::atomic<std::size_t> next_{0};
  std::atomic<std::uint64_t> written_{0};  // records written, all threads together
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t> consumed_;  // bytes of the file written out, headers included
  std::uint64_t reported_;
  std::mutex mutex_;
  std::condition_variable finished_;
  std::condition_variable flushWanted_;
  std::uint64_t flushRequests_ = 0;
  bool writingOver_ = false;
  int busy_ = 0;
  std::string failure_;  // cp1251, the first failure's message
  bool outOfMemory_ = false;
};

bool writeSections(const TreePlaces& t, const std::vector<SectionLayout>& sections, std::string_view data,
                   std::uint64_t start, Progress& progress) {
  SectionWriters writers(t, sections, data, start, progress);
  return writers.run();
}

bool unpackInto(const std::string& file, std::string_view sourceRoot, Progress& progress,
                std::optional<platform::FileLock>& lock, std::optional<TreePlaces>& places,
                std::uint64_t* records) {
  progress.setLine1(file);
  progress.setStage(ru("Открытие файла и подготовка папки..."));

  const std::string base = baseName(file);
  if (base.empty()) {
    error(ru("У файла ") + file + ru(" пустое имя до точки, папка базы совпала бы с папкой исходников. Нераспакован."));
    return false;
  }
  if (badFolderName(base)) {
    error(ru("Имя файла ") + file + ru(" не годится для имени папки (символы \\ / : * ? \" < > |). Нераспакован."));
    return false;
  }
  // A folder Windows would take for a device cannot hold the tree there,
  // whatever this host allows.
  if (isWindowsDeviceName(base)) {
    error(ru("Имя файла ") + file + ru(" дало бы папку ") + base +
          ru(", а это имя устройства Windows (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9). Переименуйте файл. "
             "Нераспакован."));
    return false;
  }
  const std::string folder = folderPart(sourceRoot) + base + "\\";
  const auto t = treePlaces(folder);
  if (!t) {
    error(ru("Не удалось создать папку ") + folder + ru(" (нет такого диска). Нераспакован."));
    return false;
  }

  // Read and check everything before the old folder is touched: a refused
  // file leaves the old sources as they were.
  if (!databaseFileReadable(file)) return false;
  const auto hostFile = platform::toHost(file);
  if (hostFile && fileExists(file)) {
    for (const fs::path* inside : {&t->target, &t->building, &t->aside}) {
      if (!isWithin(*hostFile, *inside)) continue;
      error(ru("Файл ") + file + ru(" лежит внутри папки ") + folder +
            ru(", которую распаковка удаляет. Перенесите его. Нераспакован."));
      return false;
    }
    // The first bytes and the size tell most malformed files: they are
    // refused before the whole file is read.
    std::string head;
    if (platform::readFileHead(*hostFile, 5, head) == platform::ReadStatus::Ok) {
      LayoutResult early;
      const std::uint64_t size = fileSize64(file);
      if (!checkHead(head, size, early)) {
        if (early.fault != LayoutFault::Empty && early.layout.firstByte != 1 && early.layout.firstByte != 0)
          messageDialog(Icon::Warning, ru("База начинается не на <01>. Нестандартно..."));
        error(layoutFaultText(early, file, static_cast<std::size_t>(size)));
        return false;
      }
    }
  }
  TFileInString buffer;
  if (!buffer.LoadFromFile(file)) return false;
  const std::string_view data = buffer.data();
  if (data.empty() && fileSize64(file) != 0) return false;  // could not be read; already said
  const LayoutResult layout = readDatabaseLayout(data);

  const auto st = entryStatus(t->target);
  if (platform::isLink(t->target)) {
    error(ru("Папка ") + folder + ru(" - это ссылка, а не папка. Удалите ее сами, если она не нужна. Нераспакован."));
    return false;
  }
  if (fs::exists(st) && !fs::is_directory(st)) {
    error(ru("На месте папки ") + folder + ru(" лежит файл. Нераспакован."));
    return false;
  }
  std::string refusal;
  if (!holdFolder(*t, lock, refusal)) {
    error(refusal + ru(" Нераспакован."));
    return false;
  }
  if (!settleInterruptedUnpack(*t)) {
    error(settleFailedText(folder) + ru(" Нераспакован."));
    return false;
  }

  progress.setStage(ru("Распаковка базы и запись исходника..."));
  progress.setMaximum(data.size());
  if (layout.fault != LayoutFault::Empty && layout.layout.firstByte != 0 && layout.layout.firstByte != 1)
    messageDialog(Icon::Warning, ru("База начинается не на <01>. Нестандартно..."));
  if (layout.fault != LayoutFault::None) {
    error(layoutFaultText(layout, file, data.size()));
    return false;
  }
  const std::size_t start = readNodeHeader(data, 0)->headerSize;
  progress.setPosition(start);

  // The new tree is written beside the folder and put in its place whole.
  if (!platform::makeFolder(t->building)) {
    error(ru("Не удалось создать папку ") + folder + ru(" (есть ли папка исходников?). Нераспакован."));
    return false;
  }
  places = t;
  if (!writeSections(*t, layout.layout.sections, data, start, progress)) return false;
  if (!platform::syncTree(t->building)) {
    error(ru("Не удалось записать на диск новый исходник папки ") + folder + ru(". Нераспакован."));
    return false;
  }
  const Placing placed = putTreeInPlace(*t);
  if (placed == Placing::Failed) {
    error(ru("Не удалось поставить новый исходник на место папки ") + folder + ru(". Нераспакован."));
    return false;
  }
  places.reset();
  if (placed == Placing::OldTreeStays) {
    error(ru("База распакована в папку ") + folder +
          ru(", но старый исходник рядом с ней (папка с .~kessik в имени) убрать не удалось. Уберите его сами."));
    return false;
  }
  if (records)
    for (const SectionLayout& s : layout.layout.sections) *records += s.records.size();
  return true;
}

}  // namespace

bool unpackDatabase(std::string_view databaseFile, std::string_view sourceRoot, Progress& progress,
                    std::uint64_t* records) {
  ProgressScope scope(progress);
  const std::string file(databaseFile);
  // Held until what a failed run wrote is gone.
  std::optional<platform::FileLock> lock;
  // Where the new tree was being written, until it is in place.
  std::optional<TreePlaces> places;
  bool ok = false;
  try {
    ok = unpackInto(file, sourceRoot, progress, lock, places, records);
  } catch (const std::bad_alloc&) {
    // Everything the work held is freed by now.
    error(ru("Не хватает памяти для распаковки файла ") + file + ru(". Нераспакован."));
  }
  if (places) {
    try {
      removeTree(places->building);
    } catch (...) {
      // Left for the next unpack, which recognises it.
    }
  }
  return ok;
}

}  // namespace kessik
