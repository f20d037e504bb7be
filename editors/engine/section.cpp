#include "editors/engine/section.h"

#include <algorithm>
#include <unordered_map>

#include "core/database.h"
#include "core/section_save.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {

namespace {

void errorBox(const std::string& text) { messageBoxEx(text, "", Icon::Error); }

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

// The mask the scan takes: field 1 read quietly, less its last byte. A record
// without field 1 gets what the record object's read gives for it ("ERROR!"
// less its last byte); its message is shown for the first such record only.
std::string scannedMask(TZapisBaziZm& record, std::optional<std::string>& missingFieldMask) {
  if (record.FieldCount >= 1) return maskOf(record);
  if (!missingFieldMask) {
    ByteString value = record.GetField(1);
    missingFieldMask = value.empty() ? value : value.substr(0, value.size() - 1);
  }
  return *missingFieldMask;
}

}  // namespace

std::string sectionSourceFolder(const std::string& sourcesRoot, const Schema& schema) {
  return withTrailingBackslash(sourcesRoot) + schema.folder;
}

std::string sectionTemplateFolder(const std::string& programDir, const Schema& schema) {
  return withTrailingBackslash(programDir) + "shablons\\" + schema.folder;
}

std::string repeatedMasksMessage(const ZapListT& list) {
  constexpr std::size_t kLines = 20, kFilesPerLine = 8;
  // The files of each mask, the masks in the order they first appear.
  std::unordered_map<std::string, std::size_t> group;
  std::vector<std::vector<std::size_t>> files;
  for (std::size_t i = 0; i < list.size(); ++i) {
    auto [it, added] = group.try_emplace(list[i].mask, files.size());
    if (added) files.emplace_back();
    files[it->second].push_back(i);
  }
  std::string text;
  std::size_t lines = 0, more = 0;
  for (const auto& g : files) {
    if (g.size() < 2) continue;
    if (lines == kLines) {
      ++more;
      continue;
    }
    ++lines;
    text += "\n" + ru("«") + list[g[0]].mask + ru("»: ");
    for (std::size_t k = 0; k < g.size() && k < kFilesPerLine; ++k) text += (k ? ", " : "") + list[g[k]].file;
    if (g.size() > kFilesPerLine) text += ru(" (и ещё ") + std::to_string(g.size() - kFilesPerLine) + ")";
  }
  if (text.empty()) return text;
  if (more) text += "\n" + ru("и ещё ") + std::to_string(more);
  return ru("ВНИМАНИЕ!!, встречается повтор маски!") + text;
}

std::optional<ZapListT> scanSection(const Schema& schema, const std::string& ishPath, Progress& progress) {
  if (!folderExists(ishPath)) return std::nullopt;
  ZapListT list;
  TFileInString buffer;
  TZapisBaziZm record;
  std::optional<std::string> missingFieldMask;
  for (std::uint64_t k = 1;; ++k) {
    std::string file = recordFileName(k);
    std::string path = ishPath + file;
    if (!fileExists(path)) break;
    loadRecordFile(path, buffer, record);
    ZapEntry entry{file, scannedMask(record, missingFieldMask)};
    if (applyRecordNumber(schema, record, static_cast<int>(k))) writeRecordFile(path, buffer, record);
    list.push_back(std::move(entry));
    progress.setPosition(k);
  }
  // One warning for the whole scan, however many records repeat a mask.
  if (!schema.masksMayRepeat()) {
    if (std::string warning = repeatedMasksMessage(list); !warning.empty())
      messageBoxEx(warning, "", Icon::Warning);
  }
  return list;
}

bool MaskUnique(const ZapListT& list, const std::string& mask) {
  return std::none_of(list.begin(), list.end(), [&](const ZapEntry& e) { return e.mask == mask; });
}

bool MaskUniqueExcept(const ZapListT& list, const std::string& mask, int index) {
  for (int i = 0; i < static_cast<int>(list.size()); ++i)
    if (i != index && list[i].mask == mask) return false;
  return true;
}

bool maskAllowed(const Schema& schema, const ZapListT& list, const std::string& mask, int exceptIndex) {
  if (schema.masks == MaskRule::Repeatable) return true;
  if (!schema.freeMask.empty() && mask == schema.freeMask) return true;
  return MaskUniqueExcept(list, mask, exceptIndex);
}

std::string nextFreeFileName(const ZapListT& list) {
  for (std::uint64_t k = 1;; ++k) {
    std::string name = recordFileName(k);
    if (std::none_of(list.begin(), list.end(), [&](const ZapEntry& e) { return e.file == name; })) return name;
  }
}

bool loadRecordFile(const std::string& path, TFileInString& buffer, TZapisBaziZm& record) {
  bool ok = buffer.LoadFromFile(path);
  record.Parse(buffer.data(), buffer.Size());
  return ok;
}

bool writeRecordFile(const std::string& path, TFileInString& buffer, const TZapisBaziZm& record) {
  buffer.Assign(record.Bytes);
  return buffer.SaveToFile(path);
}

bool createRecordFromTemplate(const std::string& templatePath, const std::string& mask,
                              const std::string& recordPath) {
  TFileInString buffer;
  TZapisBaziZm record;
  if (!loadRecordFile(templatePath, buffer, record)) return false;
  // The read error has been said; "no fields" would only repeat it.
  if (buffer.ReadFailed()) return false;
  if (record.FieldCount < 1) {
    errorBox(ru("Шаблон ") + templatePath + ru(" не является записью базы (в нём нет полей). Запись не создана."));
    return false;
  }
  setMask(record, mask);
  record.Rebuild();
  return writeRecordFile(recordPath, buffer, record);
}

bool CompactZapFiles(const std::string& folder) {
  std::uint64_t k = 1;
  while (fileExists(folder + recordFileName(k))) ++k;
  for (std::uint64_t j = k; fileExists(folder + recordFileName(j + 1)); ++j) {
    if (!renameFile(folder + recordFileName(j + 1), folder + recordFileName(j))) {
      errorBox(ru("Не удалось переименовать ") + folder + recordFileName(j + 1) + ru(" в ") + recordFileName(j) +
               ru(". Нумерация записей в папке осталась с пропуском."));
      return false;
    }
  }
  return true;
}

bool deleteRecord(const std::string& ishPath, const std::string& file, bool* folderChanged) {
  if (folderChanged) *folderChanged = false;
  // Renumbering is a batch of renames: no unpack or import of the database
  // meanwhile.
  SectionLock lock(ishPath);
  if (!lock.held()) {
    errorBox(lock.busyText() + ru(" Запись не удалена."));
    return false;
  }
  if (!deleteFile(ishPath + file)) {
    errorBox(ru("Не удалось удалить файл ") + ishPath + file + ".");
    return false;
  }
  if (folderChanged) *folderChanged = true;
  return CompactZapFiles(ishPath);
}

std::vector<int> sortedOrder(const ZapListT& list) {
  std::vector<int> order(list.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return compareIgnoringCase(list[a].mask, list[b].mask) < 0; });
  return order;
}

std::string backupFolderOf(const std::string& ishPath) { return withoutTrailingBackslash(ishPath) + "_old\\"; }

bool sortSection(const std::string& ishPath, const ZapListT& list, bool* folderChanged, Progress& progress) {
  bool changedHere = false;
  if (!folderChanged) folderChanged = &changedHere;
  *folderChanged = false;
  if (list.size() <= 1) return true;
  SectionLock lock(ishPath);
  if (!lock.held()) {
    errorBox(lock.busyText() + ru(" Сортировка не выполнена."));
    return false;
  }
  const std::vector<int> order = sortedOrder(list);
  const std::string source = withoutTrailingBackslash(ishPath);
  const std::string backup = backupFolderOf(ishPath);

  if (folderExists(backup)) {
    // A backup that still holds record files is what an interrupted sort
    // left behind: it is never deleted unseen.
    for (const auto& e : listFolder(backup).entries) {
      if (e.kind == EntryKind::File && wildcardMatch(e.name, "*.zap")) {
        errorBox(ru("Папка ") + backup +
                 ru(" уже существует и содержит записи (возможно, от прерванной сортировки). "
                    "Перенесите нужные записи оттуда или удалите эту папку. Сортировка не выполнена."));
        return false;
      }
    }
    deleteFolderTree(backup, true);
  }
  if (!renameFolder(source, withoutTrailingBackslash(backup))) {
    errorBox(ru("Не удалось переименовать папку ") + source + ru(" в ") + withoutTrailingBackslash(backup) +
             ru(". Сортировка не выполнена, записи остались на месте."));
    return false;
  }
  *folderChanged = true;
  createFolder(ishPath);
  if (!folderExists(ishPath)) {
    *folderChanged = !renameFolder(withoutTrailingBackslash(backup), source);
    errorBox(ru("Не удалось создать папку ") + ishPath + ru(". Сортировка не выполнена."));
    return false;
  }
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::string& from = list[order[k]].file;
    std::string to = recordFileName(k + 1);
    if (!moveFile(backup + from, ishPath + to)) {
      errorBox(ru("Сортировка прервана: не удалось перенести ") + backup + from + ru(" в ") + ishPath + to +
               ru(". Записи, которые не перенесены, находятся в папке ") + backup +
               ru("; перенесённые уже лежат в папке ") + ishPath + ru(" под новыми номерами."));
      return false;
    }
    progress.setPosition(k + 1);
  }
  // Whatever else the folder held goes back where it was.
  bool leftBehind = false;
  for (const auto& e : listFolder(backup).entries) {
    if (isDotEntry(e.name)) continue;
    bool moved = e.kind == EntryKind::File ? moveFile(backup + e.name, ishPath + e.name)
                                           : renameFolder(backup + e.name, ishPath + e.name);
    leftBehind = leftBehind || !moved;
  }
  if (leftBehind) {
    errorBox(ru("Записи отсортированы, но часть прочих файлов не удалось вернуть в папку ") + ishPath +
             ru(": они остались в папке ") + backup + ".");
    return false;
  }
  deleteFolderTree(backup, true);
  return true;
}

std::string templateNameOf(const std::string& templatePath) {
  std::string name = fileNamePart(templatePath);
  auto dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool saveRecordAsTemplate(const TZapisBaziZm& record, const std::string& templatePath) {
  TZapisBaziZm copy = record;
  setMask(copy, templateNameOf(templatePath));
  copy.Rebuild();
  TFileInString buffer;
  return writeRecordFile(templatePath, buffer, copy);
}

}  // namespace kessik
