// Standard output and standard error of a tool. Output goes through the process's standard output handle so it
// can be redirected to a file or a pipe; bytes pass unchanged.
#pragma once

#include <string_view>

namespace jf {

// Writes text to standard output as it stands (no line end added).
void Out(std::string_view text);
// Writes text and a line feed to standard output.
void OutLine(std::string_view text = {});
// Writes text and a line feed to standard error.
void ErrLine(std::string_view text);
// Pushes buffered standard output to the handle (before a question or a long step).
void FlushOut();

}  // namespace jf
