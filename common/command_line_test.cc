#include "common/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/errors.h"

namespace jf {
namespace {

void Start(const std::vector<std::string>& words) {
  std::vector<const char*> argv = {"/usr/bin/tool"};
  for (const std::string& w : words) argv.push_back(w.c_str());
  StartCommandLine(static_cast<int>(argv.size()), argv.data());
}

std::vector<std::string> Args() {
  std::vector<std::string> args;
  for (int i = 1; i <= ArgCount(); ++i) args.push_back(Arg(i));
  return args;
}

TEST(CommandLine, JoinsWordsSoThatArgSplitsThemBack) {
  Start({});
  EXPECT_EQ(ParamText(), "");
  EXPECT_EQ(ArgCount(), 0);
  EXPECT_EQ(Arg(1), "");

  Start({"in.csv", "My File", "out"});
  EXPECT_EQ(ParamText(), "in.csv \"My File\" out");
  EXPECT_EQ(Args(), (std::vector<std::string>{"in.csv", "My File", "out"}));

  Start({"", "a\tb", "x"});
  EXPECT_EQ(ParamText(), "\"\" \"a\tb\" x");
  EXPECT_EQ(Args(), (std::vector<std::string>{"", "a\tb", "x"}));

  std::string long_name = "/tmp/" + std::string(400, 'n') + ".pdb";  // no cut at 255
  Start({long_name});
  EXPECT_EQ(Arg(1), long_name);
}

TEST(CommandLine, ProgramPathIsArgZero) {
  Start({"x"});
  EXPECT_FALSE(Arg(0).empty());
  EXPECT_EQ(Arg(0).front(), '/');
  EXPECT_EQ(Arg(2), "");
  EXPECT_EQ(Arg(-1), "");
}

TEST(CommandLine, ArgumentScan) {
  struct Case {
    const char* text;
    std::vector<std::string> args;
  } cases[] = {
      {"  a   b  ", {"a", "b"}},
      {"a \"b c", {"a", "\"b c"}},     // an unclosed quote runs to the end and keeps its quote
      {"\"x\"y z", {"x", "y", "z"}},   // a closing quote followed by text starts a new argument
      {"\"\" b", {"", "b"}},
  };
  for (const Case& c : cases) {
    SetParamText(c.text);
    EXPECT_EQ(Args(), c.args) << c.text;
  }
}

TEST(CommandLine, SwitchNumber) {
  SetParamText("in.pdb /V3 out.pdb");
  EXPECT_EQ(SwitchNumber("V", 5), 3);
  EXPECT_EQ(ParamText(), "in.pdb  out.pdb");
  EXPECT_EQ(ArgCount(), 2);
  EXPECT_EQ(Arg(2), "out.pdb");

  for (const char* text : {"in.pdb /V", "in.pdb /V out.pdb", "in.pdb"}) {
    SetParamText(text);
    EXPECT_EQ(SwitchNumber("V", 5), 5) << text;
  }
  SetParamText("/v=4 /V:$10");  // any case, ":" or "=", last one wins
  EXPECT_EQ(SwitchNumber("V", 5), 16);
  EXPECT_EQ(ParamText(), " ");

  SetParamText("in.pdb /V:x");
  try {
    SwitchNumber("V", 5);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
  }
}

TEST(CommandLine, SwitchValue) {
  SetParamText("a /N:\"two words\" b");
  EXPECT_EQ(SwitchValue("n"), "two words");
  EXPECT_EQ(ParamText(), "a  b");
  EXPECT_EQ(Args(), (std::vector<std::string>{"a", "b"}));

  SetParamText("/Nfirst x /Nsecond");
  EXPECT_EQ(SwitchValue("N"), "second");
  EXPECT_EQ(ParamText(), " x ");

  SetParamText("/N x");  // a value must follow directly
  EXPECT_EQ(SwitchValue("N"), "");
  EXPECT_EQ(ParamText(), " x");
}

TEST(CommandLine, SwitchFlagAndLetter) {
  SetParamText("/auto");
  EXPECT_TRUE(SwitchFlag("AUTO"));
  SetParamText("/AUTO-");
  EXPECT_FALSE(SwitchFlag("AUTO"));
  EXPECT_EQ(ParamText(), "");
  SetParamText("/AUTO- x /Auto+");
  EXPECT_TRUE(SwitchFlag("AUTO"));
  EXPECT_EQ(ParamText(), " x ");
  SetParamText("/AUTOMATIC");
  EXPECT_TRUE(SwitchFlag("AUTO"));
  EXPECT_EQ(ParamText(), "MATIC");

  SetParamText("a /X+");
  EXPECT_TRUE(SwitchLetter('X'));
  SetParamText("a /x-");
  EXPECT_FALSE(SwitchLetter('X'));
  SetParamText("a");
  EXPECT_FALSE(SwitchLetter('X'));
  SetParamText("db.pdb /AUTO");
  EXPECT_TRUE(SwitchLetter('A'));
  EXPECT_EQ(ParamText(), "db.pdb UTO");
  SetParamText("/RAW /RAW-");
  EXPECT_FALSE(SwitchFlag("RAW"));
  EXPECT_EQ(ParamText(), " ");
}

// A "/" is an option only where a word begins, outside quotes, and only when its word holds no further "/".
TEST(CommandLine, PathsAreNeverOptions) {
  Start({"/var/v3/data.pdb", "/x/auto/out.pdb", "/V4"});
  EXPECT_EQ(SwitchNumber("V", 5), 4);
  EXPECT_FALSE(SwitchLetter('X'));
  EXPECT_FALSE(SwitchFlag("AUTO"));
  EXPECT_FALSE(SwitchLetter('V'));
  EXPECT_EQ(Args(), (std::vector<std::string>{"/var/v3/data.pdb", "/x/auto/out.pdb"}));

  Start({"/v/x.pdb", "/auto/", "/x"});
  EXPECT_EQ(SwitchNumber("V", 5), 5);
  EXPECT_TRUE(SwitchLetter('X'));
  EXPECT_FALSE(SwitchFlag("AUTO"));
  EXPECT_EQ(Args(), (std::vector<std::string>{"/v/x.pdb", "/auto/"}));

  Start({"my-list/V3.csv", "list-/V3", "a/b", "/My Dir/x.csv", "/V 3"});  // mid-word and quoted words
  EXPECT_EQ(SwitchNumber("V", 5), 5);
  EXPECT_EQ(Args(), (std::vector<std::string>{"my-list/V3.csv", "list-/V3", "a/b", "/My Dir/x.csv", "/V 3"}));

  Start({"/X-", "-/X", "/X+"});
  EXPECT_TRUE(SwitchLetter('X'));
  EXPECT_EQ(Args(), (std::vector<std::string>{"-/X"}));
}

}  // namespace
}  // namespace jf
