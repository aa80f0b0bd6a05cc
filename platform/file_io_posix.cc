#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/errors.h"
#include "platform/file_io.h"
#include "platform/posix_files.h"

namespace jf {
namespace {

using posix::FolderOf;
using posix::LeafOf;
using posix::MarkedReadOnly;
using posix::OpenRegularFile;

FileOpenMode g_open_mode = FileOpenMode::kReadWrite;

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// True when the name exists as typed; a symbolic link counts even when it leads nowhere.
bool ExistsAsTyped(const std::string& name) {
  struct stat st;
  return ::lstat(name.c_str(), &st) == 0;
}

// The first entry of folder, in byte order, whose name differs from leaf only in letter case; empty when none.
std::string EntryInOtherCase(const std::string& folder, const std::string& leaf) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return std::string();
  std::string best;
  while (struct dirent* entry = ::readdir(dir)) {
    std::string candidate = entry->d_name;
    if (SameIgnoringCase(candidate, leaf) && (best.empty() || candidate < best)) best = candidate;
  }
  ::closedir(dir);
  return best;
}

}  // namespace

FileOpenMode DefaultFileOpenMode() { return g_open_mode; }
void SetDefaultFileOpenMode(FileOpenMode mode) { g_open_mode = mode; }

bool PathExists(const std::string& name) {
  struct stat st;
  return !name.empty() && ::stat(name.c_str(), &st) == 0;
}

std::string ResolveExistingCase(const std::string& name) {
  if (name.empty() || PathExists(name)) return name;
  std::string resolved;
  size_t start = 0;
  for (;;) {
    size_t slash = name.find('/', start);
    if (slash == std::string::npos) slash = name.size();
    std::string part = name.substr(start, slash - start);
    if (!part.empty() && part != "." && part != ".." && !ExistsAsTyped(resolved + part)) {
      std::string on_disk = EntryInOtherCase(resolved.empty() ? "." : resolved, part);
      // Nothing below a missing component can exist: the rest stays as typed.
      if (on_disk.empty()) return resolved + name.substr(start);
      part = on_disk;
    }
    resolved += part;
    if (slash == name.size()) return resolved;
    resolved += '/';
    start = slash + 1;
  }
}

bool IsReadOnlyFile(const std::string& name) {
  struct stat st;
  return !name.empty() && ::stat(name.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && MarkedReadOnly(name, st);
}

std::string ReadWholeFile(const std::string& name, FileOpenMode mode) {
  struct stat st;
  int fd = OpenRegularFile(ResolveExistingCase(name), mode == FileOpenMode::kReadWrite, &st);
  if (fd < 0) throw EFOpenError("Cannot open file " + name);
  std::string bytes;
  bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      int saved_errno = errno;
      ::close(fd);
      throw EInOutError("Cannot read file " + name + ": " + std::strerror(saved_errno));
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return bytes;
}

std::string ReadFileHead(const std::string& name, size_t n) {
  struct stat st;
  int fd = OpenRegularFile(ResolveExistingCase(name), false, &st);
  if (fd < 0) return std::string();
  std::string bytes(n, '\0');
  size_t done = 0;
  while (done < n) {
    ssize_t got = ::read(fd, bytes.data() + done, n - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  ::close(fd);
  bytes.resize(done);
  return bytes;
}

std::string WriteTargetOf(const std::string& name) {
  struct stat st;
  if (name.empty() || ::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return name;
  char* real = ::realpath(name.c_str(), nullptr);
  if (real == nullptr) return std::string();
  std::string target(real);
  std::free(real);
  return target;
}

void WriteFileAtomically(const std::string& name, const std::string& bytes) {
  std::string target = WriteTargetOf(ResolveExistingCase(name));
  if (target.empty() || target.back() == '/') throw EFCreateError("Cannot create file " + name);
  struct stat st;
  mode_t permissions = 0666;
  bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists) {
    // Only a regular file that is not marked read-only is replaced: never a directory, a pipe or a device.
    if (!S_ISREG(st.st_mode) || MarkedReadOnly(target, st)) throw EFCreateError("Cannot create file " + name);
    permissions = st.st_mode & 07777;
  }
  std::string pattern = FolderOf(target) + "/." + LeafOf(target) + ".XXXXXX";
  std::vector<char> temp(pattern.begin(), pattern.end());
  temp.push_back('\0');
  int fd = ::mkstemp(temp.data());
  if (fd < 0) throw EFCreateError("Cannot create file " + name);
  std::string temp_name(temp.data());
  if (exists) {
    // The replaced file keeps its owner where the rights allow it (an administrator writing a user's file);
    // elsewhere the call fails harmlessly and the writer owns the new file, as the rename makes it anyway.
    [[maybe_unused]] int owner_kept = ::fchown(fd, st.st_uid, st.st_gid);
    ::fchmod(fd, permissions);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, permissions & ~mask);
  }
  bool ok = posix::WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  int saved_errno = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved_errno = errno;
  }
  if (!ok) {
    ::unlink(temp_name.c_str());
    throw EInOutError("Cannot write file " + name + ": " + std::strerror(saved_errno ? saved_errno : EIO));
  }
  if (::rename(temp_name.c_str(), target.c_str()) != 0) {
    saved_errno = errno;
    ::unlink(temp_name.c_str());
    throw EInOutError("Cannot write file " + name + ": " + std::strerror(saved_errno));
  }
}

bool CanCreateFile(const std::string& name) {
  if (name.empty() || name.back() == '/') return false;
  std::string target = WriteTargetOf(ResolveExistingCase(name));
  if (target.empty()) return false;
  struct stat st;
  if (::stat(target.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || MarkedReadOnly(target, st))) return false;
  std::string folder = FolderOf(target);
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(folder.c_str(), W_OK) == 0;
}

}  // namespace jf
