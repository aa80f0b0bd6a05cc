#include <langinfo.h>
#include <locale.h>
#include <strings.h>

#include <string>

#include "platform/locale.h"

namespace jf {

namespace {

// Reads one item of the user's locale as the environment names it (LC_ALL, LC_TIME, LANG, LOCPATH). The process's
// own locale is put back afterwards, so number formatting and character classes elsewhere stay in the C locale.
// When the environment names no locale that exists, the C locale answers. (setlocale rather than newlocale: the
// latter leaks its search path when LOCPATH is set.)
std::string LangInfo(nl_item item) {
  const char* current = setlocale(LC_ALL, nullptr);
  const std::string saved = current == nullptr ? "C" : current;
  setlocale(LC_ALL, "");
  const char* text = nl_langinfo(item);
  std::string result = text == nullptr ? std::string() : std::string(text);
  setlocale(LC_ALL, saved.c_str());
  return result;
}

}  // namespace

std::string LocaleShortDateFormat() {
  const std::string f = TranslateStrftimeFormat(LangInfo(D_FMT));
  return f.empty() ? "MM/dd/yyyy" : f;
}

std::string LocaleLongTimeFormat() {
  const std::string f = TranslateStrftimeFormat(LangInfo(T_FMT));
  return f.empty() ? "HH:mm:ss" : f;
}

bool ConsoleIsUtf8() {
  const std::string codeset = LangInfo(CODESET);
  return strcasecmp(codeset.c_str(), "UTF-8") == 0 || strcasecmp(codeset.c_str(), "UTF8") == 0;
}

}  // namespace jf
