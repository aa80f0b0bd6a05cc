// One key press for a one-key question. On a terminal the key is read raw and without echo, and the terminal
// is restored on every way out (normal return, error, SIGINT, SIGTERM). When standard input is not a terminal
// one byte is read from it, so a script can answer; the end of the input counts as Esc.
#pragma once

namespace jf {

constexpr int kKeyReturn = 13;   // Return or Enter ("\r" or "\n")
constexpr int kKeyEsc = 27;      // Esc alone, or the end of the input
constexpr int kKeyNone = 256;    // a key with no single byte (arrows, function keys, Alt combinations, ...)

// Reads one key: a byte value 0..255 (Return and Esc as the constants above), or kKeyNone.
int ReadSingleKey();

}  // namespace jf
