#include <cstdio>

#include "platform/std_output.h"

namespace jf {

void Out(std::string_view text) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stdout);
}

void OutLine(std::string_view text) {
  Out(text);
  std::fputc('\n', stdout);
}

void ErrLine(std::string_view text) {
  std::fflush(stdout);
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

void FlushOut() { std::fflush(stdout); }

}  // namespace jf
