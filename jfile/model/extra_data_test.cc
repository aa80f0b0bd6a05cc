#include "jfile/model/extra_data.h"

#include <gtest/gtest.h>

#include "common/errors.h"
#include "jfile/model/app_info.h"
#include "jfile/model/jfile.h"
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

// A file without records: header (block at 80), the block with the field count, then the extra data as given
// and, outside STD, the trailer.
std::string WithExtra(DataBaseMode mode, int fields, const std::string& extra, bool trailer = true) {
  bool std_layout = mode == DataBaseMode::STD;
  std::string h(80, '\0');
  Place(h, 0, "X");
  Place(h, 32, Hex("0008 0001"));
  Place(h, 52, Hex("00000050"));
  Place(h, 60, std_layout ? "JfDbJBas" : (mode == DataBaseMode::PRO ? "JfDbJFil" : "JfD5JFi5"));
  std::string block(std_layout ? 564 : 1702, '\0');
  Place(block, std_layout ? 460 : 1150, Hex("00") + std::string(1, static_cast<char>(fields)));
  return h + block + extra + (trailer && !std_layout ? Hex(R"("EndJFileData" 00 00)") : "");
}

// The extra data of a saved file without records: from the end of the block to the trailer.
std::string SavedExtra(TJFILE& db) {
  std::string saved = Save(db);
  size_t start = db.Header().app_info_offset + db.Block().BlockSize();
  size_t end = db.GetDataBaseMode() == DataBaseMode::STD ? saved.size() : saved.rfind("EndJFileData");
  return saved.substr(start, end - start);
}


TEST(ReadTextTest, StopsAtNulOrTheEndAndKeepsTheLimit) {
  struct Case {
    std::string bytes;
    size_t limit;
    std::vector<std::string> texts;  // read one after the other
  };
  const Case cases[] = {
      {Hex(R"("abc" 00 "def" 00)"), 10, {"abc", "def", ""}},
      {Hex(R"("abc")"), 10, {"abc", ""}},                    // no NUL at the end of the stream
      {Hex(R"("abcdef" 00 "gh" 00)"), 3, {"abc", "gh"}},      // the rest of a long text is consumed
      {Hex(R"(00 00 "x")"), 10, {"", "", "x", ""}},
      {std::string(600, 'q') + Hex(R"(00 "z" 00)"), 1000, {std::string(600, 'q'), "z"}},
      {"", 10, {"", ""}},
  };
  for (const Case& c : cases) {
    MemoryStream stream(c.bytes);
    for (const std::string& expected : c.texts) EXPECT_EQ(ReadText(stream, c.limit), expected) << ToHex(c.bytes);
  }
}

TEST(WriteTextTest, WritesUpToTheFirstNul) {
  MemoryStream stream;
  WriteText("xyz", stream);
  WriteText(std::string("a\0b", 3), stream);
  WriteText("", stream);
  EXPECT_EQ(stream.bytes(), Hex(R"("xyz" 00 "a" 00 00)"));
}

TEST(FieldLetterTest, BothDirections) {
  for (auto [i, letter] : {std::pair{1, 'a'}, {26, 'z'}, {27, 'A'}, {50, 'X'}, {0, 'Z'}, {51, 'Z'}, {-3, 'Z'}}) {
    EXPECT_EQ(FieldLetter(i), letter) << i;
  }
  for (auto [letter, i] : {std::pair{'a', 1}, {'z', 26}, {'A', 27}, {'X', 50}, {'Y', 51}, {'Z', 52}}) {
    EXPECT_EQ(FieldOfLetter(letter), i) << letter;
  }
  for (char bad : {'1', '_', '{', '@', ' '}) {
    try {
      FieldOfLetter(bad);
      ADD_FAILURE() << bad;
    } catch (const EInOutError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Invalid Field Index: \"") + bad + "\"");
    }
  }
  EXPECT_EQ(PresetLetter(1), 'a');
  EXPECT_EQ(PresetLetter(5), 'e');
}

TEST(ExtraDataReadTest, MarkersPerLayout) {
  const std::string extra = Hex(R"("soortb" 00 "n" 00 "1" 00 "-2" 00 "3" 00 "popupa" 00 "x" 00 "soortc" 00 00)");
  // In PRO and STD the text soortb is no marker: the extra data ends at it.
  for (DataBaseMode mode : {DataBaseMode::PRO, DataBaseMode::STD}) {
    auto db = Load(WithExtra(mode, 2, extra));
    EXPECT_EQ(db->PopupCount(1), 0);
  }
  auto jf6 = Load(WithExtra(DataBaseMode::JF6, 2, extra));
  EXPECT_EQ(jf6->GetSortPresetName(2), "n");
  EXPECT_EQ(jf6->GetSortPresetField(2, 2), -2);
  EXPECT_EQ(jf6->GetSortPresetField(3, 2), 3);
  EXPECT_EQ(jf6->PopupCount(1), 1);  // a marker ends the list: soortc is not a value
  EXPECT_EQ(jf6->GetSortPresetName(3), "");
  // Inside a PRO popup list the same text is just a value.
  auto pro = Load(WithExtra(DataBaseMode::PRO, 2, Hex(R"("popupa" 00 "x" 00 "soortb" 00 "popupb" 00 "y" 00 00)")));
  EXPECT_EQ(pro->PopupCount(1), 2);
  EXPECT_EQ(pro->GetPopupValue(2, 1), "soortb");
  EXPECT_EQ(pro->GetPopupValue(1, 2), "y");
}

TEST(ExtraDataReadTest, OddSections) {
  struct Case {
    const char* label;
    std::string extra;
    bool trailer;
    std::vector<int> popup_counts;  // fields 1 and 2
    std::string default1;
  };
  const Case cases[] = {
      {"Y and Z are read and dropped",
       Hex(R"("popupY" 00 "v" 00 "popupZ" 00 "w" 00 "popupa" 00 "x" 00 "defltY" 00 "d" 00 "deflta" 00 "e" 00 00)"),
       true, {1, 0}, "e"},
      {"no end mark before the end of the file", Hex(R"("popupb" 00 "x" 00 "y")"), false, {0, 2}, ""},
      {"a marker ends a list", Hex(R"("popupa" 00 "x" 00 "popupb" 00 "y" 00 "z" 00 00)"), true, {1, 2}, ""},
      {"a preset letter beyond e reads nothing more",
       Hex(R"("soortf" 00 "name" 00 "popupa" 00 "x" 00 00)"), true, {0, 0}, ""},
      {"seven letters are no marker", Hex(R"("popupab" 00 "x" 00 00)"), true, {0, 0}, ""},
      {"markers are case-sensitive", Hex(R"("Popupa" 00 "x" 00 00)"), true, {0, 0}, ""},
      {"an empty list", Hex(R"("popupa" 00 00 "popupb" 00 "q" 00 00)"), true, {0, 0}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    auto db = Load(WithExtra(DataBaseMode::JF6, 2, c.extra, c.trailer));
    EXPECT_EQ(db->PopupCount(1), c.popup_counts[0]);
    EXPECT_EQ(db->PopupCount(2), c.popup_counts[1]);
    EXPECT_EQ(db->GetDefault(1), c.default1);
    Save(*db);
  }
}

TEST(ExtraDataReadTest, InvalidFieldLetterIsRejected) {
  EXPECT_EQ(LoadError(WithExtra(DataBaseMode::PRO, 1, Hex(R"("popup1" 00 "x" 00 00)"))),
            "Invalid Field Index: \"1\"");
  EXPECT_EQ(LoadError(WithExtra(DataBaseMode::JF6, 1, Hex(R"("deflt-" 00 "x" 00 00)"))),
            "Invalid Field Index: \"-\"");
}

TEST(ExtraDataReadTest, PopupCapacityPerGeneration) {
  auto values = [](int n) {
    std::string bytes = Hex(R"("popupa" 00)");
    for (int j = 1; j <= n; ++j) bytes += "v" + std::to_string(j) + std::string(1, '\0');
    return bytes + Hex("00");
  };
  auto current = Load(WithExtra(DataBaseMode::PRO, 1, values(60)));
  EXPECT_EQ(current->PopupCount(1), 50);
  EXPECT_EQ(current->GetPopupValue(50, 1), "v50");
  EXPECT_EQ(current->GetPopupValue(51, 1), "");

  auto earlier = Load(WithExtra(DataBaseMode::PRO, 1, values(150)), LibraryGeneration::kEarlier);
  EXPECT_EQ(earlier->PopupCount(1), 100);
  EXPECT_EQ(earlier->GetPopupValue(150, 1), "v150");
  auto back = Reload(*earlier);
  EXPECT_EQ(back->GetPopupValue(100, 1), "v100");
  EXPECT_EQ(back->GetPopupValue(101, 1), "");
  earlier->SetPopupValue("w", 1000, 1);
  EXPECT_EQ(earlier->GetPopupValue(1000, 1), "w");
  current->SetPopupValue("w", 51, 1);
  EXPECT_EQ(current->GetPopupValue(51, 1), "");
}

TEST(ExtraDataReadTest, FilterPresetNumbers) {
  std::string extra = Hex(R"("flllte" 00 "F" 00 "-*-" 00 "a" 00 "-*-" 00 "b" 00 "c" 00
                            "-1" 00 "-128" 00 "126" 00 "2147483647" 00 "x" 00 "-1" 00 00)");
  auto db = Load(WithExtra(DataBaseMode::JF6, 1, extra));
  FilterPreset preset = db->GetFilterPreset(5);
  EXPECT_EQ(preset.name, "F");
  EXPECT_EQ(preset.texts, (std::array<std::string, 5>{"", "a", "", "b", "c"}));
  EXPECT_EQ(preset.number, 65535);  // unsigned 16 bits
  // Held as the file's value plus one, in 8 bits; an invalid number reads as 0.
  EXPECT_EQ(preset.small, (std::array<int8_t, 5>{-127, 127, 0, 1, 0}));
  EXPECT_EQ(ToHex(SavedExtra(*db)),
            ToHex(Hex(R"("flllte" 00 "F" 00 "-*-" 00 "a" 00 "-*-" 00 "b" 00 "c" 00
                        "65535" 00 "-128" 00 "126" 00 "-1" 00 "0" 00 "-1" 00 00)")));
}

// ---- Popup values ----

TEST(PopupTest, CountStopsAtTheFirstEmptyValue) {
  TJFILE db;
  db.SetFieldCount(1);
  db.SetPopupValue("Red", 1, 1);
  db.SetPopupValue("Blue", 3, 1);
  EXPECT_EQ(db.PopupCount(1), 1);
  EXPECT_EQ(db.GetPopupValue(3, 1), "Blue");
  EXPECT_EQ(ToHex(SavedExtra(db)), ToHex(Hex(R"("popupa" 00 "Red" 00 00)")));
}

TEST(PopupTest, RenameCarriesThroughRecordsOfALoadedDatabase) {
  std::string bytes = WithExtra(DataBaseMode::PRO, 2, Hex(R"("popupb" 00 "Red" 00 "Blue" 00 00)"));
  auto db = Load(bytes);
  db->SetRecordCount(3);
  db->SetFieldValue("Red", 2, 1);
  db->SetFieldValue("Blue", 2, 2);
  db->SetFieldValue("Red", 1, 3);  // another field with the same text stays
  db->SetFieldValue("Red", 2, 3);
  db->SetPopupValue("Crimson", 1, 2);
  EXPECT_EQ(db->GetPopupValue(1, 2), "Crimson");
  EXPECT_EQ(db->GetFieldValue(2, 1), "Crimson");
  EXPECT_EQ(db->GetFieldValue(2, 2), "Blue");
  EXPECT_EQ(db->GetFieldValue(1, 3), "Red");
  EXPECT_EQ(db->GetFieldValue(2, 3), "Crimson");

  TJFILE fresh;
  fresh.SetFieldCount(2);
  fresh.SetRecordCount(1);
  fresh.SetPopupValue("Red", 1, 2);
  fresh.SetFieldValue("Red", 2, 1);
  fresh.SetPopupValue("Crimson", 1, 2);
  EXPECT_EQ(fresh.GetFieldValue(2, 1), "Red");
}

TEST(PopupTest, LongValuesAreWrittenInFull) {
  TJFILE db;
  db.SetFieldCount(1);
  db.SetRecordCount(1);
  std::string long_value(300, 'p');
  db.SetPopupValue(long_value, 1, 1);
  EXPECT_EQ(db.GetPopupValue(1, 1), std::string(255, 'p'));
  auto back = Reload(db);
  EXPECT_EQ(back->GetPopupValue(1, 1), std::string(255, 'p'));
  EXPECT_EQ(ToHex(SavedExtra(*back)), ToHex("popupa" + std::string(1, '\0') + long_value + std::string(2, '\0')));
  // A record holding the full value follows a rename; one holding its first 255 characters does not.
  back->SetRecordCount(2);
  back->SetFieldValue(long_value, 1, 1);
  back->SetFieldValue(std::string(255, 'p'), 1, 2);
  back->SetPopupValue("short", 1, 1);
  EXPECT_EQ(back->GetFieldValue(1, 1), "short");
  EXPECT_EQ(back->GetFieldValue(1, 2), std::string(255, 'p'));
}

// ---- Defaults and presets ----

TEST(PresetTest, OnlyInJFile5) {
  for (DataBaseMode mode : {DataBaseMode::STD, DataBaseMode::PRO}) {
    TJFILE db;
    db.SetDataBaseMode(mode);
    Save(db);
    db.SetDefault("d", 1);
    db.SetSortPresetName("s", 1);
    db.SetSortPresetField(2, 1, 1);
    FilterPreset filter;
    filter.name = "f";
    db.SetFilterPreset(filter, 1);
    EXPECT_FALSE(db.IsModified());
    EXPECT_EQ(db.GetDefault(1), "");
    EXPECT_EQ(db.GetFilterPreset(1), FilterPreset());
  }
}

TEST(PresetTest, WriteOrderAndLetters) {
  TJFILE db;
  db.SetFieldCount(50);
  db.SetPopupValue("p50", 1, 50);
  db.SetPopupValue("p27", 1, 27);
  db.SetDefault("d50", 50);
  db.SetDefault("d2", 2);
  db.SetSortPresetName("S3", 3);
  db.SetSortPresetField(-32768, 1, 3);
  db.SetSortPresetField(40000, 2, 3);  // kept as signed 16 bits
  FilterPreset filter;
  filter.name = std::string(300, 'n');
  filter.texts[4] = "t";
  filter.number = 7;
  filter.small = {1, 2, -128, 127, 0};
  db.SetFilterPreset(filter, 2);
  EXPECT_EQ(db.GetSortPresetField(2, 3), -25536);
  EXPECT_EQ(db.GetFilterPreset(2).name.size(), 255u);
  std::string expected = Hex(R"("popupA" 00 "p27" 00 "popupX" 00 "p50" 00
                               "soortc" 00 "S3" 00 "-32768" 00 "-25536" 00 "0" 00
                               "defltb" 00 "d2" 00 "defltX" 00 "d50" 00
                               "fllltb" 00)") +
                         std::string(255, 'n') +
                         Hex(R"(00 "-*-" 00 "-*-" 00 "-*-" 00 "-*-" 00 "t" 00 "7" 00
                               "0" 00 "1" 00 "-129" 00 "126" 00 "-1" 00 00)");
  EXPECT_EQ(ToHex(SavedExtra(db)), ToHex(expected));
  auto back = Reload(db);
  EXPECT_EQ(back->GetDefault(50), "d50");
  EXPECT_EQ(back->GetSortPresetField(1, 3), -32768);
  EXPECT_EQ(back->GetFilterPreset(2), db.GetFilterPreset(2));
  EXPECT_EQ(back->GetFieldType(27), field_type::kList);
}

TEST(PresetTest, OutOfRangeIndices) {
  auto db = Load(WithExtra(DataBaseMode::JF6, 1, Hex("00")));
  db->SetDefault("x", 51);
  db->SetDefault("x", 0);
  db->SetSortPresetName("x", 6);
  db->SetSortPresetField(1, 4, 1);
  db->SetFilterPreset(FilterPreset{"x", {}, 0, {}}, 0);
  db->SetPopupValue("x", 1, 51);
  EXPECT_FALSE(db->IsModified());
  EXPECT_EQ(db->GetSortPresetField(0, 1), 0);
  EXPECT_EQ(db->GetPopupValue(1, 0), "");
  EXPECT_EQ(db->PopupCount(51), 0);
}

}  // namespace
}  // namespace jf
