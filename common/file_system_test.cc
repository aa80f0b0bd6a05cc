#include "common/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "testing/test_util.h"

namespace jf {
namespace {

using jf::testing::ReadFileBytes;
using jf::testing::TempDir;
using jf::testing::WriteFileBytes;

std::vector<std::string> Names(const std::vector<FoundFile>& found) {
  std::vector<std::string> names;
  for (const FoundFile& f : found) names.push_back(f.name);
  return names;
}

// A folder with mixed-case names: Data/Memo.PDB, Data/notes.pdb, Data/.hidden.pdb, Data/Sub.pdb/ (a folder),
// Data/ReadOnly.pdb (mode 0444), Data/list.csv.
class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = dir_.File("Data");
    ASSERT_EQ(::mkdir(data_.c_str(), 0777), 0);
    ASSERT_EQ(::mkdir((data_ + "/Sub.pdb").c_str(), 0777), 0);
    for (const char* name : {"Memo.PDB", "notes.pdb", ".hidden.pdb", "ReadOnly.pdb", "list.csv"}) {
      WriteFileBytes(data_ + "/" + name, name);
    }
    ::chmod((data_ + "/ReadOnly.pdb").c_str(), 0444);
  }

  TempDir dir_;
  std::string data_;
};

TEST_F(FileSystemTest, SearchMatchesWithoutRegardToCaseSortedByName) {
  EXPECT_EQ(Names(FindFiles(data_ + "/*.pdb", kAnyFile)),
            (std::vector<std::string>{".hidden.pdb", "Memo.PDB", "notes.pdb", "ReadOnly.pdb"}));
  // Ostrin's kinds: no hidden files; directories never match a file search.
  EXPECT_EQ(Names(FindFiles(data_ + "/*.PDB", kReadOnlyFiles)),
            (std::vector<std::string>{"Memo.PDB", "notes.pdb", "ReadOnly.pdb"}));
  // A file without write permission is read-only for every user, the administrator too.
  std::vector<std::string> plain = {"list.csv", "Memo.PDB", "notes.pdb"};
  EXPECT_EQ(Names(FindFiles(data_ + "/*", kPlainFiles)), plain);
  EXPECT_EQ(Names(FindFiles(data_ + "/*.*", kPlainFiles)), plain);  // "*.*" matches every name
  EXPECT_EQ(Names(FindFiles(data_ + "/*.pdb", kDirectories | kReadOnlyFiles)),
            (std::vector<std::string>{"Memo.PDB", "notes.pdb", "ReadOnly.pdb", "Sub.pdb"}));
  EXPECT_EQ(Names(FindFiles(data_ + "/?otes.*", kAnyFile)), (std::vector<std::string>{"notes.pdb"}));
  EXPECT_EQ(Names(FindFiles(data_ + "/list.*", kAnyFile)), (std::vector<std::string>{"list.csv"}));
  EXPECT_TRUE(FindFiles(data_ + "/*.txt", kAnyFile).empty());
  EXPECT_TRUE(FindFiles(dir_.File("missing/*.pdb"), kAnyFile).empty());
  EXPECT_TRUE(FindFiles(data_ + "/", kAnyFile).empty());
  // The folder part is found without regard to case too.
  EXPECT_EQ(Names(FindFiles(dir_.File("DATA/memo.pdb"), kAnyFile)), (std::vector<std::string>{"Memo.PDB"}));
}

TEST_F(FileSystemTest, OnlyRegularFilesAreFound) {
  ASSERT_EQ(::mkfifo((data_ + "/pipe.pdb").c_str(), 0666), 0);
  ASSERT_EQ(::symlink("notes.pdb", (data_ + "/link.pdb").c_str()), 0);
  ASSERT_EQ(::symlink("missing.pdb", (data_ + "/broken.pdb").c_str()), 0);
  ASSERT_EQ(::symlink("Sub.pdb", (data_ + "/dirlink.pdb").c_str()), 0);
  EXPECT_EQ(Names(FindFiles(data_ + "/*.pdb", kAnyFile)),
            (std::vector<std::string>{".hidden.pdb", "link.pdb", "Memo.PDB", "notes.pdb", "ReadOnly.pdb"}));
  EXPECT_EQ(Names(FindFiles(data_ + "/*.pdb", kAnyFile | kDirectories)),
            (std::vector<std::string>{".hidden.pdb", "dirlink.pdb", "link.pdb", "Memo.PDB", "notes.pdb",
                                      "ReadOnly.pdb", "Sub.pdb"}));
  EXPECT_FALSE(FileIsPresent(data_ + "/PIPE.pdb"));
  EXPECT_FALSE(FileIsPresent(data_ + "/broken.pdb"));
  EXPECT_TRUE(FileIsPresent(data_ + "/link.pdb"));
  EXPECT_FALSE(FileIsPresent("/dev/null"));
}

TEST_F(FileSystemTest, ExactNameWinsOverOtherCase) {
  WriteFileBytes(data_ + "/memo.pdb", "lower");
  EXPECT_EQ(Names(FindFiles(data_ + "/m*", kAnyFile)), (std::vector<std::string>{"Memo.PDB", "memo.pdb"}));
  EXPECT_EQ(Names(FindFiles(data_ + "/memo.pdb", kAnyFile)), (std::vector<std::string>{"memo.pdb"}));
  EXPECT_EQ(Names(FindFiles(data_ + "/Memo.PDB", kAnyFile)), (std::vector<std::string>{"Memo.PDB"}));
  EXPECT_EQ(Names(FindFiles(data_ + "/MEMO.pdb", kAnyFile)), (std::vector<std::string>{"Memo.PDB"}));
  EXPECT_EQ(FullFileName(data_ + "/memo.pdb"), data_ + "/memo.pdb");
}

TEST_F(FileSystemTest, PresenceAndDirectories) {
  EXPECT_TRUE(FileIsPresent(data_ + "/memo.pdb"));
  EXPECT_TRUE(FileIsPresent(data_ + "/.hidden.pdb"));
  EXPECT_TRUE(FileIsPresent(data_ + "/*.csv"));
  EXPECT_FALSE(FileIsPresent(data_ + "/Sub.pdb"));  // a directory
  EXPECT_FALSE(FileIsPresent(data_ + "/nothing.pdb"));
  EXPECT_FALSE(FileIsPresent(data_));
  EXPECT_TRUE(PlainFileIsPresent(data_ + "/MEMO.PDB"));
  EXPECT_FALSE(PlainFileIsPresent(data_ + "/*.pdb"));

  EXPECT_TRUE(IsDirectory("/"));
  EXPECT_TRUE(IsDirectory(data_));
  EXPECT_TRUE(IsDirectory(data_ + "/"));
  EXPECT_TRUE(IsDirectory(dir_.File("data/sub.PDB/")));
  EXPECT_FALSE(IsDirectory(data_ + "/Memo.PDB"));
  EXPECT_FALSE(IsDirectory(data_ + "/*"));
  EXPECT_FALSE(IsDirectory(""));
  EXPECT_FALSE(IsDirectory(data_ + "/missing"));
}

TEST_F(FileSystemTest, NamesTakeTheirCaseFromTheDisk) {
  EXPECT_EQ(TrueCasePath(dir_.File("DATA/sub.pdb")), data_ + "/Sub.pdb/");
  EXPECT_EQ(TrueCasePath(dir_.File("data/NEW/x/")), data_ + "/NEW/x/");  // missing parts stay as typed
  EXPECT_EQ(TrueCasePath(dir_.File("data/./Sub.pdb/../")), data_ + "/");
  EXPECT_EQ(TrueCasePath("/"), "/");
  EXPECT_EQ(FullFileName(dir_.File("data/MEMO.pdb")), data_ + "/Memo.PDB");
  EXPECT_EQ(FullFileName(dir_.File("data/new.pdb")), data_ + "/new.pdb");
  EXPECT_EQ(FullFileName(dir_.File("data/*.PDB")), data_ + "/*.PDB");
  EXPECT_EQ(FullFileName(dir_.File("data/")), data_ + "/");

  std::string old_dir = CurrentDirOf(CurrentDrive());
  ASSERT_EQ(::chdir(data_.c_str()), 0);
  EXPECT_EQ(CurrentDirOf(CurrentDrive()), data_ + "/");
  EXPECT_EQ(FullFileName("notes.PDB"), data_ + "/notes.pdb");
  EXPECT_EQ(FullFileName("../data/sub.pdb"), data_ + "/Sub.pdb");
  EXPECT_EQ(FullFileName("C:memo.pdb"), data_ + "/C:memo.pdb");  // no drive letters
  ASSERT_EQ(::chdir(old_dir.c_str()), 0);
}

TEST_F(FileSystemTest, CopyAndDelete) {
  std::string copy = data_ + "/copy.pdb";
  EXPECT_TRUE(CopyFileNamed(data_ + "/memo.pdb", copy, false));
  EXPECT_EQ(ReadFileBytes(copy), "Memo.PDB");
  EXPECT_FALSE(CopyFileNamed(data_ + "/notes.pdb", copy, false));  // exists, no overwrite
  EXPECT_EQ(ReadFileBytes(copy), "Memo.PDB");
  EXPECT_TRUE(CopyFileNamed(data_ + "/notes.pdb", data_ + "/COPY.PDB", true));  // replaces copy.pdb
  EXPECT_EQ(ReadFileBytes(copy), "notes.pdb");
  EXPECT_FALSE(CopyFileNamed(data_ + "/missing.pdb", copy, true));
  EXPECT_FALSE(CopyFileNamed(data_ + "/Sub.pdb", copy, true));
  EXPECT_FALSE(CopyFileNamed(data_ + "/notes.pdb", dir_.File("no/such/folder.pdb"), true));
  EXPECT_EQ(Names(FindFiles(data_ + "/*", kAnyFile)).size(), 6u);  // no temporary file left behind

  EXPECT_TRUE(DeleteFileNamed(copy));
  EXPECT_FALSE(PlainFileIsPresent(copy));
  EXPECT_FALSE(DeleteFileNamed(copy));
  EXPECT_FALSE(DeleteFileNamed(data_ + "/Sub.pdb"));
}

}  // namespace
}  // namespace jf
