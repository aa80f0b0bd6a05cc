// Helpers shared by the tests: byte fixtures written as hex, temporary folders, files, running the built
// programs, and the independent Palm::PDB reader.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace jf::testing {

// Bytes from hex text: pairs of hex digits; blanks, line ends and anything from "#" to the line end are ignored.
// A run in double quotes stands for its characters, so "JfD5" can be written as text.
std::string Hex(const std::string& text);

// The bytes as spaced hex, for readable failure messages.
std::string ToHex(const std::string& bytes);

// A fresh folder under the system's temporary folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// A file of the source tree, from the folder CTest passes in JF_SOURCE_DIR.
std::string SourcePath(const std::string& relative);
// A built program, from the folder CTest passes in JF_BIN_DIR.
std::string ToolPath(const std::string& name);

struct RunResult {
  int exit_code = -1;  // -1 when the program did not exit normally (a signal)
  std::string out;
  std::string err;
};

struct RunOptions {
  std::string cwd;                          // empty: the current folder
  std::string input;                        // given on standard input, which then ends
  std::map<std::string, std::string> env;   // added to (or replacing in) the environment
  int timeout_seconds = 60;                 // the program is killed after this
  long file_size_limit = -1;                // bytes any file may grow to (a full disk); -1: no limit
};

// Runs program with args and collects its exit code and output. LC_ALL is C unless options.env sets it;
// XDG_CONFIG_HOME and HOME point into cwd unless set.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const RunOptions& options = {});

// The output split into lines; a trailing CR is kept off each line when strip_cr is true.
std::vector<std::string> Lines(const std::string& text, bool strip_cr = true);

// What the independent Palm::PDB reader (Debian's libpalm-pdb-perl) sees in a database file.
struct PalmPdbView {
  bool ok = false;          // false when the reader failed; error then says why
  std::string error;
  std::string name;
  std::string type;
  std::string creator;
  std::string appinfo;                   // the application-info bytes, up to the first record
  std::vector<std::string> records;      // each record's bytes
  std::vector<int> record_attributes;
};

// True when perl with Palm::PDB is installed (CI installs it; tests skip with a note otherwise).
bool PalmPdbAvailable();
PalmPdbView ReadWithPalmPdb(const std::string& path);

// A locale folder holding en_GB.UTF-8 (day/month/year dates, built once with localedef), for LOCPATH; empty
// when it cannot be built.
std::string DayMonthYearLocaleDir();

}  // namespace jf::testing
