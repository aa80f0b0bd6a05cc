#include "platform/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "common/errors.h"
#include "platform/directory.h"
#include "testing/test_util.h"

namespace jf {
namespace {

using jf::testing::ReadFileBytes;
using jf::testing::TempDir;
using jf::testing::WriteFileBytes;

size_t EntryCount(const std::string& folder) {
  std::vector<DirectoryEntry> entries;
  ListDirectory(folder, &entries);
  return entries.size();
}

// The text of the error that call raises as type E; "none" when it raises nothing.
template <typename E, typename F>
std::string ErrorOf(F call) {
  try {
    call();
  } catch (const E& error) {
    return error.what();
  }
  return "none";
}

// A file is read-only when it has no write bit at all, whoever runs the program; otherwise when the user may not
// write it. A read-only file is read but never opened for writing, replaced or created over.
TEST(FileIo, ReadOnlyFilesAreNeverWritten) {
  struct Case {
    mode_t mode;
    bool read_only;
  } cases[] = {{0444, true}, {0555, true}, {0400, true}, {0644, false}, {0200, false}};
  for (const Case& c : cases) {
    TempDir dir;
    const std::string name = dir.File("x.pdb");
    WriteFileBytes(name, "old");
    ASSERT_EQ(::chmod(name.c_str(), c.mode), 0);
    SCOPED_TRACE(c.mode);
    EXPECT_EQ(IsReadOnlyFile(name), c.read_only);
    EXPECT_EQ(CanCreateFile(name), !c.read_only);
    if (c.read_only) {
      EXPECT_EQ(ReadWholeFile(dir.File("X.PDB"), FileOpenMode::kReadOnly), "old");
      EXPECT_EQ(ErrorOf<EFOpenError>([&] { ReadWholeFile(name, FileOpenMode::kReadWrite); }),
                "Cannot open file " + name);
      EXPECT_EQ(ErrorOf<EFCreateError>([&] { WriteFileAtomically(name, "new"); }), "Cannot create file " + name);
      EXPECT_EQ(ReadFileBytes(name), "old");
      EXPECT_EQ(EntryCount(dir.path()), 1u);
    } else {
      WriteFileAtomically(name, "new");
      struct stat st;
      ASSERT_EQ(::stat(name.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, c.mode);  // permissions kept
      ::chmod(name.c_str(), 0600);
      EXPECT_EQ(ReadFileBytes(name), "new");
    }
  }
  EXPECT_FALSE(IsReadOnlyFile("/no/such/file"));
}

TEST(FileIo, WritesGoThroughSymbolicLinks) {
  TempDir dir;
  ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0777), 0);
  const std::string real = dir.File("real/Data.pdb");
  WriteFileBytes(real, "old");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(::symlink("real/Data.pdb", dir.File("link.pdb").c_str()), 0);
  ASSERT_EQ(::symlink("link.pdb", dir.File("chain.pdb").c_str()), 0);
  EXPECT_EQ(WriteTargetOf(dir.File("chain.pdb")), real);
  EXPECT_EQ(WriteTargetOf(real), real);

  // Letter case resolved, then the chain followed: both links stay and the real file gets the bytes.
  EXPECT_TRUE(CanCreateFile(dir.File("CHAIN.PDB")));
  WriteFileAtomically(dir.File("CHAIN.PDB"), "new");
  for (const char* link : {"link.pdb", "chain.pdb"}) {
    struct stat st;
    ASSERT_EQ(::lstat(dir.File(link).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
  }
  EXPECT_EQ(ReadFileBytes(real), "new");
  struct stat st;
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(EntryCount(dir.File("real")), 1u);  // no temporary file left beside the real file
  EXPECT_EQ(EntryCount(dir.path()), 3u);

  // A link to a read-only file, and a link that leads nowhere, are refused.
  ASSERT_EQ(::chmod(real.c_str(), 0444), 0);
  EXPECT_FALSE(CanCreateFile(dir.File("link.pdb")));
  EXPECT_EQ(ErrorOf<EFCreateError>([&] { WriteFileAtomically(dir.File("link.pdb"), "x"); }),
            "Cannot create file " + dir.File("link.pdb"));
  ASSERT_EQ(::symlink("gone/nothing.pdb", dir.File("broken.pdb").c_str()), 0);
  EXPECT_EQ(WriteTargetOf(dir.File("broken.pdb")), "");
  EXPECT_FALSE(CanCreateFile(dir.File("broken.pdb")));
  EXPECT_EQ(ErrorOf<EFCreateError>([&] { WriteFileAtomically(dir.File("broken.pdb"), "x"); }),
            "Cannot create file " + dir.File("broken.pdb"));
  EXPECT_EQ(EntryCount(dir.path()), 4u);
}

// Runs call on another thread; when it has not finished after a few seconds (waiting for a pipe's writer), opens
// the pipe for writing so that it ends, and reports the wait.
template <typename F>
void ExpectNoWait(const std::string& pipe, F call) {
  std::future<void> done = std::async(std::launch::async, call);
  if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return done.get();
  ADD_FAILURE() << "waited on the named pipe " << pipe;
  int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
  if (fd >= 0) ::close(fd);
  done.wait();
}

TEST(FileIo, PipesAndDevicesAreNeitherReadNorReplaced) {
  TempDir dir;
  const std::string pipe = dir.File("f.pdb");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
  for (FileOpenMode mode : {FileOpenMode::kReadOnly, FileOpenMode::kReadWrite}) {
    ExpectNoWait(pipe, [&] {
      EXPECT_EQ(ErrorOf<EFOpenError>([&] { ReadWholeFile(dir.File("F.PDB"), mode); }),
                "Cannot open file " + dir.File("F.PDB"));
    });
  }
  ExpectNoWait(pipe, [&] { EXPECT_EQ(ReadFileHead(pipe, 10), ""); });
  EXPECT_FALSE(CanCreateFile(pipe));
  EXPECT_EQ(ErrorOf<EFCreateError>([&] { WriteFileAtomically(pipe, "x"); }), "Cannot create file " + pipe);
  struct stat st;
  ASSERT_EQ(::lstat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(EntryCount(dir.path()), 1u);

  EXPECT_EQ(ErrorOf<EFOpenError>([] { ReadWholeFile("/dev/zero", FileOpenMode::kReadOnly); }),
            "Cannot open file /dev/zero");
  EXPECT_FALSE(CanCreateFile("/dev/null"));
  EXPECT_EQ(ErrorOf<EFOpenError>([&] { ReadWholeFile(dir.path(), FileOpenMode::kReadOnly); }),
            "Cannot open file " + dir.path());
}

// Every component that does not exist as typed takes its letter case from the disk: the exact name first,
// otherwise the first entry (in byte order) that differs only in case.
TEST(FileIo, ResolveExistingCaseTakesEveryComponentFromTheDisk) {
  TempDir dir;
  for (const char* folder : {"Sub", "Sub/Deeper", "Mixed", "mixed"}) {
    ASSERT_EQ(::mkdir(dir.File(folder).c_str(), 0777), 0);
  }
  WriteFileBytes(dir.File("Sub/Deeper/ToDo.pdb"), "todo");
  WriteFileBytes(dir.File("Sub/other.pdb"), "other");
  WriteFileBytes(dir.File("Mixed/a"), "A");
  WriteFileBytes(dir.File("mixed/a"), "a");
  struct Case {
    std::string typed, on_disk;
  } cases[] = {
      {"sub/deeper/todo.pdb", "Sub/Deeper/ToDo.pdb"},
      {"SUB/Deeper/TODO.PDB", "Sub/Deeper/ToDo.pdb"},
      {"sub/deeper/", "Sub/Deeper/"},
      {"sub//./DEEPER/../Other.PDB", "Sub//./Deeper/../other.pdb"},
      {"sub/new/x.pdb", "Sub/new/x.pdb"},  // missing parts stay as typed
      {"nothing/sub", "nothing/sub"},
      {"mixed/a", "mixed/a"},  // the exact name wins
      {"MIXED/A", "Mixed/a"},  // else the first in byte order
      {"MiXeD", "Mixed"},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolveExistingCase(dir.File(c.typed)), dir.File(c.on_disk)) << c.typed;
  EXPECT_EQ(ReadWholeFile(dir.File("sub/deeper/todo.pdb"), FileOpenMode::kReadOnly), "todo");
  EXPECT_EQ(ResolveExistingCase(""), "");

  // A relative name is resolved against the current folder.
  const std::string old_dir = CurrentDirectory();
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  EXPECT_EQ(ResolveExistingCase("sub/deeper/todo.pdb"), "Sub/Deeper/ToDo.pdb");
  EXPECT_EQ(ResolveExistingCase("./SUB/other.pdb"), "./Sub/other.pdb");
  ASSERT_EQ(::chdir(old_dir.c_str()), 0);
}

}  // namespace
}  // namespace jf
