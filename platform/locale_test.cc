#include "platform/locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "testing/test_util.h"

namespace jf {
namespace {

TEST(Locale, TranslatesStrftimeFormatsIntoDateFormatLetters) {
  struct Case {
    std::string strftime, expected;
  };
  const std::vector<Case> cases = {
      {"%d/%m/%y", "dd/MM/yyyy"},
      {"%d.%m.%Y", "dd.MM.yyyy"},
      {"%m/%d/%y", "MM/dd/yyyy"},
      {"%Y-%m-%d", "yyyy-MM-dd"},
      {"%H:%M:%S", "HH:mm:ss"},
      {"%I:%M:%S %p", "hh:mm:ss AM/PM"},
      {"%l:%M %P", "h:mm am/pm"},
      {"%r", "hh:mm:ss AM/PM"},
      {"%T", "HH:mm:ss"},
      {"%D", "MM/dd/yyyy"},
      {"%F", "yyyy-MM-dd"},
      {"%e/%-m/%y", "d/M/yyyy"},
      {"%a %d %b %Y", "ddd dd MMM yyyy"},
      {"%A, %B %e", "dddd, MMMM d"},
      {"%M min", "nn \"min\""},         // minutes without an hour before them, literal letters quoted
      {"%H h %M", "HH \"h\" mm"},       // ...and "mm" right after an hour
      {"%H:%M:%S %Z", "HH:mm:ss"},       // no time zone: dropped, with its blank
      {"%Ey/%Om", "yyyy/MM"},            // alternative forms read as the plain ones
      {"%Y\xE5%m\xE6", "yyyy\xE5MM\xE6"},  // non-ASCII bytes pass as they are
      {"100%% \"x\"", "100% '\"'\"x\"'\"'"},
      {"", ""},
      {"%", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(TranslateStrftimeFormat(c.strftime), c.expected) << c.strftime;
}

// A long time is cut to nine characters, which takes the AM/PM marker away ("01:58:38 " for 13:58:38): the
// locale's time format is used on the 24-hour clock, with its own separators.
TEST(Locale, TimeFormatsTurnTo24Hours) {
  struct Case {
    std::string strftime, expected;
  };
  const std::vector<Case> cases = {
      {"%r", "HH:mm:ss"},                                  // en_US
      {"%I:%M:%S %p", "HH:mm:ss"},
      {"%l.%M.%S %P", "HH.mm.ss"},
      {"%p %I:%M:%S", "HH:mm:ss"},                         // the marker first
      {"%p %I\xEC\x8B\x9C %M\xEB\xB6\x84", "HH\xEC\x8B\x9C mm\xEB\xB6\x84"},  // ko_KR style, UTF-8 kept
      {"%I h %M", "HH \"h\" mm"},
      {"%H:%M:%S", "HH:mm:ss"},                            // already 24-hour: unchanged
      {"%k:%M", "H:mm"},
      {"%T", "HH:mm:ss"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TranslateStrftimeFormat(c.strftime, HourClock::k24Hour), c.expected) << c.strftime;
  }
}

// Sets environment variables for the test's lifetime and puts the old values back.
class ScopedEnv {
 public:
  void Set(const std::string& name, const std::string& value) {
    Save(name);
    setenv(name.c_str(), value.c_str(), 1);
  }
  void Unset(const std::string& name) {
    Save(name);
    unsetenv(name.c_str());
  }
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        unsetenv(it->first.c_str());
      }
    }
  }

 private:
  void Save(const std::string& name) {
    const char* old = std::getenv(name.c_str());
    saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(Locale, CLocaleGivesMonthDayYearAnd24HourTime) {
  ScopedEnv env;
  env.Set("LC_ALL", "C");
  EXPECT_EQ(LocaleShortDateFormat(), "MM/dd/yyyy");
  EXPECT_EQ(LocaleLongTimeFormat(), "HH:mm:ss");
  EXPECT_FALSE(ConsoleIsUtf8());
}

TEST(Locale, UnknownLocaleFallsBackToC) {
  ScopedEnv env;
  env.Set("LC_ALL", "xx_NOWHERE.UTF-8");
  EXPECT_EQ(LocaleShortDateFormat(), "MM/dd/yyyy");
  EXPECT_EQ(LocaleLongTimeFormat(), "HH:mm:ss");
}

TEST(Locale, DayMonthYearLocale) {
  const std::string dir = testing::DayMonthYearLocaleDir();
  if (dir.empty()) GTEST_SKIP() << "en_GB.UTF-8 could not be built with localedef";
  ScopedEnv env;
  env.Set("LOCPATH", dir);
  env.Set("LC_ALL", "en_GB.UTF-8");
  EXPECT_EQ(LocaleShortDateFormat(), "dd/MM/yyyy");
  EXPECT_EQ(LocaleLongTimeFormat(), "HH:mm:ss");
  EXPECT_TRUE(ConsoleIsUtf8());
}

// A missing locale named for a category that is not asked about leaves the others as the environment says.
TEST(Locale, EachCategoryIsAskedOnItsOwn) {
  const std::string dir = testing::DayMonthYearLocaleDir();
  if (dir.empty()) GTEST_SKIP() << "en_GB.UTF-8 could not be built with localedef";
  ScopedEnv env;
  env.Set("LOCPATH", dir);
  for (const char* name : {"LC_ALL", "LC_TIME", "LC_CTYPE"}) env.Unset(name);
  env.Set("LANG", "en_GB.UTF-8");
  env.Set("LC_MESSAGES", "xx_NOWHERE.UTF-8");
  EXPECT_EQ(LocaleShortDateFormat(), "dd/MM/yyyy");
  EXPECT_TRUE(ConsoleIsUtf8());
  // And one category's own missing locale gives the C answer for that category only.
  env.Set("LC_TIME", "xx_NOWHERE.UTF-8");
  EXPECT_EQ(LocaleShortDateFormat(), "MM/dd/yyyy");
  EXPECT_TRUE(ConsoleIsUtf8());
}

}  // namespace
}  // namespace jf
