// Standard output and standard error of a tool. Output goes through the process's standard output handle so it
// can be redirected to a file or a pipe; bytes pass unchanged.
#pragma once

#include <string>
#include <string_view>

namespace jf {

// Writes text to standard output as it stands (no line end added).
void Out(std::string_view text);
// Writes text and a line feed to standard output.
void OutLine(std::string_view text = {});
// Writes text and a line feed to standard error. A line left open on standard output (a progress line cut short
// by an error) is ended first, so the two never share a line on the terminal.
void ErrLine(std::string_view text);
// Pushes buffered standard output to the handle (before a question or a long step).
void FlushOut();
// Pushes buffered standard output to the handle and tells whether everything written so far reached it: empty
// when it did, otherwise the system's reason for the first failure (a full disk, a closed file).
std::string StdOutFailure();

}  // namespace jf
