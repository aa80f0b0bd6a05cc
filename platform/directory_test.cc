#include "platform/directory.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "testing/test_util.h"

namespace jf {
namespace {

using jf::testing::ReadFileBytes;
using jf::testing::TempDir;
using jf::testing::WriteFileBytes;

TEST(Directory, ExpandFullPathIsLexical) {
  std::string cwd = CurrentDirectory();
  struct Case {
    std::string name;
    std::string full;
  } cases[] = {
      {"/a/b/../c", "/a/c"},
      {"/a/./b//c", "/a/b/c"},
      {"/../..", "/"},
      {"/a/b/", "/a/b/"},
      {"/a/b/.", "/a/b/"},
      {"/a/b/..", "/a/"},
      {"/no/such/dir/../file.pdb", "/no/such/file.pdb"},
      {"x.pdb", cwd == "/" ? "/x.pdb" : cwd + "/x.pdb"},
      {"", cwd},
      {".", cwd},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandFullPath(c.name), c.full) << c.name;
}

TEST(Directory, ListAndStat) {
  TempDir dir;
  WriteFileBytes(dir.File("a.txt"), "x");
  ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0777), 0);
  ASSERT_EQ(::symlink("sub", dir.File("link").c_str()), 0);
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(ListDirectory(dir.path(), &entries));
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "a.txt");
  EXPECT_FALSE(entries[0].is_directory);
  EXPECT_TRUE(entries[1].is_directory);  // a link to a folder counts as one
  EXPECT_TRUE(entries[2].is_directory);
  EXPECT_FALSE(ListDirectory(dir.File("missing"), &entries));
  EXPECT_TRUE(entries.empty());

  PathStatus status = StatPath(dir.File("a.txt"));
  EXPECT_TRUE(status.exists && status.readable && status.writable && !status.is_directory);
  ::chmod(dir.File("a.txt").c_str(), 0444);  // no write bit: read-only for every user
  EXPECT_FALSE(StatPath(dir.File("a.txt")).writable);
  ASSERT_TRUE(ListDirectory(dir.path(), &entries));
  for (const DirectoryEntry& e : entries) EXPECT_EQ(e.read_only, e.name == "a.txt") << e.name;
  EXPECT_FALSE(StatPath(dir.File("nothing")).exists);
  EXPECT_TRUE(StatPath(dir.path()).is_directory);
}

TEST(Directory, CopyIsWholeOrNothing) {
  TempDir dir;
  std::string big(300000, 'q');
  WriteFileBytes(dir.File("src"), big);
  ::chmod(dir.File("src").c_str(), 0640);
  EXPECT_TRUE(CopyFileAtomically(dir.File("src"), dir.File("dst"), false));
  EXPECT_EQ(ReadFileBytes(dir.File("dst")), big);
  struct stat st;
  ASSERT_EQ(::stat(dir.File("dst").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_TRUE(CopyFileAtomically(dir.File("src"), dir.File("src"), true));  // onto itself: nothing to do
  EXPECT_EQ(ReadFileBytes(dir.File("src")), big);

  // An unwritable folder: the copy fails and reports it.
  ASSERT_EQ(::mkdir(dir.File("locked").c_str(), 0555), 0);
  if (::access(dir.File("locked").c_str(), W_OK) != 0) {
    EXPECT_FALSE(CopyFileAtomically(dir.File("src"), dir.File("locked/dst"), true));
  }
  // A read-only destination is not replaced, whoever runs the copy.
  WriteFileBytes(dir.File("kept"), "old");
  ::chmod(dir.File("kept").c_str(), 0444);
  EXPECT_FALSE(CopyFileAtomically(dir.File("src"), dir.File("kept"), true));
  EXPECT_EQ(ReadFileBytes(dir.File("kept")), "old");
  std::vector<DirectoryEntry> entries;
  ListDirectory(dir.path(), &entries);
  EXPECT_EQ(entries.size(), 4u);  // src, dst, locked, kept: no temporary file left
}

TEST(Directory, CopyFollowsLinksAndTakesOnlyRegularFiles) {
  TempDir dir;
  ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0777), 0);
  WriteFileBytes(dir.File("real/data.pdb"), "old");
  ASSERT_EQ(::symlink("real/data.pdb", dir.File("link.pdb").c_str()), 0);
  WriteFileBytes(dir.File("src"), "new");
  // The link stays and the file it leads to gets the copy; the temporary file was made beside that file.
  EXPECT_TRUE(CopyFileAtomically(dir.File("src"), dir.File("LINK.pdb"), true));
  struct stat st;
  ASSERT_EQ(::lstat(dir.File("link.pdb").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadFileBytes(dir.File("real/data.pdb")), "new");
  std::vector<DirectoryEntry> entries;
  ListDirectory(dir.File("real"), &entries);
  EXPECT_EQ(entries.size(), 1u);
  ASSERT_EQ(::symlink("nowhere", dir.File("broken").c_str()), 0);
  EXPECT_FALSE(CopyFileAtomically(dir.File("src"), dir.File("broken"), true));
  EXPECT_FALSE(CopyFileAtomically(dir.File("src"), dir.File("broken"), false));

  // A named pipe is neither read (which would wait for a writer) nor replaced; a device is never written.
  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0666), 0);
  EXPECT_FALSE(CopyFileAtomically(dir.File("pipe"), dir.File("out"), true));
  EXPECT_FALSE(CopyFileAtomically(dir.File("src"), dir.File("pipe"), true));
  ASSERT_EQ(::lstat(dir.File("pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_FALSE(CopyFileAtomically("/dev/zero", dir.File("out"), true));
  EXPECT_FALSE(StatPath(dir.File("out")).exists);

  ListDirectory(dir.path(), &entries);
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 5u);  // broken, link.pdb, pipe, real, src
  EXPECT_FALSE(entries[0].is_file || entries[0].is_directory);  // a link that leads nowhere
  EXPECT_TRUE(entries[1].is_file);
  EXPECT_FALSE(entries[2].is_file || entries[2].is_directory);  // a pipe
  EXPECT_TRUE(entries[3].is_directory && !entries[3].is_file);
}

TEST(Directory, DeleteOnlyFiles) {
  TempDir dir;
  WriteFileBytes(dir.File("Gone.pdb"), "x");
  ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0777), 0);
  EXPECT_TRUE(DeleteFilePath(dir.File("GONE.PDB")));  // letter case from the disk
  EXPECT_FALSE(StatPath(dir.File("Gone.pdb")).exists);
  EXPECT_FALSE(DeleteFilePath(dir.File("Gone.pdb")));
  EXPECT_FALSE(DeleteFilePath(dir.File("sub")));
}

TEST(Directory, ConfigFolderFromEnvironment) {
  TempDir dir;
  std::string xdg = dir.File("xdg");
  std::string home = dir.File("home");
  ::setenv("XDG_CONFIG_HOME", (xdg + "/").c_str(), 1);
  ::setenv("HOME", home.c_str(), 1);
  EXPECT_EQ(ConfigFolder(), xdg);
  ::setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(ConfigFolder(), home + "/.config");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);
  EXPECT_EQ(ConfigFolder(), home + "/.config");
  EXPECT_FALSE(StatPath(home).exists);  // not created by asking
  EXPECT_TRUE(EnsureFolder(ConfigFolder()));
  EXPECT_TRUE(StatPath(home + "/.config").is_directory);
  WriteFileBytes(dir.File("file"), "x");
  EXPECT_FALSE(EnsureFolder(dir.File("file")));
  EXPECT_FALSE(EnsureFolder(dir.File("file/sub")));
}

TEST(Directory, RunningProgramPathIsAbsolute) {
  std::string path = RunningProgramPath(nullptr);
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_TRUE(StatPath(path).exists);
}

}  // namespace
}  // namespace jf
