// End-to-end tests of dornik: the built program runs in a temporary folder on databases made here.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/coding.h"
#include "jfile/model/jfile.h"
#include "platform/file_io.h"
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
using testing::ToHex;
using testing::WriteFileBytes;

namespace fs = std::filesystem;

constexpr char kBanner[] = "Dornik/32 1.32";
constexpr int kCategory = 3;

RunResult Dornik(const TempDir& dir, const std::vector<std::string>& args, const std::string& input = "") {
  RunOptions options;
  options.cwd = dir.path();
  options.input = input;
  options.timeout_seconds = 20;
  return RunProgram(testing::ToolPath("dornik"), args, options);
}

// The output lines after the banner block, which every run starts with.
std::vector<std::string> Body(const RunResult& r) {
  std::vector<std::string> lines = Lines(r.out);
  EXPECT_GE(lines.size(), 3u) << r.out;
  if (lines.size() < 3) return {};
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], kBanner);
  EXPECT_EQ(lines[2], "");
  return std::vector<std::string>(lines.begin() + 3, lines.end());
}

// ---- Databases made for the tests ----

struct FieldSpec {
  const char* name;
  uint16_t type;
  int width;
};

const FieldSpec kFields[] = {
    {"Name", field_type::kString, 80},    {"Active", field_type::kBoolean, 40}, {"Born", field_type::kDate, 60},
    {"Count", field_type::kInteger, 50},  {"Colour", field_type::kList, 70},    {"Notes", field_type::kString, 120},
    {"Price", field_type::kFloat, 45},    {"Start", field_type::kTime, 35},
};
constexpr int kColourField = 5;
constexpr int kRecords = 3;

std::string ValueFor(int field, int record) {
  static const char* kValues[][kRecords] = {
      {"Anna", "Bert \xE9t\xE9", ""},
      {"1", "0", "1"},
      {"01/02/1990", "", "12/31/2001"},
      {"42", "-7", "0"},
      {"Red", "Blue", ""},
      {"line one\nline two", "", "x"},
      {"3.25", "0.5", ""},
      {"08:30", "", "23:59"},
  };
  if (field <= static_cast<int>(std::size(kFields))) return kValues[field - 1][record - 1];
  return "e" + std::to_string(field) + "-" + std::to_string(record);
}

// Writes a database of the layout with field_count fields (the first eight of several types, the rest plain
// text), three records, a popup list, category 3 and the read-only flag.
void MakeDatabase(const std::string& path, DataBaseMode mode, int field_count = 8) {
  TJFILE db(LibraryGeneration::kEarlier);
  db.CreateNew(path);
  db.SetFieldCount(field_count);
  for (int i = 1; i <= field_count; ++i) {
    if (i <= static_cast<int>(std::size(kFields))) {
      db.SetFieldName(kFields[i - 1].name, i);
      db.SetFieldType(kFields[i - 1].type, i);
      db.SetFieldWidth(kFields[i - 1].width, i);
    } else {
      db.SetFieldName("Extra " + std::to_string(i), i);
      db.SetFieldType(field_type::kString, i);
      db.SetFieldWidth(20 + i, i);
    }
  }
  if (field_count >= kColourField) {
    db.SetPopupValue("Red", 1, kColourField);
    db.SetPopupValue("Green", 2, kColourField);
    db.SetPopupValue("Blue", 3, kColourField);
  }
  db.SetRecordCount(kRecords);
  for (int r = 1; r <= kRecords; ++r) {
    for (int i = 1; i <= field_count; ++i) db.SetFieldValue(ValueFor(i, r), i, r);
  }
  db.SetDataBaseMode(mode);
  db.SetCategory(kCategory);
  db.SetReadOnly(true);
  db.SaveAs("Test DB");
}

// What a database holds, as the earlier library generation reads it back.
struct Field {
  std::string name;
  uint16_t type;
  int width;
  std::vector<std::string> popups;
};
struct Content {
  DataBaseMode mode;
  std::string db_name, type, creator;
  int category;
  bool read_only;
  std::vector<Field> fields;
  std::vector<std::vector<std::string>> records;
};

Content Load(const std::string& path) {
  SetDefaultFileOpenMode(FileOpenMode::kReadOnly);
  TJFILE db(LibraryGeneration::kEarlier);
  db.OpenFile(path);
  Content c{db.GetDataBaseMode(), db.Header().name,   IdText(db.Header().type), IdText(db.Header().creator),
            db.GetCategory(),    db.GetReadOnly(), {}, {}};
  for (int i = 1; i <= db.GetFieldCount(); ++i) {
    Field f{db.GetFieldName(i), db.GetFieldType(i), db.GetFieldWidth(i), {}};
    for (int j = 1; j <= db.PopupCount(i); ++j) f.popups.push_back(db.GetPopupValue(j, i));
    c.fields.push_back(f);
  }
  for (int r = 1; r <= db.RecordCount(); ++r) {
    std::vector<std::string> values;
    for (int i = 1; i <= db.GetFieldCount(); ++i) values.push_back(db.GetFieldValue(i, r));
    c.records.push_back(values);
  }
  return c;
}

// Compares field by field and value by value; the converted database may hold only the first `fields` fields.
void ExpectSameContent(const Content& in, const Content& out, size_t fields) {
  EXPECT_EQ(out.db_name, in.db_name);
  EXPECT_EQ(out.category, in.category);
  EXPECT_EQ(out.read_only, in.read_only);
  ASSERT_EQ(out.fields.size(), fields);
  for (size_t i = 0; i < fields; ++i) {
    SCOPED_TRACE("field " + std::to_string(i + 1));
    EXPECT_EQ(out.fields[i].name, in.fields[i].name);
    EXPECT_EQ(out.fields[i].type, in.fields[i].type);
    EXPECT_EQ(out.fields[i].width, in.fields[i].width);
    EXPECT_EQ(out.fields[i].popups, in.fields[i].popups);
  }
  ASSERT_EQ(out.records.size(), in.records.size());
  for (size_t r = 0; r < in.records.size(); ++r) {
    std::vector<std::string> expected(in.records[r].begin(), in.records[r].begin() + static_cast<long>(fields));
    EXPECT_EQ(out.records[r], expected) << "record " << r + 1;
  }
}

struct LayoutInfo {
  DataBaseMode mode;
  const char* text;
  const char* type;
  const char* creator;
};
const LayoutInfo kLayouts[] = {
    {DataBaseMode::STD, " (JFile 3.x format)", "JfDb", "JBas"},
    {DataBaseMode::PRO, " (JFile 4.x format)", "JfDb", "JFil"},
    {DataBaseMode::JF5, " (JFile 5.x format)", "JfD5", "JFi5"},
};
const LayoutInfo& Layout(DataBaseMode mode) {
  return *std::find_if(std::begin(kLayouts), std::end(kLayouts), [&](const LayoutInfo& l) { return l.mode == mode; });
}

void ExpectLayout(const Content& c, DataBaseMode mode) {
  EXPECT_EQ(c.mode, mode);
  EXPECT_EQ(c.type, Layout(mode).type);
  EXPECT_EQ(c.creator, Layout(mode).creator);
}

// ---- Command line ----

TEST(DornikCommandLine, UsageBannerAndArgumentErrors) {
  TempDir dir;
  const std::vector<std::string> kUsage = {
      "Calling syntax:",
      "  Dornik <InpName> [<OutName>]",
      "",
      "Default file type for <InpName> is .PDB",
      "Default file type for <OutName> is .PDB",
      "",
      "Default directory for <OutName> is same as <InpName>",
      "",
      "<InpName> can contain wild cards. If so, <OutName> must",
      "either be omitted or only specify an existing directory.",
      "",
      "The program will read in a JFile/JFile Pro database",
      "and write it out in the opposite format, ie. if the",
      "file specified by <InpName> is of the old JFile format",
      "then <OutName> will be written in JFile Pro format, and",
      "vice versa.",
      "",
      "If you omit <OutName>, the file will be converted in-",
      "place.",
  };
  for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"/V3"}}) {
    RunResult r = Dornik(dir, args);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(Body(r), kUsage);
  }

  RunResult missing = Dornik(dir, {"NOPE"});
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_EQ(Body(missing), std::vector<std::string>{"File " + dir.File("NOPE.PDB") + " doesn't exist!"});

  RunResult bad_number = Dornik(dir, {"A", "/Vx"});
  EXPECT_EQ(bad_number.exit_code, 1);
  EXPECT_EQ(bad_number.err, "dornik: 'x' is not a valid integer value\n");

  // What an unquoted wildcard expanded by the shell looks like: nothing may be touched.
  MakeDatabase(dir.File("A.PDB"), DataBaseMode::PRO);
  MakeDatabase(dir.File("B.PDB"), DataBaseMode::PRO);
  MakeDatabase(dir.File("C.PDB"), DataBaseMode::PRO);
  std::string b_before = ReadFileBytes(dir.File("B.PDB"));
  std::string c_before = ReadFileBytes(dir.File("C.PDB"));
  RunResult too_many = Dornik(dir, {"A.PDB", "B.PDB", "C.PDB"});
  EXPECT_EQ(too_many.exit_code, 2);
  EXPECT_EQ(ReadFileBytes(dir.File("B.PDB")), b_before);
  EXPECT_EQ(ReadFileBytes(dir.File("C.PDB")), c_before);
  EXPECT_EQ(Load(dir.File("A.PDB")).mode, DataBaseMode::PRO);
}

// ---- Conversions ----

// Offsets of the layout tables, for the byte fixtures below.
constexpr size_t kHeaderAttributes = 32;
constexpr size_t kHeaderVersion = 34;
constexpr size_t kHeaderTimesEnd = 52;  // creation, modification and backup time, modification number
constexpr size_t kHeaderAppInfo = 52;
constexpr size_t kHeaderType = 60;
constexpr size_t kHeaderCreator = 64;
constexpr size_t kHeaderRecordCount = 76;
constexpr size_t kRecordList = 78;
constexpr size_t kBlock = 88;  // 78 header bytes + one 8-byte entry, padded to a multiple of 4
constexpr size_t kNameSlot = 21;

// A zero-filled byte image written at offsets.
class Image {
 public:
  explicit Image(size_t size) : bytes_(size, '\0') {}
  Image& At(size_t offset, const std::string& bytes) {
    bytes_.replace(offset, bytes.size(), bytes);
    return *this;
  }
  Image& Be16(size_t offset, uint16_t v) {
    PutBig16(reinterpret_cast<uint8_t*>(&bytes_[offset]), v);
    return *this;
  }
  Image& Be32(size_t offset, uint32_t v) {
    PutBig32(reinterpret_cast<uint8_t*>(&bytes_[offset]), v);
    return *this;
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

const std::string kPopupSection("popupb\0S\0M\0L\0\0", 14);  // field 2's list, then the end mark
const std::string kRecordTexts("Alpha\0M\0", 8);

// A JFile 3.x database from the layout tables: fields Name (STRING, width 80) and Size (LIST S/M/L, width 40),
// one record, find text "ab", category 3 and read-only in the block's flags word.
std::string TinyStd() {
  constexpr size_t kExtra = kBlock + 564, kRecord = kExtra + 14;
  return Image(kRecord + kRecordTexts.size())
      .At(0, "Tiny").Be16(kHeaderAttributes, 0x0008).Be32(kHeaderAppInfo, kBlock)
      .At(kHeaderType, "JfDb").At(kHeaderCreator, "JBas").Be16(kHeaderRecordCount, 1)
      .Be32(kRecordList, kRecord).At(kRecordList + 4, "\x40")
      .At(kBlock, "Name").At(kBlock + kNameSlot, "Size")
      .Be16(kBlock + 420, 1).Be16(kBlock + 422, 64)      // types
      .Be16(kBlock + 460, 2).Be16(kBlock + 462, 452)     // field count, stamp
      .Be16(kBlock + 464, 80).Be16(kBlock + 466, 40)     // widths
      .Be16(kBlock + 504, 100)                           // view width
      .Be16(kBlock + 506, 1).Be16(kBlock + 508, 2).Be16(kBlock + 510, 2)  // sort fields
      .Be16(kBlock + 512, 1).Be16(kBlock + 514, 1)       // find and filter field
      .At(kBlock + 516, "ab")                            // find text
      .Be16(kBlock + 548, 0x3002)                        // flags: category 3, read-only
      .Be16(kBlock + 550, 1)                             // first column
      .At(kExtra, kPopupSection)
      .At(kRecord, kRecordTexts)
      .bytes();
}

// The same database in the JFile 5.x layout: category and read-only move to the header (the backup bit kept).
std::string TinyJf5() {
  constexpr size_t kExtra = kBlock + 1702, kTrailer = kExtra + 14, kRecord = kTrailer + 14;
  return Image(kRecord + 4 + kRecordTexts.size())
      .At(0, "Tiny").Be16(kHeaderAttributes, 0x3C08).Be16(kHeaderVersion, 0x3000).Be32(kHeaderAppInfo, kBlock)
      .At(kHeaderType, "JfD5").At(kHeaderCreator, "JFi5").Be16(kHeaderRecordCount, 1)
      .Be32(kRecordList, kRecord).At(kRecordList + 4, "\x40")
      .At(kBlock, "Name").At(kBlock + kNameSlot, "Size")
      .Be16(kBlock + 1050, 1).Be16(kBlock + 1052, 64)
      .Be16(kBlock + 1150, 2).Be16(kBlock + 1152, 576)
      .Be16(kBlock + 1154, 80).Be16(kBlock + 1156, 40)
      .Be16(kBlock + 1254, 100)
      .Be16(kBlock + 1256, 1).Be16(kBlock + 1258, 2).Be16(kBlock + 1260, 2)
      .Be16(kBlock + 1262, 1).Be16(kBlock + 1264, 1)
      .At(kBlock + 1266, "ab")
      .Be16(kBlock + 1300, 1)
      .At(kExtra, kPopupSection)
      .At(kTrailer, std::string("EndJFileData\0\0", 14))
      .Be16(kRecord, 6).Be16(kRecord + 2, 2).At(kRecord + 4, kRecordTexts)
      .bytes();
}

// The bytes with the header's times and modification number zeroed: a save may stamp them.
std::string WithoutTimes(std::string bytes) {
  if (bytes.size() >= kHeaderTimesEnd) std::fill(bytes.begin() + 36, bytes.begin() + kHeaderTimesEnd, '\0');
  return bytes;
}

TEST(DornikConvert, InPlaceFindsNameInAnyCaseAndMatchesTheLayoutBytes) {
  TempDir dir;
  WriteFileBytes(dir.File("tiny.pdb"), TinyStd());

  RunResult up = Dornik(dir, {"TINY"});
  EXPECT_EQ(up.exit_code, 0) << up.err;
  EXPECT_EQ(Body(up), (std::vector<std::string>{"Reading tiny.pdb (JFile 3.x format)",
                                                "Writing tiny.pdb (JFile 5.x format)", "", "Done."}));
  EXPECT_EQ(ToHex(WithoutTimes(ReadFileBytes(dir.File("tiny.pdb")))), ToHex(TinyJf5()));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
      << "a temporary or second file was left";

  // Back to 3.x in place: the file shrinks and holds exactly the new image, nothing of the old after its end.
  RunResult down = Dornik(dir, {"/V3", "tiny"});
  EXPECT_EQ(down.exit_code, 0) << down.err;
  EXPECT_EQ(Body(down), (std::vector<std::string>{"Reading tiny.pdb (JFile 5.x format)",
                                                  "Writing tiny.pdb (JFile 3.x format)", "", "Done."}));
  std::string after = ReadFileBytes(dir.File("tiny.pdb"));
  std::string fixture = TinyStd();
  ASSERT_EQ(after.size(), fixture.size());
  EXPECT_EQ(after.substr(0, 32), fixture.substr(0, 32));
  EXPECT_EQ(ToHex(after.substr(kHeaderTimesEnd)), ToHex(fixture.substr(kHeaderTimesEnd)));
}

TEST(DornikConvert, EveryLayoutToAnotherNameWithEveryOption) {
  struct Option {
    std::vector<std::string> words;
    int version;  // 0: keep the layout
  };
  const Option kOptions[] = {{{}, 5}, {{"/V3"}, 3}, {{"/v4"}, 4}, {{"/V5"}, 5}, {{"/V7"}, 0}};
  for (const LayoutInfo& from : kLayouts) {
    for (const Option& option : kOptions) {
      DataBaseMode to = option.version == 3   ? DataBaseMode::STD
                        : option.version == 4 ? DataBaseMode::PRO
                        : option.version == 5 ? DataBaseMode::JF5
                                              : from.mode;
      SCOPED_TRACE(std::string("from") + from.text + " to" + Layout(to).text);
      TempDir dir;
      MakeDatabase(dir.File("SRC.PDB"), from.mode);
      std::string before = ReadFileBytes(dir.File("SRC.PDB"));
      Content in = Load(dir.File("SRC.PDB"));
      ExpectLayout(in, from.mode);

      std::vector<std::string> args = {"SRC", "dest"};
      args.insert(option.version == 4 ? args.begin() : args.end(), option.words.begin(), option.words.end());
      RunResult r = Dornik(dir, args);
      EXPECT_EQ(r.exit_code, 0) << r.err;
      EXPECT_EQ(Body(r), (std::vector<std::string>{"Copying SRC.PDB to dest.PDB",
                                                   std::string("Reading SRC.PDB") + from.text,
                                                   std::string("Writing dest.PDB") + Layout(to).text, "",
                                                   "Done."}));
      EXPECT_EQ(ReadFileBytes(dir.File("SRC.PDB")), before) << "the input changed";
      Content out = Load(dir.File("dest.PDB"));
      ExpectLayout(out, to);
      ExpectSameContent(in, out, in.fields.size());

      if (testing::PalmPdbAvailable()) {
        testing::PalmPdbView view = testing::ReadWithPalmPdb(dir.File("dest.PDB"));
        ASSERT_TRUE(view.ok) << view.error;
        EXPECT_EQ(view.name, "Test DB");
        EXPECT_EQ(view.type, Layout(to).type);
        EXPECT_EQ(view.creator, Layout(to).creator);
        EXPECT_EQ(view.records.size(), static_cast<size_t>(kRecords));
      }
    }
  }
}

TEST(DornikConvert, QuotedWildcardIntoFolderLeavesInputsUntouched) {
  TempDir dir;
  fs::create_directory(dir.File("out"));
  MakeDatabase(dir.File("A.PDB"), DataBaseMode::STD);
  MakeDatabase(dir.File("B.PDB"), DataBaseMode::PRO);
  MakeDatabase(dir.File("C.PDB"), DataBaseMode::JF5);
  WriteFileBytes(dir.File("notes.txt"), "not a match\n");
  std::vector<std::string> before;
  for (const char* name : {"A.PDB", "B.PDB", "C.PDB"}) before.push_back(ReadFileBytes(dir.File(name)));

  RunResult r = Dornik(dir, {"*.PDB", "out/", "/V4"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Body(r), (std::vector<std::string>{
                         "Copying A.PDB to A.PDB", "Reading A.PDB (JFile 3.x format)",
                         "Writing A.PDB (JFile 4.x format)", "",
                         "Copying B.PDB to B.PDB", "Reading B.PDB (JFile 4.x format)",
                         "Writing B.PDB (JFile 4.x format)", "",
                         "Copying C.PDB to C.PDB", "Reading C.PDB (JFile 5.x format)",
                         "Writing C.PDB (JFile 4.x format)", "", "Done."}));
  int k = 0;
  for (const char* name : {"A.PDB", "B.PDB", "C.PDB"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadFileBytes(dir.File(name)), before[k++]);
    Content out = Load(dir.File(std::string("out/") + name));
    ExpectLayout(out, DataBaseMode::PRO);
    ExpectSameContent(Load(dir.File(name)), out, std::size(kFields));
  }

  // With an output name that names a file, every match goes to it in turn: the last one remains.
  RunResult one = Dornik(dir, {"*.PDB", "ONE"});
  EXPECT_EQ(one.exit_code, 0) << one.err;
  Content last = Load(dir.File("ONE.PDB"));
  ExpectLayout(last, DataBaseMode::JF5);
  ExpectSameContent(Load(dir.File("C.PDB")), last, std::size(kFields));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadFileBytes(dir.File(std::string(1, 'A' + i) + ".PDB")), before[i]);
}

TEST(DornikConvert, OutputNamingTheInputConvertsInPlace) {
  TempDir dir;
  MakeDatabase(dir.File("A.PDB"), DataBaseMode::PRO);
  Content in = Load(dir.File("A.PDB"));
  RunResult r = Dornik(dir, {"A", "a"});  // "a.PDB" resolves to A.PDB on disk
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Body(r), (std::vector<std::string>{"Reading A.PDB (JFile 4.x format)",
                                               "Writing A.PDB (JFile 5.x format)", "", "Done."}));
  Content out = Load(dir.File("A.PDB"));
  ExpectLayout(out, DataBaseMode::JF5);
  ExpectSameContent(in, out, in.fields.size());

  // "*" stands for an omitted output name: in place again, and no file named "*.PDB".
  r = Dornik(dir, {"A", "*", "/V4"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Body(r), (std::vector<std::string>{"Reading A.PDB (JFile 5.x format)",
                                               "Writing A.PDB (JFile 4.x format)", "", "Done."}));
  EXPECT_FALSE(testing::FileExists(dir.File("*.PDB")));
  ExpectLayout(Load(dir.File("A.PDB")), DataBaseMode::PRO);
}

// ---- The question before fields are lost ----

const std::vector<std::string> kQuestion = {
    "",
    "Database contains more fields than is possible in old JFile",
    "format. If you continue conversion, you will loose data in",
    "the output file.",
    "",
};

TEST(DornikQuestion, AnswersThroughStandardInput) {
  struct Case {
    const char* input;
    const char* echo;
    bool goes_on;
  };
  const Case kCases[] = {
      {"y", "Y", true},     {"Y\n", "Y", true},       {"\n", "Y", true},      {"\r\n", "Y", true},
      {"x1?y", "Y", true},  {"n", "N", false},        {"N", "N", false},      {"\x1b", "\x18" "C", false},
      {"", "\x18" "C", false},  // end of input counts as Esc
      {"q", "\x18" "C", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(ToHex(c.input));
    TempDir dir;
    MakeDatabase(dir.File("BIG.PDB"), DataBaseMode::PRO, 30);
    std::string before = ReadFileBytes(dir.File("BIG.PDB"));
    Content in = Load(dir.File("BIG.PDB"));

    RunResult r = Dornik(dir, {"BIG", "/V3"}, c.input);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::vector<std::string> expected = {"Reading BIG.PDB (JFile 4.x format)"};
    expected.insert(expected.end(), kQuestion.begin(), kQuestion.end());
    expected.push_back(std::string("Continue anyway? ") + c.echo);
    if (c.goes_on) {
      expected.insert(expected.end(), {"Writing BIG.PDB (JFile 3.x format)", "", "Done."});
      Content out = Load(dir.File("BIG.PDB"));
      ExpectLayout(out, DataBaseMode::STD);
      ExpectSameContent(in, out, kMaxFieldsStd);
    } else {
      EXPECT_EQ(ReadFileBytes(dir.File("BIG.PDB")), before);
    }
    EXPECT_EQ(Body(r), expected);
  }
}

TEST(DornikQuestion, OnlyForMoreThanTwentyFieldsInto3x) {
  TempDir dir;
  MakeDatabase(dir.File("BIG.PDB"), DataBaseMode::JF5, 30);
  MakeDatabase(dir.File("TWENTY.PDB"), DataBaseMode::JF5, 20);
  Content big = Load(dir.File("BIG.PDB"));

  RunResult to4 = Dornik(dir, {"BIG", "/V4"});
  EXPECT_EQ(to4.exit_code, 0);
  EXPECT_EQ(Body(to4), (std::vector<std::string>{"Reading BIG.PDB (JFile 5.x format)",
                                                 "Writing BIG.PDB (JFile 4.x format)", "", "Done."}));
  ExpectSameContent(big, Load(dir.File("BIG.PDB")), 30);

  RunResult twenty = Dornik(dir, {"TWENTY", "/V3"});
  EXPECT_EQ(twenty.exit_code, 0);
  EXPECT_EQ(Body(twenty), (std::vector<std::string>{"Reading TWENTY.PDB (JFile 5.x format)",
                                                    "Writing TWENTY.PDB (JFile 3.x format)", "", "Done."}));
}

TEST(DornikQuestion, DeclinedCopyLeavesAPlainCopyAndTheInputAlone) {
  for (const char* answer : {"\x1b", "n"}) {
    TempDir dir;
    MakeDatabase(dir.File("BIG.PDB"), DataBaseMode::JF5, 30);
    MakeDatabase(dir.File("LATER.PDB"), DataBaseMode::JF5, 30);
    std::string before = ReadFileBytes(dir.File("BIG.PDB"));
    std::string later = ReadFileBytes(dir.File("LATER.PDB"));
    fs::create_directory(dir.File("out"));

    RunResult r = Dornik(dir, {"/V3", "*.PDB", "out/"}, answer);
    EXPECT_EQ(r.exit_code, 0);
    std::vector<std::string> body = Body(r);
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body.front(), "Copying BIG.PDB to BIG.PDB");
    EXPECT_NE(body.back(), "Done.");
    EXPECT_EQ(ReadFileBytes(dir.File("BIG.PDB")), before);
    EXPECT_EQ(ReadFileBytes(dir.File("out/BIG.PDB")), before);
    EXPECT_FALSE(FileExists(dir.File("out/LATER.PDB"))) << "the run should have ended at the refusal";
    EXPECT_EQ(ReadFileBytes(dir.File("LATER.PDB")), later);
  }

  TempDir dir;
  MakeDatabase(dir.File("BIG.PDB"), DataBaseMode::PRO, 30);
  std::string before = ReadFileBytes(dir.File("BIG.PDB"));
  Content in = Load(dir.File("BIG.PDB"));
  RunResult yes = Dornik(dir, {"/V3", "BIG", "SMALL"}, "y");
  EXPECT_EQ(yes.exit_code, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("BIG.PDB")), before);
  ExpectSameContent(in, Load(dir.File("SMALL.PDB")), kMaxFieldsStd);
}

// On a real terminal (tmux) the key is read raw: no Return needed, arrows ignored, a lone Esc is Esc.
TEST(DornikQuestion, KeysFromATerminal) {
  if (std::system("tmux -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
  struct Case {
    std::string keys;  // tmux key names
    const char* echo;
    bool goes_on;
  };
  const Case kCases[] = {{"y", "Y", true}, {"Enter", "Y", true}, {"Up n", "N", false}, {"Escape", "\x18" "C", false}};
  const std::string socket = "jf-dornik-test-" + std::to_string(::getpid());
  auto wait_for = [](const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    return done();
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.keys);
    TempDir dir;
    MakeDatabase(dir.File("BIG.PDB"), DataBaseMode::PRO, 30);
    std::string before = ReadFileBytes(dir.File("BIG.PDB"));
    std::string command = "cd '" + dir.path() + "' && '" + testing::ToolPath("dornik") +
                          "' BIG /V3 >out.txt 2>&1; echo $? >rc.txt";
    ASSERT_EQ(std::system(("tmux -L " + socket + " new-session -d -s q \"" + command + "\"").c_str()), 0);
    bool asked = wait_for([&] {
      return FileExists(dir.File("out.txt")) &&
             ReadFileBytes(dir.File("out.txt")).find("Continue anyway? ") != std::string::npos;
    });
    EXPECT_TRUE(asked);
    // One key at a time: each read sets the terminal up afresh.
    for (size_t start = 0; asked && start < c.keys.size();) {
      size_t end = std::min(c.keys.find(' ', start), c.keys.size());
      std::system(("tmux -L " + socket + " send-keys -t q " + c.keys.substr(start, end - start)).c_str());
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      start = end + 1;
    }
    bool ended = wait_for([&] { return FileExists(dir.File("rc.txt")) && ReadFileBytes(dir.File("rc.txt")) != ""; });
    std::system(("tmux -L " + socket + " kill-server >/dev/null 2>&1").c_str());
    ASSERT_TRUE(ended);
    EXPECT_EQ(ReadFileBytes(dir.File("rc.txt")), "0\n");
    std::string out = ReadFileBytes(dir.File("out.txt"));
    EXPECT_NE(out.find(std::string("Continue anyway? ") + c.echo + "\n"), std::string::npos) << out;
    if (c.goes_on) {
      ExpectLayout(Load(dir.File("BIG.PDB")), DataBaseMode::STD);
    } else {
      EXPECT_EQ(ReadFileBytes(dir.File("BIG.PDB")), before);
    }
  }
}

// ---- Failures ----

TEST(DornikFailure, CopyThatCannotBeMadeIsReportedAndTheRunGoesOn) {
  TempDir dir;
  MakeDatabase(dir.File("A.PDB"), DataBaseMode::PRO);
  MakeDatabase(dir.File("B.PDB"), DataBaseMode::STD);
  std::string a = ReadFileBytes(dir.File("A.PDB"));
  std::string b = ReadFileBytes(dir.File("B.PDB"));

  RunResult r = Dornik(dir, {"*.PDB", "missing/"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> body = Body(r);
  ASSERT_EQ(body.size(), 5u) << r.out;
  EXPECT_EQ(body[0], "Copying A.PDB to A.PDB <- Error: cannot copy to " + dir.File("missing/A.PDB") +
                         ", its folder does not exist or cannot be written");
  EXPECT_EQ(body[1], "");
  EXPECT_EQ(body[2].substr(0, 41), "Copying B.PDB to B.PDB <- Error: cannot c");
  EXPECT_EQ(body[4], "Done.");
  EXPECT_EQ(ReadFileBytes(dir.File("A.PDB")), a);
  EXPECT_EQ(ReadFileBytes(dir.File("B.PDB")), b);
  EXPECT_FALSE(FileExists(dir.File("missing")));
}

TEST(DornikFailure, ExistingFileOfAnotherKindIsNotOverwritten) {
  TempDir dir;
  fs::create_directory(dir.File("out"));
  MakeDatabase(dir.File("A.PDB"), DataBaseMode::PRO);
  MakeDatabase(dir.File("B.PDB"), DataBaseMode::PRO);
  WriteFileBytes(dir.File("out/A.PDB"), "my notes\n");
  fs::create_directory(dir.File("folder.pdb"));

  RunResult r = Dornik(dir, {"*.PDB", "out/"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> body = Body(r);
  ASSERT_EQ(body.size(), 7u) << r.out;
  EXPECT_EQ(body[0], "Copying A.PDB to A.PDB <- Error: " + dir.File("out/A.PDB") +
                         " is not a Palm database, not overwritten");
  EXPECT_EQ(body[2], "Copying B.PDB to B.PDB");
  EXPECT_EQ(body[6], "Done.");
  EXPECT_EQ(ReadFileBytes(dir.File("out/A.PDB")), "my notes\n");
  ExpectLayout(Load(dir.File("out/B.PDB")), DataBaseMode::JF5);

  // A single name too, and a folder standing at the output name.
  WriteFileBytes(dir.File("notes.txt"), "keep me\n");
  RunResult text = Dornik(dir, {"A", "notes.txt"});
  EXPECT_EQ(text.exit_code, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("notes.txt")), "keep me\n");
  RunResult folder = Dornik(dir, {"A", "folder.pdb"});
  EXPECT_EQ(folder.exit_code, 0);
  EXPECT_TRUE(fs::is_directory(dir.File("folder.pdb")));
  EXPECT_NE(Body(folder).at(0).find("not overwritten"), std::string::npos);
}

TEST(DornikFailure, ReadOnlyDatabaseIsLeftAsItWas) {
  TempDir dir;
  MakeDatabase(dir.File("A.PDB"), DataBaseMode::PRO);
  std::string before = ReadFileBytes(dir.File("A.PDB"));
  // No write permission bit: read-only for every user, root included.
  fs::permissions(dir.File("A.PDB"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  RunResult in_place = Dornik(dir, {"A"});
  EXPECT_EQ(in_place.exit_code, 1);
  EXPECT_EQ(in_place.err, "dornik: Cannot open file " + dir.File("A.PDB") + "\n");
  EXPECT_EQ(ReadFileBytes(dir.File("A.PDB")), before);

  // As the output of another database: reported on the file's line, and the run goes on.
  MakeDatabase(dir.File("B.PDB"), DataBaseMode::PRO);
  RunResult copy = Dornik(dir, {"B", "A"});
  EXPECT_EQ(copy.exit_code, 0) << copy.err;
  EXPECT_EQ(Body(copy).at(0),
            "Copying B.PDB to A.PDB <- Error: cannot copy to " + dir.File("A.PDB") + ", the file is read-only");
  EXPECT_EQ(ReadFileBytes(dir.File("A.PDB")), before);
}

TEST(DornikFailure, FullDiskLeavesTheOriginalAndNoTemporaryFile) {
  TempDir dir;
  MakeDatabase(dir.File("A.PDB"), DataBaseMode::STD);
  std::string before = ReadFileBytes(dir.File("A.PDB"));
  // The 5.x image is larger than the 3.x file; writes stop part way at this size, whoever runs the test.
  RunOptions options;
  options.cwd = dir.path();
  options.file_size_limit = static_cast<long>(before.size());
  RunResult r = RunProgram(testing::ToolPath("dornik"), {"A"}, options);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err.rfind("dornik: ", 0), 0u) << r.err;
  EXPECT_EQ(ReadFileBytes(dir.File("A.PDB")), before);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"A.PDB"}) << "no temporary file is left behind";
}

TEST(DornikFailure, NotAJFileDatabaseEndsTheRun) {
  TempDir dir;
  MakeDatabase(dir.File("AAA.PDB"), DataBaseMode::PRO);
  WriteFileBytes(dir.File("MEMO.PDB"), ReadFileBytes(testing::SourcePath("tools/dbdump/testdata/MemoDB.pdb")));
  MakeDatabase(dir.File("ZZZ.PDB"), DataBaseMode::PRO);
  std::string memo = ReadFileBytes(dir.File("MEMO.PDB"));
  std::string zzz = ReadFileBytes(dir.File("ZZZ.PDB"));

  RunResult r = Dornik(dir, {"*.PDB"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "dornik: Not a JFile/JFile Pro database!\n");
  EXPECT_EQ(Body(r), (std::vector<std::string>{"Reading AAA.PDB (JFile 4.x format)",
                                               "Writing AAA.PDB (JFile 5.x format)", "", "Reading MEMO.PDB"}));
  EXPECT_EQ(r.out.back(), '\n');
  ExpectLayout(Load(dir.File("AAA.PDB")), DataBaseMode::JF5);
  EXPECT_EQ(ReadFileBytes(dir.File("MEMO.PDB")), memo);
  EXPECT_EQ(ReadFileBytes(dir.File("ZZZ.PDB")), zzz) << "files after the error are not handled";

  // Into another name: nothing is written for a database that cannot be read.
  RunResult copy = Dornik(dir, {"MEMO", "OUT"});
  EXPECT_EQ(copy.exit_code, 1);
  EXPECT_EQ(copy.err, "dornik: Not a JFile/JFile Pro database!\n");
  EXPECT_FALSE(FileExists(dir.File("OUT.PDB")));
}

}  // namespace
}  // namespace jf
