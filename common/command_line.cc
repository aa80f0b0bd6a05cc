#include "common/command_line.h"

#include <string_view>
#include <vector>

#include "common/errors.h"
#include "common/strings.h"
#include "platform/directory.h"

namespace jf {
namespace {

std::string g_param_text;
std::string g_program_path;

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// One argument of a text: where it starts, where the next one may start, and its value.
struct Token {
  size_t start = 0;
  std::string value;
  bool quoted = false;
};

// Splits text into arguments: a word in double quotes runs to the closing quote (an unclosed one to the end,
// keeping its opening quote), any other word to the next blank.
std::vector<Token> Tokenize(const std::string& text) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  while (i < text.size()) {
    Token token;
    token.start = i;
    if (text[i] == '"') {
      token.quoted = true;
      size_t close = text.find('"', i + 1);
      if (close == std::string::npos) {
        token.value = text.substr(i);
        i = text.size();
      } else {
        token.value = text.substr(i + 1, close - i - 1);
        i = close + 1;
      }
    } else {
      size_t blank = text.find(' ', i);
      if (blank == std::string::npos) blank = text.size();
      token.value = text.substr(i, blank - i);
      i = blank < text.size() ? blank + 1 : blank;
    }
    while (i < text.size() && text[i] == ' ') ++i;
    tokens.push_back(std::move(token));
  }
  return tokens;
}

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// True when the option name (any case) stands at text[pos].
bool NameAt(const std::string& text, size_t pos, const std::string& name) {
  if (pos + name.size() > text.size()) return false;
  for (size_t k = 0; k < name.size(); ++k) {
    if (AsciiUpper(text[pos + k]) != AsciiUpper(name[k])) return false;
  }
  return true;
}

// The position of the first option at or after from whose name begins with name: a "/" that begins an unquoted
// word (at the start of the text or after a blank) whose word holds no further "/". npos when there is none.
size_t FindOption(const std::string& text, size_t from, const std::string& name) {
  for (const Token& token : Tokenize(text)) {
    size_t pos = token.start;
    if (pos < from || token.quoted || text[pos] != '/') continue;
    if (pos > 0 && text[pos - 1] != ' ') continue;
    size_t word_end = text.find(' ', pos);
    if (word_end == std::string::npos) word_end = text.size();
    if (text.find('/', pos + 1) < word_end) continue;
    if (NameAt(text, pos + 1, name)) return pos;
  }
  return std::string::npos;
}

// After an option's name has been removed at pos: a following "+" or "-" decides the result and goes too.
bool TakeSign(std::string& text, size_t pos) {
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    bool on = text[pos] == '+';
    text.erase(pos, 1);
    return on;
  }
  return true;
}

}  // namespace

void StartCommandLine(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i] != nullptr ? argv[i] : "";
    if (i > 1) text += ' ';
    if (word.empty() || word.find_first_of(" \t") != std::string::npos) {
      text += '"' + word + '"';
    } else {
      text += word;
    }
  }
  g_param_text = text;
  g_program_path = RunningProgramPath(argc > 0 ? argv[0] : nullptr);
}

std::optional<std::string> WordWithDoubleQuote(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr && std::string_view(argv[i]).find('"') != std::string_view::npos) return argv[i];
  }
  return std::nullopt;
}

const std::string& ParamText() { return g_param_text; }

void SetParamText(const std::string& text) { g_param_text = text; }

int ArgCount() { return static_cast<int>(Tokenize(TrimBlanks(g_param_text)).size()); }

std::string Arg(int n) {
  if (n == 0) {
    if (g_program_path.empty()) g_program_path = RunningProgramPath(nullptr);
    return g_program_path;
  }
  std::vector<Token> tokens = Tokenize(TrimBlanks(g_param_text));
  if (n < 0 || static_cast<size_t>(n) > tokens.size()) return {};
  return tokens[static_cast<size_t>(n) - 1].value;
}

bool SwitchLetter(char letter) {
  bool result = false;
  const std::string name(1, letter);
  size_t pos = FindOption(g_param_text, 0, name);
  while (pos != std::string::npos) {
    g_param_text.erase(pos, 2);
    result = TakeSign(g_param_text, pos);
    pos = FindOption(g_param_text, pos, name);
  }
  return result;
}

bool SwitchFlag(const std::string& name) {
  if (name.empty()) return false;
  bool result = false;
  for (size_t pos = FindOption(g_param_text, 0, name); pos != std::string::npos;
       pos = FindOption(g_param_text, 0, name)) {
    g_param_text.erase(pos, name.size() + 1);
    result = TakeSign(g_param_text, pos);
  }
  return result;
}

std::string SwitchValue(const std::string& name) {
  std::string result;
  if (name.empty()) return result;
  std::string& text = g_param_text;
  for (size_t pos = FindOption(text, 0, name); pos != std::string::npos; pos = FindOption(text, 0, name)) {
    text.erase(pos, name.size() + 1);
    if (pos < text.size() && (text[pos] == ':' || text[pos] == '=')) text.erase(pos, 1);
    if (pos >= text.size() || text[pos] == ' ') {
      result.clear();
      continue;
    }
    size_t end;
    if (text[pos] == '"') {
      size_t close = text.find('"', pos + 1);
      end = close == std::string::npos ? text.size() : close + 1;
    } else {
      end = text.find_first_of(" /", pos);
      if (end == std::string::npos) end = text.size();
    }
    std::string value = text.substr(pos, end - pos);
    text.erase(pos, end - pos);
    if (!value.empty() && value.front() == '"') {
      value.erase(0, 1);
      if (!value.empty() && value.back() == '"') value.pop_back();
    }
    result = value;
  }
  return result;
}

int32_t SwitchNumber(const std::string& name, int32_t default_value) {
  std::string value = SwitchValue(name);
  if (value.empty()) return default_value;
  int32_t number = TextToInteger(value);
  if (ConversionFailed()) throw EConvertError("'" + value + "' is not a valid integer value");
  return number;
}

}  // namespace jf
