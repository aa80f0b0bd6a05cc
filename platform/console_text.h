// Database text on the console. Database text is Windows-1252; the console speaks UTF-8 when the user's locale
// does, and code page 850 otherwise. Every conversion gives one character per byte, so columns stay aligned.
#pragma once

#include <cstdint>
#include <string>

namespace jf {

enum class ConsoleCharset { kCodePage850, kUtf8 };

// The console's character set, from the user's locale (read once).
ConsoleCharset CurrentConsoleCharset();

// Windows-1252 text as the console shows it. Code page 850: each byte becomes its code page 850 byte, or the
// nearest plain character where that code page has none ("?" when there is none either). UTF-8: each byte becomes
// its character ("?" for the five bytes without one). Control bytes pass unchanged, except that with
// substitute_line_feeds a line feed shows as the line-feed substitute: the byte 0xCF of code page 850, which is
// "¤" on a UTF-8 console.
std::string DatabaseTextToConsole(const std::string& text, bool substitute_line_feeds = false);
std::string DatabaseTextToConsole(const std::string& text, bool substitute_line_feeds, ConsoleCharset charset);

// One byte of a hex dump's character column: "." below 0x20. Code page 850: the byte itself. UTF-8: the
// Windows-1252 character of a byte from 0x80 up ("." where there is none), the byte itself below.
std::string DumpCharToConsole(uint8_t byte);
std::string DumpCharToConsole(uint8_t byte, ConsoleCharset charset);

// The code point as UTF-8 (code points up to 0xFFFF).
std::string Utf8Of(uint16_t code_point);

}  // namespace jf
