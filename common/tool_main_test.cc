#include "common/tool_main.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/errors.h"
#include "platform/std_output.h"

namespace jf {
namespace {

const ToolInfo kAmbrel = {"ambrel", "Ambrel/32 1.35", {"Calling syntax:", "  Ambrel <InpName>"}};
const ToolInfo kDbDump = {"dbdump", "", {"Usage: dbdump <file> [/I-]"}};

struct Outcome {
  int code;
  std::string out;
  std::string err;
  bool body_ran;
};

Outcome RunCaptured(const ToolInfo& info, std::vector<std::string> args, const std::function<int()>& body) {
  std::vector<char*> argv = {const_cast<char*>("/usr/bin/tool")};
  for (std::string& a : args) argv.push_back(a.data());
  bool ran = false;
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  int code = RunTool(info, static_cast<int>(argv.size()), argv.data(), [&] {
    ran = true;
    return body();
  });
  std::string out = ::testing::internal::GetCapturedStdout();
  std::string err = ::testing::internal::GetCapturedStderr();
  return {code, out, err, ran};
}

int Zero() { return 0; }

TEST(ToolMain, HelpAndVersion) {
  Outcome help = RunCaptured(kAmbrel, {"--help"}, Zero);
  EXPECT_EQ(help.code, 0);
  EXPECT_FALSE(help.body_ran);
  EXPECT_EQ(help.out, "Calling syntax:\n  Ambrel <InpName>\n");

  Outcome version = RunCaptured(kAmbrel, {"--version"}, Zero);
  EXPECT_EQ(version.out, "Ambrel/32 1.35\n");
  EXPECT_EQ(version.code, 0);

  for (const char* option : {"--help", "--version"}) {
    Outcome dump = RunCaptured(kDbDump, {option}, Zero);
    EXPECT_EQ(dump.out, "Usage: dbdump <file> [/I-]\n");
    EXPECT_EQ(dump.code, 0);
  }
  // Only as the sole argument.
  Outcome more = RunCaptured(kAmbrel, {"--help", "x"}, [] { return 7; });
  EXPECT_TRUE(more.body_ran);
  EXPECT_EQ(more.code, 7);
}

TEST(ToolMain, BodyGetsTheCommandLine) {
  Outcome run = RunCaptured(kAmbrel, {"in.csv", "My File"}, [] {
    PrintBanner(kAmbrel);
    return ArgCount() == 2 && Arg(2) == "My File" ? 0 : 5;
  });
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "\nAmbrel/32 1.35\n\n");
  EXPECT_EQ(RunCaptured(kDbDump, {}, [] { PrintBanner(kDbDump); return 0; }).out, "");
}

TEST(ToolMain, UncaughtErrorsEndTheRun) {
  struct Case {
    std::function<int()> body;
    std::string err;
  } cases[] = {
      {[]() -> int { throw EInOutError("Not a JFile/JFile Pro database!"); },
       "ambrel: Not a JFile/JFile Pro database!\n"},
      {[]() -> int { throw EConvertError("'x' is not a valid integer value"); },
       "ambrel: 'x' is not a valid integer value\n"},
      {[]() -> int { throw std::bad_alloc(); }, "ambrel: Out of memory\n"},
      {[]() -> int { throw std::runtime_error("boom"); }, "ambrel: boom\n"},
  };
  for (const Case& c : cases) {
    Outcome run = RunCaptured(kAmbrel, {"x"}, [&] {
      OutLine("before");
      return c.body();
    });
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "before\n");  // output written before the error is kept
  }
}

// A line left open on standard output is ended before the error, so the two never share a terminal line; a
// line the tool ended itself gets no second line end.
TEST(ToolMain, AnOpenLineEndsBeforeTheError) {
  Outcome open = RunCaptured(kAmbrel, {"x"}, []() -> int {
    Out("Writing /x/A.CSV");
    throw EFCreateError("Cannot create file /x/A.CSV");
  });
  EXPECT_EQ(open.code, 1);
  EXPECT_EQ(open.out, "Writing /x/A.CSV\n");
  EXPECT_EQ(open.err, "ambrel: Cannot create file /x/A.CSV\n");

  Outcome ended = RunCaptured(kAmbrel, {"x"}, []() -> int {
    Out("Reading A.PDB");
    OutLine();
    throw EFOpenError("Cannot open file A.PDB");
  });
  EXPECT_EQ(ended.out, "Reading A.PDB\n");
  Outcome ended_in_text = RunCaptured(kAmbrel, {"x"}, []() -> int {
    Out("one\ntwo\n");
    throw EFOpenError("Cannot open file A.PDB");
  });
  EXPECT_EQ(ended_in_text.out, "one\ntwo\n");
}

// ParamText has no escape for a double quote inside a word: such a command line is refused before the tool runs.
TEST(ToolMain, DoubleQuoteInsideAParameterIsRefused) {
  for (const std::string& word : {std::string("My \"Best\" List"), std::string("\""), std::string("a\"")}) {
    Outcome run = RunCaptured(kAmbrel, {"in.csv", "out.pdb", word}, Zero);
    EXPECT_EQ(run.code, kExitBadParameter);
    EXPECT_FALSE(run.body_ran);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "ambrel: A parameter may not contain a double quote: " + word + "\n");
  }
  Outcome help = RunCaptured(kDbDump, {"--help", "\"x\""}, Zero);
  EXPECT_EQ(help.code, kExitBadParameter);
  EXPECT_EQ(help.out, "");
  // Blanks and single quotes are carried as they are.
  Outcome plain = RunCaptured(kAmbrel, {"My 'Best' List"}, [] { return Arg(1) == "My 'Best' List" ? 0 : 5; });
  EXPECT_EQ(plain.code, 0);
}

TEST(ToolMain, TooManyArguments) {
  SetParamText("a.pdb b.pdb c.pdb");
  ::testing::internal::CaptureStdout();
  EXPECT_FALSE(TooManyArguments(3));
  EXPECT_TRUE(TooManyArguments(2));
  std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, TooManyArgumentsLine() + "\n");
  EXPECT_NE(out.find("'*.PDB'"), std::string::npos);
}

TEST(ToolMain, NoSuchFileLine) {
  EXPECT_EQ(NoSuchFileLine("/tmp/x.pdb"), "File /tmp/x.pdb doesn't exist!");
  EXPECT_EQ(NoSuchFileLine("/tmp/my x.pdb"), "File \"/tmp/my x.pdb\" doesn't exist!");
  EXPECT_EQ(NoSuchFileLine(""), "File \"\" doesn't exist!");
}

}  // namespace
}  // namespace jf
