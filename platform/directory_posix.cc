#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/directory.h"
#include "platform/file_io.h"
#include "platform/posix_files.h"

namespace jf {
namespace {

using posix::FolderOf;
using posix::LeafOf;
using posix::MarkedReadOnly;
using posix::WriteAll;

// Copies the whole of the open file in to out; false on any read or write failure.
bool CopyContents(int in, int out) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) return false;
  }
}

std::string RemoveTrailingSlashes(std::string name) {
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  return name;
}

}  // namespace

bool ListDirectory(const std::string& folder, std::vector<DirectoryEntry>* entries) {
  entries->clear();
  std::string path = folder.empty() ? "." : folder;
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return false;
  std::string prefix = path.back() == '/' ? path : path + "/";
  while (struct dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    DirectoryEntry entry;
    entry.name = name;
    std::string full = prefix + name;
    struct stat st;
    // A link that leads nowhere is neither a file nor a directory, nor are pipes, sockets and devices.
    if (::stat(full.c_str(), &st) == 0) {
      entry.is_directory = S_ISDIR(st.st_mode);
      entry.is_file = S_ISREG(st.st_mode);
      entry.read_only = MarkedReadOnly(full, st);
    }
    entries->push_back(std::move(entry));
  }
  ::closedir(dir);
  return true;
}

PathStatus StatPath(const std::string& name) {
  PathStatus status;
  struct stat st;
  if (name.empty() || ::stat(name.c_str(), &st) != 0) return status;
  status.exists = true;
  status.is_directory = S_ISDIR(st.st_mode);
  status.readable = ::access(name.c_str(), R_OK) == 0;
  // A folder is writable when files can be made in it; a file, when it is not marked read-only.
  status.writable = status.is_directory ? ::access(name.c_str(), W_OK) == 0 : !MarkedReadOnly(name, st);
  return status;
}

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
    if (errno != ERANGE) break;
    buffer.resize(buffer.size() * 2);
  }
  // The current folder has been removed or cannot be named; $PWD is the best remaining answer.
  const char* pwd = std::getenv("PWD");
  return pwd != nullptr && pwd[0] == '/' ? std::string(pwd) : std::string("/");
}

std::string ExpandFullPath(const std::string& name) {
  std::string path = (!name.empty() && name[0] == '/') ? name : CurrentDirectory() + "/" + name;
  std::vector<std::string> parts;
  bool trailing_slash = false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(start, slash - start);
    bool last = slash == path.size();
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    if (last) trailing_slash = part.empty() || part == "." || part == "..";
    start = slash + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  if (result.empty()) return "/";
  // A name given as a folder ("dir/", "dir/.") keeps saying so; the bare current folder ("" or ".") does not.
  bool names_folder = trailing_slash && !name.empty() && name != "." && name != "..";
  if (names_folder) result += "/";
  return result;
}

bool CopyFileAtomically(const std::string& from, const std::string& to, bool overwrite) {
  // A link at the destination is followed: the file it leads to gets the copy and the link stays.
  std::string target = WriteTargetOf(ResolveExistingCase(to));
  if (target.empty() || target.back() == '/') return false;
  struct stat source_stat;
  int in = posix::OpenRegularFile(ResolveExistingCase(from), false, &source_stat);
  if (in < 0) return false;
  struct stat target_stat;
  if (::stat(target.c_str(), &target_stat) == 0) {
    bool same_file = target_stat.st_dev == source_stat.st_dev && target_stat.st_ino == source_stat.st_ino;
    // Only a regular file that is not marked read-only is replaced.
    bool replaceable = S_ISREG(target_stat.st_mode) && !MarkedReadOnly(target, target_stat);
    if (!overwrite || !replaceable || same_file) {
      ::close(in);
      return overwrite && replaceable && same_file;
    }
  }
  std::string pattern = FolderOf(target) + "/." + LeafOf(target) + ".XXXXXX";
  std::vector<char> temp(pattern.begin(), pattern.end());
  temp.push_back('\0');
  int out = ::mkstemp(temp.data());
  if (out < 0) {
    ::close(in);
    return false;
  }
  std::string temp_name(temp.data());
  bool ok = CopyContents(in, out) && ::fchmod(out, source_stat.st_mode & 07777) == 0 && ::fsync(out) == 0;
  ok = ::close(out) == 0 && ok;
  ::close(in);
  if (ok) {
    if (overwrite) {
      ok = ::rename(temp_name.c_str(), target.c_str()) == 0;
    } else {
      // link() refuses an existing name, so a file that appeared meanwhile is never replaced.
      ok = ::link(temp_name.c_str(), target.c_str()) == 0;
      if (!ok && errno != EEXIST && ::access(target.c_str(), F_OK) != 0) {
        ok = ::rename(temp_name.c_str(), target.c_str()) == 0;  // file systems without hard links
      }
    }
  }
  ::unlink(temp_name.c_str());
  return ok;
}

bool DeleteFilePath(const std::string& name) {
  std::string target = ResolveExistingCase(name);
  struct stat st;
  if (target.empty() || ::lstat(target.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(target.c_str()) == 0;
}

std::string ConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  // The base-directory rules ignore a relative $XDG_CONFIG_HOME.
  if (xdg != nullptr && xdg[0] == '/') return RemoveTrailingSlashes(xdg);
  const char* home = std::getenv("HOME");
  std::string base;
  if (home != nullptr && home[0] != '\0') {
    base = home;
  } else if (struct passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    base = pw->pw_dir;
  } else {
    base = CurrentDirectory();
  }
  return RemoveTrailingSlashes(base + "/.config");
}

bool EnsureFolder(const std::string& folder) {
  if (folder.empty()) return false;
  PathStatus status = StatPath(folder);
  if (status.exists) return status.is_directory;
  std::string parent = FolderOf(folder);
  if (parent != folder && parent != "." && parent != "/" && !EnsureFolder(parent)) return false;
  if (::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) return StatPath(folder).is_directory;
  return false;
}

std::string RunningProgramPath(const char* argv0) {
  std::vector<char> buffer(4096);
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n > 0 && static_cast<size_t>(n) < buffer.size() - 1) return std::string(buffer.data(), static_cast<size_t>(n));
  std::string name = argv0 != nullptr ? argv0 : "";
  return name.find('/') != std::string::npos ? ExpandFullPath(name) : name;
}

}  // namespace jf
