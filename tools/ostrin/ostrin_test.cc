// End-to-end tests of ostrin: the built program run in a temporary folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/tool_main.h"
#include "jfile/container/output_guard.h"
#include "jfile/model/jfile.h"
#include "platform/directory.h"
#include "testing/test_util.h"

namespace jf {
namespace {

using testing::FileExists;
using testing::Lines;
using testing::ReadFileBytes;
using testing::RunOptions;
using testing::RunProgram;
using testing::RunResult;
using testing::TempDir;
using testing::WriteFileBytes;

using StringList = std::vector<std::string>;

const StringList kBanner = {"", "Ostrin/32 1.34", ""};

// The CSV file of every database MakeDatabase writes.
const char kCsv[] = "\"Name\",\"Color\"\r\n\"Ann\",\"Red\"\r\n\"Bob\",\"Gr\xCF" "een\"\r\n";

// A database of two fields (Name, and Color with a popup list) and two records, in the given layout.
void MakeDatabase(const std::string& path, DataBaseMode mode, const std::string& title) {
  TJFILE db;
  db.CreateNew(path);
  db.SetFieldCount(2);
  db.SetFieldName("Name", 1);
  db.SetFieldName("Color", 2);
  db.SetFieldType(field_type::kList, 2);
  db.SetPopupValue("Red", 1, 2);
  db.SetPopupValue("Green", 2, 2);
  db.SetRecordCount(2);
  db.SetFieldValue("Ann", 1, 1);
  db.SetFieldValue("Red", 2, 1);
  db.SetFieldValue("Bob", 1, 2);
  db.SetFieldValue("Gr\neen", 2, 2);
  db.SetDataBaseMode(mode);
  db.SaveAs(title);
}

RunResult Ostrin(const StringList& args, const std::string& cwd) {
  RunOptions options;
  options.cwd = cwd;
  return RunProgram(testing::ToolPath("ostrin"), args, options);
}

StringList Concat(StringList a, const StringList& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The lines of one converted file.
StringList Converted(const std::string& input, const std::string& out_base) {
  return {"Parsing " + input, "Writing " + out_base + ".CSV", "Writing " + out_base + ".DEF", ""};
}

TEST(OstrinTest, UsageAndWrongCommandLines) {
  TempDir dir;
  RunResult r = Ostrin({}, dir.path());
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(Lines(r.out),
            Concat(kBanner, {"Calling syntax:",
                             "  Ostrin <InpName> [<OutName>]",
                             "",
                             "Default file type for <InpName> is .PDB",
                             "Default file type for <OutName> is .CSV",
                             "",
                             "Default directory for <OutName> is same as <InpName>",
                             "",
                             "<InpName> can contain wild cards. If so, <OutName> must either be omitted, or",
                             "a star (to specify \"omitted\"), or specify an existing directory.",
                             "",
                             "In addition to the <OutName>, there will also be created a .DEF file with the",
                             "same name as <OutName> which contains definitions from the .PDB file which are",
                             "unsuitable to save in a .CSV file."}));
  EXPECT_EQ(r.out.find('\r'), std::string::npos);

  r = Ostrin({"nosuch"}, dir.path());
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"File " + dir.File("nosuch.PDB") + " doesn't exist!"}));

  r = Ostrin({"my data"}, dir.path());
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"File \"" + dir.File("my data.PDB") + "\" doesn't exist!"}));

  // Three names: a shell-expanded wildcard; nothing is touched.
  MakeDatabase(dir.File("a.pdb"), DataBaseMode::JF6, "A");
  r = Ostrin({"a.pdb", "b.pdb", "c.pdb"}, dir.path());
  EXPECT_EQ(r.exit_code, kExitTooManyArguments);
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {TooManyArgumentsLine()}));
  EXPECT_FALSE(FileExists(dir.File("b.pdb")));
  EXPECT_FALSE(FileExists(dir.File("a.CSV")));
}

TEST(OstrinTest, SingleFileBesideItsInput) {
  TempDir dir;
  MakeDatabase(dir.File("data.pdb"), DataBaseMode::JF6, "Colours");
  const std::string before = ReadFileBytes(dir.File("data.pdb"));
  RunResult r = Ostrin({"data"}, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), Concat(kBanner, Concat(Converted(dir.File("data.pdb"), dir.File("data")), {"Done."})));
  EXPECT_EQ(ReadFileBytes(dir.File("data.CSV")), kCsv);
  const std::string def = ReadFileBytes(dir.File("data.DEF"));
  EXPECT_EQ(def.rfind("[JFilePro]\r\nWidths=", 0), 0u) << def;
  EXPECT_NE(def.find("\r\nTypes=STRING,LIST\r\nTitle=Colours\r\n"), std::string::npos) << def;
  EXPECT_NE(def.find("\r\nPopup2=Red,Green\r\n"), std::string::npos) << def;
  EXPECT_NE(def.find("\r\nSort5=\"\",0,0,0\r\n"), std::string::npos) << def;
  EXPECT_EQ(ReadFileBytes(dir.File("data.pdb")), before);

  // A star as OutName stands for an omitted one.
  ASSERT_TRUE(DeleteFilePath(dir.File("data.CSV")));
  r = Ostrin({dir.File("data.pdb"), "*"}, "/");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir.File("data.CSV")), kCsv);
}

TEST(OstrinTest, NamedOutputAndOutputFolder) {
  TempDir dir;
  ASSERT_TRUE(EnsureFolder(dir.File("in")));
  ASSERT_TRUE(EnsureFolder(dir.File("work")));
  ASSERT_TRUE(EnsureFolder(dir.File("out")));
  MakeDatabase(dir.File("in/a.pdb"), DataBaseMode::PRO, "A");

  // A name without a folder lands in the current folder, not beside the input.
  RunResult r = Ostrin({dir.File("in/a.pdb"), "B"}, dir.File("work"));
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), Concat(kBanner, Concat(Converted(dir.File("in/a.pdb"), dir.File("work/B")), {"Done."})));
  EXPECT_EQ(ReadFileBytes(dir.File("work/B.CSV")), kCsv);
  EXPECT_TRUE(FileExists(dir.File("work/B.DEF")));

  // A name ending in "/" is a folder; without it the name is a file name.
  r = Ostrin({"../in/A", "../out/"}, dir.File("work"));
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), Concat(kBanner, Concat(Converted(dir.File("in/a.pdb"), dir.File("out/a")), {"Done."})));
  EXPECT_EQ(ReadFileBytes(dir.File("out/a.CSV")), kCsv);
  r = Ostrin({"../in/a", "../out"}, dir.File("work"));
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir.File("out.CSV")), kCsv);
  EXPECT_TRUE(FileExists(dir.File("out.DEF")));

  // The output folder does not exist: the run ends with the error.
  r = Ostrin({"../in/a", "../none/"}, dir.File("work"));
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "ostrin: Cannot create file " + dir.File("none/a.CSV") + "\n");
}

TEST(OstrinTest, WildcardOverAMixedFolder) {
  TempDir dir;
  ASSERT_TRUE(EnsureFolder(dir.File("in")));
  ASSERT_TRUE(EnsureFolder(dir.File("out")));
  MakeDatabase(dir.File("in/a_std.pdb"), DataBaseMode::STD, "Std");
  MakeDatabase(dir.File("in/b_pro.PDB"), DataBaseMode::PRO, "Pro");
  MakeDatabase(dir.File("in/c_jf5.pdb"), DataBaseMode::JF5, "Five");
  MakeDatabase(dir.File("in/d_jf6.pdb"), DataBaseMode::JF6, "Six");
  MakeDatabase(dir.File("in/.hidden.pdb"), DataBaseMode::JF6, "Hidden");
  // A JFile database cut short after its header and record list.
  MakeDatabase(dir.File("in/e_damaged.pdb"), DataBaseMode::JF5, "Damaged");
  WriteFileBytes(dir.File("in/e_damaged.pdb"), ReadFileBytes(dir.File("in/e_damaged.pdb")).substr(0, 90));
  WriteFileBytes(dir.File("in/f_text.txt"), "not a database");
  const StringList corpus = {"AddressDB-LifeDrive.pdb", "AddressDB-Palm_V-FR.pdb", "AddressDB-Palm_V-JP.pdb",
                             "DatebookDB.pdb",          "ExpenseDB.pdb",           "MemoDB.pdb",
                             "OnBoardHeaderV40.pdb",    "ToDoDB.pdb"};
  for (const std::string& name : corpus) {
    WriteFileBytes(dir.File("in/" + name), ReadFileBytes(testing::SourcePath("tools/dbdump/testdata/" + name)));
  }

  RunResult r = Ostrin({"in/*", "out/"}, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  StringList lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u + 4 * 4 + 2 + 1) << r.out;
  StringList expected = kBanner;
  for (const char* name : {"a_std", "b_pro", "c_jf5", "d_jf6"}) {
    const std::string input = std::string(name) + (name[0] == 'b' ? ".PDB" : ".pdb");
    expected = Concat(expected, Converted(dir.File("in/" + input), dir.File(std::string("out/") + name)));
  }
  const std::string damaged_prefix = "Parsing " + dir.File("in/e_damaged.pdb") + " <- Error: ";
  EXPECT_EQ(lines[19].rfind(damaged_prefix, 0), 0u) << lines[19];
  EXPECT_GT(lines[19].size(), damaged_prefix.size());
  lines[19] = damaged_prefix;
  expected = Concat(expected, {damaged_prefix, "", "Done."});
  EXPECT_EQ(lines, expected);

  for (const char* name : {"a_std", "b_pro", "c_jf5", "d_jf6"}) {
    EXPECT_EQ(ReadFileBytes(dir.File(std::string("out/") + name + ".CSV")), kCsv) << name;
    const std::string def = ReadFileBytes(dir.File(std::string("out/") + name + ".DEF"));
    EXPECT_NE(def.find("\r\nPopup2=Red,Green\r\n"), std::string::npos) << name;
    // Presets and defaults exist only in the JFile 5 layouts.
    EXPECT_EQ(def.find("Sort1=") != std::string::npos, name[0] == 'c' || name[0] == 'd') << name;
  }
  std::vector<DirectoryEntry> written;
  ASSERT_TRUE(ListDirectory(dir.File("out"), &written));
  EXPECT_EQ(written.size(), 8u);

  // Named on its own, a database of another application is reported rather than passed over.
  r = Ostrin({"in/MemoDB.pdb"}, dir.path());
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Parsing " + dir.File("in/MemoDB.pdb") +
                                               " <- Error: Not a JFile/JFile Pro database!",
                                           "", "Done."}));

  // A hidden database passes the existence test but is not converted.
  r = Ostrin({"in/.hidden.pdb"}, dir.path());
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Done."}));
  EXPECT_FALSE(FileExists(dir.File("in/.hidden.CSV")));
}

TEST(OstrinTest, ShellExpandedWildcardLeavesTheSecondDatabaseAlone) {
  TempDir dir;
  MakeDatabase(dir.File("a.pdb"), DataBaseMode::JF6, "A");
  MakeDatabase(dir.File("b.pdb"), DataBaseMode::JF5, "B");
  const std::string b_before = ReadFileBytes(dir.File("b.pdb"));
  RunResult r = Ostrin({"a.pdb", "b.pdb"}, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  const std::string refusal = OutputRefusal(dir.File("b.pdb"), OutputKind::kText);
  ASSERT_FALSE(refusal.empty());
  EXPECT_EQ(Lines(r.out),
            Concat(kBanner, {"Parsing " + dir.File("a.pdb") + " <- Error: " + refusal, "", "Done."}));
  EXPECT_EQ(ReadFileBytes(dir.File("b.pdb")), b_before);
  EXPECT_FALSE(FileExists(dir.File("b.DEF")));

  // The DEF name is checked as well.
  WriteFileBytes(dir.File("c.DEF"), b_before);
  r = Ostrin({"a.pdb", "c"}, dir.path());
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Parsing " + dir.File("a.pdb") + " <- Error: " +
                                               OutputRefusal(dir.File("c.DEF"), OutputKind::kText),
                                           "", "Done."}));
  EXPECT_FALSE(FileExists(dir.File("c.CSV")));
  EXPECT_EQ(ReadFileBytes(dir.File("c.DEF")), b_before);
}

TEST(OstrinTest, NeverWritesOverTheDatabaseItReads) {
  TempDir dir;
  MakeDatabase(dir.File("swap.pdb"), DataBaseMode::JF5, "Swap");
  // Record offsets out of order: the file still loads, but no longer counts as a Palm database to the output
  // guard, so only the check against the input keeps the CSV from replacing it.
  std::string bytes = ReadFileBytes(dir.File("swap.pdb"));
  std::string first = bytes.substr(78, 8);
  bytes.replace(78, 8, bytes.substr(86, 8));
  bytes.replace(86, 8, first);
  WriteFileBytes(dir.File("swap.pdb"), bytes);
  ASSERT_TRUE(OutputRefusal(dir.File("swap.pdb"), OutputKind::kText).empty());

  RunResult r = Ostrin({"swap.pdb", "SWAP.PDB"}, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  const std::string own = dir.File("swap.pdb") + " is the database being exported, not overwritten";
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Parsing " + dir.File("swap.pdb") + " <- Error: " + own, "", "Done."}));
  EXPECT_EQ(ReadFileBytes(dir.File("swap.pdb")), bytes);

  // A CSV name that is also the DEF name (same.def and same.DEF are one file to a case-blind lookup).
  r = Ostrin({"swap.pdb", "same.def"}, dir.path());
  const std::string both = dir.File("same.def") + " would be both the CSV and the DEF file, not written";
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Parsing " + dir.File("swap.pdb") + " <- Error: " + both, "", "Done."}));
  EXPECT_FALSE(FileExists(dir.File("same.def")));
}

TEST(OstrinTest, DatesFollowTheLocale) {
  TempDir dir;
  {
    TJFILE db;
    db.CreateNew(dir.File("d.pdb"));
    db.SetFieldCount(1);
    db.SetFieldName("When", 1);
    db.SetFieldType(field_type::kDate, 1);
    db.SetRecordCount(1);
    db.SetFieldValue("3/7/02", 1, 1);
    db.SaveAs("Dates");
  }
  RunResult r = Ostrin({"d"}, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir.File("d.CSV")), "\"When\"\r\n\"07 Mar 2002\"\r\n");

  const std::string locales = testing::DayMonthYearLocaleDir();
  if (locales.empty()) GTEST_SKIP() << "no day/month/year locale";
  RunOptions options;
  options.cwd = dir.path();
  options.env = {{"LOCPATH", locales}, {"LC_ALL", "en_GB.UTF-8"}};
  r = RunProgram(testing::ToolPath("ostrin"), {"d"}, options);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir.File("d.CSV")), "\"When\"\r\n\"03 Jul 2002\"\r\n");
}

}  // namespace
}  // namespace jf
