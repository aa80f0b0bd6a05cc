// Helpers shared by the POSIX implementations of the file and directory services; nothing outside platform/
// includes this.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>

namespace jf::posix {

// The folder part of a name ("." for a bare name, "/" for a name in the root) and the part after the last "/".
std::string FolderOf(const std::string& name);
std::string LeafOf(const std::string& name);

// True when the file with this status may not be written: the user lacks the right, or the file has no write
// permission bit at all (read-only for every user, the administrator included).
bool MarkedReadOnly(const std::string& name, const struct stat& st);

// Opens an existing regular file, filling st. Non-blocking at first, so a named pipe never stalls the run; pipes,
// devices and directories are refused, and so is a read-only file when for_writing. -1 on refusal or failure.
int OpenRegularFile(const std::string& name, bool for_writing, struct stat* st);

// Writes all size bytes to fd; false on any failure (errno tells why).
bool WriteAll(int fd, const char* data, size_t size);

}  // namespace jf::posix
