#include "jfile/interchange/def_format.h"

#include <gtest/gtest.h>

namespace jf {
namespace {

using Items = std::vector<std::string>;

TEST(DefFormatTest, KeyNamesAndExportNames) {
  EXPECT_EQ(PopupKey(7), "Popup7");
  EXPECT_EQ(DefaultKey(50), "Default50");
  EXPECT_EQ(SortPresetKey(1), "Sort1");
  EXPECT_EQ(FilterPresetKey(5), "Filter5");
  EXPECT_EQ(ExportCsvName("/d/a"), "/d/a.CSV");
  EXPECT_EQ(ExportCsvName("/d/a.txt"), "/d/a.txt");
  EXPECT_EQ(ExportDefName("/d/a.txt"), "/d/a.DEF");
  EXPECT_EQ(ExportDefName("/d/a"), "/d/a.DEF");
}

TEST(DefFormatTest, LineFeedSubstitute) {
  EXPECT_EQ(SubstituteLineFeeds("a\nb\r\n"), "a\xCF" "b\r\xCF");
  EXPECT_EQ(RestoreLineFeeds("a\xCF" "b"), "a\nb");
  EXPECT_EQ(DefValueText("a\r\nb\nc"), "a\xCF" "b\xCF" "c");
}

TEST(DefFormatTest, PresetValues) {
  SortPreset sort{"By name", {1, -2, 32767}};
  EXPECT_EQ(FormatSortPreset(sort), "\"By name\",1,-2,32767");
  EXPECT_EQ(FormatSortPreset(SortPreset{}), "\"\",0,0,0");

  FilterPreset filter{"Open, late", {"a", "", "x y", "", "z"}, 65535, {0, 1, -1, 127, -128}};
  EXPECT_EQ(FormatFilterPreset(filter), "\"Open, late\",\"a\",\"\",\"x y\",\"\",\"z\",65535,0,1,-1,127,-128");
}

TEST(DefFormatTest, SplitPresetItems) {
  struct Case {
    std::string value;
    int max_items;
    Items expected;
  };
  const Case cases[] = {
      {"\"By name\",1,-2,3", 4, {"By name", "1", "-2", "3"}},
      {"\"a,b\",1,,3", 4, {"a,b", "1", "", "3"}},          // a comma inside quotes, an empty item
      {"\"a\",1,2,3,4", 4, {"a", "1", "2", "3"}},          // items past the wanted count are left
      {"\"a\",1", 4, {"a", "1"}},                          // the text runs out
      {"\"open,1,2,3", 4, {}},                             // no closing quote: reading stops
      {"\"a\",\"b,1", 4, {"a"}},                           // stops at the second, unclosed item
      {"plain,\"q\"", 4, {"plain", "q"}},
      {",x", 4, {"x"}},                                    // one leading comma is dropped
      {"a,", 4, {"a", ""}},
      {"", 4, {}},
      {"\"a\"\"b\"", 4, {"a", "b"}},                       // the next item may follow the quote directly
  };
  for (const Case& c : cases) EXPECT_EQ(SplitPresetItems(c.value, c.max_items), c.expected) << c.value;
}

TEST(DefFormatTest, FormattedPresetsSplitBack) {
  FilterPreset filter{"Late", {"a", "", "b c", "", "-"}, 12, {1, 0, -1, 2, 3}};
  EXPECT_EQ(SplitPresetItems(FormatFilterPreset(filter), kFilterPresetItems),
            (Items{"Late", "a", "", "b c", "", "-", "12", "1", "0", "-1", "2", "3"}));
  EXPECT_EQ(SplitPresetItems(FormatSortPreset({"", {0, 0, 0}}), kSortPresetItems), (Items{"", "0", "0", "0"}));
}

}  // namespace
}  // namespace jf
