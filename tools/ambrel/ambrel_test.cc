// End-to-end tests of ambrel: the built program run in a temporary folder, its databases read back both with the
// library and with the independent Palm::PDB reader.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "common/coding.h"
#include "common/tool_main.h"
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
using Records = std::vector<StringList>;

const StringList kBanner = {"", "Ambrel/32 1.35", ""};

RunResult Ambrel(const StringList& args, const std::string& cwd, const RunOptions& base = {}) {
  RunOptions options = base;
  options.cwd = cwd;
  return RunProgram(testing::ToolPath("ambrel"), args, options);
}

StringList Concat(StringList a, const StringList& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// CSV text of the lines, each value quoted, lines ended by CR LF.
std::string Csv(const Records& lines) {
  std::string text;
  for (const StringList& line : lines) {
    for (size_t i = 0; i < line.size(); ++i) text += (i > 0 ? "," : "") + Quoted(line[i]);
    text += "\r\n";
  }
  return text;
}

std::string Def(const StringList& keys) {
  std::string text = "[JFilePro]\r\n";
  for (const std::string& key : keys) text += key + "\r\n";
  return text;
}

// The values of a record as the file stores them: NUL-terminated texts, after a table of 16-bit lengths in every
// layout but 3.x.
StringList DecodeRecord(const std::string& bytes, bool length_table, int fields) {
  StringList values;
  size_t pos = length_table ? static_cast<size_t>(2 * fields) : 0;
  for (int i = 0; i < fields; ++i) {
    const size_t nul = bytes.find('\0', pos);
    if (nul == std::string::npos) {
      ADD_FAILURE() << "record ends early";
      break;
    }
    if (length_table) {
      EXPECT_EQ(GetBig16(reinterpret_cast<const uint8_t*>(bytes.data()) + 2 * i), nul - pos + 1);
    }
    values.push_back(bytes.substr(pos, nul - pos));
    pos = nul + 1;
  }
  EXPECT_EQ(pos, bytes.size());
  return values;
}

// Checks the file with the independent reader: name, type and creator, and every record's values.
void ExpectPalmFile(const std::string& path, const std::string& name, const std::string& type_creator,
                    const Records& records) {
  SCOPED_TRACE(path);
  if (!testing::PalmPdbAvailable()) {
    std::cout << "Palm::PDB is not installed; skipping the independent check\n";
    return;
  }
  const testing::PalmPdbView view = testing::ReadWithPalmPdb(path);
  ASSERT_TRUE(view.ok) << view.error;
  EXPECT_EQ(view.name, name);
  EXPECT_EQ(view.type + view.creator, type_creator);
  ASSERT_EQ(view.records.size(), records.size());
  const bool length_table = type_creator != "JfDbJBas";
  for (size_t r = 0; r < records.size(); ++r) {
    EXPECT_EQ(view.record_attributes[r], 64);
    EXPECT_EQ(DecodeRecord(view.records[r], length_table, static_cast<int>(records[r].size())), records[r])
        << "record " << r + 1;
  }
}

Records LoadedRecords(const TJFILE& db) {
  Records records;
  for (int r = 1; r <= db.RecordCount(); ++r) {
    StringList values;
    for (int i = 1; i <= db.GetFieldCount(); ++i) values.push_back(db.GetFieldValue(i, r));
    records.push_back(values);
  }
  return records;
}

// The independent reader sees the same name, ids and records as the library.
void ExpectPalmFileAgrees(const std::string& path, const TJFILE& db) {
  ExpectPalmFile(path, db.Header().name, IdText(db.Header().type) + IdText(db.Header().creator), LoadedRecords(db));
}

StringList FieldNames(const TJFILE& db) {
  StringList names;
  for (int i = 1; i <= db.GetFieldCount(); ++i) names.push_back(db.GetFieldName(i));
  return names;
}

StringList PopupValues(const TJFILE& db, int field) {
  StringList values;
  for (int j = 1; j <= db.PopupCount(field); ++j) values.push_back(db.GetPopupValue(j, field));
  return values;
}

TEST(AmbrelTest, UsageAndWrongCommandLines) {
  TempDir dir;
  RunResult r = Ambrel({}, dir.path());
  EXPECT_EQ(r.exit_code, 0);
  const StringList lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u + 29u);
  EXPECT_EQ(StringList(lines.begin(), lines.begin() + 5),
            Concat(kBanner, {"Calling syntax:", "  Ambrel <InpName> [<OutName> [<DatabaseName> [<Filter>]]] [/V3|/V4]"}));
  EXPECT_EQ(lines[10], "Default database name is \"JFile Pro Database\", unless another title");
  EXPECT_EQ(lines.back(), "this by specifying /V3 or /V4 on the command line.");
  EXPECT_EQ(r.out.find('\r'), std::string::npos);

  r = Ambrel({"nosuch"}, dir.path());
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"File " + dir.File("nosuch.CSV") + " doesn't exist!"}));

  r = Ambrel({"my list", "/V3"}, dir.path());
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"File \"" + dir.File("my list.CSV") + "\" doesn't exist!"}));

  // Six names: a shell-expanded wildcard; nothing is read or written.
  const StringList six = {"a.csv", "b.csv", "c.csv", "d.csv", "e.csv", "f.csv"};
  for (const std::string& name : six) WriteFileBytes(dir.File(name), Csv({{"A"}, {name}}));
  r = Ambrel(six, dir.path());
  EXPECT_EQ(r.exit_code, kExitTooManyArguments);
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {TooManyArgumentsLine()}));
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(ListDirectory(dir.path(), &entries));
  EXPECT_EQ(entries.size(), six.size());

  r = Ambrel({"a", "/Vx"}, dir.path());
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "ambrel: 'x' is not a valid integer value\n");
}

// A shell expands ambrel *.csv into a.csv b.csv: b.csv is then the output name and must survive.
TEST(AmbrelTest, NeverWritesOverAFileThatIsNotADatabase) {
  TempDir dir;
  WriteFileBytes(dir.File("a.csv"), Csv({{"A"}, {"1"}}));
  const std::string b = Csv({{"B"}, {"2"}});
  WriteFileBytes(dir.File("b.csv"), b);
  RunResult r = Ambrel({"a.csv", "b.csv"}, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("a.csv"),
                                           "Writing " + dir.File("b.csv") + " <- Error: " + dir.File("b.csv") +
                                               " is not a Palm database, not overwritten",
                                           "", "Done."}));
  EXPECT_EQ(ReadFileBytes(dir.File("b.csv")), b);

  // A database given as input is not read as CSV text (its output would be the database itself).
  r = Ambrel({"a.csv"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string database = ReadFileBytes(dir.File("a.PDB"));
  r = Ambrel({"a.PDB"}, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("a.PDB") + " <- Error: " + dir.File("a.PDB") +
                                               " is a Palm database, not a CSV file",
                                           "", "Done."}));
  EXPECT_EQ(ReadFileBytes(dir.File("a.PDB")), database);
}

// The list every layout test converts: Born holds dates in the export form or nothing, Other also a non-date.
const Records kPeople = {
    {"Name", "Born", "Member", "Colour", "Other"},
    {"Ann", "07 Mar 2002", "1", "red", "31 dec 1999"},
    {"Bob", "", "0", "green", "not a date"},
    {"Cid", "01 Okt 2010", "1", "red", ""},
};
const StringList kPeopleDef = {
    "Widths=10,50,-30,40,70",
    "Types=STRING,DATE,BOOLEAN,LIST,DATE",
    "Title=  People  ",
    "Sort=2,1,0",
    "Find=1,An",
    "Filter=4,re",
    "FirstCol=2",
    "Category=5",
    "ReadOnly=yes",
    "Popup4=red,Green,blue",
    "Sort1=\"By born\",2,1,0",
    "Filter1=\"Members\",\"\",\"\",\"1\",\"\",\"\",3,0,1,2,3,4",
    "Default3=1",
    "Default4=red",
};

struct LayoutCase {
  std::string version;  // the /V switch, empty for none
  std::string note;
  std::string type_creator;
  DataBaseMode loaded_mode;
  bool presets;
  std::array<std::string, 3> born;   // Born of the three records as stored
  std::array<std::string, 3> other;  // Other of the three records as stored
  uint16_t born_type;
  int width_of_3;
};

TEST(AmbrelTest, EachVersionGivesItsLayoutAndDates) {
  const std::array<std::string, 3> short_born = {"03/07/2002", "", "10/01/2010"};
  const std::array<std::string, 3> short_other = {"12/31/1999", "not a date", ""};
  const std::array<std::string, 3> export_born = {"07 Mar 2002", "", "01 Okt 2010"};
  const std::array<std::string, 3> export_other = {"31 dec 1999", "not a date", ""};
  const std::vector<LayoutCase> cases = {
      {"/V3", " (JFile 3.x)", "JfDbJBas", DataBaseMode::STD, false, short_born, short_other, field_type::kDate, 32767},
      {"/v4", " (JFile 4.x)", "JfDbJFil", DataBaseMode::PRO, false, short_born, short_other, field_type::kDate, 32767},
      {"/V5", "", "JfD5JFi5", DataBaseMode::JF6, true, short_born, short_other, field_type::kDate, -30},
      {"/V6", "", "JfD5JFi5", DataBaseMode::JF6, true, export_born, export_other, field_type::kIntDate, -30},
      {"", "", "JfD5JFi5", DataBaseMode::JF6, true, export_born, export_other, field_type::kIntDate, -30},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE("version " + c.version);
    TempDir dir;
    WriteFileBytes(dir.File("people.csv"), Csv(kPeople));
    WriteFileBytes(dir.File("people.def"), Def(kPeopleDef));
    StringList args = {"PEOPLE"};
    if (!c.version.empty()) args.insert(args.begin(), c.version);
    RunResult r = Ambrel(args, dir.path());
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("people.csv"), "Reading " + dir.File("people.def"),
                                             "Writing " + dir.File("people.PDB") + c.note, "", "Done."}));

    Records expected;
    for (size_t r = 1; r < kPeople.size(); ++r) {
      expected.push_back(kPeople[r]);
      expected.back()[1] = c.born[r - 1];
      expected.back()[4] = c.other[r - 1];
    }
    ExpectPalmFile(dir.File("people.PDB"), "People", c.type_creator, expected);

    TJFILE db;
    db.OpenFile(dir.File("people.PDB"));
    EXPECT_EQ(db.GetDataBaseMode(), c.loaded_mode);
    EXPECT_EQ(FieldNames(db), kPeople[0]);
    EXPECT_EQ(LoadedRecords(db), expected);
    EXPECT_EQ(db.GetFieldType(1), field_type::kString);
    EXPECT_EQ(db.GetFieldType(2), c.born_type);
    EXPECT_EQ(db.GetFieldType(3), field_type::kBoolean);
    EXPECT_EQ(db.GetFieldType(4), field_type::kList);
    EXPECT_EQ(db.GetFieldType(5), field_type::kDate) << "one value is no date";
    EXPECT_EQ(db.GetFieldWidth(1), 20) << "widths below 20 become 20";
    EXPECT_EQ(db.GetFieldWidth(2), 50);
    EXPECT_EQ(db.GetFieldWidth(3), c.width_of_3);
    EXPECT_EQ(PopupValues(db, 4), (StringList{"blue", "Green", "red"}));
    EXPECT_EQ(db.GetSortField(1), 2);
    EXPECT_EQ(db.GetSortField(2), 1);
    EXPECT_EQ(db.GetSortField(3), 0);
    EXPECT_EQ(db.GetFindField(), 1);
    EXPECT_EQ(db.GetFindString(), "An");
    EXPECT_EQ(db.GetFilterField(), 4);
    EXPECT_EQ(db.GetFilterString(), "re");
    EXPECT_EQ(db.GetFirstColumn(), 2);
    EXPECT_EQ(db.GetCategory(), 5);
    EXPECT_TRUE(db.GetReadOnly());
    EXPECT_EQ(db.GetSortPresetName(1), c.presets ? "By born" : "");
    EXPECT_EQ(db.GetSortPresetField(1, 1), c.presets ? 2 : 0);
    EXPECT_EQ(db.GetFilterPreset(1).name, c.presets ? "Members" : "");
    EXPECT_EQ(db.GetFilterPreset(1).small[4], c.presets ? 4 : 0);
    EXPECT_EQ(db.GetDefault(3), c.presets ? "1" : "");
    EXPECT_EQ(db.GetDefault(4), c.presets ? "red" : "");
  }
}

TEST(AmbrelTest, DatesFollowTheLocaleShortDateForm) {
  const std::string locales = testing::DayMonthYearLocaleDir();
  if (locales.empty()) GTEST_SKIP() << "no day/month/year locale could be built";
  TempDir dir;
  WriteFileBytes(dir.File("people.csv"), Csv(kPeople));
  WriteFileBytes(dir.File("people.def"), Def(kPeopleDef));
  RunOptions options;
  options.env = {{"LOCPATH", locales}, {"LC_ALL", "en_GB.UTF-8"}};
  RunResult r = Ambrel({"people", "/V3"}, dir.path(), options);
  ASSERT_EQ(r.exit_code, 0) << r.err;
  TJFILE db;
  db.OpenFile(dir.File("people.PDB"));
  EXPECT_EQ(db.GetFieldValue(2, 1), "07/03/2002");
  EXPECT_EQ(db.GetFieldValue(2, 3), "01/10/2010");
  EXPECT_EQ(db.GetFieldValue(5, 1), "31/12/1999");
  ExpectPalmFileAgrees(dir.File("people.PDB"), db);
}

TEST(AmbrelTest, NamesAndPlacesOfOutputAndDefFiles) {
  TempDir dir;
  ASSERT_TRUE(EnsureFolder(dir.File("in")));
  ASSERT_TRUE(EnsureFolder(dir.File("out")));
  WriteFileBytes(dir.File("in/list.csv"), Csv({{"A", "B"}, {"1", "x"}}));
  WriteFileBytes(dir.File("in/list.def"), Def({"Title=From input", "Widths=31,32"}));
  WriteFileBytes(dir.File("out/list.def"), Def({"Title=From output", "Widths=41,42"}));

  // The DEF file beside the output wins over the one beside the input.
  RunResult r = Ambrel({"in/list", "out/"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("in/list.csv"), "Reading " + dir.File("out/list.def"),
                                           "Writing " + dir.File("out/list.PDB"), "", "Done."}));
  {
    TJFILE db;
    db.OpenFile(dir.File("out/list.PDB"));
    EXPECT_EQ(db.Header().name, "From output");
    EXPECT_EQ(db.GetFieldWidth(1), 41);
    ExpectPalmFile(dir.File("out/list.PDB"), "From output", "JfD5JFi5", {{"1", "x"}});
  }

  // Without it, the one beside the input; a name without a folder lands beside the input; a database name given
  // on the command line wins over the title and is cut to 31 characters.
  r = Ambrel({dir.File("in/list.csv"), "new", "A name that is longer than thirty-one"}, "/");
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("in/list.csv"), "Reading " + dir.File("in/list.def"),
                                           "Writing " + dir.File("in/new.PDB"), "", "Done."}));
  {
    TJFILE db;
    db.OpenFile(dir.File("in/new.PDB"));
    EXPECT_EQ(db.Header().name, "A name that is longer than thir");
    EXPECT_EQ(db.GetFieldWidth(2), 32);
    ExpectPalmFile(dir.File("in/new.PDB"), "A name that is longer than thir", "JfD5JFi5", {{"1", "x"}});
  }

  // "*" stands for omitted positions; no DEF file anywhere gives the default title and widths of 0.
  ASSERT_TRUE(DeleteFilePath(dir.File("in/list.def")));
  r = Ambrel({"in/list", "*", "*"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("in/list.csv"), "Writing " + dir.File("in/list.PDB"),
                                           "", "Done."}));
  {
    TJFILE db;
    db.OpenFile(dir.File("in/list.PDB"));
    EXPECT_EQ(db.Header().name, "JFile Pro DataBase");
    EXPECT_EQ(db.GetFieldWidth(1), 0);
    EXPECT_EQ(db.GetSortField(1), 0);
    EXPECT_EQ(db.GetFirstColumn(), 0);
    ExpectPalmFile(dir.File("in/list.PDB"), "JFile Pro DataBase", "JfD5JFi5", {{"1", "x"}});
  }

  // An output folder that does not exist ends the run.
  r = Ambrel({"in/list", "none/"}, dir.path());
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "ambrel: Cannot create file " + dir.File("none/list.PDB") + "\n");
}

TEST(AmbrelTest, WildcardRunCarriesDefValuesToFilesWithoutTheirOwn) {
  TempDir dir;
  Records colours = {{"Name", "Colour"}};
  for (int i = 0; i < 45; ++i) colours.push_back({"n" + std::to_string(i), i % 3 == 0 ? "red" : "blue"});
  WriteFileBytes(dir.File("a.csv"), Csv({{"Name", "Colour"}, {"x", "y"}}));
  WriteFileBytes(dir.File("a.def"), Def({"Widths=61,62", "Category=9", "Types=STRING,LIST", "Popup2=q,p",
                                         "Default1=dflt", "Title=Alpha"}));
  WriteFileBytes(dir.File("b.csv"), Csv(colours));
  WriteFileBytes(dir.File("c.txt"), "not matched");

  RunResult r = Ambrel({"*.csv"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("a.csv"), "Reading " + dir.File("a.def"),
                                           "Writing " + dir.File("a.PDB"), "", "Reading " + dir.File("b.csv"),
                                           "Writing " + dir.File("b.PDB"), "", "Done."}));
  TJFILE a;
  a.OpenFile(dir.File("a.PDB"));
  EXPECT_EQ(a.Header().name, "Alpha");
  EXPECT_EQ(PopupValues(a, 2), (StringList{"p", "q"}));
  ExpectPalmFile(dir.File("a.PDB"), "Alpha", "JfD5JFi5", {{"x", "y"}});

  // b has no DEF file: it keeps the widths, category, defaults and popup lists of the last one read, but not
  // its title; its own Colour column is a popup list by its values.
  TJFILE b;
  b.OpenFile(dir.File("b.PDB"));
  EXPECT_EQ(b.Header().name, "JFile Pro DataBase");
  EXPECT_EQ(b.GetFieldWidth(1), 61);
  EXPECT_EQ(b.GetFieldWidth(2), 62);
  EXPECT_EQ(b.GetCategory(), 9);
  EXPECT_EQ(b.GetDefault(1), "dflt");
  EXPECT_EQ(b.GetFieldType(2), field_type::kList);
  EXPECT_EQ(PopupValues(b, 2), (StringList{"p", "q"}));
  EXPECT_EQ(b.RecordCount(), 45);
  ExpectPalmFile(dir.File("b.PDB"), "JFile Pro DataBase", "JfD5JFi5",
                 Records(colours.begin() + 1, colours.end()));

  // Alone, b's popup list comes from its own values, in order of first appearance.
  ASSERT_TRUE(DeleteFilePath(dir.File("b.PDB")));
  r = Ambrel({"b"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  TJFILE alone;
  alone.OpenFile(dir.File("b.PDB"));
  EXPECT_EQ(PopupValues(alone, 2), (StringList{"red", "blue"}));
  EXPECT_EQ(alone.GetFieldWidth(1), 0);
  ExpectPalmFileAgrees(dir.File("b.PDB"), alone);
}

TEST(AmbrelTest, FilterKeepsRecordsByTheirFirstValue) {
  TempDir dir;
  // A first value without its closing quote, and an unquoted line, have nothing the filter could match.
  WriteFileBytes(dir.File("list.csv"),
                 Csv({{"ABName", "V"}, {"ABC1", "1"}, {"abc2", "2"}, {"ABD", "3"}, {"AB", "4"}, {"xAB", "5"}}) +
                     "\"AB,\"x\r\nAB,6\r\n");
  RunResult r = Ambrel({"list", "*", "*", "AB"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("list.csv") + " (filtering \"AB\"",
                                           "Writing " + dir.File("list.PDB"), "", "Done."}));
  ExpectPalmFile(dir.File("list.PDB"), "JFile Pro DataBase", "JfD5JFi5",
                 {{"ABC1", "1"}, {"ABD", "3"}, {"AB", "4"}});

  r = Ambrel({"list", "*", "Stripped", "AB", "-"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  ExpectPalmFile(dir.File("list.PDB"), "Stripped", "JfD5JFi5", {{"C1", "1"}, {"D", "3"}, {"", "4"}});
  TJFILE db;
  db.OpenFile(dir.File("list.PDB"));
  EXPECT_EQ(FieldNames(db), (StringList{"ABName", "V"}));
}

TEST(AmbrelTest, NotesStartIndentedLinesUnderTheirReadingLine) {
  TempDir dir;
  Records wide(2);
  for (int i = 1; i <= 60; ++i) {
    wide[0].push_back("F" + std::to_string(i));
    wide[1].push_back(i == 2 ? std::string(5000, 'x') : "v" + std::to_string(i));
  }
  WriteFileBytes(dir.File("wide.csv"), Csv(wide));
  std::string popups;
  for (int i = 0; i < 101; ++i) popups += (i > 0 ? "," : "") + std::to_string(i);
  WriteFileBytes(dir.File("wide.def"), Def({"Types=LIST,LIST", "Popup1=" + popups, "Popup2=" + popups}));
  RunResult r = Ambrel({"wide", "/V5"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("wide.csv"),
                                           "  Input file truncated from 60 fields to 50 fields!",
                                           "  (Field 2 in record 2 too long - 5001 bytes)",
                                           "Reading " + dir.File("wide.def"),
                                           "  PopUp list for field \"F1\" truncated to 100 entries.",
                                           "  PopUp list for field \"F2\" truncated to 100 entries.",
                                           "Writing " + dir.File("wide.PDB"), "", "Done."}));
  TJFILE db;
  db.OpenFile(dir.File("wide.PDB"));
  EXPECT_EQ(db.GetFieldCount(), 50);
  EXPECT_EQ(db.GetFieldValue(2, 1), std::string(3999, 'x'));
  EXPECT_EQ(db.GetFieldValue(50, 1), "v50");
  EXPECT_EQ(db.PopupCount(1), 50) << "the database keeps 50 popup values";
  EXPECT_EQ(db.GetPopupValue(1, 1), "0");
  EXPECT_EQ(db.GetPopupValue(3, 1), "10") << "sorted by their digits as text";
  ExpectPalmFileAgrees(dir.File("wide.PDB"), db);
}

TEST(AmbrelTest, LongValuesAreCutByVersion) {
  struct LimitCase {
    std::string version;
    size_t kept;
  };
  const std::vector<LimitCase> cases = {{"", 15999}, {"/V6", 20000}, {"/V4", 3999}};
  TempDir dir;
  WriteFileBytes(dir.File("long.csv"), Csv({{"A"}, {std::string(20000, 'y')}}));
  for (const LimitCase& c : cases) {
    SCOPED_TRACE("version " + c.version);
    StringList args = {"long"};
    if (!c.version.empty()) args.push_back(c.version);
    RunResult r = Ambrel(args, dir.path());
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const bool cut = c.kept < 20000;
    EXPECT_EQ(r.out.find("(Field 1 in record 2 too long - 20001 bytes)") != std::string::npos, cut);
    TJFILE db;
    db.OpenFile(dir.File("long.PDB"));
    EXPECT_EQ(db.GetFieldValue(1, 1).size(), c.kept);
    ExpectPalmFile(dir.File("long.PDB"), "JFile Pro DataBase", c.version == "/V4" ? "JfDbJFil" : "JfD5JFi5",
                   {{std::string(c.kept, 'y')}});
  }
}

TEST(AmbrelTest, ValuesOutsideTheTablesEndTheRunWithoutOutput) {
  struct BadCase {
    StringList def;
    std::string message;
  };
  const std::vector<BadCase> cases = {
      {{"Widths=10,40000"}, "Widths value 40000 is out of range (-32768..32767)"},
      {{"Category=16"}, "Category value 16 is out of range (0..15)"},
      {{"Find=70000,x"}, "Find value 70000 is out of range (0..65535)"},
      {{"Filter=-3,x"}, "Filter value -3 is out of range (0..65535)"},
      {{"FirstCol=70000"}, "FirstCol value 70000 is out of range (0..65535)"},
      {{"Sort=1,2,70000"}, "Sort value 70000 is out of range (0..65535)"},
      {{"Filter2=\"f\",\"\",\"\",\"\",\"\",\"\",1,0,0,200"}, "Filter2 value 200 is out of range (-128..127)"},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.message);
    TempDir dir;
    WriteFileBytes(dir.File("bad.csv"), Csv({{"A", "B"}, {"1", "2"}}));
    WriteFileBytes(dir.File("bad.def"), Def(c.def));
    RunResult r = Ambrel({"bad"}, dir.path());
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, "ambrel: " + dir.File("bad.def") + ": " + c.message + "\n");
    EXPECT_FALSE(FileExists(dir.File("bad.PDB")));
  }

  // Notes already given stay on the screen when a range error ends the run.
  TempDir dir;
  std::string popups;
  for (int i = 0; i < 101; ++i) popups += (i > 0 ? "," : "") + std::to_string(i);
  WriteFileBytes(dir.File("bad.csv"), Csv({{"A", "B"}, {"1", std::string(5000, 'x')}}));
  WriteFileBytes(dir.File("bad.def"), Def({"Types=LIST", "Popup1=" + popups, "Filter1=\"f\",,,,,,70000"}));
  RunResult r = Ambrel({"bad", "/V4"}, dir.path());
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "ambrel: " + dir.File("bad.def") + ": Filter1 value 70000 is out of range (0..65535)\n");
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("bad.csv"),
                                           "  (Field 2 in record 2 too long - 5001 bytes)",
                                           "Reading " + dir.File("bad.def"),
                                           "  PopUp list for field \"A\" truncated to 100 entries."}));
  EXPECT_FALSE(FileExists(dir.File("bad.PDB")));
}

// JFile 3.x holds 20 fields: the others are dropped with a note, and the conversion goes on.
TEST(AmbrelTest, FieldsAJFile3DatabaseCannotHoldAreDroppedWithANote) {
  struct DropCase {
    int fields;
    std::string note;
  };
  const std::vector<DropCase> cases = {
      {30, "  (Fields 21 to 30 dropped: JFile 3.x holds at most 20 fields)"},
      {21, "  (Field 21 dropped: JFile 3.x holds at most 20 fields)"},
  };
  for (const DropCase& c : cases) {
    SCOPED_TRACE(c.note);
    TempDir dir;
    Records wide(2);
    for (int i = 1; i <= c.fields; ++i) {
      wide[0].push_back("F" + std::to_string(i));
      wide[1].push_back("v" + std::to_string(i));
    }
    WriteFileBytes(dir.File("wide.csv"), Csv(wide));
    RunResult r = Ambrel({"wide", "/V3"}, dir.path());
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("wide.csv"),
                                             "Writing " + dir.File("wide.PDB") + " (JFile 3.x)", c.note, "",
                                             "Done."}));
    TJFILE db;
    db.OpenFile(dir.File("wide.PDB"));
    EXPECT_EQ(db.GetFieldCount(), 20);
    EXPECT_EQ(db.GetFieldName(20), "F20");
    ExpectPalmFile(dir.File("wide.PDB"), "JFile Pro DataBase", "JfDbJBas",
                   {StringList(wide[1].begin(), wide[1].begin() + 20)});

    // Later layouts hold them all.
    r = Ambrel({"wide", "/V4"}, dir.path());
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out.find("dropped"), std::string::npos) << r.out;
  }
}

// A file without quoted field names (a plain spreadsheet export, a DEF file met by a wildcard) is refused on
// its own line; the run goes on and nothing is written for it.
TEST(AmbrelTest, FilesWithoutQuotedFieldNamesAreRefused) {
  TempDir dir;
  ASSERT_TRUE(EnsureFolder(dir.File("sub")));
  WriteFileBytes(dir.File("sub/EXCEL.CSV"), "Name,Phone\r\nAnn,123\r\n");
  WriteFileBytes(dir.File("sub/LIST.CSV"), Csv({{"Name", "Phone"}, {"Ann", "123"}, {"Bob", "456"}}));
  WriteFileBytes(dir.File("sub/LIST.DEF"), Def({"Title=List", "Widths=30,40"}));
  RunResult r = Ambrel({"sub/*.*"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string refusal = " has no quoted field names: not a CSV file of this format";
  EXPECT_EQ(Lines(r.out),
            Concat(kBanner, {"Reading " + dir.File("sub/EXCEL.CSV") + " <- Error: " + dir.File("sub/EXCEL.CSV") +
                                 refusal,
                             "", "Reading " + dir.File("sub/LIST.CSV"), "Reading " + dir.File("sub/LIST.DEF"),
                             "Writing " + dir.File("sub/LIST.PDB"), "",
                             "Reading " + dir.File("sub/LIST.DEF") + " <- Error: " + dir.File("sub/LIST.DEF") +
                                 refusal,
                             "", "Done."}));
  EXPECT_FALSE(FileExists(dir.File("sub/EXCEL.PDB")));
  TJFILE db;
  db.OpenFile(dir.File("sub/LIST.PDB"));
  EXPECT_EQ(db.Header().name, "List");
  EXPECT_EQ(LoadedRecords(db), (Records{{"Ann", "123"}, {"Bob", "456"}}));

  // Run again, the database itself is met too and refused; it keeps its records.
  r = Ambrel({"sub/*.*"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find(dir.File("sub/LIST.PDB") + " is a Palm database, not a CSV file"), std::string::npos);
  TJFILE again;
  again.OpenFile(dir.File("sub/LIST.PDB"));
  EXPECT_EQ(LoadedRecords(again), (Records{{"Ann", "123"}, {"Bob", "456"}}));
}

// The byte 0xCF stands for a line feed only in defaults; elsewhere it is the letter it is in Windows-1252.
TEST(AmbrelTest, OnlyDefaultsTurnTheSubstituteByteIntoALineFeed) {
  TempDir dir;
  WriteFileBytes(dir.File("names.csv"), Csv({{"Name", "Note"}, {"Lo\xCF" "c", "a\xCF" "b"}}));
  WriteFileBytes(dir.File("names.def"), Def({"Title=Lo\xCF" "c", "Find=1,Lo\xCF" "c", "Default2=one\xCF" "two"}));
  RunResult r = Ambrel({"names"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  TJFILE db;
  db.OpenFile(dir.File("names.PDB"));
  EXPECT_EQ(db.Header().name, "Lo\xCF" "c");
  EXPECT_EQ(db.GetFindString(), "Lo\xCF" "c");
  EXPECT_EQ(db.GetDefault(2), "one\ntwo");
  // CSV values are written by the exporter with the substitute for every line feed.
  EXPECT_EQ(db.GetFieldValue(1, 1), "Lo\nc");
  EXPECT_EQ(db.GetFieldValue(2, 1), "a\nb");
  ExpectPalmFileAgrees(dir.File("names.PDB"), db);
}

// 65,535 lines of 50 fields: read once and split once, so the run takes time in proportion to the file's size.
TEST(AmbrelTest, LargestFileConverts) {
  TempDir dir;
  std::string csv;
  csv.reserve(40u << 20);
  for (int line = 1; line <= 65535; ++line) {
    for (int i = 1; i <= 50; ++i) {
      csv += i > 1 ? ",\"" : "\"";
      csv += line == 1 ? "F" + std::to_string(i) : std::to_string(line) + "_" + std::to_string(i);
      csv += '"';
    }
    csv += "\r\n";
  }
  WriteFileBytes(dir.File("big.csv"), csv);
  RunOptions options;
  options.timeout_seconds = 120;
  RunResult r = Ambrel({"big"}, dir.path(), options);
  ASSERT_EQ(r.exit_code, 0) << r.err;
  TJFILE db;
  db.OpenFile(dir.File("big.PDB"));
  EXPECT_EQ(db.RecordCount(), 65534);
  EXPECT_EQ(db.GetFieldCount(), 50);
  EXPECT_EQ(db.GetFieldValue(50, 65534), "65535_50");

  // The line too many is also too long: its note is shown before the error ends the run.
  csv += "\"" + std::string(20000, 'z') + "\"\r\n";
  WriteFileBytes(dir.File("big.csv"), csv);
  r = Ambrel({"big", "over"}, dir.path(), options);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(Lines(r.out), Concat(kBanner, {"Reading " + dir.File("big.csv"),
                                           "  (Field 1 in record 65536 too long - 20001 bytes)"}));
  EXPECT_EQ(r.err, "ambrel: " + dir.File("big.csv") + ": more than 65535 lines to convert (the field-name line counted)\n");
  EXPECT_FALSE(FileExists(dir.File("over.PDB")));
}

}  // namespace
}  // namespace jf
