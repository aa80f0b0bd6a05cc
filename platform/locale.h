// The user's locale: its short date and long time formats (in the date-format letters of common/dates.h) and
// whether the console speaks UTF-8.
#pragma once

#include <string>

namespace jf {

// The locale's date format, e.g. "MM/dd/yyyy" in the C locale; a two-digit year is given as "yyyy".
std::string LocaleShortDateFormat();
// The locale's time format, e.g. "HH:mm:ss" in the C locale.
std::string LocaleLongTimeFormat();
// True when the locale's character set is UTF-8.
bool ConsoleIsUtf8();

// Translates a strftime format into date-format letters: %d dd, %e d, %m MM, %y and %Y yyyy, %b MMM, %B MMMM,
// %a ddd, %A dddd, %H HH, %k H, %I hh, %l h, %M mm (nn when no hour comes before it), %S ss, %p AM/PM,
// %P am/pm, and the composites %D %T %R %r %F. Conversions without an equivalent (time zone, week numbers...)
// are dropped; literal letters are quoted.
std::string TranslateStrftimeFormat(const std::string& format);

}  // namespace jf
