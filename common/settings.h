// Settings files of sections and key=value lines (the .DEF side files and Karvel.INI). Section names and keys
// are compared without regard to letter case, and the first match counts. Writing changes only the lines it
// must: every other byte of the file stays as it was. Lines written end with CR LF; lines read may end with
// LF or CR LF. A file is rewritten whole or not at all.
//
// A file name without a folder (Karvel.INI) names a file in the user's configuration folder.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace jf {

// The longest value a read delivers; longer values are cut.
constexpr size_t kProfileValueLimit = 8191;

// A settings file held in memory. Load once, Get and Set many keys, Save once: the result is the same as that
// of writing the keys one by one with WriteProfileText.
class ProfileDocument {
 public:
  ProfileDocument() = default;
  explicit ProfileDocument(const std::string& bytes);

  // Reads the file (ProfileFilePath applied). A missing file gives an empty document; false (and an empty
  // document) only when the file exists but cannot be read, so that a caller never writes over it.
  bool Load(const std::string& file_name);
  // Writes the document to the file, replacing it whole; creates the configuration folder for a bare name.
  // False when the file cannot be written (a read-only file among them); the file is then unchanged.
  bool Save(const std::string& file_name) const;

  // The value of key in section: blanks around it removed, then one pair of enclosing double or single quotes,
  // cut to kProfileValueLimit characters. No value when the section or the key is missing.
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;
  // The key names of section in file order (no value when the section is missing).
  std::optional<std::vector<std::string>> Keys(const std::string& section) const;
  // The section names in file order.
  std::vector<std::string> Sections() const;

  // Stores key=value: replaces the line of an existing key in place, or adds the line after the section's last
  // entry, or adds the section at the end. False (and nothing changed) when the section, key or value cannot
  // be stored: an empty section or key, a section holding "]", a key holding "=", or a line break in any of them.
  bool Set(const std::string& section, const std::string& key, const std::string& value);
  // Removes every section of that name with all its lines.
  void RemoveSection(const std::string& section);

  // The file image.
  std::string Bytes() const;
  // True when a Set or RemoveSection changed the document since it was loaded or built.
  bool modified() const { return modified_; }

 private:
  struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n" or "\n"; the last line may also end in "\r" or nothing
  };
  // The first section named section at or after line from: its heading line and the end of its lines.
  bool FindSection(const std::string& section, size_t from, size_t* heading, size_t* end) const;
  // The first entry line of key among lines [begin, end).
  bool FindKey(size_t begin, size_t end, const std::string& key, size_t* index) const;
  // Gives the line before position index a line end, so that a line can be put after it.
  void EndLineBefore(size_t index);

  std::vector<Line> lines_;
  bool modified_ = false;
};

// The file a settings-file name denotes: a name without a folder lies in the configuration folder.
std::string ProfileFilePath(const std::string& file_name);

// The value of key in section of file, or default_value when the file, section or key is missing. An empty key
// gives the section's first key name, an empty section the first section name (default_value when none).
std::string ReadProfileText(const std::string& section, const std::string& key, const std::string& default_value,
                            const std::string& file_name);
// Writes key=value into section of file (created when missing); an empty key removes the whole section.
// True when the file was written.
bool WriteProfileText(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file_name);

}  // namespace jf
