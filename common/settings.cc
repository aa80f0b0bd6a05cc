#include "common/settings.h"

#include "common/errors.h"
#include "common/file_names.h"
#include "common/strings.h"
#include "platform/directory.h"
#include "platform/file_io.h"

namespace jf {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(const std::string& text) {
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  size_t last = text.size();
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}


bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

// What one line of a settings file is.
struct LineMeaning {
  enum Kind { kOther, kHeading, kEntry } kind = kOther;
  std::string name;   // section name or key, blanks trimmed
  std::string value;  // raw text after "=" of an entry
};

LineMeaning Interpret(std::string text, bool first_line) {
  LineMeaning meaning;
  if (first_line && text.compare(0, 3, kUtf8Mark) == 0) text.erase(0, 3);
  if (!text.empty() && text.back() == '\r') text.pop_back();  // a last line ending in a lone CR
  std::string trimmed = TrimBlanks(text);
  if (trimmed.empty() || trimmed[0] == ';') return meaning;
  if (trimmed[0] == '[') {
    size_t close = trimmed.find(']');
    meaning.kind = LineMeaning::kHeading;
    meaning.name = TrimBlanks(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return meaning;
  }
  size_t equals = text.find('=');
  if (equals == std::string::npos) return meaning;
  meaning.kind = LineMeaning::kEntry;
  meaning.name = TrimBlanks(text.substr(0, equals));
  meaning.value = text.substr(equals + 1);
  return meaning;
}

// What fits in a read's receiving area: the text up to a zero byte, at most the length limit.
std::string CutValue(std::string value) {
  size_t zero = value.find('\0');
  if (zero != std::string::npos) value.resize(zero);
  if (value.size() > kProfileValueLimit) value.resize(kProfileValueLimit);
  return value;
}

// A stored value as a read delivers it: blanks trimmed, one pair of enclosing quotes removed, then cut.
std::string DeliveredValue(const std::string& raw) {
  std::string value = TrimBlanks(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return CutValue(value);
}

}  // namespace

ProfileDocument::ProfileDocument(const std::string& bytes) {
  size_t start = 0;
  while (start < bytes.size()) {
    size_t lf = bytes.find('\n', start);
    Line line;
    if (lf == std::string::npos) {
      line.text = bytes.substr(start);
      if (!line.text.empty() && line.text.back() == '\r') {
        line.text.pop_back();
        line.end = "\r";
      }
      start = bytes.size();
    } else {
      size_t text_end = (lf > start && bytes[lf - 1] == '\r') ? lf - 1 : lf;
      line.text = bytes.substr(start, text_end - start);
      line.end = bytes.substr(text_end, lf + 1 - text_end);
      start = lf + 1;
    }
    lines_.push_back(std::move(line));
  }
}

bool ProfileDocument::Load(const std::string& file_name) {
  *this = ProfileDocument();
  std::string path = ProfileFilePath(file_name);
  if (path.empty()) return false;
  if (!PathExists(ResolveExistingCase(path))) return true;
  try {
    *this = ProfileDocument(ReadWholeFile(path, FileOpenMode::kReadOnly));
    return true;
  } catch (const EError&) {
    return false;
  }
}

bool ProfileDocument::Save(const std::string& file_name) const {
  std::string path = ProfileFilePath(file_name);
  if (path.empty()) return false;
  if (FilePathPart(file_name).empty() && !EnsureFolder(ConfigFolder())) return false;
  PathStatus status = StatPath(ResolveExistingCase(path));
  if (status.exists && (status.is_directory || !status.writable)) return false;
  try {
    WriteFileAtomically(path, Bytes());
    return true;
  } catch (const EError&) {
    return false;
  }
}

bool ProfileDocument::FindSection(const std::string& section, size_t from, size_t* heading, size_t* end) const {
  std::string wanted = TrimBlanks(section);
  for (size_t i = from; i < lines_.size(); ++i) {
    LineMeaning meaning = Interpret(lines_[i].text, i == 0);
    if (meaning.kind != LineMeaning::kHeading || !SameIgnoringAsciiCase(meaning.name, wanted)) continue;
    *heading = i;
    size_t j = i + 1;
    while (j < lines_.size() && Interpret(lines_[j].text, false).kind != LineMeaning::kHeading) ++j;
    *end = j;
    return true;
  }
  return false;
}

bool ProfileDocument::FindKey(size_t begin, size_t end, const std::string& key, size_t* index) const {
  std::string wanted = TrimBlanks(key);
  for (size_t i = begin; i < end; ++i) {
    LineMeaning meaning = Interpret(lines_[i].text, false);
    if (meaning.kind == LineMeaning::kEntry && SameIgnoringAsciiCase(meaning.name, wanted)) {
      *index = i;
      return true;
    }
  }
  return false;
}

std::optional<std::string> ProfileDocument::Get(const std::string& section, const std::string& key) const {
  size_t heading, end, index;
  if (!FindSection(section, 0, &heading, &end) || !FindKey(heading + 1, end, key, &index)) return std::nullopt;
  return DeliveredValue(Interpret(lines_[index].text, false).value);
}

std::optional<std::vector<std::string>> ProfileDocument::Keys(const std::string& section) const {
  size_t heading, end;
  if (!FindSection(section, 0, &heading, &end)) return std::nullopt;
  std::vector<std::string> keys;
  for (size_t i = heading + 1; i < end; ++i) {
    LineMeaning meaning = Interpret(lines_[i].text, false);
    if (meaning.kind == LineMeaning::kEntry) keys.push_back(meaning.name);
  }
  return keys;
}

std::vector<std::string> ProfileDocument::Sections() const {
  std::vector<std::string> names;
  for (size_t i = 0; i < lines_.size(); ++i) {
    LineMeaning meaning = Interpret(lines_[i].text, i == 0);
    if (meaning.kind == LineMeaning::kHeading) names.push_back(meaning.name);
  }
  return names;
}

void ProfileDocument::EndLineBefore(size_t index) {
  if (index == 0) return;
  Line& before = lines_[index - 1];
  if (before.end.empty() || before.end.back() != '\n') before.end = kLineEnd;
}

bool ProfileDocument::Set(const std::string& section, const std::string& key, const std::string& value) {
  std::string section_name = TrimBlanks(section);
  std::string key_name = TrimBlanks(key);
  if (section_name.empty() || section_name.find(']') != std::string::npos || HasLineBreak(section_name)) {
    return false;
  }
  // A key must read back as the same key: no "=", and nothing that would make the line a heading or comment.
  if (key_name.empty() || key_name.find('=') != std::string::npos || key_name[0] == '[' || key_name[0] == ';' ||
      HasLineBreak(key_name) || HasLineBreak(value)) {
    return false;
  }
  size_t heading, end, index;
  if (!FindSection(section_name, 0, &heading, &end)) {
    size_t at = lines_.size();
    lines_.push_back({"[" + section_name + "]", kLineEnd});
    lines_.push_back({key_name + "=" + value, kLineEnd});
    EndLineBefore(at);
    modified_ = true;
    return true;
  }
  if (FindKey(heading + 1, end, key_name, &index)) {
    // The key keeps the spelling the file gives it.
    Line replacement{Interpret(lines_[index].text, false).name + "=" + value, kLineEnd};
    if (replacement.text != lines_[index].text || replacement.end != lines_[index].end) {
      lines_[index] = replacement;
      modified_ = true;
    }
    return true;
  }
  // After the section's last non-blank line, so that blank lines before the next section stay where they are.
  size_t at = heading + 1;
  for (size_t i = heading + 1; i < end; ++i) {
    if (!TrimBlanks(lines_[i].text).empty()) at = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{key_name + "=" + value, kLineEnd});
  EndLineBefore(at);
  modified_ = true;
  return true;
}

void ProfileDocument::RemoveSection(const std::string& section) {
  size_t heading, end;
  size_t from = 0;
  while (FindSection(section, from, &heading, &end)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(heading),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
    modified_ = true;
    from = heading;
  }
}

std::string ProfileDocument::Bytes() const {
  std::string bytes;
  for (const Line& line : lines_) bytes += line.text + line.end;
  return bytes;
}

std::string ProfileFilePath(const std::string& file_name) {
  if (file_name.empty() || !FilePathPart(file_name).empty()) return file_name;
  return ConfigFolder() + "/" + file_name;
}

std::string ReadProfileText(const std::string& section, const std::string& key, const std::string& default_value,
                            const std::string& file_name) {
  std::string fallback = CutValue(default_value);
  ProfileDocument document;
  document.Load(file_name);
  if (TrimBlanks(section).empty()) {
    std::vector<std::string> sections = document.Sections();
    return sections.empty() ? fallback : sections.front();
  }
  if (TrimBlanks(key).empty()) {
    std::optional<std::vector<std::string>> keys = document.Keys(section);
    return keys && !keys->empty() ? keys->front() : fallback;
  }
  return document.Get(section, key).value_or(fallback);
}

bool WriteProfileText(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file_name) {
  ProfileDocument document;
  if (!document.Load(file_name)) return false;
  if (TrimBlanks(key).empty()) {
    if (TrimBlanks(section).empty()) return false;
    document.RemoveSection(section);
    return !document.modified() || document.Save(file_name);
  }
  return document.Set(section, key, value) && document.Save(file_name);
}

}  // namespace jf
