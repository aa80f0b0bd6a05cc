#include "jfile/interchange/csv_export.h"

#include <gtest/gtest.h>

#include <chrono>

#include "common/dates.h"
#include "common/errors.h"
#include "platform/directory.h"
#include "testing/test_util.h"

namespace jf {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// Records the progress reports instead of printing them.
class RecordingJFILE : public TJFILE {
 public:
  void Report(const std::string& format, const std::vector<std::string>& args) override {
    std::string line = format;
    for (const std::string& a : args) line += "|" + a;
    reports.push_back(line);
  }
  std::vector<std::string> reports;
};

// Sets the short date format for one test and puts the usual one back afterwards.
class DateFormatScope {
 public:
  explicit DateFormatScope(const std::string& format) : previous_(ShortDateFormat()) {
    SetDateTimeFormats(format, "HH:mm:ss");
  }
  ~DateFormatScope() { SetDateTimeFormats(previous_, "HH:mm:ss"); }

 private:
  std::string previous_;
};

class CsvExportTest : public ::testing::Test {
 protected:
  // Name, Memo, Born (DATE), Ok (BOOLEAN), Color (LIST with two values), Size (LIST without values); two records.
  void SetUp() override {
    db_.CreateNew(dir_.File("fixture.pdb"));
    db_.Header().name = "Contacts";
    db_.SetFieldCount(6);
    const char* names[] = {"Name", "Memo", "Born", "Ok", "Color", "Size"};
    const uint16_t types[] = {field_type::kString, field_type::kString, field_type::kDate,
                              field_type::kBoolean, field_type::kList,   field_type::kList};
    const int widths[] = {80, 40, 60, -30, 50, 20};
    for (int i = 1; i <= 6; ++i) {
      db_.SetFieldName(names[i - 1], i);
      db_.SetFieldType(types[i - 1], i);
      db_.SetFieldWidth(widths[i - 1], i);
    }
    db_.SetPopupValue("Red", 1, 5);
    db_.SetPopupValue("Green", 2, 5);
    db_.SetRecordCount(2);
    const char* rows[2][6] = {{"a\"b\"c", "x,y", "3/7/02", "1", "Red", ""},
                              {"Ann", "a\nb\rc", "2/30/2001", "0", "Green", "M"}};
    for (int r = 1; r <= 2; ++r) {
      for (int i = 1; i <= 6; ++i) db_.SetFieldValue(rows[r - 1][i - 1], i, r);
    }
    db_.SetSortField(1, 1);
    db_.SetSortField(3, 2);
    db_.SetSortField(0, 3);
    db_.SetFilterField(0);
    db_.SetFindField(2);
    db_.SetFindString("abc");
    db_.SetFirstColumn(2);
    db_.SetCategory(3);
  }

  TempDir dir_;
  RecordingJFILE db_;
  DateFormatScope dates_{"MM/dd/yyyy"};
};

TEST_F(CsvExportTest, CsvBytesOfEverySelection) {
  struct Case {
    std::vector<int32_t> selection;
    std::string expected;
  };
  const Case cases[] = {
      // Quotes and commas stay as they are, a line feed becomes 0xCF, a carriage return stays; the DATE value is
      // rewritten when it is a date and left alone when it is not.
      {{1, 2, 3, 4, 5, 6},
       "\"Name\",\"Memo\",\"Born\",\"Ok\",\"Color\",\"Size\"\r\n"
       "\"a\"b\"c\",\"x,y\",\"07 Mar 2002\",\"1\",\"Red\",\"\"\r\n"
       "\"Ann\",\"a\xCF" "b\rc\",\"2/30/2001\",\"0\",\"Green\",\"M\"\r\n"},
      // Zero entries are skipped; the lines end after the last non-zero entry.
      {{3, 0, 1, 0, 0},
       "\"Born\",\"Name\"\r\n"
       "\"07 Mar 2002\",\"a\"b\"c\"\r\n"
       "\"2/30/2001\",\"Ann\"\r\n"},
      {{0, 0, 0}, "\r\n\r\n\r\n"},
      {{}, "\r\n\r\n\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(testing::ToHex(CsvExportBytes(db_, c.selection)), testing::ToHex(c.expected))
        << ::testing::PrintToString(c.selection);
  }
}

TEST_F(CsvExportTest, NoRecordsGiveOneLine) {
  db_.SetRecordCount(0);
  EXPECT_EQ(CsvExportBytes(db_, {1, 2}), "\"Name\",\"Memo\"\r\n");
}

TEST(ExportDateTextTest, FollowsTheShortDateFormat) {
  struct Case {
    std::string format;
    std::string value;
    std::string expected;
  };
  const Case cases[] = {
      {"MM/dd/yyyy", "3/7/02", "07 Mar 2002"},
      {"M/d/yyyy", "12/31/1999", "31 Dec 1999"},
      {"MM/dd/yyyy", "1/2/85", "02 Jan 1985"},
      {"MM/dd/yyyy", "01/02/0079", "02 Jan 2079"},
      {"MM/dd/yyyy", "2/29/2000", "29 Feb 2000"},
      {"MM/dd/yyyy", "2/29/1900", "2/29/1900"},  // not a leap year
      {"MM/dd/yyyy", "13/1/2001", "13/1/2001"},
      {"MM/dd/yyyy", "3/7", "3/7"},
      {"MM/dd/yyyy", "", ""},
      {"MM/dd/yyyy", "a/b/c", "a/b/c"},
      {"MM/dd/yyyy", "3/7/", "3/7/"},                      // a part that is no number is not read as 0
      {"MM/dd/yyyy", "3/7/2002 ", "3/7/2002 "},
      {"MM/dd/yyyy", "3/7/2002 10:00", "3/7/2002 10:00"},
      {"yyyy/MM/dd", "abc/1/2", "abc/1/2"},
      {"MM/dd/yyyy", "1/1/-1", "1/1/-1"},        // a negative year is no two-digit year
      {"MM/dd/yyyy", "1/1/1499", "1/1/1499"},
      {"MM/dd/yyyy", "1/1/12345", "1/1/12345"},
      {"dd/MM/yyyy", "3/7/02", "03 Jul 2002"},
      {"d/M/yyyy", "31/12/2001", "31 Dec 2001"},
      {"yyyy/MM/dd", "2002/3/7", "07 Mar 2002"},
      {"yyyy-MM-dd", "3/7/02", "3/7/02"},        // no slashes in the format
      {"MM/dd/yy", "3/7/02", "3/7/02"},          // no four-digit year in the format
  };
  const std::string previous = ShortDateFormat();
  for (const Case& c : cases) {
    SetDateTimeFormats(c.format, "HH:mm:ss");
    EXPECT_EQ(ExportDateText(c.value), c.expected) << c.format << " " << c.value;
  }
  SetDateTimeFormats(previous, "HH:mm:ss");
}

TEST_F(CsvExportTest, DayMonthYearFormatInTheFile) {
  DateFormatScope day_first("dd/MM/yyyy");
  EXPECT_EQ(CsvExportBytes(db_, {3}), "\"Born\"\r\n\"03 Jul 2002\"\r\n\"2/30/2001\"\r\n");
}

TEST_F(CsvExportTest, NewDefFileOfAJF5Database) {
  db_.SetDataBaseMode(DataBaseMode::JF5);
  db_.SetDefault("Joe", 1);
  db_.SetDefault("two\nlines", 2);
  db_.SetSortPresetName("By name", 1);
  db_.SetSortPresetField(1, 1, 1);
  db_.SetSortPresetField(-3, 2, 1);
  FilterPreset filter{"Open", {"a", "", "", "", "z"}, 7, {1, 0, -1, 0, 0}};
  db_.SetFilterPreset(filter, 2);
  db_.SetReadOnly(true);

  ExportCSV(db_, {1, 2, 3, 4, 5, 6}, dir_.File("out"));
  EXPECT_EQ(db_.reports, (std::vector<std::string>{"Writing %s|" + dir_.File("out.CSV"), "",
                                                    "Writing %s|" + dir_.File("out.DEF"), ""}));
  EXPECT_TRUE(testing::FileExists(dir_.File("out.CSV")));
  const std::string expected =
      "[JFilePro]\r\n"
      "Widths=80,40,60,-30,50,20\r\n"
      "Types=STRING,STRING,DATE,BOOLEAN,LIST,LIST\r\n"
      "Title=Contacts\r\n"
      "Sort=1,3,0\r\n"
      "Find=2,abc\r\n"
      "Filter=0,\r\n"
      "FirstCol=2\r\n"
      "Category=3\r\n"
      "ReadOnly=TRUE\r\n"
      "Popup5=Red,Green\r\n"
      "Popup6=\r\n"
      "Filter1=\"\",\"\",\"\",\"\",\"\",\"\",0,0,0,0,0,0\r\n"
      "Filter2=\"Open\",\"a\",\"\",\"\",\"\",\"z\",7,1,0,-1,0,0\r\n"
      "Filter3=\"\",\"\",\"\",\"\",\"\",\"\",0,0,0,0,0,0\r\n"
      "Filter4=\"\",\"\",\"\",\"\",\"\",\"\",0,0,0,0,0,0\r\n"
      "Filter5=\"\",\"\",\"\",\"\",\"\",\"\",0,0,0,0,0,0\r\n"
      "Sort1=\"By name\",1,-3,0\r\n"
      "Sort2=\"\",0,0,0\r\n"
      "Sort3=\"\",0,0,0\r\n"
      "Sort4=\"\",0,0,0\r\n"
      "Sort5=\"\",0,0,0\r\n"
      "Default1=Joe\r\n"
      "Default2=two\xCFlines\r\n";
  EXPECT_EQ(ReadFileBytes(dir_.File("out.DEF")), expected);
}

TEST_F(CsvExportTest, StdAndProWriteNoPresetOrDefaultKeys) {
  for (DataBaseMode mode : {DataBaseMode::STD, DataBaseMode::PRO}) {
    db_.SetDataBaseMode(mode);
    const std::string def = dir_.File("old.DEF");
    WriteFileBytes(def, "[JFilePro]\r\nSort1=\"Kept\",1,2,3\r\nDefault1=kept\r\n");
    ExportCSV(db_, {1, 5}, dir_.File("old.csv"));
    EXPECT_EQ(ReadFileBytes(def),
              "[JFilePro]\r\nSort1=\"Kept\",1,2,3\r\nDefault1=kept\r\n"
              "Widths=80,50\r\nTypes=STRING,LIST\r\nTitle=Contacts\r\nSort=1,3,0\r\nFind=2,abc\r\nFilter=0,\r\n"
              "FirstCol=2\r\nCategory=3\r\nReadOnly=FALSE\r\nPopup5=Red,Green\r\n")
        << static_cast<int>(mode);
  }
}

TEST_F(CsvExportTest, ExistingDefKeepsForeignKeysAndClearsOnlyStaleDefaults) {
  db_.SetDefault("Joe", 1);
  const std::string def = dir_.File("out.DEF");
  WriteFileBytes(def,
                 "; notes\r\n"
                 "[Other]\r\n"
                 "Title=not ours\r\n"
                 "\r\n"
                 "[jfilepro]\r\n"
                 "TITLE=Old\r\n"
                 "Note=keep\r\n"
                 "Default2=stale\r\n"
                 "Default1=old\r\n"
                 "Default9=other field\r\n"
                 "\r\n"
                 "[Last]\r\n"
                 "x=1\r\n");
  ExportCSV(db_, {1, 2, 3}, dir_.File("out"));
  // Keys present are replaced in place, new keys follow the section's last entry; Default2 had a value and is
  // cleared, Default3 had none and is not added, Default9 belongs to no exported field and stays.
  EXPECT_EQ(ReadFileBytes(def),
            "; notes\r\n"
            "[Other]\r\n"
            "Title=not ours\r\n"
            "\r\n"
            "[jfilepro]\r\n"
            "TITLE=Contacts\r\n"
            "Note=keep\r\n"
            "Default2=\r\n"
            "Default1=Joe\r\n"
            "Default9=other field\r\n"
            "Widths=80,40,60\r\n"
            "Types=STRING,STRING,DATE\r\n"
            "Sort=1,3,0\r\n"
            "Find=2,abc\r\n"
            "Filter=0,\r\n"
            "FirstCol=2\r\n"
            "Category=3\r\n"
            "ReadOnly=FALSE\r\n"
            "Filter1=\"\",\"\",\"\",\"\",\"\",\"\",0,0,0,0,0,0\r\n"
            "Filter2=\"\",\"\",\"\",\"\",\"\",\"\",0,0,0,0,0,0\r\n"
            "Filter3=\"\",\"\",\"\",\"\",\"\",\"\",0,0,0,0,0,0\r\n"
            "Filter4=\"\",\"\",\"\",\"\",\"\",\"\",0,0,0,0,0,0\r\n"
            "Filter5=\"\",\"\",\"\",\"\",\"\",\"\",0,0,0,0,0,0\r\n"
            "Sort1=\"\",0,0,0\r\n"
            "Sort2=\"\",0,0,0\r\n"
            "Sort3=\"\",0,0,0\r\n"
            "Sort4=\"\",0,0,0\r\n"
            "Sort5=\"\",0,0,0\r\n"
            "\r\n"
            "[Last]\r\n"
            "x=1\r\n");
}

TEST_F(CsvExportTest, FailuresLeaveTheOtherFileAlone) {
  // The CSV file cannot be created: nothing is written and the DEF file is not touched.
  EXPECT_THROW(ExportCSV(db_, {1}, dir_.File("missing/out")), EInOutError);
  EXPECT_EQ(db_.reports, (std::vector<std::string>{"Writing %s|" + dir_.File("missing/out.CSV")}));

  // The DEF name is taken by a folder: the CSV file is written, then the export fails instead of reporting success.
  db_.reports.clear();
  WriteFileBytes(dir_.File("x.CSV"), "old");
  ASSERT_TRUE(EnsureFolder(dir_.File("x.DEF")));
  EXPECT_THROW(ExportCSV(db_, {1}, dir_.File("x")), EInOutError);
  EXPECT_EQ(ReadFileBytes(dir_.File("x.CSV")), "\"Name\"\r\n\"a\"b\"c\"\r\n\"Ann\"\r\n");
  EXPECT_EQ(db_.reports.size(), 3u);
}

TEST(CsvExportLargeTest, TimeInProportionToSize) {
#if defined(__SANITIZE_ADDRESS__)
  constexpr int kRecords = 6000;
#else
  constexpr int kRecords = 65535;
#endif
  TempDir dir;
  TJFILE db;
  db.CreateNew(dir.File("big.pdb"));
  db.SetFieldCount(kMaxFields);
  std::vector<int32_t> selection;
  for (int i = 1; i <= kMaxFields; ++i) {
    db.SetFieldName("F" + std::to_string(i), i);
    db.SetFieldType(i % 10 == 0 ? field_type::kDate : field_type::kString, i);
    selection.push_back(i);
  }
  db.SetRecordCount(kRecords);
  for (int r = 1; r <= kRecords; ++r) {
    for (int i = 1; i <= kMaxFields; ++i) db.SetFieldValue(i % 10 == 0 ? "3/7/02" : "value", i, r);
  }
  const auto start = std::chrono::steady_clock::now();
  ExportCSV(db, selection, dir.File("big"));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 10.0);
  const std::string csv = ReadFileBytes(dir.File("big.CSV"));
  const std::string record_line = [] {
    std::string line;
    for (int i = 1; i <= kMaxFields; ++i) {
      line += std::string(i % 10 == 0 ? "\"07 Mar 2002\"" : "\"value\"") + (i < kMaxFields ? "," : "\r\n");
    }
    return line;
  }();
  const size_t header_size = csv.find("\r\n") + 2;
  EXPECT_EQ(csv.size(), header_size + record_line.size() * kRecords);
  EXPECT_EQ(csv.substr(csv.size() - record_line.size()), record_line);
}

}  // namespace
}  // namespace jf
