// File and folder operations on a mapped test drive, and the whole-file buffers.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "core/file_buf.h"
#include "platform/host.h"
#include "support/testenv.h"
#include "platform/files.h"

using namespace kessik;
using kessik::test::cp;
namespace fs = std::filesystem;

class Files : public kessik::test::TempDrive {};

TEST_F(Files, DriveMapBothWays) {
  EXPECT_EQ(host("C:\\a\\b.txt"), root_ / "a" / "b.txt");
  EXPECT_EQ(platform::fromHost(root_ / "a" / "b.txt").value(), "C:\\a\\b.txt");
  EXPECT_EQ(platform::fromHost(*platform::toHost(cp("C:\\Папка\\ё.zap"))).value(), cp("C:\\Папка\\ё.zap"));
  EXPECT_FALSE(platform::fromHost(root_ / fs::path(u8"日本")));
  // A relative path names no place: it is never resolved against the
  // process's current folder, even where that folder holds such names.
  const fs::path cwd = fs::current_path();
  fs::current_path(root_);
  fs::create_directories(root_ / "relprobe");
  writeFile("C:\\nilzz.txt", "x");
  for (const char* relative : {"nilzz.txt", "relprobe\\", "relprobe", "C:relprobe", "\\relprobe"}) {
    EXPECT_FALSE(platform::toHost(relative)) << relative;
    EXPECT_FALSE(pathExists(relative)) << relative;
  }
  EXPECT_EQ(nearestExistingFolder("relprobe\\x"), "nil");
  fs::current_path(cwd);
#ifndef _WIN32
  EXPECT_EQ(platform::fromHost("/usr/bin").value(), "Z:\\usr\\bin");
  EXPECT_EQ(*platform::toHost("Z:\\usr\\bin"), fs::path("/usr/bin"));
  EXPECT_FALSE(platform::toHost("Q:\\x"));
  EXPECT_EQ(*platform::toHost(cp("C:\\Папка")), root_ / "Папка");
#endif
}

TEST_F(Files, QueriesAndFolderTree) {
  writeFile("C:\\a\\f.txt", "12345");
  EXPECT_TRUE(fileExists("C:\\a\\f.txt"));
  EXPECT_FALSE(fileExists("C:\\a"));
  EXPECT_TRUE(folderExists("C:\\a\\"));
  EXPECT_TRUE(pathExists("C:\\a"));
  EXPECT_EQ(fileSize("C:\\a\\f.txt"), 5u);
  EXPECT_EQ(fileSize("C:\\a\\*.txt"), 5u);
  EXPECT_EQ(fileSize("C:\\a\\*.bin"), 0u);
  EXPECT_EQ(nearestExistingFolder("C:\\a\\x\\y\\z.txt"), "C:\\a\\");
  EXPECT_EQ(nearestExistingFolder("Q:\\a\\b"), "nil");
  EXPECT_TRUE(createFolderTree("C:\\n1\\n2\\n3\\"));
  EXPECT_TRUE(folderExists("C:\\n1\\n2\\n3"));
  EXPECT_FALSE(createFolderTree(""));
  EXPECT_TRUE(createFolderTree("C:"));
  EXPECT_FALSE(createFolderTree("C:\\a\\f.txt\\sub"));  // a file stands in the way
}

TEST_F(Files, ListingOrder) {
  writeFile("C:\\d\\b.txt", "");
  writeFile("C:\\d\\A.txt", "");
  fs::create_directories(host("C:\\d\\Sub"));
  fs::create_directories(host("C:\\d\\another"));
  fs::create_directories(root_ / "d" / "日本");  // not representable: left out
  auto r = listFolder("C:\\d\\");
  std::vector<std::string> names;
  for (auto& e : r.entries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "another", "Sub", "A.txt", "b.txt"}));
  EXPECT_EQ(r.count, 6);
  EXPECT_EQ(r.entries[3].kind, EntryKind::Folder);
  EXPECT_EQ(r.entries[4].kind, EntryKind::File);
  EXPECT_EQ(listFolder("C:\\missing\\").count, 0);
}

TEST_F(Files, DeleteFolderTree) {
  writeFile("C:\\t\\x\\y\\f.bin", "1");
  writeFile("C:\\t\\g.bin", "2");
  fs::permissions(host("C:\\t\\g.bin"), fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_TRUE(deleteFolderTree("C:\\t\\", false));
  EXPECT_TRUE(folderExists("C:\\t"));
  EXPECT_FALSE(pathExists("C:\\t\\x"));
  writeFile("C:\\t\\x\\f.bin", "1");
  EXPECT_TRUE(deleteFolderTree("C:\\t", true));
  EXPECT_FALSE(pathExists("C:\\t"));
  EXPECT_FALSE(deleteFolderTree("C:\\t", true));

  // A name beginning with a dot stays, and so does its folder.
  writeFile("C:\\h\\.keep", "k");
  writeFile("C:\\h\\other", "o");
  EXPECT_FALSE(deleteFolderTree("C:\\h\\", true));
  EXPECT_TRUE(fileExists("C:\\h\\.keep"));
  EXPECT_FALSE(fileExists("C:\\h\\other"));
  // Keeping the folder, a skipped dot name is no failure: everything that
  // should go went. In a sub-folder it keeps that folder, which then fails.
  writeFile("C:\\h\\other", "o");
  writeFile("C:\\h\\.git\\config", "c");
  EXPECT_TRUE(deleteFolderTree("C:\\h\\", false));
  EXPECT_FALSE(fileExists("C:\\h\\other"));
  writeFile("C:\\h\\sub\\.keep", "k");
  EXPECT_FALSE(deleteFolderTree("C:\\h\\", false));
  EXPECT_TRUE(fileExists("C:\\h\\sub\\.keep"));
}

TEST_F(Files, DeleteFolderTreeNeverFollowsLinks) {
  writeFile("C:\\outside\\precious.txt", "keep me");
  writeFile("C:\\tree\\f.txt", "x");
  std::error_code linkError;
  fs::create_directory_symlink(host("C:\\outside"), host("C:\\tree\\link"), linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links here";
  fs::create_symlink(host("C:\\outside\\precious.txt"), host("C:\\tree\\filelink"));
  EXPECT_TRUE(deleteFolderTree("C:\\tree\\", true));
  EXPECT_FALSE(hostExists("C:\\tree"));
  EXPECT_EQ(readFile("C:\\outside\\precious.txt"), "keep me");
  // A link given as the folder itself is not entered.
  fs::create_directory_symlink(host("C:\\outside"), host("C:\\ln"));
  EXPECT_FALSE(deleteFolderTree("C:\\ln\\", true));
  EXPECT_TRUE(fileExists("C:\\outside\\precious.txt"));
}

TEST_F(Files, MoveRenameDelete) {
  writeFile("C:\\m\\a.txt", "A");
  writeFile("C:\\m\\b.txt", "B");
  EXPECT_FALSE(renameFile("C:\\m\\a.txt", "C:\\m\\b.txt"));  // never replaces
  EXPECT_EQ(readFile("C:\\m\\b.txt"), "B");
  EXPECT_TRUE(renameFile("C:\\m\\a.txt", "C:\\m\\c.txt"));
  // Move over an existing file: copy and delete.
  EXPECT_TRUE(moveFile("C:\\m\\c.txt", "C:\\m\\b.txt"));
  EXPECT_EQ(readFile("C:\\m\\b.txt"), "A");
  EXPECT_FALSE(fileExists("C:\\m\\c.txt"));
  // Into an existing folder.
  fs::create_directories(host("C:\\dest"));
  writeFile("C:\\m\\d.txt", "D");
  fs::create_directories(host("C:\\dest\\d.txt"));  // a folder of that name: the file goes inside it
  EXPECT_TRUE(moveFile("C:\\m\\d.txt", "C:\\dest\\d.txt"));
  EXPECT_EQ(readFile("C:\\dest\\d.txt\\d.txt"), "D");
  EXPECT_TRUE(deleteFile("C:\\m\\b.txt"));
  EXPECT_FALSE(deleteFile("C:\\m\\b.txt"));
  EXPECT_FALSE(moveFile("C:\\m\\none.txt", "C:\\m\\x.txt"));
}

TEST_F(Files, BufferLoadAndSave) {
  TFileInString buf;
  EXPECT_FALSE(buf.LoadFromFile("C:\\nothing.zap"));
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(notes_.texts()[0], "Ошибка! Типа не могу открыть файл, т.к. открывать то нечего. Проверьте пути.");
  EXPECT_FALSE(buf.Loaded());

  // Not loaded and not empty: refused.
  buf.AppendByte(1);
  EXPECT_FALSE(buf.SaveToFile("C:\\x.zap"));
  EXPECT_FALSE(hostExists("C:\\x.zap"));
  EXPECT_EQ(notes_.messages.size(), 2u);

  // Empty buffer: an empty file even when not loaded.
  TFileInString empty;
  EXPECT_TRUE(empty.SaveToFile("C:\\e.zap"));
  EXPECT_TRUE(fileExists("C:\\e.zap"));

  // Missing folders are created; the old file is replaced whole.
  writeFile("C:\\a\\b\\c.zap", "old old old");
  TFileInString src;
  src.Clear();
  src.Append("new");
  EXPECT_TRUE(src.SaveToFile("C:\\a\\b\\c.zap"));
  EXPECT_EQ(readFile("C:\\a\\b\\c.zap"), "new");
  EXPECT_TRUE(src.SaveToFile("C:\\q\\r\\c.zap"));
  EXPECT_EQ(readFile("C:\\q\\r\\c.zap"), "new");
  EXPECT_EQ(fs::directory_iterator(host("C:\\a\\b")) != fs::directory_iterator(), true);
  int entries = 0;
  for (auto& e : fs::directory_iterator(host("C:\\a\\b"))) { (void)e; ++entries; }
  EXPECT_EQ(entries, 1);  // no temporary file left

  TFileInString in;
  EXPECT_TRUE(in.LoadFromFile("C:\\a\\b\\c.zap"));
  EXPECT_EQ(in.data(), "new");
  EXPECT_EQ(in.CopyBytes(2, 2), "ew");
  EXPECT_EQ(in.CopyBytes(3, 2), "");
  EXPECT_EQ(in.CopyBytes(0, 4), "");
}

TEST_F(Files, SaveFailureKeepsOldFile) {
  // A folder in the file's place: refused with the save message and its
  // reason, the folder and what it holds stay.
  writeFile("C:\\dir.zap\\inner.zap", "inner");
  TFileInString over;
  over.Clear();
  over.Append("new");
  EXPECT_FALSE(over.SaveToFile("C:\\dir.zap"));
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(notes_.messages.back().caption, "Error");
  EXPECT_EQ(notes_.messages.back().text,
            "Error, SavingC:\\dir.zap\n" + cp("Не удалось записать файл «C:\\dir.zap»: это папка."));
  EXPECT_EQ(readFile("C:\\dir.zap\\inner.zap"), "inner");

  // A folder that cannot be written: the old file stays whole, and the
  // message says why.
#ifdef _WIN32
  GTEST_SKIP() << "uses POSIX permissions";
#else
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
#endif
  writeFile("C:\\ro\\c.zap", "old");
  fs::permissions(host("C:\\ro"), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
  EXPECT_FALSE(over.SaveToFile("C:\\ro\\c.zap"));
  EXPECT_EQ(readFile("C:\\ro\\c.zap"), "old");
  ASSERT_EQ(notes_.messages.size(), 2u);
  EXPECT_EQ(notes_.messages.back().text,
            "Error, SavingC:\\ro\\c.zap\n" + cp("Не удалось записать файл «C:\\ro\\c.zap»: нет доступа."));
}

TEST(TextBuffer, Lines) {
  TTextFileInString t;
  t.Clear();
  t.Append("ab\r\ncd");
  EXPECT_EQ(t.LineAt(5), "cd");
  t.Position = 1;
  EXPECT_EQ(t.ReadLineAndSkip(), "ab");
  EXPECT_EQ(t.Position, 5);
  EXPECT_FALSE(t.AtEnd());
  EXPECT_EQ(t.ReadLineAndSkip(), "cd");
  EXPECT_TRUE(t.AtEnd());
  t.Position = 99;
  EXPECT_TRUE(t.AtEnd());
  EXPECT_EQ(t.Position, 7);

  t.ReplaceLineAt("XYZ", 1);
  EXPECT_EQ(t.data(), "XYZ\r\ncd");
  t.InsertAt("--", 8);
  EXPECT_EQ(t.data(), "XYZ\r\ncd--");
  t.AppendLine("e");
  EXPECT_EQ(t.data(), "XYZ\r\ncd--e\r\n");

  // A final lone CR ends the last line; a lone LF belongs to the text.
  TTextFileInString u;
  u.Clear();
  u.Append("a\nb\r");
  u.Position = 1;
  EXPECT_EQ(u.ReadLineAndSkip(), "a\nb");
  EXPECT_TRUE(u.AtEnd());
}

#ifndef _WIN32
#include <sys/stat.h>

// A FIFO where a record file should be does not hang the program: it is an
// existing file that cannot be loaded.
TEST_F(Files, FifoIsNotWaitedOn) {
  ASSERT_EQ(::mkfifo(host("C:\\pipe.zap").c_str(), 0644), 0);
  TFileInString buf;
  EXPECT_TRUE(buf.LoadFromFile("C:\\pipe.zap"));
  EXPECT_EQ(buf.Size(), 0);
  ASSERT_EQ(notes_.messages.size(), 1u);
  EXPECT_EQ(notes_.messages[0].text,
            "Error, loadingC:\\pipe.zap\n" + cp("Не удалось прочитать файл «C:\\pipe.zap»: это не обычный файл."));
}
#endif

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>

// Temporary files of an interrupted save are removed by the next save of the
// same file; one that a live writer still holds is left to it.
TEST_F(Files, SaveRemovesStaleTemporariesAndSparesALiveOne) {
  writeFile("C:\\d\\0000001.zap", "old");
  writeFile("C:\\d\\0000001.zap.~kessik", "live");
  writeFile("C:\\d\\0000001.zap.~kessik1", "stale");
  writeFile("C:\\d\\0000001.zap.~kessik2", "stale");
  int live = ::open(host("C:\\d\\0000001.zap.~kessik").c_str(), O_RDWR);
  ASSERT_GE(live, 0);
  ASSERT_EQ(::flock(live, LOCK_EX | LOCK_NB), 0);

  TFileInString buf;
  buf.Assign("new");
  ASSERT_TRUE(buf.SaveToFile("C:\\d\\0000001.zap"));
  std::set<std::string> names;
  for (auto& e : fs::directory_iterator(host("C:\\d"))) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"0000001.zap", "0000001.zap.~kessik"}));
  EXPECT_EQ(readFile("C:\\d\\0000001.zap"), "new");

  ::close(live);  // its writer is gone: the next save takes it away
  ASSERT_TRUE(buf.SaveToFile("C:\\d\\0000001.zap"));
  EXPECT_FALSE(hostExists("C:\\d\\0000001.zap.~kessik"));
}
#endif

#ifndef _WIN32
#include <atomic>
#include <thread>

// Two writers saving the same file at once: each clears what it takes for
// leftovers of killed writers before it writes, and neither may take the
// other's live temporary file for one (a save that lost its temporary file
// fails with "Error, Saving").
TEST_F(Files, ConcurrentSavesOfOneFileAllSucceed) {
  writeFile("C:\\d\\0000001.zap", "old");
  const fs::path target = host("C:\\d\\0000001.zap");
  std::atomic<int> failures{0};
  auto writer = [&](char fill) {
    for (int i = 0; i < 1000; ++i)
      if (!platform::writeFileReplacing(target, std::string(64, fill))) ++failures;
  };
  std::thread a(writer, 'a'), b(writer, 'b');
  a.join();
  b.join();
  EXPECT_EQ(failures, 0);
  const std::string last = readFile("C:\\d\\0000001.zap");
  EXPECT_TRUE(last == std::string(64, 'a') || last == std::string(64, 'b'));
  std::set<std::string> names;
  for (auto& e : fs::directory_iterator(host("C:\\d"))) names.insert(e.path().filename().string());
  EXPECT_EQ(names, std::set<std::string>{"0000001.zap"});
}
#endif
