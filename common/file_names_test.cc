#include "common/file_names.h"

#include <gtest/gtest.h>

namespace jf {
namespace {

TEST(FileNames, SplitsAtTheLastSlashOnly) {
  struct Case {
    const char* name;
    const char* path_part;
    const char* name_part;
  } cases[] = {
      {"/home/me/list.csv", "/home/me/", "list.csv"},
      {"list.csv", "", "list.csv"},
      {"dir/", "dir/", ""},
      {"/", "/", ""},
      {"C:FILE", "", "C:FILE"},          // ":" is an ordinary character
      {"a\\b.txt", "", "a\\b.txt"},      // so is "\"
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FilePathPart(c.name), c.path_part) << c.name;
    EXPECT_EQ(FileNamePart(c.name), c.name_part) << c.name;
  }
}

TEST(FileNames, DefaultAndForceExtension) {
  struct Case {
    const char* name;
    const char* defaulted;
    const char* forced;
  } cases[] = {
      {"data", "data.PDB", "data.PDB"},
      {"data.csv", "data.csv", "data.PDB"},
      {"a/b", "a/b.PDB", "a/b.PDB"},
      {"dir.v2/data", "dir.v2/data.PDB", "dir.v2/data.PDB"},  // a dot in the folder is no extension
      {"data.", "data.", "data.PDB"},                          // a final dot counts as an extension
      {"/x/my data.tar.gz", "/x/my data.tar.gz", "/x/my data.tar.PDB"},
      {"my-list", "my-list.PDB", "my-list.PDB"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DefaultExtension(c.name, "PDB"), c.defaulted) << c.name;
    EXPECT_EQ(ForceExtension(c.name, "PDB"), c.forced) << c.name;
  }
  EXPECT_EQ(ForceExtension("/x/data.csv", "DEF"), "/x/data.DEF");
}

TEST(FileNames, TrailingSlashes) {
  EXPECT_EQ(AddBackslash(""), "");
  EXPECT_EQ(AddBackslash("/tmp"), "/tmp/");
  EXPECT_EQ(AddBackslash("/tmp/"), "/tmp/");
  std::string name = "dir";
  AddBackslashInPlace(&name);
  EXPECT_EQ(name, "dir/");
  EXPECT_EQ(RemoveBackslash("/tmp/dir/"), "/tmp/dir");
  EXPECT_EQ(RemoveBackslash("/tmp/dir"), "/tmp/dir");
  EXPECT_EQ(RemoveBackslash("/"), "/");  // the root keeps its slash, as a drive root did
  EXPECT_EQ(RemoveBackslash(""), "");
}

TEST(FileNames, WildcardsAndCodePage) {
  EXPECT_TRUE(HasWildcards("*.PDB"));
  EXPECT_TRUE(HasWildcards("memo?.pdb"));
  EXPECT_FALSE(HasWildcards("/home/me/memo.pdb"));
  EXPECT_EQ(OemToAnsiText("caf\xC3\xA9.pdb"), "caf\xC3\xA9.pdb");
}

}  // namespace
}  // namespace jf
