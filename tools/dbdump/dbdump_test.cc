// End-to-end tests of dbdump: the built program runs in a temporary folder on real and hand-built databases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/coding.h"
#include "jfile/container/pdb_file.h"
#include "jfile/model/field_types.h"
#include "jfile/model/jfile.h"
#include "testing/test_util.h"

namespace jf {
namespace {

using testing::Hex;
using testing::Lines;
using testing::RunResult;
using testing::TempDir;

const char* const kCorpus[] = {"AddressDB-LifeDrive.pdb", "AddressDB-Palm_V-FR.pdb", "AddressDB-Palm_V-JP.pdb",
                               "DatebookDB.pdb",          "ExpenseDB.pdb",           "MemoDB.pdb",
                               "OnBoardHeaderV40.pdb",    "ToDoDB.pdb"};

std::string CorpusFile(const std::string& name) { return testing::SourcePath("tools/dbdump/testdata/" + name); }

RunResult Dump(const TempDir& dir, const std::vector<std::string>& args, const std::string& locale = "C") {
  testing::RunOptions options;
  options.cwd = dir.path();
  options.env["LC_ALL"] = locale;
  return testing::RunProgram(testing::ToolPath("dbdump"), args, options);
}

// The report's lines; every line of the report must end with CR LF.
std::vector<std::string> ReportLines(const RunResult& r) {
  EXPECT_TRUE(r.out.empty() || r.out.substr(r.out.size() - 2) == "\r\n") << "last line not ended by CR LF";
  for (size_t i = 0; i < r.out.size(); ++i) {
    if (r.out[i] == '\n') {
      EXPECT_TRUE(i > 0 && r.out[i - 1] == '\r') << "line feed without carriage return at byte " << i;
    }
  }
  return Lines(r.out);
}

struct TestRecord {
  std::string data;
  uint8_t attributes = 0;
};

// A Palm database laid out by hand: header, record list, then the records one after the other.
std::string BuildPdb(const std::string& name, const std::string& type, const std::string& creator,
                     const std::vector<TestRecord>& records) {
  std::string out = name;
  out.resize(32, '\0');
  AppendBig16(&out, 0x0008);      // attributes
  AppendBig16(&out, 1);           // version
  AppendBig32(&out, 0xB6A133F2);  // creation time
  AppendBig32(&out, 0xB6A133F3);  // modification time
  AppendBig32(&out, 0);           // backup time
  AppendBig32(&out, 7);           // modification number
  AppendBig32(&out, 0);           // application info
  AppendBig32(&out, 0);           // sort info
  out += type + creator;
  out += Hex("11 22 33 44  55 66 77 88");  // unique-id seed, next record list id
  AppendBig16(&out, static_cast<uint16_t>(records.size()));
  uint32_t offset = static_cast<uint32_t>(78 + 8 * records.size());
  std::string data;
  for (const TestRecord& r : records) {
    AppendBig32(&out, offset);
    out += static_cast<char>(r.attributes);
    out += Hex("00 00 01");
    offset += static_cast<uint32_t>(r.data.size());
    data += r.data;
  }
  return out + data;
}

// The lines after the header report (14 lines).
std::vector<std::string> AfterHeader(const std::vector<std::string>& lines) {
  if (lines.size() < 14) return {};
  return std::vector<std::string>(lines.begin() + 14, lines.end());
}

std::string Hex8(uint32_t v) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (int shift = 28; shift >= 0; shift -= 4) s += digits[(v >> shift) & 15];
  return s;
}

// ---- Command line and errors ----

TEST(DbDump, HelpAndVersionPrintTheUsage) {
  TempDir dir;
  for (const char* option : {"--help", "--version"}) {
    RunResult r = Dump(dir, {option});
    EXPECT_EQ(r.exit_code, 0) << option;
    EXPECT_EQ(Lines(r.out), std::vector<std::string>{"Usage: dbdump <file> [/I-]"}) << option;
    EXPECT_EQ(r.err, "");
  }
}

TEST(DbDump, FileThatCannotBeOpened) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"nothere"}, "dbdump: Cannot open file nothere.PDB\n"},
      {{"nothere.dat", "/I-"}, "dbdump: Cannot open file nothere.dat\n"},
      {{}, "dbdump: Cannot open file .PDB\n"},
      {{"."}, "dbdump: Cannot open file .\n"},
  };
  for (const Case& c : cases) {
    RunResult r = Dump(dir, c.args);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
  }
}

TEST(DbDump, TooManyParametersTouchNothing) {
  TempDir dir;
  testing::WriteFileBytes(dir.File("a.pdb"), BuildPdb("A", "DATA", "memo", {}));
  RunResult r = Dump(dir, {"a.pdb", "/I-", "b.pdb"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out.find("DataBase Name"), std::string::npos);
}

// ---- Header report and date book, written out by hand from the bytes of DatebookDB.pdb ----

TEST(DbDump, DateBookReport) {
  TempDir dir;
  testing::WriteFileBytes(dir.File("DatebookDB.pdb"), testing::ReadFileBytes(CorpusFile("DatebookDB.pdb")));
  // No extension and another letter case: the default extension PDB, then the name as it is on disk.
  RunResult r = Dump(dir, {"datebookdb"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::vector<std::string> expected = {
      "DataBase Name    : DatebookDB",
      "Flags            : 0008",
      "Version          : 0",
      "Creation Time    : 02/17/21 13:58:38",
      "Modification Time: 02/20/21 02:18:34",
      "Backup Time      : 01/01/04 00:00:00",
      "Modification No. : 0000000F",
      "Application Info : 00000068",
      "Sort Info        : 00000000",
      "DataBase ID      : 41544144 DATA",
      "Application ID   : 65746164 date",
      "Unique ID        : 00000000",
      "Next Record ID   : 00000000",
      "Records          : 3",
      "",
      "Record #0001 at offset 00000180",
      // 08 00 12 00 | EA 54 24 28 | ... | "Test 3": the text is taken from record offset 18
      "  Created at 07/30/28 02:47:04 at 08:00 to 18:00: st 3",
      "Record #0002 at offset 00000197",
      // 15 bytes: no text at offset 18
      "  Created at 07/27/28 17:53:54 at 15:00 to 16:00: ",
      "Record #0003 at offset 000001A6",
      "  Created at 07/27/28 17:55:00 at 17:00 to 18:00: ",
  };
  EXPECT_EQ(ReportLines(r), expected);
}

TEST(DbDump, DateBookLinesOfShortAndOddRecords) {
  TempDir dir;
  const std::string created_odd = Hex("09 1E 0A 00  B6 A1 33 F3");  // 09:30 to 10:00, an odd second
  std::vector<TestRecord> records = {
      {Hex("01 02 03 04 05 06 07")},                          // 7 bytes: no creation time, hex dump
      {created_odd},                                          // 8 bytes
      {created_odd + std::string(10, 'x')},                   // 18 bytes: no text yet
      {created_odd + std::string(10, 'x') + "T"},             // 19 bytes: text without a NUL
      {created_odd + std::string(10, 'x') + "Lunch" + std::string(1, '\0') + "after"},
  };
  testing::WriteFileBytes(dir.File("dates.pdb"), BuildPdb("Dates", "DATA", "date", records));
  RunResult r = Dump(dir, {"dates"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string line = "  Created at 02/03/01 04:05:06 at 09:30 to 10:00: ";
  std::vector<std::string> expected = {
      "",
      "Record #0001 at offset 00000076",
      "0000  01 02 03 04 05 06 07 " + std::string(3, ' ') + "- " + std::string(8 * 3, ' ') + "  \"" +
          std::string(16, '.') + "\"",
      "Record #0002 at offset 0000007D",
      line,
      "Record #0003 at offset 00000085",
      line,
      "Record #0004 at offset 00000097",
      line + "T",
      "Record #0005 at offset 000000AA",
      line + "Lunch",
  };
  EXPECT_EQ(AfterHeader(ReportLines(r)), expected);

  // Raw: the same records as hex dumps.
  RunResult raw = Dump(dir, {"dates.pdb", "/i-"});
  ASSERT_EQ(raw.exit_code, 0) << raw.err;
  std::vector<std::string> lines = AfterHeader(ReportLines(raw));
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[3], "Record #0002 at offset 0000007D");
  EXPECT_EQ(lines[4].substr(0, 30), "0000  09 1E 0A 00 B6 A1 33 F3 ");
}

// ---- Raw record dump ----

TEST(DbDump, RecordDumpLayout) {
  TempDir dir;
  const std::string seventeen = "ABC\x1F\xE9\x81" "DEFGHIJKLM" "Q";
  ASSERT_EQ(seventeen.size(), 17u);
  std::vector<TestRecord> records = {
      {seventeen},
      {""},                       // 0 bytes
      {"gone", 0x80},             // deleted: its bytes are not shown
      {"0123456789abcdef"},       // exactly one line
  };
  testing::WriteFileBytes(dir.File("raw.pdb"), BuildPdb("Raw", "DATA", "memo", records));

  // The character column: bytes below 0x20 as ".", others as they are (C locale) or as their Windows-1252
  // character (UTF-8 console; "." where it has none).
  struct Case {
    std::string locale;
    std::string chars;
  } cases[] = {{"C", "ABC.\xE9\x81" "DEFGHIJKLM"}, {"C.UTF-8", "ABC.é.DEFGHIJKLM"}};
  for (const Case& c : cases) {
    RunResult r = Dump(dir, {"raw"}, c.locale);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::vector<std::string> expected = {
        "",
        "Record #0001 at offset 0000006E",
        "0000  41 42 43 1F E9 81 44 45 - 46 47 48 49 4A 4B 4C 4D   \"" + c.chars + "\"",
        "0010  51 " + std::string(7 * 3, ' ') + "- " + std::string(8 * 3, ' ') + "  \"Q" + std::string(15, '.') +
            "\"",
        "Record #0002 at offset 0000007F",
        "Record #0003 at offset 0000007F",
        "Record #0004 at offset 00000083",
        "0000  30 31 32 33 34 35 36 37 - 38 39 61 62 63 64 65 66   \"0123456789abcdef\"",
    };
    EXPECT_EQ(AfterHeader(ReportLines(r)), expected) << c.locale;
  }
}

TEST(DbDump, RecordNumbersAboveNineThousandNineHundredNinetyNine) {
  TempDir dir;
  std::vector<TestRecord> records(10001);
  records.back().data = "z";
  testing::WriteFileBytes(dir.File("many.pdb"), BuildPdb("Many", "DATA", "memo", records));
  RunResult r = Dump(dir, {"many.pdb"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> lines = ReportLines(r);
  ASSERT_EQ(lines.size(), 14u + 1u + 10001u + 1u);
  const std::string end = Hex8(78 + 8 * 10001);
  EXPECT_EQ(lines[13], "Records          : 10001");
  EXPECT_EQ(lines[15], "Record #0001 at offset " + end);
  EXPECT_EQ(lines[15 + 9998], "Record #9999 at offset " + end);
  EXPECT_EQ(lines[15 + 9999], "Record #10000 at offset " + end);
  EXPECT_EQ(lines[15 + 10000], "Record #10001 at offset " + end);
  EXPECT_EQ(lines.back().substr(0, 9), "0000  7A ");
}

TEST(DbDump, HeaderIdsAndNameFromBuiltFile) {
  TempDir dir;
  testing::WriteFileBytes(dir.File("ids.pdb"), BuildPdb(std::string(31, 'N'), "JfDb", "JBas", {{"abc"}}));
  RunResult r = Dump(dir, {"ids.pdb"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> lines = ReportLines(r);
  ASSERT_GE(lines.size(), 17u);
  EXPECT_EQ(lines[0], "DataBase Name    : " + std::string(31, 'N'));
  EXPECT_EQ(lines[1], "Flags            : 0008");
  EXPECT_EQ(lines[2], "Version          : 1");
  EXPECT_EQ(lines[3], "Creation Time    : 02/03/01 04:05:06");
  EXPECT_EQ(lines[4], "Modification Time: 02/03/01 04:05:07");
  EXPECT_EQ(lines[6], "Modification No. : 00000007");
  EXPECT_EQ(lines[9], "DataBase ID      : 6244664A JfDb");
  EXPECT_EQ(lines[10], "Application ID   : 7361424A JBas");
  EXPECT_EQ(lines[11], "Unique ID        : 44332211");
  EXPECT_EQ(lines[12], "Next Record ID   : 88776655");
  // A JFile 3.x database is dumped raw.
  EXPECT_EQ(lines[14], "");
  EXPECT_EQ(lines[15], "Record #0001 at offset 00000056");
  EXPECT_EQ(lines[16].substr(0, 15), "0000  61 62 63 ");
}

// ---- Damaged files print what they can ----

TEST(DbDump, DamagedFiles) {
  TempDir dir;
  // Five records declared; the record list stops part way through the third entry; the first entry points past
  // the end, the second into the header.
  std::string cut = BuildPdb("Cut", "DATA", "memo", {}).substr(0, 76) +
                    Hex("00 05  0000FFFF 00 000000  00000010 00 000000  0000");
  testing::WriteFileBytes(dir.File("cut.pdb"), cut);
  RunResult r = Dump(dir, {"cut.pdb"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> expected = {
      "",
      "Record #0001 at offset 0000FFFF",
      "Record #0002 at offset 00000010",
      "Record list cut short: the file holds 2 of 5 entries",
  };
  EXPECT_EQ(AfterHeader(ReportLines(r)), expected);

  // Shorter than a header: what is there, zeros for the rest.
  testing::WriteFileBytes(dir.File("short.pdb"), "Hello");
  r = Dump(dir, {"short.pdb"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> lines = ReportLines(r);
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[0], "DataBase Name    : Hello");
  EXPECT_EQ(lines[13], "Records          : 0");
  EXPECT_EQ(lines[14], "Header cut short: the file holds 5 of 78 bytes");

  // A JFile database that cannot be read (its record list is cut short): the header report, then the error.
  std::string bad = BuildPdb("Bad", "JfD5", "JFi5", {{"x"}, {"y"}});
  bad[77] = 3;
  testing::WriteFileBytes(dir.File("bad.pdb"), bad);
  r = Dump(dir, {"bad.pdb"});
  EXPECT_EQ(r.exit_code, 1);
  lines = ReportLines(r);
  ASSERT_GE(lines.size(), 14u);
  EXPECT_EQ(lines[0], "DataBase Name    : Bad");
  EXPECT_EQ(r.err.substr(0, 8), "dbdump: ");
  // Raw, it dumps.
  r = Dump(dir, {"bad.pdb", "/I-"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(AfterHeader(ReportLines(r)).size(), 4u);  // the empty line and three "Record #" lines
}

// ---- JFile report ----

// Offsets of the records of a saved database, as the record list holds them.
std::vector<std::string> RecordOffsets(const std::string& path) {
  TPalmPilotDB db;
  db.OpenFile(path);
  std::vector<std::string> offsets;
  for (int r = 1; r <= db.Header().record_count; ++r) offsets.push_back(Hex8(db.RecordOffset(r)));
  return offsets;
}

// Four fields (a BOOLEAN with a short name, a LIST with a popup list), two records with a multi-line value,
// non-ASCII Windows-1252 text and a carriage return.
void WritePeople(const std::string& path) {
  TJFILE db;
  db.CreateNew(path);
  db.SetFieldCount(4);
  db.SetFieldName("Name", 1);
  db.SetFieldType(field_type::kString, 1);
  db.SetFieldName("Ok", 2);
  db.SetFieldType(field_type::kBoolean, 2);
  db.SetFieldName("Color", 3);
  db.SetFieldType(field_type::kList, 3);
  db.SetPopupValue("Red", 1, 3);
  db.SetPopupValue("Gr\xFCn", 2, 3);
  db.SetFieldName("Notes", 4);
  db.SetFieldType(field_type::kString, 4);
  db.SetRecordCount(2);
  db.SetFieldValue("Ann", 1, 1);
  db.SetFieldValue("TRUE", 2, 1);
  db.SetFieldValue("Red", 3, 1);
  db.SetFieldValue("line1\nline2", 4, 1);
  db.SetFieldValue("Bj\xF6rn Borg", 1, 2);
  db.SetFieldValue("FALSE", 2, 2);
  db.SetFieldValue("Gr\xFCn", 3, 2);
  db.SetFieldValue("tab\there\rx", 4, 2);
  db.SaveAs("People");
}

TEST(DbDump, JFileReport) {
  TempDir dir;
  WritePeople(dir.File("people.pdb"));
  std::vector<std::string> offsets = RecordOffsets(dir.File("people.pdb"));
  ASSERT_EQ(offsets.size(), 2u);
  struct Case {
    std::string locale;
    std::string row1;  // the cells of each record after the offset
    std::string row2;
  } cases[] = {
      // Code page 850: ö is 0x94, ü 0x81, the line feed 0xCF.
      {"C", " Ann        TRUE  Red   line1\xCFline2", " Bj\x94rn Borg FALSE Gr\x81n  tab\there\rx"},
      {"C.UTF-8", " Ann        TRUE  Red   line1¤line2", " Björn Borg FALSE Grün  tab\there\rx"},
  };
  for (const Case& c : cases) {
    RunResult r = Dump(dir, {"people"}, c.locale);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::vector<std::string> lines = ReportLines(r);
    ASSERT_GE(lines.size(), 14u);
    EXPECT_EQ(lines[0], "DataBase Name    : People");
    EXPECT_EQ(lines[9], "DataBase ID      : 3544664A JfD5");
    EXPECT_EQ(lines[10], "Application ID   : 3569464A JFi5");
    EXPECT_EQ(lines[13], "Records          : 2");
    std::vector<std::string> expected = {
        "Category         : 0",
        "Read/Only        : FALSE",
        "",
        "Field  1 (Name)  is of type STRING",
        "Field  2 (Ok)    is of type BOOLEAN",
        "Field  3 (Color) is of type LIST",
        "Field  4 (Notes) is of type STRING",
        "",
        "Field  3 (Color) PopUp List: Red Gr\xFCn",
        "",
        "Rec#  Offset  Name       Ok    Color Notes",
        "0001 " + offsets[0] + c.row1,
        "0002 " + offsets[1] + c.row2,
    };
    EXPECT_EQ(AfterHeader(lines), expected) << c.locale;
  }

  // Raw: the records as hex dumps, no JFile sections.
  RunResult raw = Dump(dir, {"people.pdb", "/I-"});
  ASSERT_EQ(raw.exit_code, 0) << raw.err;
  std::vector<std::string> lines = AfterHeader(ReportLines(raw));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "Record #0001 at offset " + offsets[0]);
  EXPECT_EQ(lines[2].substr(0, 6), "0000  ");
  EXPECT_EQ(raw.out.find("Category"), std::string::npos);
}

TEST(DbDump, JFileWithoutFields) {
  TempDir dir;
  {
    TJFILE db;
    db.CreateNew(dir.File("empty.pdb"));
    db.SetFieldCount(0);
    db.SetRecordCount(2);
    db.SetCategory(3);
    db.SetReadOnly(true);
    db.SaveAs("Empty");
  }
  std::vector<std::string> offsets = RecordOffsets(dir.File("empty.pdb"));
  ASSERT_EQ(offsets.size(), 2u);
  RunResult r = Dump(dir, {"empty"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> expected = {
      "Category         : 3",
      "Read/Only        : TRUE",
      "",
      "",
      "Rec#  Offset ",
      "0001 " + offsets[0],
      "0002 " + offsets[1],
  };
  EXPECT_EQ(AfterHeader(ReportLines(r)), expected);
}

// ---- The device corpus against the independent reader ----

// Each record's bytes back from the hex dump lines that follow each "Record #" line.
std::vector<std::string> RecordsFromDump(const std::vector<std::string>& lines) {
  std::vector<std::string> records;
  for (size_t i = 15; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.rfind("Record #", 0) == 0) {
      records.emplace_back();
      continue;
    }
    if (records.empty()) continue;
    size_t quote = line.find('"');
    std::string hex = line.substr(6, quote - 6);
    for (char& c : hex) {
      if (c == '-') c = ' ';
    }
    records.back() += Hex(hex);
  }
  return records;
}

TEST(DbDump, DeviceCorpusAgainstPalmPdb) {
  if (!testing::PalmPdbAvailable()) GTEST_SKIP() << "Palm::PDB (libpalm-pdb-perl) is not installed";
  TempDir dir;
  for (const char* file : kCorpus) {
    testing::PalmPdbView view = testing::ReadWithPalmPdb(CorpusFile(file));
    ASSERT_TRUE(view.ok) << file << ": " << view.error;
    testing::WriteFileBytes(dir.File(file), testing::ReadFileBytes(CorpusFile(file)));

    RunResult r = Dump(dir, {file});
    ASSERT_EQ(r.exit_code, 0) << file << ": " << r.err;
    std::vector<std::string> lines = ReportLines(r);
    ASSERT_GE(lines.size(), 15u) << file;
    const std::string type_hex = Hex8(GetLittle32(reinterpret_cast<const uint8_t*>(view.type.data())));
    const std::string creator_hex = Hex8(GetLittle32(reinterpret_cast<const uint8_t*>(view.creator.data())));
    EXPECT_EQ(lines[0], "DataBase Name    : " + view.name) << file;
    EXPECT_EQ(lines[9], "DataBase ID      : " + type_hex + " " + view.type) << file;
    EXPECT_EQ(lines[10], "Application ID   : " + creator_hex + " " + view.creator) << file;
    EXPECT_EQ(lines[13], "Records          : " + std::to_string(view.records.size())) << file;
    EXPECT_EQ(lines[14], "") << file;

    RunResult raw = Dump(dir, {file, "/I-"}, "C.UTF-8");
    ASSERT_EQ(raw.exit_code, 0) << file << ": " << raw.err;
    std::vector<std::string> raw_lines = ReportLines(raw);
    EXPECT_EQ(std::vector<std::string>(raw_lines.begin(), raw_lines.begin() + 14),
              std::vector<std::string>(lines.begin(), lines.begin() + 14))
        << file;
    std::vector<std::string> records = RecordsFromDump(raw_lines);
    ASSERT_EQ(records.size(), view.records.size()) << file;
    for (size_t i = 0; i < records.size(); ++i) {
      if (view.record_attributes[i] & 0x80) continue;
      EXPECT_EQ(testing::ToHex(records[i]), testing::ToHex(view.records[i])) << file << " record " << i + 1;
    }
  }
}

}  // namespace
}  // namespace jf
