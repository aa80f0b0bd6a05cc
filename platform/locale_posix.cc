#include <langinfo.h>
#include <locale.h>
#include <strings.h>

#include <string>

#include "platform/locale.h"

namespace jf {

namespace {

// Reads one item of the user's locale for one category, as the environment names it (LC_ALL, then the
// category's own variable, then LANG; LOCPATH). Each category is asked on its own, so a missing locale named for
// another category (say LC_MESSAGES) does not take the answer away. The process's own locale for the category is
// put back afterwards, so formatting and character classes elsewhere stay in the C locale. When the environment
// names no locale that exists, the C locale answers. (setlocale rather than newlocale: the latter leaks its search
// path when LOCPATH is set.)
std::string LangInfo(int category, nl_item item) {
  const char* current = setlocale(category, nullptr);
  const std::string saved = current == nullptr ? "C" : current;
  setlocale(category, "");
  const char* text = nl_langinfo(item);
  std::string result = text == nullptr ? std::string() : std::string(text);
  setlocale(category, saved.c_str());
  return result;
}

}  // namespace

std::string LocaleShortDateFormat() {
  const std::string f = TranslateStrftimeFormat(LangInfo(LC_TIME, D_FMT));
  return f.empty() ? "MM/dd/yyyy" : f;
}

std::string LocaleLongTimeFormat() {
  const std::string f = TranslateStrftimeFormat(LangInfo(LC_TIME, T_FMT), HourClock::k24Hour);
  return f.empty() ? "HH:mm:ss" : f;
}

bool ConsoleIsUtf8() {
  const std::string codeset = LangInfo(LC_CTYPE, CODESET);
  return strcasecmp(codeset.c_str(), "UTF-8") == 0 || strcasecmp(codeset.c_str(), "UTF8") == 0;
}

}  // namespace jf
