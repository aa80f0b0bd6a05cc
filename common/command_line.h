// The command line of a tool and the readers of its arguments and options. The words after the program name
// are joined into ParamText (single blanks; a word that is empty or holds a blank or tab is put in double
// quotes), which the option readers shrink as they take their options out. Read all options before counting
// or reading arguments.
//
// An option is a "/" that begins a word (at the start of ParamText or after a blank, outside double quotes)
// whose word holds no further "/": absolute paths such as /var/data/x.pdb are always arguments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace jf {

// Captures argv[1..] as ParamText and argv[0] as the program; runs once at start-up.
void StartCommandLine(int argc, const char* const* argv);

// The first word of argv[1..] that holds a double quote; nullopt when none does. ParamText has no escape for a
// quote inside a word, so such a word would be split wrongly: tools refuse it before reading the command line.
std::optional<std::string> WordWithDoubleQuote(int argc, const char* const* argv);

// The command line after the program name, as the option readers have left it.
const std::string& ParamText();
// Replaces ParamText (for tests, and for a tool that builds its own command line).
void SetParamText(const std::string& text);

// Number of arguments in ParamText: words separated by blanks, a word in double quotes may hold blanks.
int ArgCount();
// Arg(0) is the full path of the running program; Arg(1..ArgCount()) the arguments without their quotes
// (an unclosed quote keeps its opening quote); the empty text beyond.
std::string Arg(int n);

// True when the option "/" + letter (any case) is present; "/X-" gives false, "/X+" true, the last one counts.
// Every occurrence is removed. Only the one letter is compared: for 'A' an option /AUTO leaves UTO behind.
bool SwitchLetter(char letter);
// The same for "/" + name (any case). A longer option beginning with name also matches; its remaining
// letters stay in ParamText.
bool SwitchFlag(const std::string& name);
// The value of "/" + name, written /NAMEvalue, /NAME:value or /NAME=value (value quoted when it holds blanks);
// empty when absent. Every occurrence and its value are removed; the last one counts.
std::string SwitchValue(const std::string& name);
// SwitchValue converted to a 32-bit integer, or default_value when the value is empty. Raises EConvertError
// "'<value>' is not a valid integer value" when it is not an integer.
int32_t SwitchNumber(const std::string& name, int32_t default_value);

}  // namespace jf
