// What every tool does with its files, its command line and its output, seen by running the built programs:
// read-only files, symbolic links, named pipes, the letter case of folders, an error after an open progress line,
// a failed standard output and a double quote inside a parameter.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "testing/test_util.h"

namespace jf {
namespace {

using jf::testing::FileExists;
using jf::testing::ReadFileBytes;
using jf::testing::RunOptions;
using jf::testing::RunProgram;
using jf::testing::RunResult;
using jf::testing::TempDir;
using jf::testing::ToolPath;
using jf::testing::WriteFileBytes;

constexpr char kCsv[] = "\"Name\",\"Phone\"\r\n\"Ann\",\"123\"\r\n\"Bob\",\"456\"\r\n";

class ToolsEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"ambrel", "dbdump", "dornik", "ostrin"}) {
      if (!FileExists(ToolPath(tool))) GTEST_SKIP() << tool << " is not built";
    }
  }

  // Runs the tool in the temporary folder; with shell_redirect, through the shell with that redirection of its
  // output (for example "2>&1", so that out shows the terminal's view of both).
  RunResult Run(const std::string& tool, const std::vector<std::string>& args,
                const std::string& shell_redirect = "") {
    RunOptions options;
    options.cwd = dir_.path();
    options.timeout_seconds = 20;
    if (shell_redirect.empty()) return RunProgram(ToolPath(tool), args, options);
    std::vector<std::string> shell_args = {"-c", "exec \"$0\" \"$@\" " + shell_redirect, ToolPath(tool)};
    shell_args.insert(shell_args.end(), args.begin(), args.end());
    return RunProgram("/bin/sh", shell_args, options);
  }

  // A JFile database made by the CSV-to-database tool, at the name given (relative to the folder).
  void MakeDatabase(const std::string& name) {
    WriteFileBytes(dir_.File("made.csv"), kCsv);
    RunResult r = Run("ambrel", {"made.csv", name});
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    ASSERT_TRUE(FileExists(dir_.File(name)));
  }

  TempDir dir_;
};

// A file without write permission is read-only for every user (the administrator too): it is never converted in
// place, and the error ends the progress line once.
TEST_F(ToolsEndToEnd, ReadOnlyDatabaseIsNotConvertedInPlace) {
  MakeDatabase("A.PDB");
  const std::string before = ReadFileBytes(dir_.File("A.PDB"));
  ASSERT_EQ(::chmod(dir_.File("A.PDB").c_str(), 0444), 0);
  RunResult r = Run("dornik", {"A", "/V3"}, "2>&1");
  EXPECT_EQ(r.exit_code, 1);
  const std::string tail = "Reading A.PDB\ndornik: Cannot open file " + dir_.File("A.PDB") + "\n";
  ASSERT_GE(r.out.size(), tail.size()) << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;
  EXPECT_EQ(ReadFileBytes(dir_.File("A.PDB")), before);
}

// The export's "Writing" line is open when the CSV file turns out read-only: the error goes on a line of its own.
TEST_F(ToolsEndToEnd, ErrorAfterAnOpenProgressLineStartsItsOwnLine) {
  MakeDatabase("A.PDB");
  WriteFileBytes(dir_.File("A.CSV"), "last week's\r\n");
  ASSERT_EQ(::chmod(dir_.File("A.CSV").c_str(), 0444), 0);
  RunResult r = Run("ostrin", {"A"}, "2>&1");
  EXPECT_EQ(r.exit_code, 1);
  const std::string csv = dir_.File("A.CSV");
  EXPECT_NE(r.out.find("\nWriting " + csv + "\nostrin: Cannot create file " + csv + "\n"), std::string::npos)
      << r.out;
  EXPECT_EQ(ReadFileBytes(csv), "last week's\r\n");
}

// A conversion in place through a symbolic link replaces the file the link leads to; the link stays a link.
TEST_F(ToolsEndToEnd, ConversionThroughALinkKeepsTheLink) {
  ASSERT_EQ(::mkdir(dir_.File("real").c_str(), 0777), 0);
  MakeDatabase("real/A.PDB");
  const std::string before = ReadFileBytes(dir_.File("real/A.PDB"));
  ASSERT_EQ(::symlink("real/A.PDB", dir_.File("A.PDB").c_str()), 0);
  RunResult r = Run("dornik", {"A", "/V3"});
  EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
  struct stat st;
  ASSERT_EQ(::lstat(dir_.File("A.PDB").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(ReadFileBytes(dir_.File("real/A.PDB")), before);  // now in the 3.x layout
}

// A named pipe is never opened to wait for a writer, and a search for files passes it over.
TEST_F(ToolsEndToEnd, NamedPipeIsNotWaitedOn) {
  MakeDatabase("A.PDB");
  ASSERT_EQ(::mkfifo(dir_.File("f.pdb").c_str(), 0666), 0);
  RunResult dump = Run("dbdump", {"f.pdb"});
  EXPECT_EQ(dump.exit_code, 1);
  EXPECT_EQ(dump.err, "dbdump: Cannot open file f.pdb\n");
  RunResult all = Run("ostrin", {"*"});
  EXPECT_EQ(all.exit_code, 0) << all.out << all.err;
  EXPECT_EQ(all.out.find("f.pdb"), std::string::npos) << all.out;
  EXPECT_TRUE(FileExists(dir_.File("A.CSV")));
}

// Every folder of a name takes its letter case from the disk when it does not exist as typed.
TEST_F(ToolsEndToEnd, FolderLetterCaseIsTakenFromTheDisk) {
  ASSERT_EQ(::mkdir(dir_.File("Sub").c_str(), 0777), 0);
  MakeDatabase("Sub/ToDo.pdb");
  RunResult r = Run("dbdump", {"sub/todo"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("JFile Pro DataBase"), std::string::npos) << r.out;
}

// A report that standard output could not take is a failure, not a success.
TEST_F(ToolsEndToEnd, FullStandardOutputFails) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  MakeDatabase("A.PDB");
  RunResult r = Run("dbdump", {"A.PDB"}, ">/dev/full");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "dbdump: Cannot write to standard output: No space left on device\n");
}

// A double quote inside a parameter cannot be carried: the run stops before any file is touched.
TEST_F(ToolsEndToEnd, DoubleQuoteInsideAParameterIsRefused) {
  WriteFileBytes(dir_.File("in.csv"), kCsv);
  RunResult r = Run("ambrel", {"in.csv", "out.pdb", "My \"Best\" List"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "ambrel: A parameter may not contain a double quote: My \"Best\" List\n");
  EXPECT_FALSE(FileExists(dir_.File("out.pdb")));
  EXPECT_FALSE(FileExists(dir_.File("out.PDB")));
  RunResult fine = Run("ambrel", {"in.csv", "out.pdb", "My 'Best' List"});
  EXPECT_EQ(fine.exit_code, 0) << fine.out << fine.err;
  EXPECT_NE(ReadFileBytes(dir_.File("out.pdb")).find("My 'Best' List"), std::string::npos);
}

}  // namespace
}  // namespace jf
