#include "platform/console_text.h"

#include <gtest/gtest.h>

#include <string>

namespace jf {
namespace {

constexpr auto k850 = ConsoleCharset::kCodePage850;
constexpr auto kUtf8 = ConsoleCharset::kUtf8;

TEST(DatabaseTextToConsole, CodePage850) {
  struct Case {
    std::string in;
    bool substitute;
    std::string out;
  } cases[] = {
      {"Plain text 123", false, "Plain text 123"},
      {"caf\xE9 \xC4\xD6\xDC \xDF", false, "caf\x82 \x8E\x99\x9A \xE1"},  // é Ä Ö Ü ß
      {"\xA4\xA9\xFF\xA0", false, "\xCF\xB8\x98\xFF"},                    // ¤ © ÿ no-break space
      {"\x83", false, "\x9F"},                                             // ƒ exists in both
      {"\x93quoted\x94 \x96 \x85", false, "\"quoted\" - ."},               // nearest plain characters
      {"\x80 \x81 \x8D", false, "? ? ?"},                                  // euro; bytes without a character
      {"a\nb\rc\td\x01", false, "a\nb\rc\td\x01"},
      {"a\nb\r\n", true, "a\xCF" "b\r\xCF"},
      {std::string("nul\0in", 6), true, std::string("nul\0in", 6)},
  };
  for (const Case& c : cases) EXPECT_EQ(DatabaseTextToConsole(c.in, c.substitute, k850), c.out) << c.in;
}

TEST(DatabaseTextToConsole, Utf8) {
  struct Case {
    std::string in;
    bool substitute;
    std::string out;
  } cases[] = {
      {"Plain text 123", false, "Plain text 123"},
      {"caf\xE9 \xC4\xD6\xDC \xDF", false, "café ÄÖÜ ß"},
      {"\x80 \x83 \x93x\x94 \x99 \x9F", false, "€ ƒ “x” ™ Ÿ"},
      {"\x81\x8D\x8F\x90\x9D", false, "?????"},
      {"\xA4\xFF", false, "¤ÿ"},
      {"a\nb\rc\t", false, "a\nb\rc\t"},
      {"a\nb\r\n", true, "a¤b\r¤"},
  };
  for (const Case& c : cases) EXPECT_EQ(DatabaseTextToConsole(c.in, c.substitute, kUtf8), c.out) << c.in;
}

// One character per byte in both character sets, so table columns stay aligned.
TEST(DatabaseTextToConsole, OneCharacterPerByte) {
  for (int b = 0; b < 256; ++b) {
    std::string in(1, static_cast<char>(b));
    EXPECT_EQ(DatabaseTextToConsole(in, true, k850).size(), 1u) << b;
    std::string utf8 = DatabaseTextToConsole(in, true, kUtf8);
    int characters = 0;
    for (char c : utf8) characters += (static_cast<uint8_t>(c) & 0xC0) != 0x80 ? 1 : 0;
    EXPECT_EQ(characters, 1) << b;
  }
}

TEST(DumpCharToConsole, Cases) {
  struct Case {
    uint8_t byte;
    std::string cp850;
    std::string utf8;
  } cases[] = {
      {0x00, ".", "."},    {0x0A, ".", "."},        {0x1F, ".", "."},          {0x20, " ", " "},
      {'A', "A", "A"},     {0x7F, "\x7F", "\x7F"},  {0x80, "\x80", "€"},       {0x81, "\x81", "."},
      {0x9D, "\x9D", "."}, {0xA0, "\xA0", "\u00A0"}, {0xE9, "\xE9", "é"},      {0xFF, "\xFF", "ÿ"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DumpCharToConsole(c.byte, k850), c.cp850) << int(c.byte);
    EXPECT_EQ(DumpCharToConsole(c.byte, kUtf8), c.utf8) << int(c.byte);
  }
}

TEST(Utf8Of, Widths) {
  EXPECT_EQ(Utf8Of('a'), "a");
  EXPECT_EQ(Utf8Of(0xE9), "\xC3\xA9");
  EXPECT_EQ(Utf8Of(0x20AC), "\xE2\x82\xAC");
}

}  // namespace
}  // namespace jf
