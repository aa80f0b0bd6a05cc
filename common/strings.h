// Text and number helpers used throughout the tools and the JFile library. Texts are single bytes; positions count
// from 1 and 0 means "not found". Operations that take a width or a capacity never return more than it (and never
// more than kShortTextMax characters); the others keep whatever length their argument has, so file names and
// record values longer than 255 characters pass through intact.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace jf {

// Longest short text (length-byte text); longer results of the width and capacity operations are cut to this.
inline constexpr size_t kShortTextMax = 255;

// A set of byte values, usable in constant expressions.
class CharSet {
 public:
  constexpr CharSet() = default;
  constexpr CharSet& Add(uint8_t c) {
    words_[c >> 6] |= uint64_t{1} << (c & 63);
    return *this;
  }
  constexpr CharSet& AddRange(uint8_t first, uint8_t last) {
    for (int c = first; c <= last; ++c) Add(static_cast<uint8_t>(c));
    return *this;
  }
  constexpr bool Contains(uint8_t c) const { return (words_[c >> 6] >> (c & 63)) & 1; }
  constexpr int Count() const {
    int n = 0;
    for (int c = 0; c < 256; ++c) n += Contains(static_cast<uint8_t>(c)) ? 1 : 0;
    return n;
  }

 private:
  std::array<uint64_t, 4> words_{};
};

// Digits, ASCII letters and the letters of code page 850 (124 members).
inline constexpr CharSet LetterDigitSet = CharSet()
                                              .AddRange('0', '9')
                                              .AddRange('A', 'Z')
                                              .AddRange('a', 'z')
                                              .AddRange(0x80, 0x9B)
                                              .Add(0x9D)
                                              .AddRange(0xA0, 0xA5)
                                              .AddRange(0xB5, 0xB7)
                                              .AddRange(0xC6, 0xC7)
                                              .AddRange(0xD0, 0xD4)
                                              .AddRange(0xD6, 0xD8)
                                              .Add(0xDE)
                                              .AddRange(0xE0, 0xEC);

// ---- Building and padding ----

// n copies of c (n limited to 0..255).
std::string Replicate(char c, int n);
// n spaces (n limited to 0..255).
std::string Blanks(int n);
// s cut to width n, or s followed by spaces up to n characters; n above 255 counts as 255.
std::string PadTo(const std::string& s, int n);
// s between double quotes when it is empty or holds a space (a tab does not count); otherwise s unchanged.
std::string QuoteIfBlank(const std::string& s);
// Appends c to s when s is shorter than the capacity m; otherwise leaves s as it is.
void AppendChar(std::string& s, char c, size_t m = kShortTextMax);
// Appends to a text of unbounded length.
void AppendLong(std::string& t, std::string_view x);
void AppendLong(std::string& t, char c);

// ---- Trimming (tabs become spaces first, also inside the text) ----

void TabsToBlanks(std::string& s);
void TrimLeading(std::string& s);
void TrimTrailing(std::string& s);
void TrimBoth(std::string& s);
std::string Trimmed(std::string s);

// ---- Case and character sets ----

// ASCII letters to upper case, and the code page 850 pairs æ ø å é à to Æ Ø Å É À; other bytes unchanged.
std::string UpperText(std::string s);
// The letters and digits of s (LetterDigitSet), upper-cased.
std::string UpperLettersDigits(const std::string& s);
// The characters of s that belong to set, in their order.
std::string KeepChars(const std::string& s, const CharSet& set);
// Every byte c of s replaced by table[c]; without a table s is returned unchanged.
std::string TranslateChars(std::string s);
std::string TranslateChars(std::string s, const std::array<uint8_t, 256>& table);

// ---- Searching and replacing ----

// First position i >= p of c in s; 0 when absent or p exceeds the length. A p below 1 counts as 1.
int CharPosFrom(const std::string& s, char c, int p);
// First position i >= p at which t occurs in s; 0 when t is empty or absent. A p below 1 counts as 1.
int TextPosFrom(const std::string& s, const std::string& t, int p);
// Replaces every occurrence of f in s by r, left to right; the replacement is not searched again. s is cut to
// the capacity m after each replacement. Returns the number of replacements; an empty f replaces nothing.
int ReplaceAll(std::string& s, const std::string& f, const std::string& r, size_t m = kShortTextMax);
// Matches x against a pattern in which "*" stands for any run of characters. 0 when it does not match; 1 means a
// match from the first character (or anywhere, for patterns beginning with "*"); a larger value is the position
// where a pattern beginning with a literal was found. Comparison is exact: upper-case both sides first.
int MatchStars(const std::string& x, const std::string& q);

// ---- Comma-separated lists (quotes are kept in the items) ----

// The first item of s: a quoted item up to and including its closing quote (empty when unclosed), or the
// characters before the first comma.
std::string FirstListItem(const std::string& s);
// The n-th item (n from 1).
std::string ListItem(const std::string& s, int n);
// 0 for the empty text, else 1 plus the number of commas (commas between quotes included).
int ListItemCount(const std::string& s);

// ---- Storage conversions ----

// The n bytes a fixed-capacity text of capacity n occupies in storage: s cut to n, then zero bytes up to n.
std::string ZeroTail(const std::string& s, size_t n);
// The zero-terminated text at the start of buffer: the bytes before the first zero byte, at most max of them
// (and never beyond the buffer).
std::string CTextToShort(std::string_view buffer, size_t max = kShortTextMax);

// ---- Numbers ----

// Decimal digits of v without sign or leading zeros; "0" for zero.
std::string NaturalText(uint32_t v);
// Decimal digits of v, with "-" for a negative value; the whole 32-bit range.
std::string IntegerText(int32_t v);
// Reads an integer: leading spaces, an optional sign, then decimal digits (magnitude at most 2147483647) or "$"
// and 1 to 8 hexadecimal digits (a 32-bit pattern); nothing may follow. Returns 0 on failure. Sets the flag read
// by ConversionFailed on every call.
int32_t TextToInteger(const std::string& s);
// True when the last TextToInteger call failed.
bool ConversionFailed();
// Upper-case hexadecimal with exactly 2, 4 or 8 digits.
std::string HexByte(uint8_t v);
std::string HexWord(uint16_t v);
std::string HexLong(uint32_t v);
// v right-aligned in a field as wide as t (a wider number is not cut); where t has "0" and the field a space,
// the field gets "0". PatternNumber(5, "000") is "005", PatternNumber(5, "  0") is "  5".
std::string PatternNumber(int32_t v, const std::string& t);

constexpr int32_t MinSigned(int32_t a, int32_t b) { return a < b ? a : b; }
constexpr int32_t MaxSigned(int32_t a, int32_t b) { return a < b ? b : a; }
constexpr uint32_t MinUnsigned(uint32_t a, uint32_t b) { return a < b ? a : b; }
constexpr uint32_t MaxUnsigned(uint32_t a, uint32_t b) { return a < b ? b : a; }

// A pseudo-random number from a to b inclusive (the bounds are swapped when a > b).
int32_t RandomBetween(int32_t a, int32_t b);

// ---- Memory ----

// True when the first n bytes of a and b are equal.
bool SameBytes(const void* a, const void* b, size_t n);

// ASCII letter-case folding, as file names and settings keys are compared: "A" to "Z" become "a" to "z".
char FoldAsciiCase(char c);
// True when a and b are equal apart from the letter case of ASCII letters.
bool SameIgnoringAsciiCase(const std::string& a, const std::string& b);

}  // namespace jf
