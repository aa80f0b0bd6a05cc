#include "jfile/model/jfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "common/errors.h"
#include "jfile/model/app_info.h"
#include "jfile/model/model_test_support.h"

namespace jf {
namespace {

using model_test::Hex;
using model_test::Load;
using model_test::LoadError;
using model_test::Place;
using model_test::Reload;
using model_test::Save;
using model_test::ToHex;
using model_test::Zeros;

// ---- Fixtures written down from the layout tables ----

// A 78-byte header: name, attributes, version, the app-info offset, type, creator, unique-id seed, record count.
std::string Header(const std::string& name, const std::string& attributes_version, const std::string& appinfo,
                   const std::string& type_creator_seed_next_count) {
  std::string h(78, '\0');
  Place(h, 0, name);
  Place(h, 32, Hex(attributes_version));
  Place(h, 36, Hex("B5A0B5A0 B5A0B5A2 00000000 00000007"));  // creation, modification, backup, mod number
  Place(h, 52, Hex(appinfo + " 00000000"));                   // app info, sort info
  Place(h, 60, Hex(type_creator_seed_next_count));
  return h;
}

// JFile 3.x: fields Item (LIST, popup Pen/Ink) and Done (BOOLEAN); records Pen/1 and Ink/0. Category 7,
// read-only, a password. The stamp is 0; a save writes 452.
std::string StdFixture() {
  std::string block(564, '\0');
  Place(block, 0, Hex(R"("Item")"));
  Place(block, 21, Hex(R"("Done")"));
  Place(block, 420, Hex("0040 0002"));       // types
  Place(block, 460, Hex("0002 0000"));       // field count, stamp
  Place(block, 464, Hex("0064 0014"));       // widths
  Place(block, 504, Hex("00A0 0001 0002 0000 0001 0001"));  // view width, sort 1-3, find, filter
  Place(block, 532, Hex(R"("Pe")"));         // filter text
  Place(block, 548, Hex("7002 0001"));       // flags (category 7, read-only), first column
  Place(block, 552, Hex(R"(03 "abc")"));     // password
  return Header("StdDb", "0008 0001", "00000060", R"("JfDb" "JBas" "ABCD" 00000000 0002)") +
         Hex("000002A4 00 000001  000002AA 00 000002") + Hex("0000") + block +
         Hex(R"("popupa" 00 "Pen" 00 "Ink" 00 00)") +          // extra data, ends at 676 = 0x2A4
         Hex(R"("Pen" 00 "1" 00)") + Hex(R"("Ink" 00 "0" 00)");
}

// JFile Pro: fields Name (type 0) and Color (LIST, popup Red/Blue); records Ann/Red and Bob/Blue. Category 3,
// not read-only. The find text has bytes after its NUL, which a save keeps.
std::string ProFixture() {
  std::string block(1702, '\0');
  Place(block, 0, Hex(R"("Name")"));
  Place(block, 21, Hex(R"("Color")"));
  Place(block, 1050, Hex("0000 0040"));
  Place(block, 1150, Hex("0002 0000"));
  Place(block, 1154, Hex("0050 0064"));
  Place(block, 1254, Hex("00A0 0002 0001 0000 0001 0002"));
  Place(block, 1266, Hex(R"("An" 00 "xy")"));
  Place(block, 1298, Hex("3000 0001"));
  return Header("ProDb", "0008 0001", "00000060", R"("JfDb" "JFil" 00001234 00000000 0002)") +
         Hex("00000725 00 000001  00000731 00 000002") + Hex("0000") + block +
         Hex(R"("popupb" 00 "Red" 00 "Blue" 00 00)") + Hex(R"("EndJFileData" 00 00)") +  // records at 0x725
         Hex(R"(0004 0004 "Ann" 00 "Red" 00)") + Hex(R"(0004 0005 "Bob" 00 "Blue" 00)");
}

// JFile 5: fields Title, When (INT.DATE: DATE with the mark in options table 1) and Kind (LIST A/B); a sort preset,
// a default, a filter preset with empty texts; records Dune/1965/A and Emma/(empty)/B. Category 5 in the version
// word, read-only in the attributes, field 2 width -20, an options-table-2 value that is only carried.
std::string Jf6Fixture() {
  std::string block(1702, '\0');
  Place(block, 0, Hex(R"("Title")"));
  Place(block, 21, Hex(R"("When")"));
  Place(block, 42, Hex(R"("Kind")"));
  Place(block, 1050, Hex("0001 0004 0040"));
  Place(block, 1150, Hex("0003 0240"));
  Place(block, 1154, Hex("0064 FFEC 0050"));
  Place(block, 1254, Hex("0064 0001 0000 0000 0001 0001"));
  Place(block, 1300, Hex("0001"));
  Place(block, 1306, Hex("00000001"));  // options table 1, field 2
  Place(block, 1510, Hex("0000ABCD"));  // options table 2, field 3
  return Header("Jf6Db", "0408 5001", "00000060", R"("JfD5" "JFi5" 00000000 00000000 0002)") +
         Hex("00000771 00 000001  00000783 00 000002") + Hex("0000") + block +
         Hex(R"("popupc" 00 "A" 00 "B" 00
                "soorta" 00 "ByTitle" 00 "1" 00 "2" 00 "-1" 00
                "deflta" 00 "none" 00
                "flllta" 00 "F1" 00 "x" 00 "-*-" 00 "-*-" 00 "-*-" 00 "-*-" 00 "65535" 00
                         "-1" 00 "0" 00 "3" 00 "-1" 00 "-1" 00
                00)") +
         Hex(R"("EndJFileData" 00 00)") +  // records at 0x771
         Hex(R"(0005 0005 0002 "Dune" 00 "1965" 00 "A" 00)") + Hex(R"(0005 0001 0002 "Emma" 00 00 "B" 00)");
}

// What a save of an unchanged fixture gives: every record entry dirty with unique id 0, and the stamp of the
// layout at the block's stamp offset.
std::string SavedForm(std::string bytes, size_t stamp_offset, const std::string& stamp) {
  int count = (static_cast<uint8_t>(bytes[76]) << 8) | static_cast<uint8_t>(bytes[77]);
  for (int i = 0; i < count; ++i) Place(bytes, 78 + 8 * i + 4, Hex("40 000000"));
  Place(bytes, 96 + stamp_offset, Hex(stamp));
  return bytes;
}

struct LayoutCase {
  const char* label;
  std::function<std::string()> fixture;
  LibraryGeneration generation;
  DataBaseMode mode;
  std::vector<std::string> names;
  std::vector<uint16_t> types;
  std::vector<std::vector<std::string>> values;
  int category;
  bool read_only;
  std::string saved;
};

std::vector<LayoutCase> LayoutCases() {
  return {
      {"STD", StdFixture, LibraryGeneration::kCurrent, DataBaseMode::STD, {"Item", "Done"}, {64, 2},
       {{"Pen", "1"}, {"Ink", "0"}}, 7, true, SavedForm(StdFixture(), 462, "01C4")},
      {"PRO", ProFixture, LibraryGeneration::kCurrent, DataBaseMode::PRO, {"Name", "Color"}, {0, 64},
       {{"Ann", "Red"}, {"Bob", "Blue"}}, 3, false, SavedForm(ProFixture(), 1152, "0240")},
      {"JF5", Jf6Fixture, LibraryGeneration::kEarlier, DataBaseMode::JF5, {"Title", "When", "Kind"}, {1, 4, 64},
       {{"Dune", "1965", "A"}, {"Emma", "", "B"}}, 5, true, SavedForm(Jf6Fixture(), 1152, "0240")},
      {"JF6", Jf6Fixture, LibraryGeneration::kCurrent, DataBaseMode::JF6, {"Title", "When", "Kind"},
       {1, 0xFFFF, 64}, {{"Dune", "1965", "A"}, {"Emma", "", "B"}}, 5, true, SavedForm(Jf6Fixture(), 1152, "0240")},
  };
}

TEST(LayoutFixtureTest, FixturesAreWhatPalmPdbReads) {
  for (const LayoutCase& c : LayoutCases()) {
    SCOPED_TRACE(c.label);
    std::string bytes = c.fixture();
    EXPECT_TRUE(IsPalmDatabaseImage(bytes));
    model_test::ExpectPalmPdbAgrees(bytes);
  }
}

TEST(LayoutFixtureTest, LoadsFieldsValuesAndSettings) {
  for (const LayoutCase& c : LayoutCases()) {
    SCOPED_TRACE(c.label);
    auto db = Load(c.fixture(), c.generation);
    EXPECT_EQ(db->GetDataBaseMode(), c.mode);
    EXPECT_TRUE(db->IsLoaded());
    EXPECT_FALSE(db->IsModified());
    ASSERT_EQ(db->GetFieldCount(), static_cast<int>(c.names.size()));
    for (size_t i = 0; i < c.names.size(); ++i) {
      EXPECT_EQ(db->GetFieldName(static_cast<int>(i + 1)), c.names[i]);
      EXPECT_EQ(db->GetFieldType(static_cast<int>(i + 1)), c.types[i]);
    }
    ASSERT_EQ(db->RecordCount(), static_cast<int>(c.values.size()));
    for (size_t r = 0; r < c.values.size(); ++r) {
      for (size_t i = 0; i < c.values[r].size(); ++i) {
        EXPECT_EQ(db->GetFieldValue(static_cast<int>(i + 1), static_cast<int>(r + 1)), c.values[r][i]);
      }
    }
    EXPECT_EQ(db->GetCategory(), c.category);
    EXPECT_EQ(db->GetReadOnly(), c.read_only);
  }
}

TEST(LayoutFixtureTest, SavesBackTheSameBytes) {
  for (const LayoutCase& c : LayoutCases()) {
    SCOPED_TRACE(c.label);
    auto db = Load(c.fixture(), c.generation);
    EXPECT_EQ(ToHex(Save(*db)), ToHex(c.saved));
    EXPECT_FALSE(db->IsModified());
    // A second save of the same object writes the same bytes again (apart from the in-memory type changes).
    auto again = Load(c.saved, c.generation);
    EXPECT_EQ(ToHex(Save(*again)), ToHex(c.saved));
  }
}

TEST(LayoutFixtureTest, SettingsOfEachLayout) {
  auto std_db = Load(StdFixture());
  EXPECT_EQ(std_db->GetViewWidth(), 160);
  EXPECT_EQ(std_db->GetSortField(1), 1);
  EXPECT_EQ(std_db->GetSortField(2), 2);
  EXPECT_EQ(std_db->GetFilterString(), "Pe");
  EXPECT_EQ(std_db->Block().GetPassword(), "abc");
  EXPECT_EQ(std_db->GetFieldWidth(2), 20);
  EXPECT_EQ(std_db->PopupCount(1), 2);
  EXPECT_EQ(std_db->GetPopupValue(2, 1), "Ink");
  EXPECT_EQ(std_db->GetDisplayValue(2, 1), "TRUE");
  EXPECT_EQ(std_db->GetDisplayValue(2, 2), "FALSE");
  EXPECT_EQ(std_db->GetFieldTypeName(1), "LIST");

  auto pro = Load(ProFixture());
  EXPECT_EQ(pro->GetFindString(), "An");
  EXPECT_EQ(pro->GetFindField(), 1);
  EXPECT_EQ(pro->GetFilterField(), 2);
  EXPECT_EQ(pro->GetFieldTypeName(1), "STRING");
  EXPECT_EQ(IdText(pro->Header().unique_id_seed), std::string("\x00\x00\x12\x34", 4));
  EXPECT_EQ(pro->GetDefault(1), "");  // no defaults or presets outside JFile 5
  EXPECT_EQ(pro->GetSortPresetName(1), "");

  auto jf6 = Load(Jf6Fixture());
  EXPECT_EQ(jf6->GetFieldWidth(2), -20);
  EXPECT_EQ(jf6->GetFieldTypeName(2), "INT.DATE");
  EXPECT_EQ(jf6->GetSortPresetName(1), "ByTitle");
  EXPECT_EQ(jf6->GetSortPresetField(1, 1), 1);
  EXPECT_EQ(jf6->GetSortPresetField(2, 1), 2);
  EXPECT_EQ(jf6->GetSortPresetField(3, 1), -1);
  EXPECT_EQ(jf6->GetDefault(1), "none");
  FilterPreset filter = jf6->GetFilterPreset(1);
  EXPECT_EQ(filter.name, "F1");
  EXPECT_EQ(filter.texts, (std::array<std::string, 5>{"x", "", "", "", ""}));
  EXPECT_EQ(filter.number, 65535);
  EXPECT_EQ(filter.small, (std::array<int8_t, 5>{0, 1, 4, 0, 0}));
  EXPECT_EQ(jf6->Block().GetFieldOption(3, 2), 0xABCDu);

  auto jf5 = Load(Jf6Fixture(), LibraryGeneration::kEarlier);
  EXPECT_EQ(jf5->GetFieldTypeName(2), "DATE");
  EXPECT_EQ(jf5->GetSortPresetName(1), "ByTitle");
}

TEST(LayoutFixtureTest, LayoutFollowsTheCreatorNotTheType) {
  struct Case {
    std::function<std::string()> fixture;
    const char* type;
    DataBaseMode mode;
  };
  const Case cases[] = {{ProFixture, "JfD5", DataBaseMode::PRO},
                        {Jf6Fixture, "JfDb", DataBaseMode::JF6},
                        {StdFixture, "DATA", DataBaseMode::STD}};
  for (const Case& c : cases) {
    std::string bytes = c.fixture();
    Place(bytes, 60, c.type);
    auto db = Load(bytes);
    EXPECT_EQ(db->GetDataBaseMode(), c.mode) << c.type;
    EXPECT_EQ(IdText(db->Header().type), c.type);  // carried as it is
  }
}

// ---- Saving ----

TEST(SaveTest, NewDatabaseSavedAtOnce) {
  TJFILE db;
  EXPECT_EQ(db.GetDataBaseMode(), DataBaseMode::JF6);
  std::string saved = Save(db);
  std::string header = Header("Untitled", "0008 0001", "00000050", R"("JfD5" "JFi5" 00000000 00000000 0000)");
  Place(header, 36, saved.substr(36, 8));  // the clock's creation and modification times
  Place(header, 44, Hex("00000000 000008EF"));
  std::string block(1702, '\0');
  for (int i = 0; i < 50; ++i) Place(block, 1154 + 2 * i, Hex("0064"));
  Place(block, 1150, Hex("0000 0240"));
  Place(block, 1254, Hex("0064 0001 0002 0003 0001 0001"));
  Place(block, 1300, Hex("0001"));
  std::string expected = header + Hex("0000") + block + Hex("00000000") + Hex(R"("EndJFileData" 00 00)");
  EXPECT_EQ(ToHex(saved), ToHex(expected));
}

TEST(SaveTest, BlockOffsetIsPaddedToFour) {
  TJFILE db;
  db.SetDataBaseMode(DataBaseMode::PRO);
  db.SetFieldCount(1);
  db.SetRecordCount(3);
  std::string saved = Save(db);
  EXPECT_EQ(saved.substr(52, 4), Hex("00000068"));  // 78 + 24 = 102, padded to 104
  EXPECT_EQ(saved.substr(102, 2), Hex("0000"));
}

TEST(SaveTest, TypesAsTheyStoodWhenTheSaveBegan) {
  TJFILE db;
  db.SetFieldCount(3);
  db.SetFieldType(field_type::kMultList, 1);
  db.SetFieldType(field_type::kRelList, 2);
  db.SetPopupValue("one", 1, 1);
  db.SetPopupValue("two", 1, 2);
  std::string first = Save(db);
  // The file holds 81, 69 and 0; memory has 64, 64 and 1 afterwards, and a second save writes those.
  EXPECT_EQ(first.substr(80 + 1050, 6), Hex("0051 0045 0000"));
  EXPECT_EQ(db.GetFieldType(1), field_type::kList);
  EXPECT_EQ(db.GetFieldType(2), field_type::kList);
  EXPECT_EQ(db.GetFieldType(3), field_type::kString);
  std::string second = Save(db);
  EXPECT_EQ(second.substr(80 + 1050, 6), Hex("0040 0040 0001"));
}

TEST(SaveTest, ValueLimitsPerLayoutAndGeneration) {
  struct Case {
    LibraryGeneration writer;
    DataBaseMode mode;
    size_t length;
    LibraryGeneration reader;
    size_t expected;
  };
  const Case cases[] = {
      {LibraryGeneration::kCurrent, DataBaseMode::PRO, 5000, LibraryGeneration::kCurrent, 4000},
      {LibraryGeneration::kCurrent, DataBaseMode::STD, 5000, LibraryGeneration::kCurrent, 4000},
      {LibraryGeneration::kCurrent, DataBaseMode::JF5, 5000, LibraryGeneration::kCurrent, 4000},
      {LibraryGeneration::kCurrent, DataBaseMode::JF6, 5000, LibraryGeneration::kCurrent, 5000},
      {LibraryGeneration::kCurrent, DataBaseMode::JF6, 40000, LibraryGeneration::kCurrent, 32000},
      {LibraryGeneration::kMerger, DataBaseMode::JF6, 20000, LibraryGeneration::kCurrent, 16000},
      {LibraryGeneration::kCurrent, DataBaseMode::JF6, 20000, LibraryGeneration::kMerger, 16000},
      {LibraryGeneration::kEarlier, DataBaseMode::PRO, 5000, LibraryGeneration::kCurrent, 5000},
      {LibraryGeneration::kEarlier, DataBaseMode::JF5, 40000, LibraryGeneration::kEarlier, 32000},
      {LibraryGeneration::kEarlier, DataBaseMode::STD, 40000, LibraryGeneration::kEarlier, 32000},
      // The 16-bit length table cannot describe more than 65534 characters.
      {LibraryGeneration::kEarlier, DataBaseMode::PRO, 70000, LibraryGeneration::kCurrent, 32000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << static_cast<int>(c.mode) << " " << c.length);
    TJFILE db(c.writer);
    db.SetDataBaseMode(c.mode);
    db.SetFieldCount(2);
    db.SetRecordCount(1);
    db.SetFieldValue(std::string(c.length, 'v'), 1, 1);
    db.SetFieldValue("after", 2, 1);
    auto back = Load(Save(db), c.reader);
    EXPECT_EQ(back->GetFieldValue(1, 1).size(), c.expected);
    EXPECT_EQ(back->GetFieldValue(2, 1), "after");
  }
}

TEST(SaveTest, EarlierGenerationKeepsTheLongValuesOfAJf6File) {
  TJFILE db;
  db.SetFieldCount(2);
  db.SetRecordCount(1);
  db.SetFieldValue(std::string(10000, 'v'), 1, 1);
  db.SetFieldValue("after", 2, 1);
  db.SetDefault(std::string(10000, 'd'), 2);
  auto earlier = Load(Save(db), LibraryGeneration::kEarlier);
  EXPECT_EQ(earlier->GetFieldValue(1, 1).size(), 10000u);
  auto back = Load(Save(*earlier));
  EXPECT_EQ(back->GetFieldValue(1, 1), std::string(10000, 'v'));
  EXPECT_EQ(back->GetFieldValue(2, 1), "after");
  EXPECT_EQ(back->GetDefault(2), std::string(10000, 'd'));
}

TEST(SaveTest, RecordsWrittenPerLayout) {
  for (DataBaseMode mode : {DataBaseMode::STD, DataBaseMode::PRO, DataBaseMode::JF6}) {
    TJFILE db;
    db.SetDataBaseMode(mode);
    db.SetFieldCount(2);
    db.SetRecordCount(1);
    db.SetFieldValue("ab", 1, 1);
    db.SetFieldValue(std::string("c\0d", 3), 2, 1);  // a NUL inside a value would split it: cut there
    auto view = model_test::ViewOf(Save(db));
    ASSERT_EQ(view.records.size(), 1u);
    std::string texts = Hex(R"("ab" 00 "c" 00)");
    EXPECT_EQ(ToHex(view.records[0]), ToHex(mode == DataBaseMode::STD ? texts : Hex("0003 0002") + texts));
  }
}

TEST(SaveTest, DeletedRecordsAreDropped) {
  std::string bytes = ProFixture();
  Place(bytes, 78 + 4, Hex("80"));  // record 1 deleted
  auto db = Load(bytes);
  ASSERT_EQ(db->RecordCount(), 1);
  EXPECT_EQ(db->GetFieldValue(1, 1), "Bob");
  EXPECT_EQ(db->RecordOffset(1), 0x731u);
  auto view = model_test::ViewOf(Save(*db));
  ASSERT_EQ(view.records.size(), 1u);
  EXPECT_EQ(view.records[0], Hex(R"(0004 0005 "Bob" 00 "Blue" 00)"));
}

TEST(SaveTest, SortInfoOffsetIsNotCarriedIntoTheNewFile) {
  std::string bytes = ProFixture();
  Place(bytes, 56, Hex("00000720"));
  auto db = Load(bytes);
  EXPECT_EQ(Save(*db).substr(56, 4), Hex("00000000"));
}

TEST(SaveTest, SaveAsReplacesTheFileWhole) {
  jf::testing::TempDir dir;
  std::string path = dir.File("big.pdb");
  jf::testing::WriteFileBytes(path, Jf6Fixture());
  TJFILE db;
  db.OpenFile(path);
  db.SetDataBaseMode(DataBaseMode::STD);
  db.SaveAs("A name that is longer than thirty-one characters");
  std::string saved = jf::testing::ReadFileBytes(path);
  EXPECT_EQ(saved.size(), 692u);  // 96 + the 564-byte block + 12 bytes of popup list + records of 12 and 8
  EXPECT_EQ(saved.substr(0, 32), std::string("A name that is longer than thir") + '\0');
  EXPECT_FALSE(db.IsModified());
  model_test::ExpectPalmPdbAgrees(saved);
  auto back = Load(saved);
  EXPECT_EQ(back->GetDataBaseMode(), DataBaseMode::STD);
  EXPECT_EQ(back->GetFieldValue(1, 1), "Dune");
  EXPECT_EQ(back->GetFieldValue(3, 2), "B");
}

TEST(SaveTest, SaveAsRewritesAndCutsACallersStream) {
  auto stream = std::make_unique<MemoryStream>(Jf6Fixture() + std::string(500, 'x'));
  MemoryStream* raw = stream.get();
  TJFILE db;
  db.OpenStream(std::move(stream));
  db.SetDataBaseMode(DataBaseMode::PRO);
  db.SaveAs("Same");
  auto back = Load(raw->bytes());
  EXPECT_EQ(back->GetDataBaseMode(), DataBaseMode::PRO);
  EXPECT_EQ(back->GetFieldValue(3, 2), "B");
  EXPECT_EQ(raw->bytes().back(), '\0');  // the old tail is gone: the file ends with the last record's NUL
  model_test::ExpectPalmPdbAgrees(raw->bytes());
}

TEST(SaveTest, FailedSaveAsLeavesTheObjectAsItWas) {
  jf::testing::TempDir dir;
  std::string path = dir.File("sub/x.pdb");
  TJFILE db;
  std::filesystem::create_directory(dir.File("sub"));
  db.CreateNew(path);
  db.SetFieldCount(1);
  db.SetRecordCount(2);
  std::filesystem::remove_all(dir.File("sub"));
  EXPECT_THROW(db.SaveAs("x"), EInOutError);
  EXPECT_TRUE(db.IsModified());
  EXPECT_EQ(db.Header().app_info_offset, 0u);
  EXPECT_EQ(db.RecordOffset(2), 0u);
}

// ---- Values and setters ----

TEST(ValueTest, BooleanTextsAndDisplay) {
  TJFILE db;
  db.SetFieldCount(2);
  db.SetFieldType(field_type::kBoolean, 1);
  db.SetRecordCount(1);
  db.SetFieldValue("true", 1, 1);
  EXPECT_EQ(db.GetFieldValue(1, 1), "1");
  EXPECT_EQ(db.GetDisplayValue(1, 1), "TRUE");
  db.SetFieldValue("False", 1, 1);
  EXPECT_EQ(db.GetFieldValue(1, 1), "0");
  EXPECT_EQ(db.GetDisplayValue(1, 1), "FALSE");
  db.SetFieldValue("maybe", 1, 1);
  EXPECT_EQ(db.GetDisplayValue(1, 1), "maybe");
  db.SetTrueText("Ja");
  db.SetFieldValue("JA", 1, 1);
  EXPECT_EQ(db.GetFieldValue(1, 1), "1");
  EXPECT_EQ(db.GetDisplayValue(1, 1), "Ja");
  // Other types keep the text.
  db.SetFieldValue("true", 2, 1);
  EXPECT_EQ(db.GetFieldValue(2, 1), "true");
}

TEST(ValueTest, OutOfRangeReadsEmptyAndWritesNothing) {
  auto db = Load(ProFixture());
  for (auto [i, r] : {std::pair{0, 1}, {3, 1}, {1, 0}, {1, 3}, {51, 1}, {-1, -1}}) {
    EXPECT_EQ(db->GetFieldValue(i, r), "") << i << "," << r;
    if (i != 3) db->SetFieldValue("x", i, r);  // field 3 has room in the holder, beyond the field count
  }
  EXPECT_FALSE(db->IsModified());
  db->SetFieldValue("x", 3, 1);
  EXPECT_EQ(db->GetFieldValue(3, 1), "");
  db->SetFieldCount(3);
  EXPECT_EQ(db->GetFieldValue(3, 1), "x");
}

TEST(ValueTest, FieldWidthSignRule) {
  struct Case {
    DataBaseMode mode;
    int set;
    int get;
  };
  const Case cases[] = {{DataBaseMode::JF6, 7, 20},   {DataBaseMode::JF6, -7, -20}, {DataBaseMode::JF6, 0, 0},
                        {DataBaseMode::JF6, 19, 20},  {DataBaseMode::JF6, 25, 25},  {DataBaseMode::PRO, 7, 20},
                        {DataBaseMode::PRO, 0, 20},   {DataBaseMode::STD, -7, 32767},
                        {DataBaseMode::JF6, INT32_MIN, 0}, {DataBaseMode::JF6, -20, -20}};
  for (const Case& c : cases) {
    TJFILE db;
    db.SetFieldCount(1);  // the conversion carries the field's width of 100
    db.SetDataBaseMode(c.mode);
    db.SetFieldWidth(c.set, 1);
    EXPECT_EQ(db.GetFieldWidth(1), c.get) << c.set;
  }
}

TEST(ValueTest, FieldCountBeyondTheLayoutIsRefused) {
  TJFILE db;
  db.SetFieldCount(50);
  try {
    db.SetFieldCount(51);
    ADD_FAILURE();
  } catch (const ERangeError& e) {
    EXPECT_STREQ(e.what(), "Too many fields in database: 51 (at most 50)");
  }
  db.SetDataBaseMode(DataBaseMode::STD);
  EXPECT_EQ(db.GetFieldCount(), 20);
  EXPECT_THROW(db.SetFieldCount(21), ERangeError);
  EXPECT_THROW(db.SetFieldCount(-1), ERangeError);
  EXPECT_EQ(db.GetFieldCount(), 20);
}

TEST(ValueTest, TypeOutsideTheFieldCountReadsZero) {
  TJFILE db;
  db.SetFieldType(field_type::kBoolean, 2);
  EXPECT_EQ(db.GetFieldType(2), 0);
  db.SetFieldCount(2);
  EXPECT_EQ(db.GetFieldType(2), field_type::kBoolean);
  db.SetFieldType(field_type::kIntDate, 1);
  EXPECT_EQ(db.GetFieldType(1), field_type::kIntDate);
  EXPECT_EQ(db.GetFieldTypeName(1), "INT.DATE");
  TJFILE earlier(LibraryGeneration::kEarlier);
  EXPECT_EQ(earlier.GetDataBaseMode(), DataBaseMode::JF5);
  earlier.SetFieldCount(1);
  earlier.SetFieldType(field_type::kIntDate, 1);
  EXPECT_EQ(earlier.GetFieldType(1), field_type::kDate);
}

// Each setter marks the database only when it changes something.
TEST(ModifiedTest, SettersMarkOnlyRealChanges) {
  struct Case {
    const char* label;
    std::function<void(TJFILE&)> same;
    std::function<void(TJFILE&)> change;
  };
  const std::vector<Case> cases = {
      {"field count", [](TJFILE& d) { d.SetFieldCount(3); }, [](TJFILE& d) { d.SetFieldCount(2); }},
      {"name", [](TJFILE& d) { d.SetFieldName("Title", 1); }, [](TJFILE& d) { d.SetFieldName("T", 1); }},
      {"long name", [](TJFILE& d) { d.SetFieldName("Title", 1); },
       [](TJFILE& d) { d.SetFieldName("ABCDEFGHIJKLMNOPQRSTU", 1); }},
      {"type", [](TJFILE& d) { d.SetFieldType(0xFFFF, 2); }, [](TJFILE& d) { d.SetFieldType(4, 2); }},
      {"width", [](TJFILE& d) { d.SetFieldWidth(-5, 2); }, [](TJFILE& d) { d.SetFieldWidth(5, 2); }},
      {"view", [](TJFILE& d) { d.SetViewWidth(100); }, [](TJFILE& d) { d.SetViewWidth(99); }},
      {"sort", [](TJFILE& d) { d.SetSortField(1, 1); }, [](TJFILE& d) { d.SetSortField(2, 1); }},
      {"find field", [](TJFILE& d) { d.SetFindField(1); }, [](TJFILE& d) { d.SetFindField(3); }},
      {"filter field", [](TJFILE& d) { d.SetFilterField(1); }, [](TJFILE& d) { d.SetFilterField(3); }},
      {"find text", [](TJFILE& d) { d.SetFindString(""); }, [](TJFILE& d) { d.SetFindString("a"); }},
      {"filter text", [](TJFILE& d) { d.SetFilterString(""); }, [](TJFILE& d) { d.SetFilterString("a"); }},
      {"first column", [](TJFILE& d) { d.SetFirstColumn(1); }, [](TJFILE& d) { d.SetFirstColumn(2); }},
      {"category", [](TJFILE& d) { d.SetCategory(0x15); }, [](TJFILE& d) { d.SetCategory(4); }},
      {"read-only", [](TJFILE& d) { d.SetReadOnly(true); }, [](TJFILE& d) { d.SetReadOnly(false); }},
      {"value", [](TJFILE& d) { d.SetFieldValue("Dune", 1, 1); }, [](TJFILE& d) { d.SetFieldValue("D", 1, 1); }},
      {"record count", [](TJFILE& d) { d.SetRecordCount(2); }, [](TJFILE& d) { d.SetRecordCount(3); }},
      {"mode", [](TJFILE& d) { d.SetDataBaseMode(DataBaseMode::JF6); },
       [](TJFILE& d) { d.SetDataBaseMode(DataBaseMode::JF5); }},
      {"popup", [](TJFILE& d) { d.SetPopupValue("B", 2, 3); }, [](TJFILE& d) { d.SetPopupValue("C", 2, 3); }},
      {"default", [](TJFILE& d) { d.SetDefault("none", 1); }, [](TJFILE& d) { d.SetDefault("", 1); }},
      {"sort preset", [](TJFILE& d) { d.SetSortPresetName("ByTitle", 1); },
       [](TJFILE& d) { d.SetSortPresetName("x", 1); }},
      {"sort preset field", [](TJFILE& d) { d.SetSortPresetField(0xFFFF, 3, 1); },
       [](TJFILE& d) { d.SetSortPresetField(3, 3, 1); }},
      {"filter preset", [](TJFILE& d) { d.SetFilterPreset(d.GetFilterPreset(1), 1); },
       [](TJFILE& d) { d.SetFilterPreset(FilterPreset(), 1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    auto db = Load(Jf6Fixture());
    c.same(*db);
    EXPECT_FALSE(db->IsModified());
    c.change(*db);
    EXPECT_TRUE(db->IsModified());
  }
  auto bool_db = Load(StdFixture());
  bool_db->SetFieldValue("true", 2, 1);  // already stored as "1"
  EXPECT_FALSE(bool_db->IsModified());
}

// Setters compare what the getter reads, not the block's bytes: a slot may hold bytes after the text's NUL, and
// a value the block cuts or limits may already be what it holds.
TEST(ModifiedTest, SettersCompareWhatTheGetterReads) {
  std::string bytes = ProFixture();
  Place(bytes, 96 + 0, Hex(R"("Name" 00 "old")"));
  auto db = Load(bytes);
  db->SetFieldName("Name", 1);
  db->SetFindString("An");  // the find text has bytes after its NUL too
  EXPECT_FALSE(db->IsModified());
  db->SetFieldName("ABCDEFGHIJKLMNOPQRST", 1);
  db->SetFindString("ABCDEFGHIJKLMNO");
  db->SetViewWidth(0xFFFF);
  Save(*db);
  db->SetFieldName("ABCDEFGHIJKLMNOPQRSTU", 1);  // cut to the name it already has
  db->SetFindString("ABCDEFGHIJKLMNOP");
  db->SetViewWidth(-1);  // the same 16 bits
  EXPECT_FALSE(db->IsModified());
}

TEST(ModifiedTest, UpdatesGroupMarks) {
  auto db = Load(ProFixture());
  db->BeginUpdate();
  db->BeginUpdate();
  db->SetFieldName("X", 1);
  db->EndUpdate();
  EXPECT_FALSE(db->IsModified());
  db->EndUpdate();
  EXPECT_TRUE(db->IsModified());
  Save(*db);
  EXPECT_FALSE(db->IsModified());
  db->BeginUpdate();
  db->SetFieldName("X", 1);  // no change inside: the end of the bracket marks all the same
  EXPECT_FALSE(db->IsModified());
  db->EndUpdate();
  EXPECT_TRUE(db->IsModified());
  Save(*db);
  db->EndUpdate();  // an unmatched end neither marks nor lets the depth go below zero
  EXPECT_FALSE(db->IsModified());
  db->BeginUpdate();
  db->SetFieldName("Y", 1);
  EXPECT_FALSE(db->IsModified());
  db->EndUpdate();
  EXPECT_TRUE(db->IsModified());
}

TEST(RecordCountTest, GrowsWithEmptyHoldersAndShrinks) {
  auto db = Load(ProFixture());
  db->SetRecordCount(4);
  EXPECT_EQ(db->RecordCount(), 4);
  EXPECT_EQ(db->RecordList().size(), 4u);
  EXPECT_EQ(db->GetFieldValue(1, 4), "");
  db->SetFieldValue("Cy", 1, 4);
  db->SetRecordCount(1);
  EXPECT_EQ(db->GetFieldValue(1, 1), "Ann");
  db->SetRecordCount(2);
  EXPECT_EQ(db->GetFieldValue(1, 2), "");
  EXPECT_EQ(model_test::ViewOf(Save(*db)).records.size(), 2u);
}

// ---- Category and read-only ----

TEST(CategoryTest, PlacePerLayout) {
  auto pro = Load(ProFixture());
  pro->SetCategory(9);
  pro->SetReadOnly(true);
  std::string saved = Save(*pro);
  EXPECT_EQ(saved.substr(96 + 1298, 2), Hex("9002"));
  EXPECT_EQ(saved.substr(32, 4), Hex("0008 0001"));

  auto jf6 = Load(Jf6Fixture());
  jf6->SetCategory(0x1C);
  jf6->SetReadOnly(false);
  saved = Save(*jf6);
  EXPECT_EQ(saved.substr(32, 4), Hex("0008 C001"));
  EXPECT_EQ(saved.substr(96 + 1298, 2), Hex("0000"));
}

// ---- Layout conversions ----

struct Source {
  DataBaseMode mode;
  std::function<std::unique_ptr<TJFILE>(LibraryGeneration)> load;
  int category;
  bool read_only;
};

std::vector<Source> Sources() {
  return {
      {DataBaseMode::STD, [](LibraryGeneration g) { return Load(StdFixture(), g); }, 7, true},
      {DataBaseMode::PRO, [](LibraryGeneration g) { return Load(ProFixture(), g); }, 3, false},
      {DataBaseMode::JF5,
       [](LibraryGeneration g) {
         auto db = Load(Jf6Fixture(), g);
         db->SetDataBaseMode(DataBaseMode::JF5);
         return db;
       },
       5, true},
      {DataBaseMode::JF6, [](LibraryGeneration g) { return Load(Jf6Fixture(), g); }, 5, true},
  };
}

TEST(ConversionTest, EveryPairKeepsFieldsValuesCategoryAndReadOnly) {
  for (LibraryGeneration generation : {LibraryGeneration::kCurrent, LibraryGeneration::kEarlier}) {
    for (const Source& from : Sources()) {
      for (DataBaseMode to : {DataBaseMode::STD, DataBaseMode::PRO, DataBaseMode::JF5, DataBaseMode::JF6}) {
        bool earlier = generation == LibraryGeneration::kEarlier;
        if (from.mode == to || (earlier && (from.mode == DataBaseMode::JF6 || to == DataBaseMode::JF6))) continue;
        SCOPED_TRACE(::testing::Message() << "generation " << static_cast<int>(generation) << ": "
                                        << static_cast<int>(from.mode) << " -> " << static_cast<int>(to));
        auto db = from.load(generation);
        int fields = db->GetFieldCount();
        std::vector<std::vector<std::string>> values;
        for (int r = 1; r <= db->RecordCount(); ++r) {
          values.emplace_back();
          for (int i = 1; i <= fields; ++i) values.back().push_back(db->GetFieldValue(i, r));
        }
        std::vector<std::string> names;
        for (int i = 1; i <= fields; ++i) names.push_back(db->GetFieldName(i));
        uint16_t old_attributes = db->Header().attributes;

        Save(*db);  // clears the mark
        db->SetDataBaseMode(to);
        EXPECT_TRUE(db->IsModified());
        EXPECT_EQ(db->GetDataBaseMode(), to);
        EXPECT_EQ(db->Header().type, ModeType(to));
        EXPECT_EQ(db->Header().creator, ModeCreator(to));
        EXPECT_EQ(db->GetCategory(), from.category);
        EXPECT_EQ(db->GetReadOnly(), from.read_only);
        bool into5 = to == DataBaseMode::JF5 || to == DataBaseMode::JF6;
        bool from5 = from.mode == DataBaseMode::JF5 || from.mode == DataBaseMode::JF6;
        if (into5 && !from5) {
          uint16_t expected = static_cast<uint16_t>((from.category << 12) | 0x0800 | (from.read_only ? 0x0400 : 0) |
                                                    (old_attributes & 0x0008));
          EXPECT_EQ(db->Header().attributes, expected);
        } else {
          EXPECT_EQ(db->Header().attributes, old_attributes);
        }

        auto back = Reload(*db);
        EXPECT_EQ(back->GetCategory(), from.category);
        EXPECT_EQ(back->GetReadOnly(), from.read_only);
        EXPECT_EQ(IdText(back->Header().type), to == DataBaseMode::STD || to == DataBaseMode::PRO ? "JfDb" : "JfD5");
        ASSERT_EQ(back->GetFieldCount(), fields);
        for (int i = 1; i <= fields; ++i) EXPECT_EQ(back->GetFieldName(i), names[static_cast<size_t>(i - 1)]);
        ASSERT_EQ(back->RecordCount(), static_cast<int>(values.size()));
        for (int r = 1; r <= back->RecordCount(); ++r) {
          for (int i = 1; i <= fields; ++i) {
            EXPECT_EQ(back->GetFieldValue(i, r), values[static_cast<size_t>(r - 1)][static_cast<size_t>(i - 1)]);
          }
        }
        EXPECT_EQ(back->PopupCount(from.mode == DataBaseMode::STD ? 1 : (from.mode == DataBaseMode::PRO ? 2 : 3)),
                  2);
      }
    }
  }
}

TEST(ConversionTest, IntoStdFromJf6) {
  auto db = Load(Jf6Fixture());
  db->SetDataBaseMode(DataBaseMode::STD);
  EXPECT_EQ(db->GetFieldType(2), field_type::kDate);
  EXPECT_EQ(db->GetFieldWidth(2), 32767);  // -20 taken as an unsigned width
  EXPECT_EQ(db->Block().GetFlags(), 0x5002);
  EXPECT_EQ(db->Block().GetAppInfoStamp(), 452);
  EXPECT_EQ(db->Block().GetPassword(), "");
  EXPECT_EQ(db->GetSortPresetName(1), "");  // presets are out of reach outside JFile 5
  std::string saved = Save(*db);
  EXPECT_EQ(saved.substr(60, 8), "JfDbJBas");
  EXPECT_EQ(saved.substr(96 + 420, 6), Hex("0001 0004 0040"));
  // Back into JFile 5 the presets are there again.
  db->SetDataBaseMode(DataBaseMode::JF6);
  EXPECT_EQ(db->GetSortPresetName(1), "ByTitle");
}

TEST(ConversionTest, ThirtyFieldsIntoStd) {
  TJFILE db;
  db.SetDataBaseMode(DataBaseMode::PRO);
  db.SetFieldCount(30);
  db.SetRecordCount(1);
  for (int i = 1; i <= 30; ++i) {
    db.SetFieldName("F" + std::to_string(i), i);
    db.SetFieldValue("v" + std::to_string(i), i, 1);
  }
  db.SetSortField(25, 1);
  db.SetSortField(31, 2);
  db.SetFindField(30);
  db.SetFirstColumn(40);
  db.SetDataBaseMode(DataBaseMode::STD);
  EXPECT_EQ(db.GetFieldCount(), 20);
  EXPECT_EQ(db.GetFieldName(20), "F20");
  EXPECT_EQ(db.GetSortField(1), 25);  // limited by the old field count, not by 20
  EXPECT_EQ(db.GetSortField(2), 30);
  EXPECT_EQ(db.GetFindField(), 30);
  EXPECT_EQ(db.GetFirstColumn(), 30);
  auto back = Reload(db);
  ASSERT_EQ(back->GetFieldCount(), 20);
  EXPECT_EQ(back->GetFieldValue(20, 1), "v20");
  EXPECT_EQ(back->GetFieldValue(21, 1), "");
  EXPECT_EQ(IdText(back->Header().creator), "JBas");
}

TEST(ConversionTest, IntDateMark) {
  // JF6 into JF5 keeps the block, so the mark stays in memory and in the file.
  auto db = Load(Jf6Fixture());
  db->SetDataBaseMode(DataBaseMode::JF5);
  EXPECT_EQ(db->GetFieldType(2), field_type::kIntDate);
  EXPECT_EQ(Save(*db).substr(96 + 1306, 4), Hex("00000001"));
  // Into PRO the options tables start from zero.
  auto pro = Load(Jf6Fixture());
  pro->SetDataBaseMode(DataBaseMode::PRO);
  EXPECT_EQ(pro->GetFieldType(2), field_type::kDate);
  std::string saved = Save(*pro);
  EXPECT_EQ(saved.substr(96 + 1306, 4), Hex("00000000"));
  EXPECT_EQ(saved.substr(96 + 1510, 4), Hex("00000000"));
  // From PRO into JF6 an INT.DATE can be set again.
  pro->SetDataBaseMode(DataBaseMode::JF6);
  pro->SetFieldType(field_type::kIntDate, 2);
  EXPECT_EQ(Reload(*pro)->GetFieldType(2), field_type::kIntDate);
  // Any other type takes the mark away: INT.DATE -> STRING -> DATE is a plain DATE, and the STRING field's
  // file carries no mark.
  auto jf6 = Load(Jf6Fixture());
  jf6->SetFieldType(field_type::kString, 2);
  EXPECT_EQ(Save(*jf6).substr(96 + 1306, 4), Hex("00000000"));
  jf6->SetFieldType(field_type::kDate, 2);
  EXPECT_EQ(jf6->GetFieldType(2), field_type::kDate);
  EXPECT_EQ(Reload(*jf6)->GetFieldType(2), field_type::kDate);
}

TEST(ConversionTest, EarlierGenerationWritesJfDbAndHasNoJf6) {
  auto db = Load(Jf6Fixture(), LibraryGeneration::kEarlier);
  EXPECT_EQ(db->GetDataBaseMode(), DataBaseMode::JF5);
  db->SetDataBaseMode(DataBaseMode::JF6);
  EXPECT_EQ(db->GetDataBaseMode(), DataBaseMode::JF5);
  EXPECT_FALSE(db->IsModified());
  db->SetDataBaseMode(DataBaseMode::STD);
  EXPECT_EQ(IdText(db->Header().type), "JfDb");
}

// ---- Damaged files ----


TEST(DamagedFileTest, TooManyFieldsIsRejected) {
  std::string pro = ProFixture();
  Place(pro, 96 + 1150, Hex("003C"));
  EXPECT_EQ(LoadError(pro), "Too many fields in database: 60 (at most 50)");
  std::string std_db = StdFixture();
  Place(std_db, 96 + 460, Hex("0015"));
  EXPECT_EQ(LoadError(std_db), "Too many fields in database: 21 (at most 20)");
  Place(std_db, 96 + 460, Hex("FFFF"));
  EXPECT_EQ(LoadError(std_db), "Too many fields in database: 65535 (at most 20)");
}

TEST(DamagedFileTest, NotJFileAndRecordListPastTheEnd) {
  std::string memo = ProFixture();
  Place(memo, 64, "memo");
  EXPECT_EQ(LoadError(memo), "Not a JFile/JFile Pro database!");
  EXPECT_EQ(LoadError(""), "Not a JFile/JFile Pro database!");
  // 65535 records declared in a 200-byte file.
  std::string huge = ProFixture().substr(0, 200);
  Place(huge, 76, Hex("FFFF"));
  EXPECT_EQ(LoadError(huge), "Damaged database: the record list runs past the end of the file");
}

TEST(DamagedFileTest, LengthTableEntriesAreCutAtTheLimitAndTheEnd) {
  // A JF6 file with one record whose first entry says 40000 bytes and is followed by them, then two fields.
  // Dropping the second record entry moves everything after the list back by 8 bytes.
  std::string fixed = Jf6Fixture().substr(0, 0x771);
  fixed.erase(86, 8);
  Place(fixed, 52, Hex("00000058"));
  Place(fixed, 76, Hex("0001 00000769 00 000001"));
  std::string record = Hex("9C40 0003 0001") + std::string(39999, 'w') + Hex(R"(00 "ok" 00 00)");
  auto loaded = Load(fixed + record);
  EXPECT_EQ(loaded->GetFieldValue(1, 1), std::string(32000, 'w'));
  EXPECT_EQ(loaded->GetFieldValue(2, 1), "ok");
  EXPECT_EQ(loaded->GetFieldValue(3, 1), "");
  // The same record cut short: its values, or its length table, run past its end.
  EXPECT_EQ(LoadError(fixed + record.substr(0, 106)),
            "Damaged database: the values of record 1 run past the end of the record");
  EXPECT_EQ(LoadError(fixed + record.substr(0, 5)),
            "Damaged database: the length table of record 1 runs past the end of the record");
  // A value one byte short of its length entry is as damaged as a missing one.
  EXPECT_EQ(LoadError(fixed + record.substr(0, record.size() - 1)),
            "Damaged database: the values of record 1 run past the end of the record");
}

std::string ProWithoutFields() {
  std::string bytes = ProFixture();
  Place(bytes, 96 + 1150, Hex("0000"));
  return bytes;
}

// Either the records' first values as loaded, or the load error.
TEST(DamagedFileTest, RecordOffsetsThatContradictTheFile) {
  struct Case {
    const char* label;
    std::function<std::string()> fixture;
    std::string list;
    std::vector<std::string> first_fields;
    std::string error;
  };
  const std::string damaged = "Damaged database: ";
  const Case cases[] = {
      {"past the end", ProFixture, "00000725 00 000001  0000FFFF 00 000002", {},
       damaged + "record 2 starts past the end of the file"},
      {"one past the end", ProFixture, "00000725 00 000001  0000073F 00 000002", {},
       damaged + "record 2 starts past the end of the file"},
      {"inside the header", ProFixture, "00000010 00 000001  00000731 00 000002", {},
       damaged + "record 1 starts inside the header or the record list"},
      {"inside the record list", ProFixture, "0000005D 00 000001  00000731 00 000002", {},
       damaged + "record 1 starts inside the header or the record list"},
      {"descending", ProFixture, "00000731 00 000001  00000725 00 000002", {"Bob", "Ann"}, ""},
      {"deleted entry pointing nowhere", ProFixture, "0000FFFF 80 000001  00000731 00 000002", {"Bob"}, ""},
      {"the same offset twice", ProFixture, "00000725 00 000001  00000725 00 000002", {},
       damaged + "the length table of record 1 runs past the end of the record"},
      {"at the end of the file", ProFixture, "00000725 00 000001  0000073E 00 000002", {},
       damaged + "the length table of record 2 runs past the end of the record"},
      {"no fields: both at the end", ProWithoutFields, "0000073E 00 000001  0000073E 00 000002", {"", ""}, ""},
      {"STD: the same offset twice", StdFixture, "000002A4 00 000001  000002A4 00 000002", {"", "Pen"}, ""},
      {"STD: at the end of the file", StdFixture, "000002A4 00 000001  000002B0 00 000002", {"Pen", ""}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string bytes = c.fixture();
    Place(bytes, 78, Hex(c.list));
    if (!c.error.empty()) {
      EXPECT_EQ(LoadError(bytes), c.error);
      continue;
    }
    auto db = Load(bytes);
    ASSERT_EQ(db->RecordCount(), static_cast<int>(c.first_fields.size()));
    for (size_t r = 0; r < c.first_fields.size(); ++r) {
      EXPECT_EQ(db->GetFieldValue(1, static_cast<int>(r + 1)), c.first_fields[r]);
    }
    Save(*db);
  }
}

TEST(DamagedFileTest, ManyEntriesForOneRecordDoNotMultiplyIt) {
  // 65535 list entries all point at one record of two 32000-character values; read each time, they would
  // need 4 GB. The bytes at one offset belong to one record only (the last entry there), so only it has data.
  // In STD the others read as empty records; with a length table the first of them is already damaged.
  const uint32_t count = 65535;
  const uint32_t block = 78 + count * 8 + 2;
  struct Case {
    const char* type_creator;
    size_t block_size;
    size_t field_count_at;
    std::string extra;
  };
  const Case cases[] = {
      {R"("JfDb" "JBas")", 564, 460, Hex("00000000")},
      {R"("JfDb" "JFil")", 1702, 1150, Hex(R"(00000000 "EndJFileData" 00 00)")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type_creator);
    const bool std_layout = c.block_size == 564;
    const uint32_t record = static_cast<uint32_t>(block + c.block_size + c.extra.size());
    std::string bytes = Header("Many", "0008 0001", "00000000",
                               std::string(c.type_creator) + " 00000000 00000000 FFFF");
    PutBig32(reinterpret_cast<uint8_t*>(bytes.data()) + 52, block);
    std::string entry(8, '\0');
    PutBig32(reinterpret_cast<uint8_t*>(entry.data()), record);
    for (uint32_t i = 0; i < count; ++i) bytes += entry;
    std::string info(c.block_size, '\0');
    Place(info, c.field_count_at, Hex("0002"));
    bytes += Hex("0000") + info + c.extra;
    ASSERT_EQ(bytes.size(), record);
    if (!std_layout) bytes += Hex("7D01 7D01");
    bytes += std::string(32000, 'a') + Hex("00") + std::string(32000, 'b') + Hex("00");
    if (!std_layout) {
      EXPECT_EQ(LoadError(bytes),
                "Damaged database: the length table of record 1 runs past the end of the record");
      continue;
    }
    auto db = Load(bytes);
    ASSERT_EQ(db->RecordCount(), 65535);
    EXPECT_EQ(db->GetFieldValue(1, 1), "");
    EXPECT_EQ(db->GetFieldValue(2, 65535), std::string(32000, 'b'));
  }
}

TEST(DamagedFileTest, StdTextWithoutItsNulAtTheEnd) {
  std::string bytes = StdFixture();
  bytes.pop_back();  // the last value loses its NUL
  auto db = Load(bytes);
  EXPECT_EQ(db->GetFieldValue(2, 2), "0");
  bytes.resize(bytes.size() - 2);  // record 2 now holds "Ink" and nothing after it
  auto cut = Load(bytes);
  EXPECT_EQ(cut->GetFieldValue(1, 2), "Ink");
  EXPECT_EQ(cut->GetFieldValue(2, 2), "");
}

TEST(DamagedFileTest, BlockOutsideTheFile) {
  const std::string past = "Damaged database: the application-info block runs past the end of the file";
  const std::string inside = "Damaged database: the application-info block starts inside the header or the record list";
  for (auto [offset, error] : {std::pair{"00100000", past}, {"FFFFFF00", past}, {"00000000", inside},
                               {"0000005D", inside}}) {
    SCOPED_TRACE(offset);
    std::string bytes = ProFixture();
    Place(bytes, 52, Hex(offset));
    EXPECT_EQ(LoadError(bytes), error);
  }
  // A file without records that ends right after its block loads; one byte less is damaged.
  TJFILE empty;
  empty.SetDataBaseMode(DataBaseMode::PRO);
  std::string bytes = Save(empty).substr(0, 80 + 1702);
  EXPECT_EQ(Load(bytes)->GetFieldCount(), 0);
  bytes.pop_back();
  EXPECT_EQ(LoadError(bytes), past);
}

}  // namespace
}  // namespace jf
