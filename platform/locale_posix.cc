#include <langinfo.h>
#include <locale.h>
#include <strings.h>

#include <string>

#include "platform/locale.h"

namespace jf {

namespace {

// Reads one item of the user's locale as the environment names it (LC_ALL, LC_TIME, LANG, LOCPATH), without
// changing the process's own locale, so number formatting and character classes elsewhere stay in the C locale.
// Falls back to the C locale when the environment names none that exists.
std::string LangInfo(nl_item item) {
  const locale_t none = static_cast<locale_t>(nullptr);
  locale_t user = newlocale(LC_ALL_MASK, "", none);
  if (user == none) user = newlocale(LC_ALL_MASK, "C", none);
  if (user == none) return std::string();
  const char* text = nl_langinfo_l(item, user);
  std::string result = text == nullptr ? std::string() : std::string(text);
  freelocale(user);
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
