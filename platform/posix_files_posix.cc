#include "platform/posix_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace jf::posix {

namespace {
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
}  // namespace

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

bool MarkedReadOnly(const std::string& name, const struct stat& st) {
  return (st.st_mode & kAnyWriteBit) == 0 || ::access(name.c_str(), W_OK) != 0;
}

int OpenRegularFile(const std::string& name, bool for_writing, struct stat* st) {
  // The status first, so that a device is never opened at all.
  if (name.empty() || ::stat(name.c_str(), st) != 0 || !S_ISREG(st->st_mode)) return -1;
  if (for_writing && MarkedReadOnly(name, *st)) return -1;
  int fd = ::open(name.c_str(), (for_writing ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  // The name may have been replaced meanwhile: what was opened must be a regular file too.
  int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, st) != 0 || !S_ISREG(st->st_mode) || (for_writing && (st->st_mode & kAnyWriteBit) == 0) ||
      flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace jf::posix
