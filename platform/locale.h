// The user's locale: its short date and long time formats (in the date-format letters of common/dates.h) and
// whether the console speaks UTF-8.
#pragma once

#include <string>

namespace jf {

// The locale's date format, e.g. "MM/dd/yyyy" in the C locale; a two-digit year is given as "yyyy".
std::string LocaleShortDateFormat();
// The locale's time format on the 24-hour clock, e.g. "HH:mm:ss" in the C locale and also for en_US, whose
// 12-hour format would lose its AM/PM marker where a time is cut to its first characters.
std::string LocaleLongTimeFormat();
// True when the locale's character set is UTF-8.
bool ConsoleIsUtf8();

// Translates a strftime format into date-format letters: %d dd, %e d, %m MM, %y and %Y yyyy, %b MMM, %B MMMM,
// %a ddd, %A dddd, %H HH, %k H, %I hh, %l h, %M mm (nn when no hour comes before it), %S ss, %p AM/PM,
// %P am/pm, and the composites %D %T %R %r %F. Conversions without an equivalent (time zone, week numbers...)
// are dropped; literal letters are quoted. With k24Hour a 12-hour format becomes a 24-hour one with the same
// separators: %I and %l give HH, %r HH:mm:ss, and the AM/PM marker is dropped with the blanks at the ends.
enum class HourClock { kAsWritten, k24Hour };
std::string TranslateStrftimeFormat(const std::string& format, HourClock clock = HourClock::kAsWritten);

}  // namespace jf
