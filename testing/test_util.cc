#include "testing/test_util.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace jf::testing {

namespace fs = std::filesystem;

std::string Hex(const std::string& text) {
  std::string out;
  int pending = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '#') {
      while (i < text.size() && text[i] != '\n') ++i;
      continue;
    }
    if (c == '"') {
      size_t end = text.find('"', i + 1);
      if (end == std::string::npos) throw std::invalid_argument("Hex: unterminated quote");
      out += text.substr(i + 1, end - i - 1);
      i = end;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) throw std::invalid_argument("Hex: bad character");
    int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10);
    if (pending < 0) {
      pending = v;
    } else {
      out.push_back(static_cast<char>(pending * 16 + v));
      pending = -1;
    }
  }
  if (pending >= 0) throw std::invalid_argument("Hex: odd number of digits");
  return out;
}

std::string ToHex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (i > 0) out += (i % 16 == 0) ? '\n' : ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "jftest.XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  path_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  // Folders a test made unwritable are made writable again so they can be removed.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const { return path_ + "/" + name; }

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::string SourcePath(const std::string& relative) {
  const char* dir = std::getenv("JF_SOURCE_DIR");
  return std::string(dir ? dir : ".") + "/" + relative;
}

std::string ToolPath(const std::string& name) {
  const char* dir = std::getenv("JF_BIN_DIR");
  return std::string(dir ? dir : ".") + "/" + name;
}

namespace {

void ReadInto(int fd, std::string* out) {
  char buffer[65536];
  ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n > 0) out->append(buffer, static_cast<size_t>(n));
}

}  // namespace

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const RunOptions& options) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (::pipe(in_pipe) != 0 || ::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) throw std::runtime_error("pipe");
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    ::dup2(in_pipe[0], 0);
    ::dup2(out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) ::close(fd);
    if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(127);
    if (options.file_size_limit >= 0) {
      // Writes past the limit then fail with EFBIG, as on a full disk, instead of killing the program.
      ::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::string home = options.cwd.empty() ? std::string("/tmp") : options.cwd;
    ::setenv("LC_ALL", "C", 1);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    for (const auto& [key, value] : options.env) ::setenv(key.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(in_pipe[0]);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  ::signal(SIGPIPE, SIG_IGN);
  size_t written = 0;
  if (options.input.empty()) ::close(in_pipe[1]), in_pipe[1] = -1;
  RunResult result;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
  bool out_open = true, err_open = true;
  while (out_open || err_open) {
    std::vector<pollfd> fds;
    if (out_open) fds.push_back({out_pipe[0], POLLIN, 0});
    if (err_open) fds.push_back({err_pipe[0], POLLIN, 0});
    if (in_pipe[1] >= 0) fds.push_back({in_pipe[1], POLLOUT, 0});
    int ready = ::poll(fds.data(), fds.size(), 100);
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      break;
    }
    if (ready <= 0) continue;
    for (const auto& p : fds) {
      if (p.revents == 0) continue;
      if (p.fd == in_pipe[1]) {
        ssize_t n = ::write(in_pipe[1], options.input.data() + written, options.input.size() - written);
        if (n > 0) written += static_cast<size_t>(n);
        if (n < 0 || written == options.input.size()) ::close(in_pipe[1]), in_pipe[1] = -1;
        continue;
      }
      std::string* target = p.fd == out_pipe[0] ? &result.out : &result.err;
      size_t before = target->size();
      ReadInto(p.fd, target);
      if (target->size() == before) (p.fd == out_pipe[0] ? out_open : err_open) = false;
    }
  }
  if (in_pipe[1] >= 0) ::close(in_pipe[1]);
  ::close(out_pipe[0]);
  ::close(err_pipe[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::vector<std::string> Lines(const std::string& text, bool strip_cr) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (strip_cr && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

namespace {

// Prints each item as a length and its bytes in hex, one item per line: name, type, creator, appinfo, then
// "R <attributes>" and each record.
const char* kPalmPdbScript = R"PERL(
use Palm::PDB; use Palm::Raw;
my $p = Palm::PDB->new; $p->Load($ARGV[0]);
sub h { my $s = shift; $s = "" unless defined $s; return unpack("H*", $s); }
print "N ", h($p->{name}), "\n";
print "T ", h($p->{type}), "\n";
print "C ", h($p->{creator}), "\n";
print "A ", h($p->{appinfo}), "\n";
foreach my $r (@{$p->{records}}) { print "R ", ($r->{attributes}{dirty} ? 64 : 0) + ($r->{attributes}{deleted} ? 128 : 0), " ", h($r->{data}), "\n"; }
)PERL";

}  // namespace

bool PalmPdbAvailable() {
  static int available = -1;
  if (available < 0) available = std::system("perl -MPalm::PDB -e1 >/dev/null 2>&1") == 0 ? 1 : 0;
  return available == 1;
}

PalmPdbView ReadWithPalmPdb(const std::string& path) {
  PalmPdbView view;
  TempDir dir;
  std::string script = dir.File("read.pl");
  WriteFileBytes(script, kPalmPdbScript);
  RunResult r = RunProgram("/usr/bin/perl", {script, path});
  if (r.exit_code != 0) {
    view.error = r.err;
    return view;
  }
  for (const std::string& line : Lines(r.out)) {
    if (line.size() < 2) continue;
    char tag = line[0];
    std::string rest = line.substr(2);
    if (tag == 'R') {
      size_t space = rest.find(' ');
      view.record_attributes.push_back(std::atoi(rest.substr(0, space).c_str()));
      view.records.push_back(space == std::string::npos ? std::string() : Hex(rest.substr(space + 1)));
      continue;
    }
    std::string bytes = Hex(rest);
    if (tag == 'N') view.name = bytes;
    if (tag == 'T') view.type = bytes;
    if (tag == 'C') view.creator = bytes;
    if (tag == 'A') view.appinfo = bytes;
  }
  view.ok = true;
  return view;
}

std::string DayMonthYearLocaleDir() {
  static std::string dir;
  static bool tried = false;
  if (tried) return dir;
  tried = true;
  std::string path = (fs::temp_directory_path() / "jftest-locales").string();
  std::string locale = path + "/en_GB.UTF-8";
  if (!FileExists(locale + "/LC_TIME")) {
    // Built aside and renamed into place, so tests running side by side never see a half-built locale.
    fs::create_directories(path);
    std::string staging = locale + ".build." + std::to_string(::getpid());
    std::string command = "localedef -i en_GB -f UTF-8 " + staging + " >/dev/null 2>&1";
    (void)std::system(command.c_str());
    std::error_code ec;
    fs::rename(staging, locale, ec);
    fs::remove_all(staging, ec);
  }
  if (FileExists(locale + "/LC_TIME")) dir = path;
  return dir;
}

}  // namespace jf::testing
