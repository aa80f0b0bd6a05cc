// The operating system's side of files and folders: listing, status, the current folder, full-path expansion,
// copying and deleting, and the user's configuration folder. Names are bytes as the file system gives them.
#pragma once

#include <string>
#include <vector>

namespace jf {

// One entry of a folder as the file system reports it ("." and ".." are never listed).
struct DirectoryEntry {
  std::string name;
  bool is_directory = false;  // a directory, or a link to one
  bool is_file = false;       // a regular file, or a link to one (not a pipe, socket or device)
  bool read_only = false;     // marked read-only (see IsReadOnlyFile)
};

// Lists the entries of folder (an empty folder name means the current folder), in no particular order.
// False when the folder cannot be read; entries is then empty.
bool ListDirectory(const std::string& folder, std::vector<DirectoryEntry>* entries);

// What the file system says about a name (links followed).
struct PathStatus {
  bool exists = false;
  bool is_directory = false;
  bool readable = false;
  bool writable = false;  // a folder: files can be made in it; a file: not marked read-only (IsReadOnlyFile)
};
PathStatus StatPath(const std::string& name);

// The current folder as an absolute path, without a trailing "/" (except for the root "/").
std::string CurrentDirectory();

// The absolute form of name: a relative name is taken against the current folder, empty components and "."
// are dropped and ".." removes the component before it (never above the root). Works on the text alone, so it
// also serves names that do not exist. A name ending in "/" (or in "/." or "/..") keeps a trailing "/"; the
// empty name stands for the current folder.
std::string ExpandFullPath(const std::string& name);

// Copies the regular file from to the name to, replacing an existing regular file only when overwrite is true
// and it is not marked read-only. The copy keeps the source's permission bits. It is written to a temporary file
// beside the destination and renamed into place, so the destination is either the complete copy or untouched; a
// link at the destination is followed and stays a link. Existing names are taken with their letter case on
// disk. False on any failure.
bool CopyFileAtomically(const std::string& from, const std::string& to, bool overwrite);

// Deletes a file (not a directory); existing names are taken with their letter case on disk. False on failure.
bool DeleteFilePath(const std::string& name);

// The user's configuration folder, without a trailing "/": $XDG_CONFIG_HOME when set, else $HOME/.config.
// It is not created here.
std::string ConfigFolder();

// Creates folder and any missing parents; true when it exists as a directory afterwards.
bool EnsureFolder(const std::string& folder);

// The full path of the running program; argv0 is the fallback when the system cannot tell.
std::string RunningProgramPath(const char* argv0);

}  // namespace jf
