#include "platform/console_text.h"

#include <array>

#include "common/code_pages.h"
#include "platform/locale.h"

namespace jf {

namespace {

constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kFirstPrintable = 0x20;
constexpr uint8_t kFirstHigh = 0x80;
// The line-feed substitute: a byte of code page 850 ("¤").
constexpr uint8_t kLineFeedSubstitute = 0xCF;
constexpr char kNoCharacter = '?';
constexpr char kDumpPlaceholder = '.';

// Plain characters for the Windows-1252 characters that code page 850 lacks.
char NearestPlainCharacter(uint16_t code_point) {
  switch (code_point) {
    case 0x201A: return ',';   // single low quote
    case 0x201E:               // double low quote
    case 0x201C:               // double quotes
    case 0x201D: return '"';
    case 0x2018:               // single quotes
    case 0x2019: return '\'';
    case 0x2026: return '.';   // ellipsis
    case 0x2020:               // daggers
    case 0x2021: return '+';
    case 0x02C6: return '^';
    case 0x2030: return '%';
    case 0x0160: return 'S';
    case 0x0161: return 's';
    case 0x2039: return '<';
    case 0x203A: return '>';
    case 0x0152: return 'O';
    case 0x0153: return 'o';
    case 0x017D: return 'Z';
    case 0x017E: return 'z';
    case 0x0178: return 'Y';
    case 0x2022: return '*';   // bullet
    case 0x2013:               // dashes
    case 0x2014: return '-';
    case 0x02DC: return '~';
    case 0x2122: return 'T';   // trade mark
    default: return kNoCharacter;
  }
}

// Windows-1252 byte -> code page 850 byte, built once from the two code tables.
const std::array<uint8_t, 256>& Windows1252To850() {
  static const std::array<uint8_t, 256> table = [] {
    std::array<uint8_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
      uint16_t cp = Windows1252CodePoint(static_cast<uint8_t>(b));
      if (b < kFirstHigh) {
        t[b] = static_cast<uint8_t>(b);
        continue;
      }
      t[b] = static_cast<uint8_t>(NearestPlainCharacter(cp));
      for (int o = kFirstHigh; o < 256 && cp != 0; ++o) {
        if (CodePage850CodePoint(static_cast<uint8_t>(o)) == cp) {
          t[b] = static_cast<uint8_t>(o);
          break;
        }
      }
    }
    return t;
  }();
  return table;
}

}  // namespace

std::string Utf8Of(uint16_t cp) {
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

ConsoleCharset CurrentConsoleCharset() {
  static const ConsoleCharset charset = ConsoleIsUtf8() ? ConsoleCharset::kUtf8 : ConsoleCharset::kCodePage850;
  return charset;
}

std::string DatabaseTextToConsole(const std::string& text, bool substitute_line_feeds) {
  return DatabaseTextToConsole(text, substitute_line_feeds, CurrentConsoleCharset());
}

std::string DatabaseTextToConsole(const std::string& text, bool substitute_line_feeds, ConsoleCharset charset) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    uint8_t b = static_cast<uint8_t>(c);
    if (charset == ConsoleCharset::kCodePage850) {
      out += static_cast<char>(substitute_line_feeds && b == kLineFeed ? kLineFeedSubstitute
                                                                       : Windows1252To850()[b]);
      continue;
    }
    uint16_t cp = b == kLineFeed && substitute_line_feeds ? CodePage850CodePoint(kLineFeedSubstitute)
                                                          : Windows1252CodePoint(b);
    if (cp == 0 && b != 0) {
      out += kNoCharacter;
    } else {
      out += Utf8Of(cp);
    }
  }
  return out;
}

std::string DumpCharToConsole(uint8_t byte) { return DumpCharToConsole(byte, CurrentConsoleCharset()); }

std::string DumpCharToConsole(uint8_t byte, ConsoleCharset charset) {
  if (byte < kFirstPrintable) return std::string(1, kDumpPlaceholder);
  if (charset == ConsoleCharset::kCodePage850 || byte < kFirstHigh) return std::string(1, static_cast<char>(byte));
  uint16_t cp = Windows1252CodePoint(byte);
  return cp == 0 ? std::string(1, kDumpPlaceholder) : Utf8Of(cp);
}

}  // namespace jf
