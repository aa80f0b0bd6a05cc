// Whole-file reading and writing. Every database and settings file is read in one piece and replaced whole or
// not at all, so a failure part way through never leaves a user's file half written.
#pragma once

#include <cstddef>
#include <string>

namespace jf {

// The process-wide mode in which databases are opened. Tools that only read set kReadOnly before opening.
enum class FileOpenMode { kReadWrite, kReadOnly };
FileOpenMode DefaultFileOpenMode();
void SetDefaultFileOpenMode(FileOpenMode mode);

// The name as it stands on disk. Each component that does not exist as typed becomes the first entry of its
// folder (in byte order) whose name differs only in ASCII letter case; a component without such an entry, and
// everything after it, stays as typed. The name itself when it exists.
std::string ResolveExistingCase(const std::string& name);

// True when name is an existing file that may not be written: the user lacks the right, or the file has no
// write permission bit at all, which marks it read-only for every user, the administrator included.
bool IsReadOnlyFile(const std::string& name);

// Reads the whole of an existing regular file (letter case resolved as above). Raises EFOpenError "Cannot open
// file %s" when it does not exist, is a directory, pipe or device, cannot be read, or (mode kReadWrite) is
// read-only. A named pipe is never waited on.
std::string ReadWholeFile(const std::string& name, FileOpenMode mode);

// The first n bytes of an existing regular file (fewer when it is shorter); empty when it cannot be read.
std::string ReadFileHead(const std::string& name, size_t n);

// Replaces the file's contents with bytes: writes a temporary file in the same folder, flushes it to disk and
// renames it over the target, keeping the target's permissions and owner. A symbolic link is followed: the file
// it leads to is replaced and the link stays. Raises EFCreateError "Cannot create file %s" when the target is
// read-only, not a regular file (a directory, pipe or device) or a link that leads nowhere, or when the
// temporary file cannot be made; EInOutError when writing or renaming fails. The target is then untouched and
// no temporary file is left.
void WriteFileAtomically(const std::string& name, const std::string& bytes);

// The file that a write to name replaces: name itself, or for a symbolic link the full path of the file it
// leads to. Empty for a link that leads nowhere.
std::string WriteTargetOf(const std::string& name);

// True when a file could be created or replaced at name: its folder exists and is writable, and the name is not
// a read-only file, a directory, pipe or device, or a link that leads nowhere. Checked before work starts, so
// errors surface early; the real write is WriteFileAtomically.
bool CanCreateFile(const std::string& name);

// True when name exists (directories included).
bool PathExists(const std::string& name);

}  // namespace jf
