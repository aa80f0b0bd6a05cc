// Dates and times: packed DOS date-times, second counts since EpochYear (Palm headers count from 1904), calendar
// checks, and date text in the user's short date and long time formats. Everything is local time.
//
// Date-format letters (a subset of the usual Delphi/Windows notation):
//   d dd        day without / with leading zero       ddd dddd   English day name, short / full
//   M MM        month without / with leading zero     MMM MMMM   English month name, short / full
//   m mm        month, except directly after an hour letter (separators between are fine): minutes
//   n nn        minutes                               s ss       seconds
//   y yy        two-digit year                        yyy yyyy   four-digit year
//   h hh        hour; 12-hour clock when the format holds an AM/PM marker, else 24-hour
//   H HH        hour on the 24-hour clock
//   AM/PM am/pm the marker, upper or lower case as written (matched in any case; case of the "A" decides)
//   "..." '...' literal text; every other character is copied as it stands.
#pragma once

#include <cstdint>
#include <string>

namespace jf {

struct DateParts {
  int day = 0;
  int month = 0;
  int year = 0;
};

struct TimeParts {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct DateTimeParts {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// ---- Process-wide settings ----

// The year second counts start from (1970 at start).
int EpochYear();
void SetEpochYear(int year);
// Sets EpochYear for its lifetime and puts the previous value back when it ends, also on an exception.
class EpochYearScope {
 public:
  explicit EpochYearScope(int year);
  ~EpochYearScope();
  EpochYearScope(const EpochYearScope&) = delete;
  EpochYearScope& operator=(const EpochYearScope&) = delete;

 private:
  int previous_;
};
// Whether SecondsSinceEpoch reads years below 1900 as two-digit years (true at start).
bool ExpandShortYears();
void SetExpandShortYears(bool expand);

// ---- Packing and unpacking ----

DateParts DosDateParts(uint16_t d);
TimeParts DosTimeParts(uint16_t t);
// Years 1900 and later are stored as year - 1980, years below 80 as 20xx and 80..99 as 19xx (low 7 bits kept).
uint16_t MakeDosDate(int day, int month, int year);
// Seconds are stored halved.
uint16_t MakeDosTime(int second, int minute, int hour);
uint32_t MakeDosDateTime(int second, int minute, int hour, int day, int month, int year);

// ---- Calendar checks ----

// Gregorian rule from 1900 on; before that every fourth year.
bool IsLeapYear(int year);
// Days of month 1..12 in the year; 0 for a month outside 1..12.
int DaysInMonth(int month, int year);
// Years 0..99 are two-digit years (80..99 -> 19xx, else 20xx); true for a real date from the year 1500 on.
bool IsValidDate(int year, int month, int day);
// A date-time that a DOS date-time can hold: years 1980..2079 (two-digit years expanded), a real date and time.
bool IsValidDateTime(int year, int month, int day, int hour, int minute, int second);

// ---- Second counts (unsigned, wrapping at 2^32) ----

// Seconds from 1 January of EpochYear to the given moment. Years below EpochYear count nothing for whole years.
uint32_t SecondsSinceEpoch(int year, int month, int day, int hour, int minute, int second);
// The moment s seconds after 1 January of EpochYear; always a possible date.
DateTimeParts SecondsToParts(uint32_t s);
// SecondsSinceEpoch of the DOS date-time's parts; 0 when IsValidDateTime rejects them.
uint32_t DosToSeconds(uint32_t dos);
uint32_t SecondsToDos(uint32_t s);
// The local clock as a DOS date-time, read once; 0 when the year is outside 1980..2099.
uint32_t NowDos();

// ---- Text ----

// The cuts below count bytes, or whole UTF-8 characters when the console speaks UTF-8, so that a format's
// non-ASCII text is never split in the middle of a character.
//
// The date in the short date format with its first "yyyy" shortened to "yy", cut to 8 characters. Raises
// EConvertError "Invalid argument to date encode" for an impossible date.
std::string DateText(int day, int month, int year);
// The time in the long time format, cut to 9 characters. Raises EConvertError "Invalid argument to time encode"
// for an impossible time.
std::string TimeText(int hour, int minute, int second);
// DateText and TimeText of the DOS date-time's parts joined by a space (at most 18 characters).
std::string DosDateTimeText(uint32_t dos);
// DateText and TimeText of SecondsToParts(s) joined by a space (at most 18 characters).
std::string SecondsText(uint32_t s);
// Reads the export date form "DD Mon YYYY" (English month abbreviation in any case; "MAJ" and "OKT" accepted).
// True for the empty text (variables untouched) and for a valid date, which is then stored in the variables;
// false for anything else, leaving the variables untouched.
bool ParseDayMonthYear(const std::string& s, int& day, int& month, int& year);

// The date in the full short date format (four-digit years stay, nothing cut); raises like DateText.
std::string ShortDateRendering(int day, int month, int year);
// The current local time as Palm seconds since 1904-01-01 (two-second resolution); 0 outside 1980..2079.
uint32_t PalmTimeNow();
// SecondsText of Palm seconds, counted from 1904; EpochYear is left as it was.
std::string PalmTimeText(uint32_t seconds);
// The moment in the given format (letters above). The parts are not checked (DateText and TimeText do that);
// out-of-range values print as numbers and never index outside the name tables.
std::string FormatDateTime(const std::string& format, const DateTimeParts& parts);

// The short date and long time formats in use; taken from the locale at first use.
std::string ShortDateFormat();
std::string LongTimeFormat();
// Fixes both formats, for tests.
void SetDateTimeFormats(const std::string& short_date, const std::string& long_time);
// Fixes whether the cuts count UTF-8 characters (taken from the console at first use), for tests.
void SetCutsCountUtf8(bool utf8);

}  // namespace jf
