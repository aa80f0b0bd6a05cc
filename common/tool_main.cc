#include "common/tool_main.h"

#include <exception>
#include <new>
#include <optional>

#include "common/command_line.h"
#include "common/errors.h"
#include "common/strings.h"
#include "platform/std_output.h"

namespace jf {
namespace {

void ReportFatal(const ToolInfo& info, const std::string& message) {
  ErrLine(info.program + ": " + message);
}

}  // namespace

int RunTool(const ToolInfo& info, int argc, char** argv, const std::function<int()>& body) {
  int code;
  try {
    if (std::optional<std::string> word = WordWithDoubleQuote(argc, argv)) {
      ReportFatal(info, "A parameter may not contain a double quote: " + *word);
      return kExitBadParameter;
    }
    StartCommandLine(argc, argv);
    std::string only = argc == 2 && argv[1] != nullptr ? argv[1] : "";
    if (only == "--help" || (only == "--version" && info.banner.empty())) {
      PrintUsage(info);
      code = 0;
    } else if (only == "--version") {
      OutLine(info.banner);
      code = 0;
    } else {
      code = body();
    }
  } catch (const std::bad_alloc&) {
    ReportFatal(info, "Out of memory");
    code = 1;
  } catch (const std::exception& error) {
    ReportFatal(info, error.what());
    code = 1;
  } catch (...) {
    ReportFatal(info, "Unexpected error");
    code = 1;
  }
  // A report lost on a full disk or a closed file must not pass for a success.
  if (std::string failure = StdOutFailure(); !failure.empty()) {
    ReportFatal(info, "Cannot write to standard output: " + failure);
    if (code == 0) code = 1;
  }
  return code;
}

void PrintBanner(const ToolInfo& info) {
  if (info.banner.empty()) return;
  OutLine();
  OutLine(info.banner);
  OutLine();
}

void PrintUsage(const ToolInfo& info) {
  for (const std::string& line : info.usage) OutLine(line);
}

std::string TooManyArgumentsLine() {
  return "Too many parameters. Quote wildcards (for example '*.PDB') so that the program expands them itself.";
}

bool TooManyArguments(int max_positional) {
  if (ArgCount() <= max_positional) return false;
  OutLine(TooManyArgumentsLine());
  return true;
}

std::string NoSuchFileLine(const std::string& name) { return "File " + QuoteIfBlank(name) + " doesn't exist!"; }

}  // namespace jf
