#include "common/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "testing/test_util.h"

namespace jf {
namespace {

using jf::testing::FileExists;
using jf::testing::ReadFileBytes;
using jf::testing::TempDir;
using jf::testing::WriteFileBytes;

constexpr char kDefault[] = "<default>";

TEST(Settings, ReadCases) {
  struct Case {
    const char* what;
    std::optional<std::string> file;  // no file at all when absent
    const char* section;
    const char* key;
    std::string expected;
  } cases[] = {
      {"missing file", std::nullopt, "S", "k", kDefault},
      {"case and blanks", "[Sec]\r\nMyKey=  abc  \r\n", "SEC", "MYKEY", "abc"},
      {"double quotes", "[S]\r\nk= \"  a b \" \r\n", "s", "k", "  a b "},
      {"single quotes", "[S]\nk='x'\n", "S", "k", "x"},
      {"one quote only", "[S]\nk=\"x\n", "S", "k", "\"x"},
      {"mixed quotes", "[S]\nk=\"x'\n", "S", "k", "\"x'"},
      {"empty value", "[S]\r\nk=\r\n", "S", "k", ""},
      {"missing key", "[S]\r\nk=1\r\n", "S", "other", kDefault},
      {"missing section", "[S]\r\nk=1\r\n", "T", "k", kDefault},
      {"key before any section", "k=0\r\n[S]\r\nj=1\r\n", "S", "k", kDefault},
      {"first key counts", "[S]\nk=1\nK=2\n", "S", "k", "1"},
      {"first section counts", "[S]\nj=1\n[s]\nk=2\n", "S", "k", kDefault},
      {"blanks around names", "  [ S ]  \n  k  =v\n", "S", "k", "v"},
      {"LF and CR LF lines", "[A]\nx=1\r\n[B]\r\ny=2\n", "B", "y", "2"},
      {"no final line end", "[S]\r\nk=last", "S", "k", "last"},
      {"final lone CR", "[S]\r\nk=last\r", "S", "k", "last"},
      {"byte order mark", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", "1"},
      {"equals in value", "[S]\nk=a=b\n", "S", "k", "a=b"},
      {"comment line", "[S]\n;k=1\nk=2\n", "S", "k", "2"},
      {"long value cut", "[S]\nk=" + std::string(9000, 'v') + "\n", "S", "k", std::string(8191, 'v')},
      {"first key name", "[S]\r\nfirst=1\r\nsecond=2\r\n", "S", "", "first"},
      {"first section name", "[One]\r\n[Two]\r\n", "", "k", "One"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    std::string name = dir.File("read.ini");
    ::unlink(name.c_str());
    if (c.file) WriteFileBytes(name, *c.file);
    EXPECT_EQ(ReadProfileText(c.section, c.key, kDefault, name), c.expected) << c.what;
  }
}

struct Write {
  const char* section;
  const char* key;
  std::string value;
  bool ok = true;
};

TEST(Settings, WriteCases) {
  struct Case {
    const char* what;
    std::optional<std::string> file;
    std::vector<Write> writes;
    std::optional<std::string> expected;  // no file expected when absent
  } cases[] = {
      {"new file", std::nullopt, {{"JFilePro", "Title", "Memo"}}, "[JFilePro]\r\nTitle=Memo\r\n"},
      {"same key twice", std::nullopt, {{"S", "k", "1"}, {"s", "K", "2"}}, "[S]\r\nk=2\r\n"},
      {"in place, rest kept byte for byte",
       "; comment\n[A]\nx = 1 \nKey=old\ny=2\n\n[B]\nz=3",
       {{"a", "KEY", "new"}},
       "; comment\n[A]\nx = 1 \nKey=new\r\ny=2\n\n[B]\nz=3"},
      {"new key after the section's last entry",
       "[A]\r\nx=1\r\n\r\n[B]\r\nz=3\r\n",
       {{"A", "y", "2"}},
       "[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n"},
      {"new key in an empty section", "[A]\r\n[B]\r\n", {{"A", "y", "2"}}, "[A]\r\ny=2\r\n[B]\r\n"},
      {"new key in the last section without a final line end", "[A]\nx=1", {{"A", "y", "2"}},
       "[A]\nx=1\r\ny=2\r\n"},
      {"new section at the end", "[A]\nx=1", {{"B", "y", "2"}}, "[A]\nx=1\r\n[B]\r\ny=2\r\n"},
      {"empty value", "[A]\r\nx=1\r\n", {{"A", "x", ""}}, "[A]\r\nx=\r\n"},
      {"empty key removes the section",
       "[A]\r\nx=1\r\n[B]\r\ny=2\r\n\r\n[C]\r\nz=3\r\n",
       {{"b", "", ""}},
       "[A]\r\nx=1\r\n[C]\r\nz=3\r\n"},
      {"removing a missing section", "[A]\r\nx=1\r\n", {{"B", "", ""}}, "[A]\r\nx=1\r\n"},
      {"removing from a missing file creates nothing", std::nullopt, {{"B", "", ""}}, std::nullopt},
      {"values that would break the file are refused",
       "[A]\r\nx=1\r\n",
       {{"A", "x", "two\nlines", false}, {"A", "k=v", "1", false}, {"A]", "k", "1", false},
        {"", "k", "1", false}, {"A", "[k", "1", false}},
       "[A]\r\nx=1\r\n"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    std::string name = dir.File("write.ini");
    ::unlink(name.c_str());
    if (c.file) WriteFileBytes(name, *c.file);
    for (const Write& w : c.writes) {
      EXPECT_EQ(WriteProfileText(w.section, w.key, w.value, name), w.ok) << c.what << ": " << w.key;
    }
    ASSERT_EQ(FileExists(name), c.expected.has_value()) << c.what;
    if (c.expected) {
      EXPECT_EQ(ReadFileBytes(name), *c.expected) << c.what;
    }
  }
}

TEST(Settings, RoundTrips) {
  TempDir dir;
  std::string name = dir.File("x.def");
  std::string long_value(9000, 'w');
  EXPECT_TRUE(WriteProfileText("S", "Long", long_value, name));
  EXPECT_EQ(ReadProfileText("S", "long", "", name), long_value.substr(0, kProfileValueLimit));
  EXPECT_TRUE(WriteProfileText("S", "Empty", "", name));
  EXPECT_EQ(ReadProfileText("S", "Empty", kDefault, name), "");
  EXPECT_TRUE(WriteProfileText("S", "Text", "caf\xE9 \xCF", name));  // single-byte text kept as it is
  EXPECT_EQ(ReadProfileText("S", "Text", "", name), "caf\xE9 \xCF");
}

TEST(Settings, BareNameLivesInTheConfigFolder) {
  TempDir dir;
  std::string config = dir.File("config/deeper");
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  ::setenv("HOME", dir.File("home").c_str(), 1);
  EXPECT_EQ(ProfileFilePath("Karvel.INI"), config + "/Karvel.INI");
  EXPECT_EQ(ProfileFilePath("./Karvel.INI"), "./Karvel.INI");
  EXPECT_EQ(ReadProfileText("Memo", "Default", "", "Karvel.INI"), "");
  EXPECT_TRUE(WriteProfileText("Memo", "Default", "2", "Karvel.INI"));
  EXPECT_EQ(ReadFileBytes(config + "/Karvel.INI"), "[Memo]\r\nDefault=2\r\n");
  EXPECT_EQ(ReadProfileText("MEMO", "default", "", "Karvel.INI"), "2");
}

TEST(Settings, WritesWithoutAFileToWriteFail) {
  TempDir dir;
  EXPECT_FALSE(WriteProfileText("A", "x", "1", dir.File("no/folder.ini")));
  EXPECT_FALSE(WriteProfileText("A", "x", "1", dir.path()));
  EXPECT_FALSE(WriteProfileText("A", "x", "1", ""));
  EXPECT_EQ(ReadProfileText("A", "x", kDefault, dir.path()), kDefault);
}

TEST(Settings, RefusedWritesLeaveTheFileAlone) {
  TempDir dir;
  std::string name = dir.File("ro.ini");
  WriteFileBytes(name, "[A]\r\nx=1\r\n");
  ::chmod(name.c_str(), 0444);  // read-only for every user, the administrator too
  EXPECT_FALSE(WriteProfileText("A", "x", "2", name));
  EXPECT_FALSE(WriteProfileText("A", "", "", name));
  EXPECT_EQ(ReadFileBytes(name), "[A]\r\nx=1\r\n");
  EXPECT_EQ(ReadProfileText("A", "x", kDefault, name), "1");  // still read

  std::string unreadable = dir.File("secret.ini");
  WriteFileBytes(unreadable, "[A]\r\nx=1\r\n");
  ::chmod(unreadable.c_str(), 0200);
  // Read permission stops everyone but the administrator.
  if (::access(unreadable.c_str(), R_OK) == 0) return;
  EXPECT_EQ(ReadProfileText("A", "x", kDefault, unreadable), kDefault);
  EXPECT_FALSE(WriteProfileText("A", "y", "2", unreadable));  // never written over unread
  ::chmod(unreadable.c_str(), 0600);
  EXPECT_EQ(ReadFileBytes(unreadable), "[A]\r\nx=1\r\n");
}

// Loading once and setting many keys gives exactly the file that writing the keys one by one gives.
TEST(Settings, DocumentMatchesKeyByKeyWrites) {
  TempDir dir;
  const std::string start = "[Other]\nkeep=me\n[JFilePro]\r\nWidths=1\r\nStale=x\r\n\r\n[Last]\nz=1";
  std::vector<std::pair<std::string, std::string>> keys;
  for (int i = 1; i <= 70; ++i) keys.push_back({"Key" + std::to_string(i), "value " + std::to_string(i)});
  keys.push_back({"WIDTHS", "80,20"});
  keys.push_back({"Key5", "again"});

  std::string one_by_one = dir.File("a.def");
  WriteFileBytes(one_by_one, start);
  for (const auto& [key, value] : keys) ASSERT_TRUE(WriteProfileText("JFilePro", key, value, one_by_one));

  std::string at_once = dir.File("b.def");
  WriteFileBytes(at_once, start);
  ProfileDocument document;
  ASSERT_TRUE(document.Load(at_once));
  for (const auto& [key, value] : keys) ASSERT_TRUE(document.Set("JFilePro", key, value));
  EXPECT_TRUE(document.modified());
  ASSERT_TRUE(document.Save(at_once));

  EXPECT_EQ(ReadFileBytes(at_once), ReadFileBytes(one_by_one));
  EXPECT_EQ(document.Get("jfilepro", "key5"), "again");
  EXPECT_EQ(document.Get("jfilepro", "widths"), "80,20");
  EXPECT_EQ(document.Get("Last", "z"), "1");
  EXPECT_EQ(document.Get("Nowhere", "z"), std::nullopt);
  EXPECT_EQ(document.Sections(), (std::vector<std::string>{"Other", "JFilePro", "Last"}));
  EXPECT_EQ(document.Keys("last"), (std::vector<std::string>{"z"}));

  document.RemoveSection("Other");
  EXPECT_EQ(document.Bytes().compare(0, 10, "[JFilePro]"), 0);

  ProfileDocument missing;
  EXPECT_TRUE(missing.Load(dir.File("none.def")));  // a missing file is an empty document
  EXPECT_EQ(missing.Bytes(), "");
  EXPECT_FALSE(missing.modified());
}

}  // namespace
}  // namespace jf
