#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <vector>

#include "common/errors.h"
#include "platform/file_io.h"

namespace jf {
namespace {

FileOpenMode g_open_mode = FileOpenMode::kReadWrite;

std::string FolderOf(const std::string& name) {
  size_t slash = name.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return name.substr(0, slash);
}

std::string LeafOf(const std::string& name) {
  size_t slash = name.rfind('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Writes all of bytes to fd; false on any failure.
bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
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
  std::string folder = FolderOf(name);
  std::string leaf = LeafOf(name);
  if (leaf.empty()) return name;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return name;
  std::vector<std::string> matches;
  while (struct dirent* entry = ::readdir(dir)) {
    if (::strcasecmp(entry->d_name, leaf.c_str()) == 0) matches.push_back(entry->d_name);
  }
  ::closedir(dir);
  if (matches.empty()) return name;
  std::sort(matches.begin(), matches.end());
  return name.substr(0, name.size() - leaf.size()) + matches.front();
}

std::string ReadWholeFile(const std::string& name, FileOpenMode mode) {
  std::string actual = ResolveExistingCase(name);
  int flags = (mode == FileOpenMode::kReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
  int fd = actual.empty() ? -1 : ::open(actual.c_str(), flags);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    throw EFOpenError("Cannot open file " + name);
  }
  std::string bytes;
  bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      throw EInOutError("Cannot read file " + name + ": " + std::strerror(errno));
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return bytes;
}

std::string ReadFileHead(const std::string& name, size_t n) {
  std::string actual = ResolveExistingCase(name);
  // Non-blocking, so a named pipe met by a wildcard never stalls the run; only regular files are read.
  int fd = actual.empty() ? -1 : ::open(actual.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st;
  if (fd < 0) return std::string();
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::string();
  }
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

void WriteFileAtomically(const std::string& name, const std::string& bytes) {
  std::string target = ResolveExistingCase(name);
  struct stat st;
  mode_t permissions = 0666;
  bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists) {
    // A directory, or a file the user may not write (marked read-only), is never replaced.
    if (S_ISDIR(st.st_mode) || ::access(target.c_str(), W_OK) != 0) {
      throw EFCreateError("Cannot create file " + name);
    }
    permissions = st.st_mode & 07777;
  }
  std::string pattern = FolderOf(target) + "/." + LeafOf(target) + ".XXXXXX";
  std::vector<char> temp(pattern.begin(), pattern.end());
  temp.push_back('\0');
  int fd = ::mkstemp(temp.data());
  if (fd < 0) throw EFCreateError("Cannot create file " + name);
  std::string temp_name(temp.data());
  if (exists) {
    ::fchmod(fd, permissions);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, permissions & ~mask);
  }
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int saved_errno = errno;
  ok = (::close(fd) == 0) && ok;
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
  std::string target = ResolveExistingCase(name);
  struct stat st;
  if (::stat(target.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
    return false;
  }
  std::string folder = FolderOf(target);
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(folder.c_str(), W_OK) == 0;
}

}  // namespace jf
