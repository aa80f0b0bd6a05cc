#include "common/strings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace jf {
namespace {

TEST(StringsBuild, ReplicateBlanksAndPadToKeepToTheirWidths) {
  EXPECT_EQ(Replicate('x', 3), "xxx");
  EXPECT_EQ(Replicate('x', 0), "");
  EXPECT_EQ(Replicate('x', -4), "");
  EXPECT_EQ(Replicate('x', 400).size(), 255u);
  EXPECT_EQ(Blanks(2), "  ");

  struct Case {
    std::string s;
    int width;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"abcdef", 3, "abc"},
      {"ab", 5, "ab   "},
      {"ab", 2, "ab"},
      {"ab", 0, ""},
      {"ab", -1, ""},
      {"ab", 300, "ab" + std::string(253, ' ')},
      {std::string(300, 'q'), 300, std::string(255, 'q')},
  };
  for (const Case& c : cases) EXPECT_EQ(PadTo(c.s, c.width), c.expected) << c.s.size() << " to " << c.width;
}

TEST(StringsBuild, QuoteIfBlankQuotesOnlyEmptyTextAndSpaces) {
  EXPECT_EQ(QuoteIfBlank(""), "\"\"");
  EXPECT_EQ(QuoteIfBlank("my file.pdb"), "\"my file.pdb\"");
  EXPECT_EQ(QuoteIfBlank("a\tb"), "a\tb");
  EXPECT_EQ(QuoteIfBlank("plain"), "plain");
  // Long names (file names) are not cut, so the closing quote stays.
  const std::string long_name(300, 'n');
  EXPECT_EQ(QuoteIfBlank(long_name + " x"), "\"" + long_name + " x\"");
}

TEST(StringsBuild, AppendCharStopsAtCapacityAndAppendLongDoesNot) {
  std::string s = "ab";
  AppendChar(s, 'c', 3);
  AppendChar(s, 'd', 3);
  EXPECT_EQ(s, "abc");
  std::string full(255, 'f');
  AppendChar(full, 'g');
  EXPECT_EQ(full.size(), 255u);

  std::string t(300, 't');
  AppendLong(t, "uv");
  AppendLong(t, 'w');
  EXPECT_EQ(t.size(), 303u);
  EXPECT_EQ(t.substr(300), "uvw");
}

TEST(StringsTrim, TabsBecomeBlanksEverywhereBeforeTrimming) {
  struct Case {
    std::string in;
    std::string leading, trailing, both;
  };
  const std::vector<Case> cases = {
      {" a\tb ", "a b ", " a b", "a b"},
      {" \t \t", "", "", ""},
      {"", "", "", ""},
      {"\tx", "x", " x", "x"},
      {"abc", "abc", "abc", "abc"},
  };
  for (const Case& c : cases) {
    std::string l = c.in, t = c.in, b = c.in;
    TrimLeading(l);
    TrimTrailing(t);
    TrimBoth(b);
    EXPECT_EQ(l, c.leading) << "[" << c.in << "]";
    EXPECT_EQ(t, c.trailing) << "[" << c.in << "]";
    EXPECT_EQ(b, c.both) << "[" << c.in << "]";
    EXPECT_EQ(Trimmed(c.in), c.both) << "[" << c.in << "]";
  }
}

TEST(StringsCase, UpperTextFoldsAsciiAndFiveCodePage850Pairs) {
  struct Case {
    std::string in, expected;
  };
  const std::vector<Case> cases = {
      {"abc xyz 09!", "ABC XYZ 09!"},
      {"\x91\x9B\x86\x82\x85", "\x92\x9D\x8F\x90\xB7"},  // æ ø å é à
      {"\x81", "\x81"},                                  // ü stays
      {"\xE1", "\xE1"},                                  // ß stays
      {"\x84\x94", "\x84\x94"},                          // ä ö stay
      {std::string("a\0b", 3), std::string("A\0B", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(UpperText(c.in), c.expected);
}

TEST(StringsCase, LetterDigitSetAndFiltering) {
  EXPECT_EQ(LetterDigitSet.Count(), 124);
  for (int c : {0x30, 0x39, 0x41, 0x7A, 0x80, 0x9B, 0x9D, 0xA5, 0xB5, 0xC7, 0xD0, 0xD8, 0xDE, 0xE0, 0xEC}) {
    EXPECT_TRUE(LetterDigitSet.Contains(static_cast<uint8_t>(c))) << c;
  }
  for (int c : {0x20, 0x2D, 0x5F, 0x7F, 0x9C, 0x9E, 0xA6, 0xB4, 0xD5, 0xDD, 0xED, 0xFF}) {
    EXPECT_FALSE(LetterDigitSet.Contains(static_cast<uint8_t>(c))) << c;
  }
  EXPECT_EQ(UpperLettersDigits("my-file 2.\x91x"), "MYFILE2\x92X");
  EXPECT_EQ(KeepChars("a1b2", CharSet().AddRange('0', '9')), "12");

  std::array<uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i);
  table['a'] = 'o';
  table[0xE9] = 0x82;
  EXPECT_EQ(TranslateChars("ba\xE9", table), "bo\x82");
  EXPECT_EQ(TranslateChars("ba\xE9"), "ba\xE9");
}

TEST(StringsSearch, PositionsCountFromOneAndZeroMeansAbsent) {
  EXPECT_EQ(CharPosFrom("a,b", ',', 1), 2);
  EXPECT_EQ(CharPosFrom("a,b", ',', 2), 2);
  EXPECT_EQ(CharPosFrom("a,b", ',', 3), 0);
  EXPECT_EQ(CharPosFrom("a,b", ',', 9), 0);
  EXPECT_EQ(CharPosFrom("", ',', 1), 0);
  EXPECT_EQ(TextPosFrom("abcabc", "bc", 3), 5);
  EXPECT_EQ(TextPosFrom("abcabc", "bc", 1), 2);
  EXPECT_EQ(TextPosFrom("abcabc", "bc", 6), 0);
  EXPECT_EQ(TextPosFrom("abcabc", "", 1), 0);
  EXPECT_EQ(TextPosFrom("abc", "abcd", 1), 0);
}

TEST(StringsSearch, ReplaceAllDoesNotRescanReplacements) {
  struct Case {
    std::string s, f, r;
    size_t capacity;
    int count;
    std::string result;
  };
  const std::vector<Case> cases = {
      {"aaaa", "aa", "a", 255, 2, "aa"},
      {"aa", "a", "aa", 255, 2, "aaaa"},
      {"abc", "", "x", 255, 0, "abc"},
      {"a.b.c", ".", "", 255, 2, "abc"},
      {"abc", "b", "xxxxx", 5, 1, "axxxx"},
      {"abab", "b", "xxxx", 5, 1, "axxxx"},  // the cut drops the second match
      {"none", "z", "y", 255, 0, "none"},
  };
  for (const Case& c : cases) {
    std::string s = c.s;
    EXPECT_EQ(ReplaceAll(s, c.f, c.r, c.capacity), c.count) << c.s << " " << c.f << "->" << c.r;
    EXPECT_EQ(s, c.result) << c.s << " " << c.f << "->" << c.r;
  }
}

TEST(StringsSearch, MatchStars) {
  struct Case {
    std::string text, pattern;
    int expected;
  };
  const std::vector<Case> cases = {
      {"ABC", "AB", 1},     {"XABC", "AB", 2},     {"XAB", "*AB", 1},    {"AB", "AB*B", 0},
      {"ABXB", "AB*B", 1},  {"ANY", "**", 1},      {"", "**", 1},        {"XAYB", "*A*B", 1},
      {"XAYB", "*B*A", 0},  {"ABC", "A**C", 1},    {"ABC", "A*", 1},     {"XABC", "A*C", 2},
      {"ABC", "X*", 0},     {"ABC", "*X", 0},      {"", "A", 0},         {"ABC", "", 1},
      {"MEMO.PDB", "*.PDB", 1}, {"MEMO.PDB", "M*.P*", 1}, {"AB", "A*B*C", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchStars(c.text, c.pattern), c.expected) << c.text << " ~ " << c.pattern;

  // Many stars neither recurse deeply nor slow down.
  std::string pattern;
  for (int i = 0; i < 100000; ++i) pattern += "A*";
  EXPECT_EQ(MatchStars(std::string(100000, 'A'), pattern), 1);
  EXPECT_EQ(MatchStars(std::string(99999, 'A'), pattern), 0);
}

TEST(StringsLists, ItemsKeepTheirQuotes) {
  EXPECT_EQ(ListItemCount(""), 0);
  EXPECT_EQ(ListItemCount("abc"), 1);
  EXPECT_EQ(ListItemCount("a,,b"), 3);
  EXPECT_EQ(ListItemCount("\"x,y\",z"), 3);  // commas between quotes count too

  EXPECT_EQ(FirstListItem("\"x,y\",z"), "\"x,y\"");
  EXPECT_EQ(FirstListItem("\"unclosed,z"), "");
  EXPECT_EQ(FirstListItem("a,b"), "a");
  EXPECT_EQ(FirstListItem("abc"), "abc");
  EXPECT_EQ(FirstListItem(""), "");

  struct Case {
    std::string list;
    int n;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"a,,b", 1, "a"},     {"a,,b", 2, ""},           {"a,,b", 3, "b"},  {"a,,b", 4, ""},
      {"\"x,y\",z", 2, "z"}, {"a,\"b,c\",d", 2, "\"b,c\""}, {"a,\"b,c\",d", 3, "d"},
  };
  for (const Case& c : cases) EXPECT_EQ(ListItem(c.list, c.n), c.expected) << c.list << " #" << c.n;
}

TEST(StringsStorage, ZeroTailAndBoundedZeroTerminatedText) {
  EXPECT_EQ(ZeroTail("ab", 5), std::string("ab\0\0\0", 5));
  EXPECT_EQ(ZeroTail("abcdef", 3), "abc");
  EXPECT_EQ(ZeroTail("", 0), "");

  EXPECT_EQ(CTextToShort(std::string_view("abcdef\0", 7), 3), "abc");
  EXPECT_EQ(CTextToShort(std::string_view("ab\0cd", 5)), "ab");
  EXPECT_EQ(CTextToShort("no zero byte"), "no zero byte");  // stops at the buffer's end
  EXPECT_EQ(CTextToShort(std::string(300, 'z')).size(), 255u);
}

TEST(StringsNumbers, DecimalAndHexText) {
  EXPECT_EQ(NaturalText(0), "0");
  EXPECT_EQ(NaturalText(2147483647), "2147483647");
  EXPECT_EQ(NaturalText(100), "100");
  EXPECT_EQ(IntegerText(INT32_MIN), "-2147483648");
  EXPECT_EQ(IntegerText(-7), "-7");
  EXPECT_EQ(IntegerText(0), "0");
  EXPECT_EQ(HexByte(0x0A), "0A");
  EXPECT_EQ(HexWord(26), "001A");
  EXPECT_EQ(HexLong(0xDEADBEEF), "DEADBEEF");
  EXPECT_EQ(HexLong(1), "00000001");
}

TEST(StringsNumbers, TextToIntegerAcceptsExactlyTheDocumentedForm) {
  struct Case {
    std::string text;
    int32_t value;
    bool failed;
  };
  const std::vector<Case> cases = {
      {" 12", 12, false},
      {"12 ", 0, true},
      {"+7", 7, false},
      {"-$10", -16, false},
      {"$ff", 255, false},
      {"$FFFFFFFF", -1, false},
      {"$80000000", INT32_MIN, false},
      {"$123456789", 0, true},
      {"2147483647", 2147483647, false},
      {"-2147483647", -2147483647, false},
      {"2147483648", 0, true},
      {"-2147483648", 0, true},
      {"99999999999999999999", 0, true},
      {"007", 7, false},
      {"", 0, true},
      {"-", 0, true},
      {"$", 0, true},
      {"+$", 0, true},
      {"\t5", 0, true},
      {"1a", 0, true},
      {"--1", 0, true},
      {"- 1", 0, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextToInteger(c.text), c.value) << "[" << c.text << "]";
    EXPECT_EQ(ConversionFailed(), c.failed) << "[" << c.text << "]";
  }
}

TEST(StringsNumbers, PatternNumber) {
  struct Case {
    int32_t v;
    std::string pattern, expected;
  };
  const std::vector<Case> cases = {
      {5, "000", "005"},   {5, "  0", "  5"},  {1234, "00", "1234"}, {0, "00", "00"},
      {7, "0 0", "0 7"},   {12, "", "12"},     {-5, "000", "-05"},   {-5, " 00", " -5"},
  };
  for (const Case& c : cases) EXPECT_EQ(PatternNumber(c.v, c.pattern), c.expected) << c.v << " [" << c.pattern << "]";
}

TEST(StringsNumbers, MinMaxRandomAndSameBytes) {
  static_assert(MinSigned(-1, 1) == -1 && MaxSigned(-1, 1) == 1);
  static_assert(MinUnsigned(0xFFFFFFFFu, 1) == 1 && MaxUnsigned(0xFFFFFFFFu, 1) == 0xFFFFFFFFu);

  for (int i = 0; i < 1000; ++i) {
    const int32_t r = RandomBetween(-3, 4);
    EXPECT_GE(r, -3);
    EXPECT_LE(r, 4);
  }
  EXPECT_EQ(RandomBetween(9, 9), 9);
  const int32_t wide = RandomBetween(INT32_MIN, INT32_MAX);
  EXPECT_GE(wide, INT32_MIN);

  EXPECT_TRUE(SameBytes("abcx", "abcy", 3));
  EXPECT_FALSE(SameBytes("abcx", "abcy", 4));
  EXPECT_TRUE(SameBytes(nullptr, nullptr, 0));
}

}  // namespace
}  // namespace jf
