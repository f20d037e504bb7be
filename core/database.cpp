#include "core/database.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/filebuf.h"
#include "core/node.h"
#include "platform/host.h"
#include "util/cp1251.h"
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

// True when something in the host folder does not begin with "." (what
// deleting a folder tree leaves on purpose).
bool holdsOwnEntries(const fs::path& dir) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const auto name = it->path().filename().native();
    if (name.empty() || name[0] != '.') return true;
  }
  return static_cast<bool>(ec);
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

// Deletes the old database folder and makes it anew, empty. Refuses (and
// touches nothing) when the name is taken by a link or a file, so that
// nothing outside the folder is ever written or deleted.
bool prepareDatabaseFolder(const std::string& folder, const fs::path& host) {
  std::error_code ec;
  auto st = fs::symlink_status(host, ec);
  if (fs::is_symlink(st)) {
    error(ru("Папка ") + folder + ru(" - это ссылка, а не папка. Удалите ее сами, если она не нужна. Нераспакован."));
    return false;
  }
  if (fs::exists(st) && !fs::is_directory(st)) {
    error(ru("На месте папки ") + folder + ru(" лежит файл. Нераспакован."));
    return false;
  }
  if (fs::is_directory(st)) {
    deleteFolderTree(folder, true);
    if (fs::is_directory(fs::symlink_status(host, ec)) && holdsOwnEntries(host)) {
      error(ru("Не удалось удалить старую папку ") + folder + ru(" целиком. Нераспакован."));
      return false;
    }
  }
  createFolder(folder);
  if (!fs::is_directory(fs::symlink_status(host, ec))) {
    error(ru("Не удалось создать папку ") + folder + ru(" (есть ли папка исходников?). Нераспакован."));
    return false;
  }
  return true;
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

bool unpackDatabase(std::string_view databaseFile, std::string_view sourceRoot, Progress& progress) {
  ProgressScope scope(progress);
  const std::string file(databaseFile);
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
  auto hostFolder = platform::toHost(withoutTrailingBackslash(folder));
  if (!hostFolder) {
    error(ru("Не удалось создать папку ") + folder + ru(" (нет такого диска). Нераспакован."));
    return false;
  }

  // Read and check everything before the old folder goes: a missing file
  // leaves the old sources alone.
  TFileInString buffer;
  if (!buffer.LoadFromFile(file)) return false;
  const std::string_view data = buffer.data();
  if (data.empty() && fileSize64(file) != 0) return false;  // could not be read; already said
  if (auto hostFile = platform::toHost(file); hostFile && isWithin(*hostFile, *hostFolder)) {
    error(ru("Файл ") + file + ru(" лежит внутри папки ") + folder +
          ru(", которую распаковка удаляет. Перенесите его. Нераспакован."));
    return false;
  }
  const LayoutResult layout = readDatabaseLayout(data);

  if (!prepareDatabaseFolder(folder, *hostFolder)) return false;

  progress.setStage(ru("Распаковка базы и запись исходника..."));
  progress.setMaximum(data.size());
  if (layout.fault != LayoutFault::Empty && layout.layout.firstByte != 0 && layout.layout.firstByte != 1)
    messageDialog(Icon::Warning, ru("База начинается не на <01>. Нестандартно..."));
  if (layout.fault != LayoutFault::None) {
    error(layoutFaultText(layout, file, data.size()));
    return false;
  }
  if (auto top = readNodeHeader(data, 0)) progress.setPosition(top->headerSize);

  for (const SectionLayout& s : layout.layout.sections) {
    const fs::path sectionHost = *hostFolder / number(s.number);
    std::error_code ec;
    fs::create_directory(sectionHost, ec);
    if (ec) {
      deleteFolderTree(folder, false);
      error(ru("Не удалось создать папку ") + folder + number(s.number) + ru("\\. Нераспакован."));
      return false;
    }
    platform::FolderWriter writer(sectionHost);
    std::uint64_t n = 0;
    for (const RecordSpan& rec : s.records) {
      const std::string name = recordFileName(++n);
      if (!writer.write(name, data.substr(rec.offset, rec.size))) {
        deleteFolderTree(folder, false);
        error(ru("Ошибка записи файла ") + folder + number(s.number) + "\\" + name + ru(". Нераспакован."));
        return false;
      }
      progress.setPosition(rec.offset + rec.size);
    }
  }
  return true;
}

bool packDatabase(std::string_view databaseFolder, std::string_view databaseFile, Progress& progress) {
  ProgressScope scope(progress);
  const std::string file(databaseFile);
  progress.setLine1(file);
  progress.setStage(ru("Анализ исходника и подсчет ДЛ..."));

  const std::string folder = withTrailingBackslash(databaseFolder.empty() ? "." : databaseFolder);
  auto hostFolder = platform::toHost(withoutTrailingBackslash(folder));
  std::error_code ec;
  if (!hostFolder || !fs::is_directory(fs::status(*hostFolder, ec))) {
    error(ru("Папки исходника ") + folder + ru(" нет. База ") + file + ru(" не запакована."));
    return false;
  }

  // Every record file is read once, into one buffer; the sizes come from
  // what was read.
  progress.setMaximum(kMaxPackedSections);
  std::string body;
  std::vector<std::size_t> sectionEnds;
  std::string record;
  int i = 1;
  for (; i <= kMaxPackedSections; ++i) {
    const fs::path sectionHost = *hostFolder / number(i);
    if (!fs::is_directory(fs::status(sectionHost, ec))) break;
    for (std::uint64_t n = 1;; ++n) {
      const std::string name = recordFileName(n);
      auto status = platform::readWholeFile(sectionHost / name, record);
      if (status == platform::ReadStatus::Missing) break;
      if (status == platform::ReadStatus::CannotOpen) {
        error(ru("Не удалось прочитать файл ") + folder + number(i) + "\\" + name + ru(". База ") + file +
              ru(" не запакована."));
        return false;
      }
      body += record;
    }
    const std::size_t start = sectionEnds.empty() ? 0 : sectionEnds.back();
    if (body.size() - start > kMaxPayload) {
      error(ru("Раздел ") + folder + number(i) + ru("\\ больше 2 Гб. База ") + file + ru(" не запакована."));
      return false;
    }
    sectionEnds.push_back(body.size());
    progress.setPosition(static_cast<std::uint64_t>(i));
  }
  if (i > kMaxPackedSections && fs::is_directory(fs::status(*hostFolder / number(i), ec))) {
    messageDialog(Icon::Warning, ru("В папке ") + folder + ru(" больше ") + number(kMaxPackedSections) +
                                     ru(" разделов. Разделы с ") + number(i) + ru("-го в базу не попали."));
  }

  std::uint64_t total = 0;
  std::size_t start = 0;
  for (std::size_t end : sectionEnds) {
    total += 1 + sizeCodeWidth(end - start) + (end - start);
    start = end;
  }
  if (total > kMaxPayload) {
    error(ru("База из папки ") + folder + ru(" больше 2 Гб. База ") + file + ru(" не запакована."));
    return false;
  }

  progress.setLine1(file);
  progress.setStage(ru("Генерация новой базы и запись ее на диск..."));
  std::string out;
  out.reserve(static_cast<std::size_t>(total) + 5 + kDatabaseTrailer.size());
  appendNodeHeader(out, 1, total);
  start = 0;
  for (std::size_t k = 0; k < sectionEnds.size(); ++k) {
    const std::size_t end = sectionEnds[k];
    appendNodeHeader(out, static_cast<std::uint8_t>(k + 1), end - start);
    out.append(body, start, end - start);
    start = end;
  }
  out += kDatabaseTrailer;
  progress.setMaximum(out.size());
  TFileInString buffer;
  buffer.Assign(std::move(out));
  if (!buffer.SaveToFile(file)) return false;
  progress.setPosition(static_cast<std::uint64_t>(buffer.Size()));
  return true;
}

}  // namespace kessik
