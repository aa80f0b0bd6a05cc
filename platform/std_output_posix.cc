#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/std_output.h"

namespace jf {
namespace {

bool g_line_open = false;    // the last byte written to standard output was not a line feed
int g_failure_errno = 0;     // why the first write to standard output failed; 0 while none has

void NoteFailure() {
  if (g_failure_errno == 0) g_failure_errno = errno != 0 ? errno : EIO;
}

void Flush() {
  if (std::fflush(stdout) != 0) NoteFailure();
}

}  // namespace

void Out(std::string_view text) {
  if (text.empty()) return;
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) NoteFailure();
  g_line_open = text.back() != '\n';
}

void OutLine(std::string_view text) {
  Out(text);
  if (std::fputc('\n', stdout) == EOF) NoteFailure();
  g_line_open = false;
}

void ErrLine(std::string_view text) {
  if (g_line_open) OutLine();
  Flush();
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

void FlushOut() { Flush(); }

std::string StdOutFailure() {
  Flush();
  if (std::ferror(stdout) && g_failure_errno == 0) g_failure_errno = EIO;
  return g_failure_errno == 0 ? std::string() : std::string(std::strerror(g_failure_errno));
}

}  // namespace jf
