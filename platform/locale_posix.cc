#include <langinfo.h>
#include <locale.h>
#include <strings.h>

#include <string>

#include "platform/locale.h"

namespace jf {

namespace {

// The user's locale from the environment, without changing the process's own locale (number formatting and
// character classes elsewhere stay in the C locale). Falls back to the C locale when the environment names none
// that exists.
locale_t UserLocale() {
  static locale_t user = [] {
    locale_t l = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
    if (l == static_cast<locale_t>(nullptr)) l = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return l;
  }();
  return user;
}

std::string LangInfo(nl_item item) {
  const locale_t l = UserLocale();
  const char* text = l == static_cast<locale_t>(nullptr) ? nl_langinfo(item) : nl_langinfo_l(item, l);
  return text == nullptr ? std::string() : std::string(text);
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
