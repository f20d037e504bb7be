#include "workbench/engine/record_writer.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/files.h"
#include "platform/host.h"
#include "util/cp1251.h"

namespace kessik {

namespace {

// A new record file waits beside its record under the name a replacing
// writer gives its temporary file, so that one left by a killed run is
// removed by the next write of that record.
std::filesystem::path stagedName(const std::filesystem::path& target) {
  std::filesystem::path staged = target;
  staged += std::string(platform::kTemporarySuffix);
  return staged;
}

}  // namespace

std::optional<std::string> writeSectionRecords(const std::string& sectionFolder,
                                               const std::map<std::string, ByteString>& files) {
  if (files.empty()) return std::nullopt;
  if (!folderExists(sectionFolder)) return ru("Папки раздела ") + sectionFolder + ru(" нет. Ничего не записано.");
  struct Staged {
    std::string path;
    std::filesystem::path target, staged;
  };
  std::vector<Staged> staged;
  auto dropStaged = [&] {
    std::error_code ec;
    for (const Staged& s : staged) std::filesystem::remove(s.staged, ec);
  };
  // Every new record file is written whole beside its record first. An
  // empty record is never written: it is what an interrupted write leaves.
  for (const auto& [file, bytes] : files) {
    const std::string path = sectionFolder + file;
    auto host = platform::toHost(path);
    if (bytes.empty() || !host) {
      dropStaged();
      return ru("Запись ") + path + ru(" не может быть записана. Ничего не записано.");
    }
    Staged s{path, *host, stagedName(*host)};
    if (!platform::writeFileReplacing(s.staged, bytes)) {
      dropStaged();
      return ru("Не удалось записать ") + path + ru(" (нет места на диске или нет прав). Ничего не записано.");
    }
    staged.push_back(std::move(s));
  }
  // All are whole: each takes its record's place in one rename.
  for (std::size_t i = 0; i < staged.size(); ++i) {
    std::error_code ec;
    std::filesystem::rename(staged[i].staged, staged[i].target, ec);
    if (!ec) continue;
    std::error_code ignored;
    for (std::size_t j = i; j < staged.size(); ++j) std::filesystem::remove(staged[j].staged, ignored);
    if (i == 0) return ru("Не удалось заменить ") + staged[i].path + ru(". Ничего не записано.");
    return ru("Не удалось заменить ") + staged[i].path + ru("; записано записей: ") + std::to_string(i) +
           ru(" из ") + std::to_string(staged.size()) + ru(", остальные остались как были.");
  }
  return std::nullopt;
}

}  // namespace kessik
