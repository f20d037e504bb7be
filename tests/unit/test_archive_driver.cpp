// The archive tool driver: command lines, working folders, the temporary
// archive name and its rename, the six messages, how the tool is started on
// each host, and real runs of the stand-in tool as a child process.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#endif

#include "archives/driver/resbuild.h"
#include "platform/host.h"
#include "platform/process.h"
#include "support/testenv.h"
#include "util/cp1251.h"
#include "platform/files.h"

using namespace kessik;
using namespace kessik::archives;
using kessik::test::cp;
namespace fs = std::filesystem;

namespace {

// Records each call; optionally acts as the tool would.
class RecordingRunner : public ToolRunner {
 public:
  std::vector<ToolCall> calls;
  std::function<void(const ToolCall&)> act;
  std::string notStarted;
  std::string run(const ToolCall& call) override {
    calls.push_back(call);
    if (act) act(call);
    return notStarted;
  }
};

}  // namespace

class ArchiveDriver : public kessik::test::TempDrive {};

TEST_F(ArchiveDriver, PackIntoExistingArchiveWritesItInPlace) {
  writeFile("C:\\g\\database.res", "old");
  writeFile("C:\\g\\database_res\\items.idb", "x");
  RecordingRunner runner;
  EXPECT_EQ(packFolderIntoArchive("C:\\g\\database.res", "C:\\g\\database_res\\", runner), "");
  ASSERT_EQ(runner.calls.size(), 1u);
  EXPECT_EQ(runner.calls[0].commandLine(), " a C:\\g\\database.res *");
  EXPECT_EQ(runner.calls[0].arguments(), (std::vector<std::string>{"a", "C:\\g\\database.res", "*"}));
  // The tool gets short (8.3) paths; off Windows a path is its own short form.
  EXPECT_EQ(runner.calls[0].workingFolder, shortPath("C:\\g\\database_res\\"));
  EXPECT_EQ(readFile("C:\\g\\database.res"), "old");
}

TEST_F(ArchiveDriver, PackIntoNewArchiveUsesFirstFreeTemporaryNameThenRenames) {
  writeFile("C:\\g\\tr1.res", "one");
  writeFile("C:\\g\\tr2.res", "two");
  writeFile("C:\\src\\a.txt", "a");
  RecordingRunner runner;
  runner.act = [&](const ToolCall& c) { writeFile(c.archiveArgument, "packed"); };
  EXPECT_EQ(packFolderIntoArchive("C:\\g\\new.res", "C:\\src", runner), "");
  ASSERT_EQ(runner.calls.size(), 1u);
  EXPECT_EQ(runner.calls[0].commandLine(), " a C:\\g\\tr3.res *");
  EXPECT_EQ(runner.calls[0].workingFolder, "C:\\src");
  EXPECT_EQ(readFile("C:\\g\\new.res"), "packed");
  EXPECT_FALSE(hostExists("C:\\g\\tr3.res"));
  EXPECT_EQ(readFile("C:\\g\\tr1.res"), "one");
  EXPECT_EQ(readFile("C:\\g\\tr2.res"), "two");
}

// The old archive is only replaced by an archive the tool really wrote, and
// not at all when the tool could not be started. A new archive that did not
// take its name is reported, naming both files.
TEST_F(ArchiveDriver, PackKeepsArchiveWhenNoTemporaryFileAppeared) {
  writeFile("C:\\src\\a.txt", "a");
  struct Case {
    const char* name;
    bool started;
    bool toolWrites;      // the tool writes its temporary archive
    bool archiveIsFolder; // a folder stands under the archive's name: the rename fails
    const char* message;  // UTF-8
  };
  const Case cases[] = {
      {"not started", false, false, false, "not started"},
      {"no temporary archive", true, false, false,
       "Резбилд не записал временный архив C:\\g\\tr1.res :(. Архив C:\\g\\new.res не заменён."},
      {"rename fails", true, true, true,
       "Не удалось дать временному архиву C:\\g\\tr1.res имя C:\\g\\new.res :(. Запакованное осталось в "
       "C:\\g\\tr1.res."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingRunner runner;
    // Something else made the archive meanwhile.
    runner.act = [&](const ToolCall& call) {
      if (c.archiveIsFolder) fs::create_directories(host("C:\\g\\new.res"));
      else writeFile("C:\\g\\new.res", "keep");
      if (c.toolWrites) writeFile(call.archiveArgument, "packed");
    };
    if (!c.started) runner.notStarted = "not started";
    fs::create_directories(host("C:\\g"));
    EXPECT_EQ(cp1251ToUtf8(packFolderIntoArchive("C:\\g\\new.res", "C:\\src\\", runner)), c.message);
    if (c.archiveIsFolder) {
      EXPECT_EQ(readFile("C:\\g\\tr1.res"), "packed");
    } else {
      EXPECT_EQ(readFile("C:\\g\\new.res"), "keep");
    }
    fs::remove_all(host("C:\\g"));
  }
}

TEST_F(ArchiveDriver, MessagesAndTheLaterOneWins) {
  writeFile("C:\\have\\a.res", "x");
  fs::create_directories(host("C:\\dir"));
  struct Case {
    const char* name;
    std::function<std::string(ToolRunner&)> op;
    const char* message;  // UTF-8
  };
  const Case cases[] = {
      {"pack: no target folder", [](ToolRunner& r) { return packFolderIntoArchive("C:\\nope\\a.res", "C:\\dir\\", r); },
       "Нету папки, в которую надо ложить файл :(. Запаковки не было."},
      {"pack: bare name has no target folder", [](ToolRunner& r) { return packFolderIntoArchive("a.res", "C:\\dir\\", r); },
       "Нету папки, в которую надо ложить файл :(. Запаковки не было."},
      {"pack: neither folder", [](ToolRunner& r) { return packFolderIntoArchive("C:\\nope\\a.res", "C:\\nosrc\\", r); },
       "Нету папки, из которой надо брать файлы для паковки :(. Запаковки не было."},
      {"pack: no source folder", [](ToolRunner& r) { return packFolderIntoArchive("C:\\have\\a.res", "C:\\nosrc", r); },
       "Нету папки, из которой надо брать файлы для паковки :(. Запаковки не было."},
      {"unpack: no archive", [](ToolRunner& r) { return unpackArchive("C:\\nope.res", "C:\\made\\deep\\", r); },
       "Файла, указанного для распаковки не существует :(. Распаковки не было."},
      {"unpack: folder cannot be made",
       [](ToolRunner& r) { return unpackArchive("C:\\nope.res", "C:\\have\\a.res\\sub\\", r); },
       "Папки назначения нету, и создать ее не удалось :(. Распаковки не было."},
      {"optimize: no archive", [](ToolRunner& r) { return optimizeArchive("C:\\nope.res", r); },
       "Файла, указанного для оптимизации не существует :(. Распаковки не было."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingRunner runner;
    EXPECT_EQ(cp1251ToUtf8(c.op(runner)), c.message);
    EXPECT_TRUE(runner.calls.empty());
  }
  // The destination of an unpack is made even when the archive is missing.
  EXPECT_TRUE(folderExists("C:\\made\\deep\\"));
}

TEST_F(ArchiveDriver, UnpackAndOptimizeCommandLines) {
  writeFile("C:\\g\\texts.res", "x");
  RecordingRunner runner;
  EXPECT_EQ(unpackArchive("C:\\g\\texts.res", "C:\\g\\texts_res\\", runner), "");
  EXPECT_EQ(optimizeArchive("C:\\g\\texts.res", runner), "");
  EXPECT_EQ(runOperation(ResbuildOperation::None, "C:\\g\\texts.res", "", runner), "");
  ASSERT_EQ(runner.calls.size(), 2u);
  EXPECT_EQ(runner.calls[0].commandLine(), " e C:\\g\\texts.res *");
  EXPECT_EQ(runner.calls[0].workingFolder, shortPath("C:\\g\\texts_res\\"));
  EXPECT_TRUE(folderExists("C:\\g\\texts_res\\"));
  EXPECT_EQ(runner.calls[1].commandLine(), " o C:\\g\\texts.res *");
  EXPECT_EQ(runner.calls[1].workingFolder, "");
}

// A path that keeps a blank (no short form on its volume) is quoted in the
// command line, or the tool would take it for two arguments.
TEST_F(ArchiveDriver, CommandLineQuotesAnArchiveWithABlank) {
  const struct {
    const char* archive;
    const char* commandLine;
  } cases[] = {
      {"C:\\g\\texts.res", " o C:\\g\\texts.res *"},
      {"D:\\My Games\\tr1.res", " o \"D:\\My Games\\tr1.res\" *"},
      {"D:\\tab\there\\a.res", " o \"D:\\tab\there\\a.res\" *"},
  };
  for (const auto& c : cases) {
    ToolCall call{'o', c.archive, ""};
    EXPECT_EQ(call.commandLine(), c.commandLine);
    EXPECT_EQ(planToolLaunch("C:\\prog\\", call, HostFacts{true, std::nullopt, std::nullopt}).request.commandLine,
              c.commandLine);
    // Separate arguments need no quotes.
    EXPECT_EQ(call.arguments()[1], c.archive);
  }
}

TEST_F(ArchiveDriver, HowTheToolIsStartedOnEachHost) {
  ToolCall call{'e', "C:\\g\\texts.res", "C:\\g\\texts_res\\"};
  HostFacts windows{true, std::string("/ignored"), fs::path("/usr/bin/wine")};
  ToolLaunch w = planToolLaunch("C:\\prog\\", call, windows);
  EXPECT_EQ(w.error, "");
  EXPECT_EQ(w.request.program, host("C:\\prog\\resbuild.exe"));
  EXPECT_EQ(w.request.commandLine, " e C:\\g\\texts.res *");
  EXPECT_TRUE(w.request.newConsole);
  EXPECT_EQ(w.request.workingFolder, "C:\\g\\texts_res\\");

  HostFacts native{false, std::string("/opt/tool"), fs::path("/usr/bin/wine")};
  ToolLaunch n = planToolLaunch("C:\\prog\\", call, native);
  EXPECT_EQ(n.request.program, fs::path("/opt/tool"));
  EXPECT_EQ(n.request.arguments, (std::vector<std::string>{"e", "C:\\g\\texts.res", "*"}));
  EXPECT_EQ(n.request.workingFolder, "C:\\g\\texts_res\\");

  HostFacts wine{false, std::nullopt, fs::path("/usr/bin/wine")};
  ToolLaunch v = planToolLaunch("C:\\prog\\", call, wine);
  EXPECT_EQ(v.request.program, fs::path("/usr/bin/wine"));
  EXPECT_EQ(v.request.arguments,
            (std::vector<std::string>{host("C:\\prog\\resbuild.exe").string(), "e", "C:\\g\\texts.res", "*"}));

  HostFacts none{false, std::nullopt, std::nullopt};
  ToolLaunch x = planToolLaunch("C:\\prog\\", call, none);
  EXPECT_NE(x.error.find("C:\\prog\\resbuild.exe"), std::string::npos);
  EXPECT_NE(cp1251ToUtf8(x.error).find("Не удалось запустить"), std::string::npos);
}

TEST_F(ArchiveDriver, ToolThatCannotBeStartedIsReportedByName) {
  writeFile("C:\\g\\texts.res", "x");
  HostToolRunner missing("C:\\prog\\", HostFacts{false, std::string("/no/such/resbuild"), std::nullopt});
  std::string text = unpackArchive("C:\\g\\texts.res", "C:\\g\\texts_res\\", missing);
  EXPECT_NE(text.find("/no/such/resbuild"), std::string::npos) << cp1251ToUtf8(text);
  HostToolRunner nothing("C:\\prog\\", HostFacts{false, std::nullopt, std::nullopt});
  text = optimizeArchive("C:\\g\\texts.res", nothing);
  EXPECT_NE(text.find("C:\\prog\\resbuild.exe"), std::string::npos) << cp1251ToUtf8(text);
}

#ifdef KESSIK_FAKE_RESBUILD

// Pack, optimize and unpack through the stand-in tool as a real child
// process, with Cyrillic names and a new archive that goes through tr1.res.
TEST_F(ArchiveDriver, RealToolRoundTrip) {
  std::string log = (root_ / "calls.log").string();
  ::setenv("FAKERESBUILD_LOG", log.c_str(), 1);
  writeFile(cp("C:\\Игра\\src\\items.idb"), std::string("\x01\x02\x00\xFF", 4));
  writeFile(cp("C:\\Игра\\src\\sub\\Текст.txt"), cp("привет"));
  HostToolRunner tool("C:\\prog\\", HostFacts{false, std::string(KESSIK_FAKE_RESBUILD), std::nullopt});

  std::string archive = cp("C:\\Игра\\data.res");
  EXPECT_EQ(packFolderIntoArchive(archive, cp("C:\\Игра\\src\\"), tool), "");
  EXPECT_TRUE(fileExists(archive));
  EXPECT_FALSE(hostExists(cp("C:\\Игра\\tr1.res")));
  EXPECT_EQ(optimizeArchive(archive, tool), "");
  EXPECT_EQ(readFile(archive).substr(0, 8), "FAKERES2");
  EXPECT_EQ(unpackArchive(archive, cp("C:\\Игра\\out\\"), tool), "");
  EXPECT_EQ(readFile(cp("C:\\Игра\\out\\items.idb")), std::string("\x01\x02\x00\xFF", 4));
  EXPECT_EQ(readFile(cp("C:\\Игра\\out\\sub\\Текст.txt")), cp("привет"));

  // Each call ran in its working folder with the archive's Windows path.
  std::ifstream in(log);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ::unsetenv("FAKERESBUILD_LOG");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], host(cp("C:\\Игра\\src")).string() + "|a|" + cp("C:\\Игра\\tr1.res") + "|*");
  EXPECT_EQ(lines[1], fs::current_path().string() + "|o|" + archive + "|*");
  EXPECT_EQ(lines[2], host(cp("C:\\Игра\\out")).string() + "|e|" + archive + "|*");
}

TEST(Process, WaitsForTheEndAndReportsWhatCannotStart) {
  platform::ProcessRequest r;
  r.program = "sh";
  r.arguments = {"-c", "sleep 0.2; exit 7"};
  auto child = platform::startProcess(r);
  ASSERT_TRUE(child);
  EXPECT_FALSE(child->finished());
  EXPECT_EQ(child->wait(), 7);
  EXPECT_TRUE(child->finished());

  std::string error;
  r.workingFolder = "Z:\\no\\such\\folder";
  EXPECT_FALSE(platform::startProcess(r, &error));
  EXPECT_NE(error.find("/no/such/folder"), std::string::npos) << error;
  // The reason in the program's language, not the system's English.
  EXPECT_NE(error.find("нет такого файла или папки"), std::string::npos) << error;
  r.workingFolder.clear();
  r.program = "no-such-program-here";
  EXPECT_FALSE(platform::startDetached(r, &error));
  EXPECT_NE(error.find("no-such-program-here: не найдена в PATH"), std::string::npos) << error;
}

#endif

#ifdef _WIN32

// The command line goes to the program exactly as written, without the
// program's name in front.
TEST(Process, WindowsCommandLineAsWritten) {
  platform::ProcessRequest r;
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  r.program = fs::path(system) / L"cmd.exe";
  r.commandLine = " /c exit 7";
  r.newConsole = true;
  auto child = platform::startProcess(r);
  ASSERT_TRUE(child);
  EXPECT_EQ(child->wait(), 7);
  EXPECT_TRUE(child->finished());
  r.program = L"C:\\no\\such\\resbuild.exe";
  std::string error;
  EXPECT_FALSE(platform::startProcess(r, &error));
  EXPECT_FALSE(error.empty());
}

#endif
