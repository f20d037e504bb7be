#include "core/section_save.h"

#include <filesystem>
#include <new>
#include <memory>
#include <set>
#include <system_error>

#include "core/folder_swap.h"
#include "util/cp1251.h"
#include "util/crashpoint.h"
#include "util/notify.h"
#include "util/paths.h"

namespace fs = std::filesystem;

namespace kessik {
namespace {

void error(const std::string& text) { messageDialog(Icon::Error, text); }

// What stops the section road: an entry it cannot carry into the new tree
// as it is (a link, a special file) or a step that failed.
enum class Built { Done, CannotCarry, Failed };

// The new tree gets every entry of the old one: files linked (copied where
// the file system has no links), folders made anew, the changed files left
// to the caller.
class TreeCopier {
 public:
  TreeCopier(const std::set<fs::path>& changed, Progress& progress) : changed_(changed), progress_(progress) {}

  Built copy(const fs::path& from, const fs::path& to, bool top) {
    std::error_code ec;
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
      const fs::path name = it->path().filename();
      if (top && changed_.count(name)) continue;
      if (platform::isLink(it->path())) return Built::CannotCarry;
      std::error_code st;
      const fs::file_status status = it->symlink_status(st);
      if (fs::is_directory(status)) {
        if (!platform::makeFolder(to / name)) return Built::Failed;
        const Built inner = copy(it->path(), to / name, false);
        if (inner != Built::Done) return inner;
      } else if (fs::is_regular_file(status)) {
        if (!platform::linkFile(it->path(), to / name) && !copyFile(it->path(), to, name)) return Built::Failed;
        crashPoint("section-link");
        progress_.setPosition(++done_);
      } else {
        return Built::CannotCarry;
      }
    }
    return ec ? Built::Failed : Built::Done;
  }
  std::uint64_t done() const { return done_; }

 private:
  static bool copyFile(const fs::path& file, const fs::path& folder, const fs::path& name) {
    std::string bytes;
    if (platform::readWholeFile(file, bytes) != platform::ReadStatus::Ok) return false;
    platform::FolderWriter writer(folder);
    return writer.write(name, bytes);
  }

  const std::set<fs::path>& changed_;
  Progress& progress_;
  std::uint64_t done_ = 0;
};

// The second line of "Error, Saving": the file and why it failed.
std::string saveFailureLine(const std::string& file, const platform::ReplacingFile& out) {
  return platform::failureLine(platform::FileDeed::Write, file, out.error());
}

// One by one, each replaced whole and synced.
SectionSave saveOneByOne(const std::string& folder, const fs::path& host, const std::vector<RecordBytes>& files,
                         Progress& progress) {
  SectionSave r;
  // Every file is written whole beside its record first; only then do they
  // take their places, so a write that fails (a full disk) changes no record.
  std::vector<std::unique_ptr<platform::ReplacingFile>> staged;
  for (const RecordBytes& f : files) {
    auto file = std::make_unique<platform::ReplacingFile>(host / platform::toHost(folder + f.file)->filename());
    if (!file->isOpen() || !file->write(f.bytes) || !file->flush()) {
      messageBoxEx("Error, Saving" + folder + f.file + saveFailureLine(folder + f.file, *file), "Error", Icon::Error);
      return r;
    }
    staged.push_back(std::move(file));
  }
  for (std::size_t i = 0; i < staged.size(); ++i) {
    if (!staged[i]->commit()) {
      messageBoxEx("Error, Saving" + folder + files[i].file + saveFailureLine(folder + files[i].file, *staged[i]),
                   "Error", Icon::Error);
      return r;
    }
    crashPoint("import-record");
    progress.setPosition(++r.written);
  }
  r.ok = true;
  return r;
}

// Built beside the folder, synced, swapped in whole.
Built saveAsNewTree(const TreePlaces& t, const std::vector<RecordBytes>& files, const std::set<fs::path>& changed,
                    Progress& progress) {
  if (!platform::makeFolder(t.building)) {
    error(ru("Не удалось создать папку ") + withoutTrailingBackslash(t.folder) + ru(".~kessik\\ для нового раздела ") +
          t.folder + ru(". Ничего не записано."));
    return Built::Failed;
  }
  TreeCopier copier(changed, progress);
  const Built carried = copier.copy(t.target, t.building, true);
  if (carried == Built::CannotCarry) return carried;
  if (carried == Built::Failed) {
    error(ru("Не удалось перенести файлы раздела ") + t.folder + ru(" в новую папку рядом с ним. Ничего не записано."));
    return carried;
  }
  platform::FolderWriter writer(t.building);
  std::uint64_t done = copier.done();
  for (const RecordBytes& f : files) {
    const fs::path name = platform::toHost(t.folder + f.file)->filename();
    if (!writer.write(name, f.bytes)) {
      error(ru("Ошибка записи файла ") + t.folder + f.file + ru(" в новую папку раздела. Ничего не записано."));
      return Built::Failed;
    }
    crashPoint("import-record");
    progress.setPosition(++done);
  }
  if (!platform::syncTree(t.building)) {
    error(ru("Не удалось записать на диск новый раздел ") + t.folder + ru(". Ничего не записано."));
    return Built::Failed;
  }
  crashPoint("section-synced");
  const Placing placed = putTreeInPlace(t);
  if (placed == Placing::Failed) {
    error(ru("Не удалось поставить новый раздел на место папки ") + t.folder + ru(". Ничего не записано."));
    return Built::Failed;
  }
  if (placed == Placing::OldTreeStays)
    messageDialog(Icon::Warning, ru("Записи раздела ") + t.folder +
                                     ru(" сохранены, но старую папку рядом с ним (с .~kessik в имени) убрать не "
                                        "удалось. Уберите ее сами."));
  return Built::Done;
}

// A name the section folder can hold as a file of its own.
bool plainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.find_first_of("\\/:") != std::string::npos) return false;
  return name.find(std::string(platform::kTemporarySuffix)) == std::string::npos;
}

SectionSave saveUnder(const std::string& folder, const TreePlaces& t, std::vector<RecordBytes>& files,
                      Progress& progress) {
  if (!settleInterruptedUnpack(t)) {
    error(settleFailedText(folder) + ru(" Ничего не записано."));
    return {};
  }
  if (platform::isLink(t.target) || !fs::is_directory(entryStatus(t.target))) {
    error(ru("Папки раздела ") + folder + ru(" нет. Ничего не записано."));
    return {};
  }
  std::set<fs::path> changed;
  for (const RecordBytes& f : files) {
    if (!plainFileName(f.file) || !platform::toHost(folder + f.file)) {
      error(ru("Имя файла записи «") + f.file + ru("» не годится для папки ") + folder + ru(". Ничего не записано."));
      return {};
    }
    // No record is 0 bytes long: it is what an interrupted write leaves.
    if (f.bytes.empty()) {
      error(ru("Запись ") + folder + f.file + ru(" пуста: такой записи не бывает. Ничего не записано."));
      return {};
    }
    if (!changed.insert(platform::toHost(folder + f.file)->filename()).second) {
      error(ru("Файл записи ") + folder + f.file + ru(" назван для записи дважды. Ничего не записано."));
      return {};
    }
  }
  if (files.empty()) return {true, 0};

  ProgressScope scope(progress);
  progress.setLine1(folder);
  progress.setStage(ru("Запись изменённых записей..."));
  if (files.size() > kFewRecordFiles) {
    std::uint64_t entries = files.size();
    std::error_code ec;
    for (fs::directory_iterator it(t.target, ec), end; !ec && it != end; it.increment(ec)) ++entries;
    progress.setMaximum(entries);
    const Built built = saveAsNewTree(t, files, changed, progress);
    if (built == Built::Done) return {true, files.size()};
    removeTree(t.building);
    if (built == Built::Failed) return {};
    // A link or a special file in the folder: one by one after all.
  }
  progress.setMaximum(files.size());
  return saveOneByOne(folder, t.target, files, progress);
}

}  // namespace

std::string SectionLock::databaseFolderOf(const std::string& sectionFolder) {
  return withTrailingBackslash(parentFolder(withTrailingBackslash(sectionFolder)));
}

SectionLock::SectionLock(const std::string& sectionFolder) : databaseFolder_(databaseFolderOf(sectionFolder)) {
  const auto t = treePlaces(databaseFolder_);
  std::string refusal;
  held_ = t && holdFolder(*t, lock_, refusal);
  if (!held_ && lock_ && lock_->state() == platform::FileLock::State::Busy)
    refusal_ = ru("Папка ") + databaseFolder_ +
               ru(" сейчас занята другим процессом (распаковка, запаковка, импорт или сохранение раздела). "
                  "Дождитесь его конца.");
  else if (!held_)
    refusal_ = t ? refusal : ru("Папки ") + databaseFolder_ + ru(" нет.");
}

SectionSave saveSectionRecords(const std::string& sectionFolder, std::vector<RecordBytes> files, Progress& progress,
                               const SectionLock* held) {
  const std::string folder = withTrailingBackslash(sectionFolder);
  const auto t = treePlaces(folder);
  if (!t) {
    error(ru("Папки раздела ") + folder + ru(" нет. Ничего не записано."));
    return {};
  }
  std::optional<SectionLock> own;
  if (!held) held = &own.emplace(folder);
  if (!held->held()) {
    error(held->busyText() + ru(" Ничего не записано."));
    return {};
  }
  try {
    return saveUnder(folder, *t, files, progress);
  } catch (const std::bad_alloc&) {
    removeTree(t->building);
    error(ru("Не хватает памяти для записи раздела ") + folder + ru(". Ничего не записано."));
    return {};
  }
}

bool settleSectionLeftovers(const std::string& databaseFolder) {
  const auto host = platform::toHost(withoutTrailingBackslash(databaseFolder));
  if (!host) return true;
  std::set<std::string> sections;
  std::error_code ec;
  for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // Only a section's own: "2.~kessik", "2.~kessik-old".
    const std::size_t digits = name.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string::npos) continue;
    const std::string rest = name.substr(digits);
    if (rest == ".~kessik" || rest == ".~kessik-old") sections.insert(name.substr(0, digits));
  }
  bool ok = true;
  for (const std::string& section : sections) {
    const auto win = platform::nameFromHost(section);
    const auto t = win ? treePlaces(withTrailingBackslash(databaseFolder) + *win + "\\") : std::nullopt;
    ok = t && settleInterruptedUnpack(*t) && ok;
  }
  return ok;
}

}  // namespace kessik
