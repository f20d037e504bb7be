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

#include "core/filebuf.h"
#include "core/node.h"
#include "platform/host.h"
#include "util/cp1251.h"
#include "util/crashpoint.h"
#include "util/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace fs = std::filesystem;

namespace kessik {
namespace {

// The size code holds 2 * L + 1 in 32 bits.
constexpr std::uint64_t kMaxPayload = 0x7FFFFFFFu;

// Shows the progress and closes it on every way out.
class ProgressScope {
 public:
  explicit ProgressScope(Progress& p) : p_(p) { p_.show(); }
  ~ProgressScope() { p_.close(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  Progress& p_;
};

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

bool isWithin(const fs::path& inner, const fs::path& outer) {
  std::error_code ec;
  fs::path a = fs::weakly_canonical(inner, ec);
  if (ec) return false;
  fs::path b = fs::weakly_canonical(outer, ec);
  if (ec) return false;
  auto ai = a.begin();
  for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
    if (bi->empty()) continue;  // a trailing separator
    if (ai == a.end() || *ai != *bi) return false;
  }
  return true;
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

// The names of our own beside a database folder "R\prints\": the new tree
// is built in "R\prints.~kessik\" and put in place only when it is whole;
// where the host cannot exchange two folders in one step, the old tree is
// set aside as "R\prints.~kessik-old\" first and removed last. A run that
// works on the folder holds "R\prints.~kessik-lock" meanwhile, so that no
// other run takes its folders for leftovers. A base name holds no ".", so
// these names are never a database folder.
struct TreePlaces {
  std::string folder;  // D, with a trailing backslash
  fs::path target;     // D on the host
  fs::path building;   // the new tree while it is written
  fs::path aside;      // the old tree while the two change places
  fs::path lock;       // held by the run that works on the folder
};

std::optional<TreePlaces> treePlaces(const std::string& folder) {
  auto target = platform::toHost(withoutTrailingBackslash(folder));
  if (!target || target->filename().empty()) return std::nullopt;
  TreePlaces t;
  t.folder = folder;
  t.target = *target;
  t.building = *target;
  t.building += ".~kessik";
  t.aside = *target;
  t.aside += ".~kessik-old";
  t.lock = *target;
  t.lock += ".~kessik-lock";
  return t;
}

fs::file_status entryStatus(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec);
}

// Removes a folder of our own (or what stands under its name) whole.
bool removeTree(const fs::path& p) {
  std::error_code ec;
  auto st = entryStatus(p);
  if (!fs::exists(st)) return true;
  if (platform::isLink(p)) return platform::removeLink(p);  // a link as itself, never entered
  if (!fs::is_directory(st)) return fs::remove(p, ec);
  auto win = platform::fromHost(p);
  return win && removeWholeFolder(*win);
}

// Names beginning with "." (a ".gitkeep" in a section folder, a ".git"
// beside the sections) are no part of the database: they move from the old
// tree to the same place in the new one, at every level. A folder the new
// tree lacks is made for them, as deleting the old tree in place kept it.
void carryDotNames(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(it->path());
  for (const fs::path& entry : entries) {
    const fs::path name = entry.filename();
    const fs::path there = to / name;
    if (!name.native().empty() && name.native()[0] == '.') {
      if (fs::exists(entryStatus(there)) || platform::isLink(to)) continue;
      std::error_code made;
      if (!fs::is_directory(entryStatus(to))) fs::create_directories(to, made);
      platform::renameDurably(entry, there);
    } else if (fs::is_directory(entryStatus(entry)) && !platform::isLink(entry)) {
      carryDotNames(entry, there);
    }
  }
}

// An old tree goes whole, once what is not ours in it has moved to the
// database folder. False when it could not be removed.
bool retireOldTree(const fs::path& old, const fs::path& target) {
  if (fs::is_directory(entryStatus(old)) && !platform::isLink(old) && fs::is_directory(entryStatus(target)))
    carryDotNames(old, target);
  return removeTree(old);
}

// What an interrupted unpack left beside the database folder: the old tree
// set aside while the folder itself is missing goes back in its place; an
// unfinished new tree and an old tree whose successor is in place go. False
// when something could not be put right.
bool settleInterruptedUnpack(const TreePlaces& t) {
  std::error_code ec;
  if (fs::is_directory(entryStatus(t.aside)) && !fs::exists(entryStatus(t.target))) {
    if (!platform::renameDurably(t.aside, t.target)) return false;
  }
  bool ok = true;
  if (fs::exists(entryStatus(t.aside))) ok = retireOldTree(t.aside, t.target) && ok;
  if (fs::exists(entryStatus(t.building))) ok = retireOldTree(t.building, t.target) && ok;
  return ok;
}

enum class Placing { Failed, Placed, OldTreeStays };

// Puts the whole new tree in the database folder's place. The folder holds
// the old tree or the new one at every moment where the host can exchange
// two folders; elsewhere the old tree waits aside for the one rename between.
// The new tree must be on the disk already (a power cut never finds the name
// on a tree whose files were lost); the name is synced after. Failed leaves
// the names as they were.
Placing putTreeInPlace(const TreePlaces& t) {
  if (!fs::exists(entryStatus(t.target)))
    return platform::renameDurably(t.building, t.target) ? Placing::Placed : Placing::Failed;
  if (platform::exchangeFolders(t.building, t.target))
    return retireOldTree(t.building, t.target) ? Placing::Placed : Placing::OldTreeStays;
  if (!platform::renameDurably(t.target, t.aside)) return Placing::Failed;
  crashPoint("unpack-aside");
  if (!platform::renameDurably(t.building, t.target)) {
    platform::renameDurably(t.aside, t.target);
    return Placing::Failed;
  }
  return retireOldTree(t.aside, t.target) ? Placing::Placed : Placing::OldTreeStays;
}

// Holds the database folder for this run. False when another live run holds
// it: its folders beside ours are then no leftovers, and nothing is touched.
// Where no lock file can be made (a read-only source tree), nothing of ours
// can be written beside the folder either, and the run goes on.
bool holdFolder(const TreePlaces& t, std::optional<platform::FileLock>& lock) {
  lock.emplace(t.lock);
  return lock->state() != platform::FileLock::State::Busy;
}

std::string busyText(const std::string& folder) {
  return ru("Папка ") + folder + ru(" уже распаковывается или запаковывается другим процессом. Дождитесь его конца.");
}

std::string settleFailedText(const std::string& folder) {
  return ru("Рядом с папкой ") + folder +
         ru(" остались следы прерванной распаковки (папки с .~kessik в имени), и убрать их не удалось. "
            "Уберите их сами.");
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

LayoutResult readDatabaseLayout(std::string_view data) {
  LayoutResult r;
  if (data.empty()) {
    r.fault = LayoutFault::Empty;
    return r;
  }
  r.layout.firstByte = static_cast<std::uint8_t>(data[0]);
  if (r.layout.firstByte == 0) {
    r.fault = LayoutFault::FirstByteZero;
    return r;
  }
  auto top = readNodeHeader(data, 0);
  if (!top) {
    r.fault = LayoutFault::HeaderCut;
    return r;
  }
  // Widened, so that a huge size code cannot wrap.
  const std::uint64_t total = top->headerSize + top->payloadLength;
  if (data.size() < kDatabaseTrailer.size() || total != data.size() - kDatabaseTrailer.size()) {
    r.fault = LayoutFault::LengthMismatch;
    r.offset = static_cast<std::size_t>(std::min<std::uint64_t>(total + kDatabaseTrailer.size(), SIZE_MAX));
    return r;
  }
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
  void joinAll() {
    for (std::thread& th : threads_)
      if (th.joinable()) th.join();
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
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t> consumed_;  // bytes of the file written out, headers included
  std::uint64_t reported_;
  std::mutex mutex_;
  std::condition_variable finished_;
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
                std::optional<platform::FileLock>& lock, std::optional<TreePlaces>& places) {
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
  const std::string folder = folderPart(sourceRoot) + base + "\\";
  const auto t = treePlaces(folder);
  if (!t) {
    error(ru("Не удалось создать папку ") + folder + ru(" (нет такого диска). Нераспакован."));
    return false;
  }

  // Read and check everything before the old folder is touched: a refused
  // file leaves the old sources as they were.
  if (!databaseFileReadable(file)) return false;
  TFileInString buffer;
  if (!buffer.LoadFromFile(file)) return false;
  const std::string_view data = buffer.data();
  if (data.empty() && fileSize64(file) != 0) return false;  // could not be read; already said
  if (auto hostFile = platform::toHost(file)) {
    for (const fs::path* inside : {&t->target, &t->building, &t->aside}) {
      if (!isWithin(*hostFile, *inside)) continue;
      error(ru("Файл ") + file + ru(" лежит внутри папки ") + folder +
            ru(", которую распаковка удаляет. Перенесите его. Нераспакован."));
      return false;
    }
  }
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
  if (!holdFolder(*t, lock)) {
    error(busyText(folder) + ru(" Нераспакован."));
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
  return true;
}

}  // namespace

bool unpackDatabase(std::string_view databaseFile, std::string_view sourceRoot, Progress& progress) {
  ProgressScope scope(progress);
  const std::string file(databaseFile);
  // Held until what a failed run wrote is gone.
  std::optional<platform::FileLock> lock;
  // Where the new tree was being written, until it is in place.
  std::optional<TreePlaces> places;
  bool ok = false;
  try {
    ok = unpackInto(file, sourceRoot, progress, lock, places);
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

namespace {

struct PackedSection {
  std::vector<std::uint64_t> recordSizes;  // records 1, 2, ... up to the first gap
  std::uint64_t payload = 0;
};

// Measures the sections of the folder by the sizes of their record files,
// reading none. False after the message.
bool measureSections(const std::string& folder, const fs::path& hostFolder, const std::string& file,
                     std::vector<PackedSection>& sections) {
  std::error_code ec;
  int i = 1;
  for (; i <= kMaxPackedSections; ++i) {
    const fs::path sectionHost = hostFolder / number(i);
    if (!fs::is_directory(fs::status(sectionHost, ec))) break;
    PackedSection s;
    for (std::uint64_t n = 1;; ++n) {
      const std::string name = recordFileName(n);
      const fs::path recordHost = sectionHost / name;
      const auto st = fs::status(recordHost, ec);
      if (!fs::exists(st) || fs::is_directory(st)) break;
      const std::uint64_t size = fs::is_regular_file(st) ? fs::file_size(recordHost, ec) : 0;
      if (!fs::is_regular_file(st) || ec) {
        error(ru("Не удалось прочитать файл ") + folder + number(i) + "\\" + name + ru(". База ") + file +
              ru(" не запакована."));
        return false;
      }
      if (size == 0) {
        // No record is zero bytes long: such a file is what an interrupted
        // write leaves.
        error(ru("Файл записи ") + folder + number(i) + "\\" + name +
              ru(" пустой (0 байт), а запись базы не бывает пустой. Исправьте или удалите его. База ") + file +
              ru(" не запакована."));
        return false;
      }
      s.recordSizes.push_back(size);
      s.payload += size;
      if (s.payload > kMaxPayload) {
        error(ru("Раздел ") + folder + number(i) + ru("\\ больше 2 Гб. База ") + file + ru(" не запакована."));
        return false;
      }
    }
    sections.push_back(std::move(s));
  }
  if (i > kMaxPackedSections && fs::is_directory(fs::status(hostFolder / number(i), ec))) {
    messageDialog(Icon::Warning, ru("В папке ") + folder + ru(" больше ") + number(kMaxPackedSections) +
                                     ru(" разделов. Разделы с ") + number(i) + ru("-го в базу не попали."));
  }
  return true;
}

bool packInto(const std::string& folder, const std::string& file, Progress& progress) {
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
  if (t && !holdFolder(*t, lock)) {
    error(busyText(folder) + ru(" База ") + file + ru(" не запакована."));
    return false;
  }
  // The folder as an interrupted unpack may have left it: put right first.
  if (t && !settleInterruptedUnpack(*t)) {
    error(settleFailedText(folder) + ru(" База ") + file + ru(" не запакована."));
    return false;
  }
  std::error_code ec;
  if (!hostFolder || !fs::is_directory(fs::status(*hostFolder, ec))) {
    error(ru("Папки исходника ") + folder + ru(" нет. База ") + file + ru(" не запакована."));
    return false;
  }

  progress.setMaximum(kMaxPackedSections);
  std::vector<PackedSection> sections;
  if (!measureSections(folder, *hostFolder, file, sections)) return false;
  std::uint64_t total = 0;
  for (const PackedSection& s : sections) total += 1 + sizeCodeWidth(s.payload) + s.payload;
  if (total > kMaxPayload) {
    error(ru("База из папки ") + folder + ru(" больше 2 Гб. База ") + file + ru(" не запакована."));
    return false;
  }

  progress.setLine1(file);
  progress.setStage(ru("Генерация новой базы и запись ее на диск..."));
  progress.setMaximum(total);
  auto saveFailed = [&] {
    messageBoxEx("Error, Saving" + file, "Error", Icon::Error);
    return false;
  };
  const std::string fileFolder = folderPart(file);
  if (!fileFolder.empty()) createFolderTree(fileFolder);
  auto hostFile = platform::toHost(file);
  if (!hostFile) return saveFailed();
  // The records stream from their files into the new database file; only
  // one record is held at a time.
  platform::ReplacingFile out(*hostFile);
  if (!out.isOpen()) return saveFailed();
  std::string header;
  appendNodeHeader(header, 1, total);
  out.write(header);
  std::uint64_t written = 0;
  std::string record;
  for (std::size_t k = 0; k < sections.size(); ++k) {
    header.clear();
    appendNodeHeader(header, static_cast<std::uint8_t>(k + 1), sections[k].payload);
    out.write(header);
    const fs::path sectionHost = *hostFolder / number(static_cast<std::uint64_t>(k + 1));
    for (std::size_t n = 0; n < sections[k].recordSizes.size(); ++n) {
      const std::string name = recordFileName(n + 1);
      auto status = platform::readWholeFile(sectionHost / name, record);
      if (status == platform::ReadStatus::CannotOpen) {
        error(ru("Не удалось прочитать файл ") + folder + number(k + 1) + "\\" + name + ru(". База ") + file +
              ru(" не запакована."));
        return false;
      }
      if (status != platform::ReadStatus::Ok || record.size() != sections[k].recordSizes[n]) {
        error(ru("Файл ") + folder + number(k + 1) + "\\" + name +
              ru(" изменился или пропал во время запаковки. База ") + file + ru(" не запакована."));
        return false;
      }
      if (!out.write(record)) return saveFailed();
      crashPoint("pack-record");
      written += record.size();
      progress.setPosition(written);
    }
  }
  out.write(kDatabaseTrailer);
  if (!out.commit()) return saveFailed();
  progress.setPosition(total);
  return true;
}

}  // namespace

bool packDatabase(std::string_view databaseFolder, std::string_view databaseFile, Progress& progress) {
  ProgressScope scope(progress);
  const std::string file(databaseFile);
  const std::string folder = withTrailingBackslash(databaseFolder.empty() ? "." : databaseFolder);
  try {
    return packInto(folder, file, progress);
  } catch (const std::bad_alloc&) {
    // The temporary file went with the unwinding; the old file is untouched.
    error(ru("Не хватает памяти для запаковки папки ") + folder + ru(". База ") + file + ru(" не запакована."));
    return false;
  }
}

}  // namespace kessik
