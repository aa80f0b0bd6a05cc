// What every tool's main() goes through: start-up, --help and --version, the banner and usage text, and the
// report of an error that ends a run ("<program>: <message>" on standard error, exit code 1).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace jf {

struct ToolInfo {
  std::string program;             // the program's name in lower case, e.g. "ambrel"
  std::string banner;              // e.g. "Ambrel/32 1.35"; empty for a tool without a banner (dbdump)
  std::vector<std::string> usage;  // the usage text, one entry per line
};

// Refuses a command line with a double quote inside a word ("<program>: A parameter may not contain a double
// quote: <word>" on standard error, exit code kExitBadParameter, before anything else). Otherwise captures the
// command line, answers --help (usage text) and --version (banner line; the usage text when there is no banner)
// given as the only argument with exit code 0, and otherwise runs body and returns its exit code.
// An error that escapes body is printed as "<program>: <message>" on standard error and gives exit code 1. When
// standard output could not take everything written to it, "<program>: Cannot write to standard output: <reason>"
// follows on standard error and a run that would have ended with 0 ends with 1.
int RunTool(const ToolInfo& info, int argc, char** argv, const std::function<int()>& body);
constexpr int kExitBadParameter = 2;

// An empty line, the banner, an empty line (nothing when the tool has no banner).
void PrintBanner(const ToolInfo& info);
// The usage lines.
void PrintUsage(const ToolInfo& info);

// When ArgCount() exceeds max_positional: prints that there are too many parameters and that wildcards must be
// quoted, and returns true; the tool then exits with kExitTooManyArguments without touching any file.
bool TooManyArguments(int max_positional);
constexpr int kExitTooManyArguments = 2;
// The text of that line.
std::string TooManyArgumentsLine();

// "File <name> doesn't exist!", the name in double quotes when it is empty or holds a blank.
std::string NoSuchFileLine(const std::string& name);

}  // namespace jf
