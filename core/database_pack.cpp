// Packing a database folder back into its database file.
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "core/database.h"
#include "core/folder_swap.h"
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

std::string number(std::uint64_t n) { return std::to_string(n); }

void error(const std::string& text) { messageDialog(Icon::Error, text); }

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
