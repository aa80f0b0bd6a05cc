// Ambrel: converts CSV files, with their optional DEF files, into JFile databases.
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/errors.h"
#include "common/file_names.h"
#include "common/file_system.h"
#include "common/settings.h"
#include "common/tool_main.h"
#include "jfile/container/output_guard.h"
#include "jfile/container/pdb_file.h"
#include "jfile/model/jfile.h"
#include "platform/file_io.h"
#include "platform/std_output.h"
#include "tools/ambrel/database_builder.h"
#include "tools/ambrel/input_reader.h"

namespace jf {
namespace {

const ToolInfo kInfo = {
    "ambrel",
    "Ambrel/32 1.35",
    {
        "Calling syntax:",
        "  Ambrel <InpName> [<OutName> [<DatabaseName> [<Filter>]]] [/V3|/V4]",
        "",
        "Default file type for <InpName> is .CSV",
        "Default file type for <OutName> is .PDB",
        "",
        "Default directory for <OutName> is the same directory as <InpName>",
        "Default database name is \"JFile Pro Database\", unless another title",
        "  is found in the .DEF file.",
        "Default is to do no filtering.",
        "",
        "<InpName> can contain wild cards. If so, <OutName> must either be omitted, or",
        "a star (to specify \"omitted\"), or specify an existing directory.",
        "",
        "In addition to reading <InpName>, the program wil also read a .DEF file either",
        "one with the same name as <OutName>, or - if no such file exists - one with the",
        "same name as <InpName>.",
        "",
        "If you specify a filter, only records which start with the specified",
        "characters in their first field is included in the output .PDB file.",
        "",
        "If you only want to specify <InpName> and <Filter>, enter \"*\" for the other",
        "options. Likewise, if you only want to specify <InpName> and <DataBaseName>.",
        "",
        "Remember that if any parameter contains spaces, you should enclose it in",
        "double quotes (as in Ambrel MYLIST * \"My Database\").",
        "",
        "By default, Ambrel will create JFile 5.0 databases, but you can override",
        "this by specifying /V3 or /V4 on the command line.",
    }};

constexpr int kMaxPositional = 5;
constexpr int kExitNoSuchFile = 2;
constexpr char kInputExtension[] = "CSV";
constexpr char kOutputExtension[] = "PDB";
constexpr char kDefExtension[] = "DEF";
constexpr char kOmitted[] = "*";
constexpr char kStripFilter[] = "-";
constexpr char kProblemMark[] = " <- Error: ";
// Notes start an indented line of their own under the line they belong to.
constexpr char kNoteStart[] = "\n  ";

// A positional argument, with "*" standing for an omitted one.
std::string OptionalArg(int n) {
  std::string value = Arg(n);
  return value == kOmitted ? std::string() : value;
}

// The database name for input: OutName, placed in the input's folder when it has no folder of its own; a folder
// gets the input's name.
std::string OutputName(const std::string& input) {
  std::string out = OptionalArg(2);
  if (FilePathPart(out).empty()) out = FilePathPart(input) + out;
  if (FileNamePart(out).empty()) out = ForceExtension(TrueCasePath(out) + FileNamePart(input), kOutputExtension);
  return FullFileName(DefaultExtension(out, kOutputExtension));
}

// The DEF file beside the output, else the one beside the input; empty when neither exists.
std::string DefFileName(const std::string& input, const std::string& output) {
  std::string name = ForceExtension(output, kDefExtension);
  if (!PlainFileIsPresent(name)) name = ForceExtension(input, kDefExtension);
  return PlainFileIsPresent(name) ? FullFileName(name) : std::string();
}

// Shows a note at once on an indented line of its own.
void PrintNote(const std::string& note) { Out(kNoteStart + note); }

void ConvertFile(const std::string& input, const ReaderOptions& options, int version, AmbrelTables& tables) {
  const std::string output = OutputName(input);
  tables.ResetForFile();

  Out("Reading " + input);
  if (!options.filter.empty()) Out(" (filtering \"" + options.filter + "\"");
  // A Palm database read as CSV text would only give nonsense, and its output could be the database itself.
  if (IsPalmDatabaseFile(input)) {
    OutLine(std::string(kProblemMark) + input + " is a Palm database, not a CSV file");
    OutLine();
    return;
  }
  // A DEF file or a plain spreadsheet export has no quoted field names and gives no database.
  if (!ReadCsvText(ReadWholeFile(input, FileOpenMode::kReadOnly), input, options, tables, PrintNote)) {
    OutLine(std::string(kProblemMark) + input + " has no quoted field names: not a CSV file of this format");
    OutLine();
    return;
  }
  OutLine();
  InferTypes(tables);

  if (const std::string def_name = DefFileName(input, output); !def_name.empty()) {
    Out("Reading " + def_name);
    ProfileDocument def;
    if (!def.Load(def_name)) throw EFOpenError("Cannot open file " + def_name);
    ReadDefDocument(def, def_name, tables, PrintNote);
    OutLine();
  }

  Out("Writing " + output + VersionNote(version));
  if (const std::string refusal = OutputRefusal(output, OutputKind::kDatabase); !refusal.empty()) {
    OutLine(kProblemMark + refusal);
    OutLine();
    return;
  }
  if (const std::string note = DroppedFieldsNote(tables.field_count, version); !note.empty()) PrintNote(note);
  TJFILE db;
  db.CreateNew(output);
  FillDatabase(db, tables, version);
  std::string name = OptionalArg(3).substr(0, pdb_layout::kMaxNameLength);
  if (name.empty()) name = tables.title;
  db.SaveAs(name);
  OutLine();
  OutLine();
}

int Run() {
  const int version = SwitchNumber("V", kDefaultVersion);
  PrintBanner(kInfo);
  if (TooManyArguments(kMaxPositional)) return kExitTooManyArguments;
  std::string name = Arg(1);
  if (name.empty()) {
    PrintUsage(kInfo);
    return 0;
  }
  name = ExpandInputName(name, kInputExtension);
  if (!FileIsPresent(name)) {
    OutLine(NoSuchFileLine(name));
    return kExitNoSuchFile;
  }

  ReaderOptions options;
  options.length_limit = FieldLengthLimit(version);
  options.filter = OptionalArg(4);
  options.strip_filter = Arg(5) == kStripFilter;
  AmbrelTables tables;
  for (const FoundFile& match : FindFiles(name, kAnyFile)) {
    ConvertFile(FilePathPart(name) + match.name, options, version, tables);
  }
  OutLine("Done.");
  return 0;
}

}  // namespace
}  // namespace jf

int main(int argc, char** argv) { return jf::RunTool(jf::kInfo, argc, argv, jf::Run); }
