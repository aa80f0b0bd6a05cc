// dornik: rewrites JFile databases in another JFile layout (3.x, 4.x or 5.x), in place or into a copy under
// another name or in another folder.
#include <optional>
#include <string>

#include "common/command_line.h"
#include "common/errors.h"
#include "common/file_names.h"
#include "common/file_system.h"
#include "common/tool_main.h"
#include "jfile/container/output_guard.h"
#include "jfile/model/jfile.h"
#include "platform/file_io.h"
#include "platform/key_input.h"
#include "platform/std_output.h"

namespace jf {
namespace {

const ToolInfo kDornik = {
    "dornik",
    "Dornik/32 1.32",
    {
        "Calling syntax:",
        "  Dornik <InpName> [<OutName>]",
        "",
        "Default file type for <InpName> is .PDB",
        "Default file type for <OutName> is .PDB",
        "",
        "Default directory for <OutName> is same as <InpName>",
        "",
        "<InpName> can contain wild cards. If so, <OutName> must",
        "either be omitted or only specify an existing directory.",
        "",
        "The program will read in a JFile/JFile Pro database",
        "and write it out in the opposite format, ie. if the",
        "file specified by <InpName> is of the old JFile format",
        "then <OutName> will be written in JFile Pro format, and",
        "vice versa.",
        "",
        "If you omit <OutName>, the file will be converted in-",
        "place.",
    },
};

constexpr int kDefaultVersion = 5;
constexpr int kMaxPositional = 2;
constexpr int kExitNoMatch = 2;
constexpr char kDefaultExtension[] = "PDB";
constexpr char kOmitted[] = "*";
constexpr char kEscEcho[] = "\x18" "C";

// The layout a /V number asks for; none for a number that keeps each database's own layout.
std::optional<DataBaseMode> TargetMode(int version) {
  switch (version) {
    case 3: return DataBaseMode::STD;
    case 4: return DataBaseMode::PRO;
    case 5: return DataBaseMode::JF5;
    default: return std::nullopt;
  }
}

std::string LayoutText(DataBaseMode mode) {
  switch (mode) {
    case DataBaseMode::STD: return " (JFile 3.x format)";
    case DataBaseMode::PRO: return " (JFile 4.x format)";
    default: return " (JFile 5.x format)";
  }
}

// A database read from one file that its save may write to another: the input is read whole, converted in
// memory and the output written whole once, so the input never changes when an output name is given.
class ConvertedDatabase : public TJFILE {
 public:
  ConvertedDatabase() : TJFILE(LibraryGeneration::kEarlier) {}
  // Makes SaveAs replace the file at name instead of the file the database was read from.
  void SaveTo(const std::string& name) { file_name_ = name; }
};

// The full output name for one input: OutName (taken afresh for each match), the input's folder when it has
// none, the input's name when it names a folder, and the default extension.
std::string OutputNameFor(const std::string& input, std::string out) {
  if (out.empty()) out = FilePathPart(input);
  if (FileNamePart(out).empty()) out += FileNamePart(input);
  return FullFileName(DefaultExtension(out, kDefaultExtension));
}

// Why the input cannot be copied to output; empty when it can.
std::string CopyProblem(const std::string& output) {
  std::string refusal = OutputRefusal(output, OutputKind::kDatabase);
  if (!refusal.empty()) return refusal;
  std::vector<FoundFile> existing = FindFiles(output, kAnyFile);
  if (!existing.empty() && existing.front().read_only) {
    return "cannot copy to " + output + ", the file is read-only";
  }
  if (!CanCreateFile(output)) {
    return "cannot copy to " + output + ", its folder does not exist or cannot be written";
  }
  return std::string();
}

// Asks before a conversion that loses fields; true for Return or Y, false for Esc or N.
bool ConfirmFieldLoss() {
  OutLine();
  OutLine("Database contains more fields than is possible in old JFile");
  OutLine("format. If you continue conversion, you will loose data in");
  OutLine("the output file.");
  OutLine();
  Out("Continue anyway? ");
  FlushOut();
  for (;;) {
    int key = ReadSingleKey();
    if (key >= 'a' && key <= 'z') key = key - 'a' + 'A';
    if (key == kKeyReturn || key == 'Y') {
      OutLine("Y");
      return true;
    }
    if (key == 'N') {
      OutLine("N");
      return false;
    }
    if (key == kKeyEsc) {
      OutLine(kEscEcho);
      return false;
    }
  }
}

enum class Outcome { kNext, kStopRun };

// Converts one database; kStopRun when the user declined the conversion.
Outcome ConvertFile(const std::string& input, const std::string& out_arg, int version, bool& line_open) {
  std::string output = OutputNameFor(input, out_arg);
  bool in_place = output == input;
  if (!in_place) {
    Out("Copying " + FileNamePart(input) + " to " + FileNamePart(output));
    std::string problem = CopyProblem(output);
    if (!problem.empty()) {
      OutLine(" <- Error: " + problem);
      OutLine();
      return Outcome::kNext;
    }
    OutLine();
  }

  // Only a conversion in place needs the input writable.
  SetDefaultFileOpenMode(in_place ? FileOpenMode::kReadWrite : FileOpenMode::kReadOnly);
  ConvertedDatabase db;
  Out("Reading " + FileNamePart(input));
  line_open = true;
  db.OpenFile(input);
  OutLine(LayoutText(db.GetDataBaseMode()));
  line_open = false;

  if (version == 3 && db.GetFieldCount() > kMaxFieldsStd && !ConfirmFieldLoss()) {
    // Declined: the output is left as a plain copy of the input, as the "Copying" line said.
    if (!in_place && !CopyFileNamed(input, output, true)) {
      throw EInOutError("Cannot copy " + input + " to " + output);
    }
    return Outcome::kStopRun;
  }

  if (std::optional<DataBaseMode> target = TargetMode(version)) db.SetDataBaseMode(*target);
  Out("Writing " + FileNamePart(output) + LayoutText(db.GetDataBaseMode()));
  line_open = true;
  if (!in_place) db.SaveTo(output);
  db.SaveAs(db.Header().name);
  OutLine();
  line_open = false;
  OutLine();
  return Outcome::kNext;
}

int RunDornik() {
  PrintBanner(kDornik);
  int version = SwitchNumber("V", kDefaultVersion);
  std::string pattern = Arg(1);
  if (pattern.empty()) {
    PrintUsage(kDornik);
    return 0;
  }
  if (TooManyArguments(kMaxPositional)) return kExitTooManyArguments;

  pattern = ExpandInputName(pattern, kDefaultExtension);
  if (!FileIsPresent(pattern)) {
    OutLine(NoSuchFileLine(pattern));
    return kExitNoMatch;
  }

  // "*" stands for an omitted output name, as in the other tools; a file named "*.PDB" is never made.
  std::string out_arg = Arg(2);
  if (out_arg == kOmitted) out_arg.clear();
  bool line_open = false;
  try {
    for (const FoundFile& found : FindFiles(pattern, kAnyFile)) {
      std::string input = FilePathPart(pattern) + found.name;
      if (ConvertFile(input, out_arg, version, line_open) == Outcome::kStopRun) return 0;
    }
  } catch (...) {
    // The error is reported on standard error; the file's line ends first.
    if (line_open) OutLine();
    throw;
  }
  OutLine("Done.");
  return 0;
}

}  // namespace
}  // namespace jf

int main(int argc, char** argv) { return jf::RunTool(jf::kDornik, argc, argv, jf::RunDornik); }
