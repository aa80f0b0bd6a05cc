// dbdump: prints the header and records of a Palm database, and the structure and record table of a JFile
// database, for diagnosis.
#include <string>

#include "common/command_line.h"
#include "common/file_names.h"
#include "common/strings.h"
#include "common/tool_main.h"
#include "jfile/container/pdb_file.h"
#include "jfile/model/jfile.h"
#include "platform/file_io.h"
#include "tools/dbdump/report.h"

namespace jf {
namespace {

const ToolInfo kDbDump{"dbdump", "", {"Usage: dbdump <file> [/I-]"}};
constexpr int kMaxArguments = 2;
const char kDefaultExtension[] = "PDB";
const char kRawSwitch[] = "/I-";

int DumpMain() {
  if (TooManyArguments(kMaxArguments)) return kExitTooManyArguments;
  const std::string name = DefaultExtension(Arg(1), kDefaultExtension);
  const bool interpret = UpperText(Arg(2)) != kRawSwitch;
  SetDefaultFileOpenMode(FileOpenMode::kReadOnly);

  std::string opened_name;
  bool as_jfile = false;
  {
    TPalmPilotDB db;
    db.OpenFile(name);
    opened_name = db.FileName();
    PrintHeaderReport(db);
    as_jfile = interpret && IsReportedAsJFile(db.Header());
    if (!as_jfile) PrintRecordReport(db, interpret);
  }
  if (as_jfile) {
    TJFILE jfile;
    jfile.OpenFile(opened_name);
    PrintJFileReport(jfile);
  }
  return 0;
}

}  // namespace
}  // namespace jf

int main(int argc, char** argv) { return jf::RunTool(jf::kDbDump, argc, argv, jf::DumpMain); }
