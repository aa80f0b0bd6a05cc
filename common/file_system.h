// Existence tests, directory searches and the letter case of names on disk. Like the system this suite came
// from, names are found without regard to letter case: an exact match first, otherwise the first entry (in name
// order) that differs only in case. Failed searches count as "not found"; nothing here raises an error.
#pragma once

#include <string>
#include <vector>

namespace jf {

// Which entries a directory search takes. Plain files are always taken; the others only when asked for.
enum FileKinds : unsigned {
  kPlainFiles = 0,
  kReadOnlyFiles = 1u << 0,  // files marked read-only (see IsReadOnlyFile)
  kHiddenFiles = 1u << 1,    // names starting with "."
  kDirectories = 1u << 2,
  kAnyFile = kReadOnlyFiles | kHiddenFiles,  // every file, no directories
};

struct FoundFile {
  std::string name;  // the name as the folder holds it, without the folder
  bool is_directory = false;
  bool read_only = false;
  bool hidden = false;
};

// The entries of the folder part of pattern whose names match its name part ("*" any run, "?" one character,
// letter case ignored), sorted by name with letter case ignored (names that differ only in case in byte order).
// A name part without wildcards gives at most one entry: the exact name, otherwise the first that differs only
// in case. An empty folder part means the current folder. Files are regular files (or links to them): pipes,
// sockets, devices and links that lead nowhere are never found.
std::vector<FoundFile> FindFiles(const std::string& pattern, unsigned kinds);

// True when a search for name finds a file of any kind (directories do not count; wildcards match any file).
bool FileIsPresent(const std::string& name);
// False when name has wildcards, else FileIsPresent(name).
bool PlainFileIsPresent(const std::string& name);
// True when name is an existing directory ("/" always is; a trailing "/" is allowed; wildcards give false).
bool IsDirectory(const std::string& name);

// There are no drive letters: CurrentDrive gives kNoDrive and CurrentDirOf the current folder with a trailing "/".
constexpr char kNoDrive = '\0';
char CurrentDrive();
std::string CurrentDirOf(char drive);

// The full path of path (a folder) with every existing component in its letter case on disk; components that
// do not exist keep the case they were typed in. Always ends with "/".
std::string TrueCasePath(const std::string& path);
// The full path of name with the folder as TrueCasePath gives it and, when the name part has no wildcards and
// exists, the name part in its case on disk.
std::string FullFileName(const std::string& name);

// A tool's input name as it searches for it: in the current directory when it names no folder, with the default
// extension when it has none, expanded to a full path with its letter case taken from the disk.
std::string ExpandInputName(const std::string& name, const std::string& default_extension);

// Deletes a file; true on success.
bool DeleteFileNamed(const std::string& name);
// Copies source to destination; with overwrite false an existing destination makes the copy fail. The
// destination is either the complete copy or untouched. True on success.
bool CopyFileNamed(const std::string& source, const std::string& destination, bool overwrite);

}  // namespace jf
