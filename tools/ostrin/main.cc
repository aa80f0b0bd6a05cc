// Ostrin: converts JFile databases into a CSV file plus a DEF file.
#include <cstdint>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/errors.h"
#include "common/file_names.h"
#include "common/file_system.h"
#include "common/strings.h"
#include "common/tool_main.h"
#include "jfile/container/output_guard.h"
#include "jfile/container/pdb_file.h"
#include "jfile/interchange/csv_export.h"
#include "jfile/interchange/def_format.h"
#include "platform/file_io.h"
#include "platform/std_output.h"
#include "tools/ostrin/my_jfile.h"

namespace jf {
namespace {

const ToolInfo kInfo = {
    "ostrin",
    "Ostrin/32 1.34",
    {
        "Calling syntax:",
        "  Ostrin <InpName> [<OutName>]",
        "",
        "Default file type for <InpName> is .PDB",
        "Default file type for <OutName> is .CSV",
        "",
        "Default directory for <OutName> is same as <InpName>",
        "",
        "<InpName> can contain wild cards. If so, <OutName> must either be omitted, or",
        "a star (to specify \"omitted\"), or specify an existing directory.",
        "",
        "In addition to the <OutName>, there will also be created a .DEF file with the",
        "same name as <OutName> which contains definitions from the .PDB file which are",
        "unsuitable to save in a .CSV file.",
    }};

constexpr int kMaxPositional = 2;
constexpr int kExitNoSuchFile = 2;
constexpr char kInputExtension[] = "PDB";
constexpr char kOutputExtension[] = "CSV";
constexpr char kOmitted[] = "*";
constexpr char kErrorMark[] = " <- Error: ";

// The type and creator of a JFile database, as they stand at the header's type offset.
const std::vector<std::string> kJFileSignatures = {"JfD5JFi5", "JfDbJFil", "JfDbJBas"};
constexpr size_t kSignatureSize = 8;

// False only when the file could be read and its type and creator are not those of a JFile database.
bool MayBeJFileDatabase(const std::string& name) {
  // A file that cannot be read, or is too short to hold the ids, goes on to the load, which says why.
  const std::string bytes = ReadFileHead(name, pdb_layout::kTypeOffset + kSignatureSize);
  if (bytes.size() < pdb_layout::kTypeOffset + kSignatureSize) return true;
  const std::string signature = bytes.substr(pdb_layout::kTypeOffset, kSignatureSize);
  for (const std::string& known : kJFileSignatures) {
    if (signature == known) return true;
  }
  return false;
}

// The CSV name for input: OutName, or the input's folder when it is omitted; a folder gets the input's name.
std::string OutputName(const std::string& input) {
  std::string out = Arg(2);
  if (out.empty() || out == kOmitted) out = FilePathPart(input);
  if (FileNamePart(out).empty()) out = ForceExtension(out + FileNamePart(input), kOutputExtension);
  return FullFileName(DefaultExtension(out, kOutputExtension));
}

// True when the two names lead to the same file, as a lookup that ignores letter case would find it.
bool SameFileName(const std::string& a, const std::string& b) {
  return UpperText(ResolveExistingCase(a)) == UpperText(ResolveExistingCase(b));
}

// Why the export's files may not be written at out (an existing Palm database there, the database being read,
// or a CSV and a DEF name that lead to one file); empty when they may.
std::string OutputProblem(const std::string& input, const std::string& out) {
  const std::string csv = ExportCsvName(out);
  const std::string def = ExportDefName(out);
  for (const std::string& name : {csv, def}) {
    if (SameFileName(name, input)) return name + " is the database being exported, not overwritten";
  }
  if (SameFileName(csv, def)) return csv + " would be both the CSV and the DEF file, not written";
  std::string problem = OutputRefusal(csv, OutputKind::kText);
  if (problem.empty()) problem = OutputRefusal(def, OutputKind::kText);
  return problem;
}

void ConvertFile(const std::string& input) {
  Out("Parsing " + input);
  MyJFILE db;
  try {
    db.OpenFile(input);
  } catch (const EError& error) {
    OutLine(kErrorMark + std::string(error.what()));
    OutLine();
    return;
  }
  const std::string out = OutputName(input);
  if (std::string problem = OutputProblem(input, out); !problem.empty()) {
    OutLine(kErrorMark + problem);
    OutLine();
    return;
  }
  OutLine();
  std::vector<int32_t> selection;
  for (int i = 1; i <= db.GetFieldCount(); ++i) selection.push_back(i);
  ExportCSV(db, selection, out);
  OutLine();
}

int Run() {
  PrintBanner(kInfo);
  if (TooManyArguments(kMaxPositional)) return kExitTooManyArguments;
  std::string name = Arg(1);
  if (name.empty()) {
    PrintUsage(kInfo);
    return 0;
  }
  name = ExpandInputName(name, kInputExtension);
  const bool wildcards = HasWildcards(name);
  if (!FileIsPresent(name)) {
    OutLine(NoSuchFileLine(name));
    return kExitNoSuchFile;
  }
  // Databases are only read: a read-only database still converts, and none is ever written.
  SetDefaultFileOpenMode(FileOpenMode::kReadOnly);
  for (const FoundFile& match : FindFiles(name, kReadOnlyFiles)) {
    const std::string input = FilePathPart(name) + match.name;
    if (wildcards && !MayBeJFileDatabase(input)) continue;
    ConvertFile(input);
  }
  OutLine("Done.");
  return 0;
}

}  // namespace
}  // namespace jf

int main(int argc, char** argv) { return jf::RunTool(jf::kInfo, argc, argv, jf::Run); }
