#include "archives/driver/resbuild.h"

#include <cstdlib>

#include "platform/host.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/paths.h"

namespace kessik::archives {
namespace {

const char* const kPackNoTemporary = "Не удалось создать временный файл :(. Запаковки не было.";
const char* const kPackNoTargetFolder = "Нету папки, в которую надо ложить файл :(. Запаковки не было.";
const char* const kPackNoSourceFolder = "Нету папки, из которой надо брать файлы для паковки :(. Запаковки не было.";
const char* const kUnpackNoArchive = "Файла, указанного для распаковки не существует :(. Распаковки не было.";
const char* const kUnpackNoFolder = "Папки назначения нету, и создать ее не удалось :(. Распаковки не было.";
const char* const kOptimizeNoArchive = "Файла, указанного для оптимизации не существует :(. Распаковки не было.";

// Host texts (error reasons, host paths) as cp1251 for a message.
std::string hostText(const std::string& text) {
#ifdef _WIN32
  return text;
#else
  if (auto t = utf8ToCp1251(text)) return *t;
  std::string ascii;
  for (unsigned char c : text) ascii += c < 0x80 ? static_cast<char>(c) : '?';
  return ascii;
#endif
}

}  // namespace

std::string ToolCall::commandLine() const {
  // A path without a short form on its volume keeps its blanks: quoted, the
  // tool still takes it for one argument.
  const bool blank = archiveArgument.find_first_of(" \t") != std::string::npos;
  const std::string archive = blank ? '"' + archiveArgument + '"' : archiveArgument;
  return std::string(" ") + operation + " " + archive + " *";
}

std::vector<std::string> ToolCall::arguments() const { return {std::string(1, operation), archiveArgument, "*"}; }

std::optional<std::string> freeTemporaryArchiveName(const std::string& folder) {
  std::string base = withTrailingBackslash(folder);
  for (std::int64_t n = 1; n <= 2147483647; ++n) {
    std::string name = base + "tr" + std::to_string(n) + ".res";
    if (!fileExists(name)) return name;
  }
  return std::nullopt;
}

std::string packFolderIntoArchive(const std::string& archive, const std::string& sourceFolder, ToolRunner& runner) {
  std::string result;
  bool possible = true;
  ToolCall call;
  call.operation = 'a';
  std::optional<std::string> temporary;
  std::string targetFolder = folderPart(archive);
  if (fileExists(archive)) {
    call.archiveArgument = shortPath(archive);
  } else if (!targetFolder.empty() && folderExists(targetFolder)) {
    temporary = freeTemporaryArchiveName(targetFolder);
    if (temporary) {
      call.archiveArgument = withTrailingBackslash(shortPath(targetFolder)) + fileNamePart(*temporary);
    } else {
      result = ru(kPackNoTemporary);
      possible = false;
    }
  } else {
    result = ru(kPackNoTargetFolder);
    possible = false;
  }
  if (folderExists(sourceFolder)) {
    call.workingFolder = shortPath(sourceFolder);
  } else {
    result = ru(kPackNoSourceFolder);
    possible = false;
  }
  if (!possible) return result;

  std::string notStarted = runner.run(call);
  if (!notStarted.empty() || !temporary) return notStarted;
  // The archive is replaced only by an archive the tool really wrote: when it
  // left no temporary file, the old name is left alone. Either way a new
  // archive that did not take its name is said, not passed over.
  if (!fileExists(*temporary))
    return ru("Резбилд не записал временный архив ") + *temporary + ru(" :(. Архив ") + archive + ru(" не заменён.");
  if (fileExists(archive)) deleteFile(archive);
  if (!renameFile(*temporary, archive))
    return ru("Не удалось дать временному архиву ") + *temporary + ru(" имя ") + archive +
           ru(" :(. Запакованное осталось в ") + *temporary + ".";
  return {};
}

std::string unpackArchive(const std::string& archive, const std::string& destinationFolder, ToolRunner& runner) {
  std::string result;
  bool possible = true;
  ToolCall call;
  call.operation = 'e';
  if (fileExists(archive)) {
    call.archiveArgument = shortPath(archive);
  } else {
    result = ru(kUnpackNoArchive);
    possible = false;
  }
  if (!folderExists(destinationFolder)) createFolderTree(destinationFolder);
  if (folderExists(destinationFolder)) {
    call.workingFolder = shortPath(destinationFolder);
  } else {
    result = ru(kUnpackNoFolder);
    possible = false;
  }
  if (!possible) return result;
  return runner.run(call);
}

std::string optimizeArchive(const std::string& archive, ToolRunner& runner) {
  if (!fileExists(archive)) return ru(kOptimizeNoArchive);
  ToolCall call;
  call.operation = 'o';
  call.archiveArgument = shortPath(archive);
  return runner.run(call);
}

std::string runOperation(ResbuildOperation operation, const std::string& firstPath, const std::string& secondPath,
                         ToolRunner& runner) {
  switch (operation) {
    case ResbuildOperation::Pack: return packFolderIntoArchive(firstPath, secondPath, runner);
    case ResbuildOperation::Unpack: return unpackArchive(firstPath, secondPath, runner);
    case ResbuildOperation::Optimize: return optimizeArchive(firstPath, runner);
    case ResbuildOperation::None: break;
  }
  return {};
}

HostFacts currentHostFacts() {
  HostFacts f;
#ifdef _WIN32
  f.windows = true;
#else
  if (const char* env = std::getenv("KESSIK_RESBUILD"); env && *env) f.resbuildOverride = std::string(env);
  f.wine = platform::findOnPath("wine");
#endif
  return f;
}

std::string toolNotStartedMessage(const std::string& programShown, const std::string& reason) {
  return ru("Не удалось запустить резбилд ") + programShown + " (" + reason + ru("). Резбилд не работал.");
}

ToolLaunch planToolLaunch(const std::string& programDir, const ToolCall& call, const HostFacts& facts) {
  ToolLaunch launch;
  std::string resbuild = withTrailingBackslash(programDir) + "resbuild.exe";
  launch.request.workingFolder = call.workingFolder;
  if (facts.windows) {
    auto host = platform::toHost(resbuild);
    launch.request.program = host ? *host : std::filesystem::path(resbuild);
    launch.request.commandLine = call.commandLine();
    launch.request.newConsole = true;
    launch.programShown = resbuild;
    return launch;
  }
  if (facts.resbuildOverride) {
    launch.request.program = *facts.resbuildOverride;
    launch.request.arguments = call.arguments();
    launch.programShown = hostText(*facts.resbuildOverride);
    return launch;
  }
  launch.programShown = resbuild;
  auto host = platform::toHost(resbuild);
  if (facts.wine && host) {
    launch.request.program = *facts.wine;
    launch.request.arguments.push_back(host->string());
    for (const auto& a : call.arguments()) launch.request.arguments.push_back(cp1251ToUtf8(a));
    return launch;
  }
  launch.error = toolNotStartedMessage(
      resbuild, host ? ru("нет wine в PATH, и не задана переменная KESSIK_RESBUILD") : ru("нет такого диска"));
  return launch;
}

HostToolRunner::HostToolRunner(std::string programDir, HostFacts facts)
    : programDir_(std::move(programDir)), facts_(std::move(facts)) {}

std::string HostToolRunner::run(const ToolCall& call) {
  ToolLaunch launch = planToolLaunch(programDir_, call, facts_);
  if (!launch.error.empty()) return launch.error;
  std::string reason;
  auto child = platform::startProcess(launch.request, &reason);
  if (!child) return toolNotStartedMessage(launch.programShown, hostText(reason));
  waitFor(*child);
  return {};
}

}  // namespace kessik::archives
