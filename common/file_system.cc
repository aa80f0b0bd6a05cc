#include "common/file_system.h"

#include <algorithm>

#include "common/file_names.h"
#include "common/strings.h"
#include "platform/directory.h"
#include "platform/file_io.h"

namespace jf {
namespace {


// "*" matches any run of characters, "?" exactly one; letter case is ignored.
bool GlobMatch(const std::string& name, const std::string& pattern) {
  size_t n = 0, p = 0;
  size_t star = std::string::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || FoldAsciiCase(pattern[p]) == FoldAsciiCase(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// As the search this suite was written for: a final ".*" also matches names without an extension, so "*.*"
// matches every name.
bool NameMatches(const std::string& name, const std::string& pattern) {
  if (GlobMatch(name, pattern)) return true;
  size_t n = pattern.size();
  return n >= 2 && pattern.compare(n - 2, 2, ".*") == 0 && name.find('.') == std::string::npos &&
         GlobMatch(name, pattern.substr(0, n - 2));
}

// Name order as a user reads it: letter case ignored, then byte order among names that differ only in case.
bool NameOrder(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(FoldAsciiCase(a[i]));
    unsigned char y = static_cast<unsigned char>(FoldAsciiCase(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

std::vector<DirectoryEntry> SortedEntries(const std::string& folder) {
  std::vector<DirectoryEntry> entries;
  ListDirectory(folder, &entries);
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return NameOrder(a.name, b.name); });
  return entries;
}

// The entry of the sorted list that name denotes: the exact name, else the first that differs only in case.
const DirectoryEntry* FindEntry(const std::vector<DirectoryEntry>& entries, const std::string& name) {
  for (const DirectoryEntry& entry : entries) {
    if (entry.name == name) return &entry;
  }
  for (const DirectoryEntry& entry : entries) {
    if (SameIgnoringAsciiCase(entry.name, name)) return &entry;
  }
  return nullptr;
}

bool IsHidden(const std::string& name) { return !name.empty() && name[0] == '.'; }

// Pipes, sockets, devices and links that lead nowhere are never found.
bool KindWanted(const DirectoryEntry& entry, unsigned kinds) {
  if (entry.is_directory) {
    if (!(kinds & kDirectories)) return false;
  } else if (!entry.is_file || (entry.read_only && !(kinds & kReadOnlyFiles))) {
    return false;
  }
  return !IsHidden(entry.name) || (kinds & kHiddenFiles);
}

FoundFile ToFound(const DirectoryEntry& entry) {
  FoundFile found;
  found.name = entry.name;
  found.is_directory = entry.is_directory;
  found.read_only = entry.read_only;
  found.hidden = IsHidden(entry.name);
  return found;
}

}  // namespace

std::vector<FoundFile> FindFiles(const std::string& pattern, unsigned kinds) {
  std::vector<FoundFile> result;
  std::string folder = FilePathPart(pattern);
  std::string leaf = FileNamePart(pattern);
  if (leaf.empty()) return result;
  if (!folder.empty() && !StatPath(folder).is_directory) folder = TrueCasePath(folder);
  std::vector<DirectoryEntry> entries = SortedEntries(folder);
  if (!HasWildcards(leaf)) {
    const DirectoryEntry* entry = FindEntry(entries, leaf);
    if (entry != nullptr && KindWanted(*entry, kinds)) result.push_back(ToFound(*entry));
    return result;
  }
  for (const DirectoryEntry& entry : entries) {
    if (KindWanted(entry, kinds) && NameMatches(entry.name, leaf)) result.push_back(ToFound(entry));
  }
  return result;
}

bool FileIsPresent(const std::string& name) { return !FindFiles(name, kAnyFile).empty(); }

bool PlainFileIsPresent(const std::string& name) { return !HasWildcards(name) && FileIsPresent(name); }

bool IsDirectory(const std::string& name) {
  if (name == "/") return true;
  if (name.empty() || HasWildcards(name)) return false;
  return StatPath(TrueCasePath(name)).is_directory;
}

char CurrentDrive() { return kNoDrive; }

std::string CurrentDirOf(char /*drive*/) { return AddBackslash(CurrentDirectory()); }

std::string TrueCasePath(const std::string& path) {
  return ResolveExistingCase(AddBackslash(ExpandFullPath(path)));
}

std::string FullFileName(const std::string& name) {
  std::string full = ExpandFullPath(name);
  std::string leaf = FileNamePart(full);
  if (leaf.empty() || HasWildcards(leaf)) return TrueCasePath(FilePathPart(full)) + leaf;
  return ResolveExistingCase(full);
}

bool DeleteFileNamed(const std::string& name) { return DeleteFilePath(name); }

bool CopyFileNamed(const std::string& source, const std::string& destination, bool overwrite) {
  return CopyFileAtomically(source, destination, overwrite);
}

std::string ExpandInputName(const std::string& name, const std::string& default_extension) {
  std::string full = FilePathPart(name).empty() ? CurrentDirOf(CurrentDrive()) + name : name;
  return FullFileName(DefaultExtension(full, default_extension));
}

}  // namespace jf
