#include "common/strings.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace jf {

namespace {

constexpr char kSpace = ' ';
constexpr char kTab = '\t';
constexpr char kQuote = '"';
constexpr char kComma = ',';
constexpr char kStar = '*';
constexpr char kHexDigits[] = "0123456789ABCDEF";

size_t ClampCount(int n) {
  return static_cast<size_t>(std::clamp(n, 0, static_cast<int>(kShortTextMax)));
}

// Converts a 1-based start position into a 0-based index (positions below 1 count as 1).
size_t StartIndex(int p) { return p < 1 ? 0 : static_cast<size_t>(p) - 1; }

int PositionOf(size_t index) { return index == std::string::npos ? 0 : static_cast<int>(index) + 1; }

bool conversion_failed = false;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Hex(uint32_t v, int digits) {
  std::string out(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    out[static_cast<size_t>(i)] = kHexDigits[v & 0xF];
    v >>= 4;
  }
  return out;
}

}  // namespace

std::string Replicate(char c, int n) { return std::string(ClampCount(n), c); }

std::string Blanks(int n) { return Replicate(kSpace, n); }

std::string PadTo(const std::string& s, int n) {
  const size_t width = ClampCount(n);
  if (width <= s.size()) return s.substr(0, width);
  return s + std::string(width - s.size(), kSpace);
}

std::string QuoteIfBlank(const std::string& s) {
  if (s.empty() || s.find(kSpace) != std::string::npos) return kQuote + s + kQuote;
  return s;
}

void AppendChar(std::string& s, char c, size_t m) {
  if (s.size() < m) s.push_back(c);
}

void AppendLong(std::string& t, std::string_view x) { t.append(x); }

void AppendLong(std::string& t, char c) { t.push_back(c); }

void TabsToBlanks(std::string& s) { std::replace(s.begin(), s.end(), kTab, kSpace); }

void TrimLeading(std::string& s) {
  TabsToBlanks(s);
  s.erase(0, std::min(s.find_first_not_of(kSpace), s.size()));
}

void TrimTrailing(std::string& s) {
  TabsToBlanks(s);
  const size_t last = s.find_last_not_of(kSpace);
  s.erase(last == std::string::npos ? 0 : last + 1);
}

void TrimBoth(std::string& s) {
  TrimLeading(s);
  TrimTrailing(s);
}

std::string Trimmed(std::string s) {
  TrimBoth(s);
  return s;
}

std::string UpperText(std::string s) {
  // The code page 850 letter pairs folded besides ASCII: æ ø å é à.
  static constexpr uint8_t kLower[] = {0x91, 0x9B, 0x86, 0x82, 0x85};
  static constexpr uint8_t kUpper[] = {0x92, 0x9D, 0x8F, 0x90, 0xB7};
  for (char& ch : s) {
    const auto c = static_cast<uint8_t>(ch);
    if (c >= 'a' && c <= 'z') {
      ch = static_cast<char>(c - 'a' + 'A');
      continue;
    }
    for (size_t i = 0; i < std::size(kLower); ++i) {
      if (c == kLower[i]) ch = static_cast<char>(kUpper[i]);
    }
  }
  return s;
}

std::string UpperLettersDigits(const std::string& s) { return UpperText(KeepChars(s, LetterDigitSet)); }

std::string KeepChars(const std::string& s, const CharSet& set) {
  std::string out;
  for (char ch : s) {
    if (set.Contains(static_cast<uint8_t>(ch))) out.push_back(ch);
  }
  return out;
}

std::string TranslateChars(std::string s) { return s; }

std::string TranslateChars(std::string s, const std::array<uint8_t, 256>& table) {
  for (char& ch : s) ch = static_cast<char>(table[static_cast<uint8_t>(ch)]);
  return s;
}

int CharPosFrom(const std::string& s, char c, int p) {
  const size_t start = StartIndex(p);
  if (start >= s.size()) return 0;
  return PositionOf(s.find(c, start));
}

int TextPosFrom(const std::string& s, const std::string& t, int p) {
  const size_t start = StartIndex(p);
  if (t.empty() || start >= s.size()) return 0;
  return PositionOf(s.find(t, start));
}

int ReplaceAll(std::string& s, const std::string& f, const std::string& r, size_t m) {
  int count = 0;
  int p = 1;
  while ((p = TextPosFrom(s, f, p)) != 0) {
    s.replace(static_cast<size_t>(p) - 1, f.size(), r);
    if (s.size() > m) s.resize(m);
    p += static_cast<int>(r.size());
    ++count;
  }
  return count;
}

int MatchStars(const std::string& x_text, const std::string& q_text) {
  // Runs of "*" count as one; stars at the end match nothing more and are dropped.
  std::string pattern;
  for (char c : q_text) {
    if (c != kStar || pattern.empty() || pattern.back() != kStar) pattern.push_back(c);
  }
  while (!pattern.empty() && pattern.back() == kStar) pattern.pop_back();

  // Each head found narrows x to the part after it; the result is the first level's head position once every
  // later level matched. Done as a loop so that long patterns cannot exhaust the stack.
  std::string_view x = x_text;
  std::string_view q = pattern;
  int first_head_position = 0;
  for (;;) {
    int level;
    if (q.empty()) {
      level = 1;
    } else if (q.front() == kStar && q.find(kStar, 1) == std::string_view::npos) {
      level = x.find(q.substr(1)) != std::string_view::npos ? 1 : 0;
    } else if (q.find(kStar) == std::string_view::npos) {
      level = PositionOf(x.find(q));
    } else {
      const size_t star = q.find(kStar);
      const std::string_view head = q.substr(0, star);
      const size_t found = x.find(head);
      if (found == std::string_view::npos) return 0;
      if (first_head_position == 0) first_head_position = static_cast<int>(found) + 1;
      x = x.substr(found + head.size());
      q = q.substr(star + 1);
      continue;
    }
    if (level == 0) return 0;
    return first_head_position != 0 ? first_head_position : level;
  }
}

std::string FirstListItem(const std::string& s) {
  if (!s.empty() && s.front() == kQuote) {
    const size_t close = s.find(kQuote, 1);
    return close == std::string::npos ? std::string() : s.substr(0, close + 1);
  }
  return s.substr(0, std::min(s.find(kComma), s.size()));
}

std::string ListItem(const std::string& s, int n) {
  std::string rest = s;
  for (int i = 1; i < n; ++i) {
    rest.erase(0, std::min(FirstListItem(rest).size() + 1, rest.size()));
  }
  return FirstListItem(rest);
}

int ListItemCount(const std::string& s) {
  if (s.empty()) return 0;
  return 1 + static_cast<int>(std::count(s.begin(), s.end(), kComma));
}

std::string ZeroTail(const std::string& s, size_t n) {
  std::string out = s.substr(0, std::min(s.size(), n));
  out.resize(n, '\0');
  return out;
}

std::string CTextToShort(std::string_view buffer, size_t max) {
  const std::string_view text = buffer.substr(0, std::min(buffer.find('\0'), buffer.size()));
  return std::string(text.substr(0, std::min(text.size(), max)));
}

std::string NaturalText(uint32_t v) {
  std::string digits;
  do {
    digits.push_back(static_cast<char>('0' + v % 10));
    v /= 10;
  } while (v != 0);
  std::reverse(digits.begin(), digits.end());
  return digits;
}

std::string IntegerText(int32_t v) {
  if (v >= 0) return NaturalText(static_cast<uint32_t>(v));
  // The magnitude in unsigned arithmetic, so the smallest value has one too.
  return "-" + NaturalText(0u - static_cast<uint32_t>(v));
}

int32_t TextToInteger(const std::string& s) {
  constexpr uint32_t kMaxMagnitude = 2147483647;
  constexpr size_t kMaxHexDigits = 8;
  conversion_failed = true;
  size_t i = 0;
  while (i < s.size() && s[i] == kSpace) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  uint32_t value = 0;
  if (i < s.size() && s[i] == '$') {
    ++i;
    const size_t first = i;
    for (; i < s.size(); ++i) {
      const int digit = HexValue(s[i]);
      if (digit < 0 || i - first == kMaxHexDigits) return 0;
      value = (value << 4) | static_cast<uint32_t>(digit);
    }
    if (i == first) return 0;
  } else {
    const size_t first = i;
    uint64_t magnitude = 0;
    for (; i < s.size(); ++i) {
      if (s[i] < '0' || s[i] > '9') return 0;
      magnitude = magnitude * 10 + static_cast<uint64_t>(s[i] - '0');
      if (magnitude > kMaxMagnitude) return 0;
    }
    value = static_cast<uint32_t>(magnitude);
    if (i == first) return 0;
  }
  conversion_failed = false;
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

bool ConversionFailed() { return conversion_failed; }

std::string HexByte(uint8_t v) { return Hex(v, 2); }
std::string HexWord(uint16_t v) { return Hex(v, 4); }
std::string HexLong(uint32_t v) { return Hex(v, 8); }

std::string PatternNumber(int32_t v, const std::string& t) {
  const std::string number = IntegerText(v);
  std::string field = number.size() >= t.size() ? number : std::string(t.size() - number.size(), kSpace) + number;
  size_t first_filled = std::string::npos;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '0' && field[i] == kSpace) {
      field[i] = '0';
      first_filled = std::min(first_filled, i);
    }
  }
  // A minus sign belongs before the filled zeros: -5 with "000" is -05, not 0-5.
  const size_t sign = field.find('-');
  if (v < 0 && first_filled < sign) {
    field.erase(sign, 1);
    field.insert(first_filled, 1, '-');
  }
  return field;
}

int32_t RandomBetween(int32_t a, int32_t b) {
  static std::minstd_rand generator(std::minstd_rand::default_seed);
  if (a > b) std::swap(a, b);
  std::uniform_int_distribution<int64_t> range(a, b);
  return static_cast<int32_t>(range(generator));
}

bool SameBytes(const void* a, const void* b, size_t n) { return n == 0 || std::memcmp(a, b, n) == 0; }

char FoldAsciiCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
  }
  return true;
}

}  // namespace jf
