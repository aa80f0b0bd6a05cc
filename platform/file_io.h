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

// The name as it stands on disk: the name itself when it exists, otherwise the first entry of its folder whose
// name differs only in letter case, otherwise the name unchanged.
std::string ResolveExistingCase(const std::string& name);

// Reads the whole of an existing file (letter case resolved as above). Raises EFOpenError "Cannot open file %s"
// when it does not exist, is a directory, cannot be read, or (mode kReadWrite) cannot be written.
std::string ReadWholeFile(const std::string& name, FileOpenMode mode);

// The first n bytes of an existing regular file (fewer when it is shorter); empty when it cannot be read.
std::string ReadFileHead(const std::string& name, size_t n);

// Replaces the file's contents with bytes: writes a temporary file in the same folder, flushes it to disk and
// renames it over the target, keeping the target's permissions. Raises EFCreateError "Cannot create file %s"
// when the temporary file cannot be made, EInOutError when writing or renaming fails; the target is then
// untouched and no temporary file is left.
void WriteFileAtomically(const std::string& name, const std::string& bytes);

// True when a file could be created or replaced at name: its folder exists and is writable, and the name is not
// a directory. Checked before work starts, so errors surface early; the real write is WriteFileAtomically.
bool CanCreateFile(const std::string& name);

// True when name exists (directories included).
bool PathExists(const std::string& name);

}  // namespace jf
