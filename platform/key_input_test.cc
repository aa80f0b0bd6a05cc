#include "platform/key_input.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace jf {
namespace {

// Puts fd in place of standard input for the lifetime of the object.
class StdinFrom {
 public:
  explicit StdinFrom(int fd) : saved_(::dup(STDIN_FILENO)) { ::dup2(fd, STDIN_FILENO); }
  ~StdinFrom() {
    ::dup2(saved_, STDIN_FILENO);
    ::close(saved_);
  }

 private:
  int saved_;
};

void WriteAll(int fd, const std::string& bytes) {
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

TEST(KeyInput, PipedAnswers) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  WriteAll(fds[1], "y\r\nN\n\x1b" "a");
  ::close(fds[1]);
  StdinFrom redirect(fds[0]);
  EXPECT_EQ(ReadSingleKey(), 'y');
  EXPECT_EQ(ReadSingleKey(), kKeyReturn);  // CR LF is one Return
  EXPECT_EQ(ReadSingleKey(), 'N');
  EXPECT_EQ(ReadSingleKey(), kKeyReturn);
  EXPECT_EQ(ReadSingleKey(), kKeyEsc);
  EXPECT_EQ(ReadSingleKey(), 'a');
  EXPECT_EQ(ReadSingleKey(), kKeyEsc);  // the end of the input
  EXPECT_EQ(ReadSingleKey(), kKeyEsc);
  ::close(fds[0]);
}

// A pseudo-terminal: the test writes keys to the master side, the code reads the slave side as a terminal.
class Pty {
 public:
  Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
  }
  ~Pty() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  bool ok() const { return master_ >= 0 && slave_ >= 0; }
  int master() const { return master_; }
  int slave() const { return slave_; }
  tcflag_t LocalFlags() const {
    struct termios t;
    ::tcgetattr(slave_, &t);
    return t.c_lflag;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
};

TEST(KeyInput, TerminalKeysAndRestore) {
  Pty pty;
  if (!pty.ok()) GTEST_SKIP() << "no pseudo-terminal available";
  tcflag_t before = pty.LocalFlags();
  ASSERT_TRUE(before & ICANON);
  StdinFrom redirect(pty.slave());
  ::alarm(20);  // a read that waits for ever ends the test instead of hanging it
  struct Case {
    std::string bytes;
    int key;
  } cases[] = {
      {"a", 'a'}, {"\r", kKeyReturn}, {"\x1b", kKeyEsc}, {"\x1b[A", kKeyNone}, {"\x1b[1;5C", kKeyNone},
      {"\x1bOP", kKeyNone}, {"\xC3\xA9", kKeyNone}, {"2", '2'},
  };
  for (const Case& c : cases) {
    WriteAll(pty.master(), c.bytes);
    EXPECT_EQ(ReadSingleKey(), c.key) << c.bytes;
    EXPECT_EQ(pty.LocalFlags(), before) << "terminal not restored after " << c.bytes;
  }
  ::alarm(0);
}

TEST(KeyInput, TerminalRestoredWhenInterrupted) {
  for (int signal_number : {SIGINT, SIGTERM}) {
    Pty pty;
    if (!pty.ok()) GTEST_SKIP() << "no pseudo-terminal available";
    tcflag_t before = pty.LocalFlags();
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::dup2(pty.slave(), STDIN_FILENO);
      ReadSingleKey();
      ::_exit(0);
    }
    // Wait until the child has put the terminal in raw mode, then interrupt it.
    for (int i = 0; i < 500 && (pty.LocalFlags() & ICANON); ++i) ::usleep(2000);
    EXPECT_FALSE(pty.LocalFlags() & ICANON);
    ::kill(child, signal_number);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number);
    EXPECT_EQ(pty.LocalFlags(), before);
  }
}

}  // namespace
}  // namespace jf
