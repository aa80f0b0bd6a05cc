#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/key_input.h"

namespace jf {
namespace {

constexpr int kEscapeWaitMs = 50;  // a lone Esc byte: nothing follows within this time
constexpr unsigned char kEscByte = 27;

// The terminal state to restore, reachable from the signal handlers.
struct termios g_saved_terminal;
volatile sig_atomic_t g_terminal_raw = 0;

void RestoreTerminal() {
  if (g_terminal_raw) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_terminal);
    g_terminal_raw = 0;
  }
}

// Restores the terminal, then lets the signal do what it would have done.
extern "C" void RestoreAndRaise(int signal_number) {
  RestoreTerminal();
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// Puts the terminal in raw no-echo mode for its lifetime, with SIGINT and SIGTERM restoring it.
class RawTerminal {
 public:
  RawTerminal() {
    if (::tcgetattr(STDIN_FILENO, &g_saved_terminal) != 0) return;
    struct termios raw = g_saved_terminal;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    struct sigaction action {};
    action.sa_handler = RestoreAndRaise;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &old_int_);
    ::sigaction(SIGTERM, &action, &old_term_);
    if (::tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) g_terminal_raw = 1;
  }
  ~RawTerminal() {
    RestoreTerminal();
    ::sigaction(SIGINT, &old_int_, nullptr);
    ::sigaction(SIGTERM, &old_term_, nullptr);
  }
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

 private:
  struct sigaction old_int_ {};
  struct sigaction old_term_ {};
};

// Reads one byte; -1 at the end of the input or on an error.
int ReadByte() {
  unsigned char byte;
  for (;;) {
    ssize_t n = ::read(STDIN_FILENO, &byte, 1);
    if (n == 1) return byte;
    if (n < 0 && errno == EINTR) continue;
    return -1;
  }
}

// Reads one byte when one arrives within the escape wait; -1 otherwise.
int ReadByteSoon() {
  struct pollfd fd = {STDIN_FILENO, POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&fd, 1, kEscapeWaitMs);
  } while (ready < 0 && errno == EINTR);
  return ready > 0 ? ReadByte() : -1;
}

// After an Esc byte with more behind it: consumes the rest of the key's sequence.
void SkipEscapeSequence(int second) {
  if (second == '[') {
    // CSI: parameter and intermediate bytes, then one final byte from 0x40 to 0x7E.
    for (int c = ReadByteSoon(); c >= 0; c = ReadByteSoon()) {
      if (c >= 0x40 && c <= 0x7E) return;
    }
  } else if (second == 'O') {
    ReadByteSoon();  // SS3: one more byte (F1 to F4, keypad keys)
  }
}

int KeyFromTerminal() {
  RawTerminal raw;
  int byte = ReadByte();
  if (byte < 0) return kKeyEsc;
  if (byte == '\r' || byte == '\n') return kKeyReturn;
  if (byte == kEscByte) {
    int next = ReadByteSoon();
    if (next < 0) return kKeyEsc;
    SkipEscapeSequence(next);
    return kKeyNone;
  }
  if (byte >= 0xC0) {
    // The first byte of a multi-byte character: drop its continuation bytes, no one-key answer is one.
    for (;;) {
      struct pollfd fd = {STDIN_FILENO, POLLIN, 0};
      if (::poll(&fd, 1, 0) <= 0) break;
      unsigned char peek;
      if (::read(STDIN_FILENO, &peek, 1) != 1 || (peek & 0xC0) != 0x80) break;
    }
    return kKeyNone;
  }
  return byte;
}

}  // namespace

int ReadSingleKey() {
  if (::isatty(STDIN_FILENO)) return KeyFromTerminal();
  // A line ending of CR LF in piped answers is one Return, not two.
  static bool after_cr = false;
  int byte = ReadByte();
  if (after_cr && byte == '\n') byte = ReadByte();
  after_cr = byte == '\r';
  if (byte < 0) return kKeyEsc;
  if (byte == '\r' || byte == '\n') return kKeyReturn;
  return byte;
}

}  // namespace jf
