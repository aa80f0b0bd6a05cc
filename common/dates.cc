#include "common/dates.h"

#include <algorithm>
#include <optional>

#include "common/errors.h"
#include "common/strings.h"
#include "platform/clock.h"
#include "platform/locale.h"

namespace jf {

namespace {

constexpr int kDosBaseYear = 1980;
constexpr int kDosLastYear = 2079;      // last year IsValidDateTime accepts
constexpr int kNowLastYear = 2099;      // last year NowDos reports
constexpr int kGregorianFromYear = 1900;  // IsLeapYear applies the century rule from here on
constexpr int kFirstValidYear = 1500;
constexpr int kPalmEpochYear = 1904;
constexpr uint32_t kSecondsPerDay = 86400;
constexpr uint32_t kSecondsPerHour = 3600;
constexpr uint32_t kSecondsPerMinute = 60;
constexpr size_t kDateStringMax = 8;
constexpr size_t kTimeStringMax = 9;
constexpr size_t kDateTimeStringMax = 18;

int epoch_year = 1970;
bool expand_short_years = true;
std::optional<std::string> short_date_format;
std::optional<std::string> long_time_format;
std::optional<bool> cuts_count_utf8;

// A two-digit year as the DOS and validity checks read it: 80..99 are 19xx, 0..79 are 20xx.
int ExpandTwoDigitYear(int year) {
  if (year < 0 || year > 99) return year;
  return year >= 80 ? 1900 + year : 2000 + year;
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

// Multiples of k among the years [from, to).
int64_t MultiplesIn(int64_t from, int64_t to, int64_t k) {
  return to <= from ? 0 : FloorDiv(to - 1, k) - FloorDiv(from - 1, k);
}

// Days in the years [from, to) under IsLeapYear, without walking them one by one.
int64_t DaysInYears(int64_t from, int64_t to) {
  if (to <= from) return 0;
  const int64_t split = std::clamp<int64_t>(kGregorianFromYear, from, to);
  const int64_t julian_leaps = MultiplesIn(from, split, 4);
  const int64_t gregorian_leaps =
      MultiplesIn(split, to, 4) - MultiplesIn(split, to, 100) + MultiplesIn(split, to, 400);
  return 365 * (to - from) + julian_leaps + gregorian_leaps;
}

uint32_t SecondsInYear(int year) { return (IsLeapYear(year) ? 366u : 365u) * kSecondsPerDay; }

bool IsPossibleDate(int day, int month, int year) {
  constexpr int kLastYear = 9999;
  return year >= 1 && year <= kLastYear && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(month, year);
}

bool IsPossibleTime(int hour, int minute, int second) {
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

void CheckDate(int day, int month, int year) {
  if (!IsPossibleDate(day, month, year)) throw EConvertError("Invalid argument to date encode");
}

void CheckTime(int hour, int minute, int second) {
  if (!IsPossibleTime(hour, minute, second)) throw EConvertError("Invalid argument to time encode");
}

// ---- Formatting ----

constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr size_t kShortNameLength = 3;
constexpr char kAmPm[] = "am/pm";
constexpr size_t kAmPmLength = sizeof(kAmPm) - 1;

// v in decimal with at least width digits.
std::string Digits(int v, size_t width) {
  std::string digits = NaturalText(v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v));
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return v < 0 ? "-" + digits : digits;
}

std::string Name(const std::string& full, size_t run) { return run == 3 ? full.substr(0, kShortNameLength) : full; }

std::string MonthName(int month, size_t run) {
  if (month < 1 || month > 12) return Digits(month, 2);
  return Name(kMonthNames[month - 1], run);
}

// Day of the week (0 = Sunday) on the Gregorian calendar.
int DayOfWeek(int day, int month, int year) {
  const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t mp = (month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = era * 146097 + doe - 719468;  // days since 1970-01-01, a Thursday
  return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

std::string DayName(const DateTimeParts& p, size_t run) {
  if (!IsPossibleDate(p.day, p.month, p.year)) return std::string();
  return Name(kDayNames[DayOfWeek(p.day, p.month, p.year)], run);
}

bool AmPmAt(const std::string& f, size_t i) {
  if (i + kAmPmLength > f.size()) return false;
  for (size_t k = 0; k < kAmPmLength; ++k) {
    char c = f[i + k];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kAmPm[k]) return false;
  }
  return true;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool HasAmPm(const std::string& f) {
  for (size_t i = 0; i < f.size(); ++i) {
    if (IsQuote(f[i])) {
      const size_t close = f.find(f[i], i + 1);
      if (close == std::string::npos) return false;
      i = close;
    } else if (AmPmAt(f, i)) {
      return true;
    }
  }
  return false;
}

// The byte length of the UTF-8 sequence that starts with lead; a stray continuation byte or an impossible lead
// counts as one character of its own.
size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xC0 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  return 1;
}

bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

bool CutsCountUtf8() {
  if (!cuts_count_utf8) cuts_count_utf8 = ConsoleIsUtf8();
  return *cuts_count_utf8;
}

// The first n characters of s: bytes, or on a UTF-8 console whole UTF-8 characters, so that a cut never splits
// one.
std::string CutTo(std::string s, size_t n) {
  if (!CutsCountUtf8()) {
    if (s.size() > n) s.resize(n);
    return s;
  }
  size_t end = 0;
  for (size_t count = 0; count < n && end < s.size(); ++count) {
    const size_t length = Utf8SequenceLength(static_cast<unsigned char>(s[end]));
    size_t k = 1;
    while (k < length && end + k < s.size() && IsUtf8Continuation(static_cast<unsigned char>(s[end + k]))) ++k;
    end += k;
  }
  s.resize(end);
  return s;
}

const std::string& ShortDateFormatRef() {
  if (!short_date_format) short_date_format = LocaleShortDateFormat();
  return *short_date_format;
}

const std::string& LongTimeFormatRef() {
  if (!long_time_format) long_time_format = LocaleLongTimeFormat();
  return *long_time_format;
}

}  // namespace

// ---- Process-wide settings ----

int EpochYear() { return epoch_year; }
void SetEpochYear(int year) { epoch_year = year; }

EpochYearScope::EpochYearScope(int year) : previous_(epoch_year) { epoch_year = year; }
EpochYearScope::~EpochYearScope() { epoch_year = previous_; }

bool ExpandShortYears() { return expand_short_years; }
void SetExpandShortYears(bool expand) { expand_short_years = expand; }

// ---- Packing and unpacking ----

DateParts DosDateParts(uint16_t d) {
  return DateParts{d & 31, (d >> 5) & 15, (d >> 9) + kDosBaseYear};
}

TimeParts DosTimeParts(uint16_t t) {
  return TimeParts{(t >> 11) & 31, (t >> 5) & 63, (t & 31) * 2};
}

uint16_t MakeDosDate(int day, int month, int year) {
  int y;
  if (year >= 100) {
    y = year - kDosBaseYear;
  } else if (year < 80) {
    y = year + 20;
  } else {
    y = year - 80;
  }
  // Each part is kept to its own bits, so an out-of-range part cannot spill into its neighbour.
  return static_cast<uint16_t>((day & 31) | ((month & 15) << 5) | ((y & 127) << 9));
}

uint16_t MakeDosTime(int second, int minute, int hour) {
  return static_cast<uint16_t>(((second / 2) & 31) | ((minute & 63) << 5) | ((hour & 31) << 11));
}

uint32_t MakeDosDateTime(int second, int minute, int hour, int day, int month, int year) {
  return (static_cast<uint32_t>(MakeDosDate(day, month, year)) << 16) | MakeDosTime(second, minute, hour);
}

// ---- Calendar checks ----

bool IsLeapYear(int year) {
  if (year >= kGregorianFromYear) {
    if (year % 400 == 0) return true;
    if (year % 100 == 0) return false;
  }
  return year % 4 == 0;
}

int DaysInMonth(int month, int year) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  if (year < 0) return false;
  year = ExpandTwoDigitYear(year);
  return year >= kFirstValidYear && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(month, year);
}

bool IsValidDateTime(int year, int month, int day, int hour, int minute, int second) {
  if (!IsPossibleTime(hour, minute, second) || month < 1 || month > 12 || year < 0) return false;
  year = ExpandTwoDigitYear(year);
  return year >= kDosBaseYear && year <= kDosLastYear && day >= 1 && day <= DaysInMonth(month, year);
}

// ---- Second counts ----

uint32_t SecondsSinceEpoch(int year, int month, int day, int hour, int minute, int second) {
  if (expand_short_years) year = ExpandTwoDigitYear(year);
  int64_t days = DaysInYears(epoch_year, year);
  for (int m = 1; m < month && m <= 12; ++m) days += DaysInMonth(m, year);
  days += static_cast<int64_t>(day) - 1;
  const int64_t total = days * kSecondsPerDay + static_cast<int64_t>(hour) * kSecondsPerHour +
                        static_cast<int64_t>(minute) * kSecondsPerMinute + second;
  return static_cast<uint32_t>(total);  // wraps at 2^32
}

DateTimeParts SecondsToParts(uint32_t s) {
  DateTimeParts p{epoch_year, 1, 1, 0, 0, 0};
  while (s >= SecondsInYear(p.year)) {
    s -= SecondsInYear(p.year);
    ++p.year;
  }
  while (s >= static_cast<uint32_t>(DaysInMonth(p.month, p.year)) * kSecondsPerDay) {
    s -= static_cast<uint32_t>(DaysInMonth(p.month, p.year)) * kSecondsPerDay;
    ++p.month;
  }
  p.day += static_cast<int>(s / kSecondsPerDay);
  s %= kSecondsPerDay;
  p.hour = static_cast<int>(s / kSecondsPerHour);
  s %= kSecondsPerHour;
  p.minute = static_cast<int>(s / kSecondsPerMinute);
  p.second = static_cast<int>(s % kSecondsPerMinute);
  return p;
}

uint32_t DosToSeconds(uint32_t dos) {
  const DateParts d = DosDateParts(static_cast<uint16_t>(dos >> 16));
  const TimeParts t = DosTimeParts(static_cast<uint16_t>(dos));
  if (!IsValidDateTime(d.year, d.month, d.day, t.hour, t.minute, t.second)) return 0;
  return SecondsSinceEpoch(d.year, d.month, d.day, t.hour, t.minute, t.second);
}

uint32_t SecondsToDos(uint32_t s) {
  const DateTimeParts p = SecondsToParts(s);
  return MakeDosDateTime(p.second, p.minute, p.hour, p.day, p.month, p.year);
}

uint32_t NowDos() {
  const LocalTime now = LocalNow();
  if (now.year < kDosBaseYear || now.year > kNowLastYear) return 0;
  return MakeDosDateTime(now.second, now.minute, now.hour, now.day, now.month, now.year);
}

// ---- Text ----

std::string FormatDateTime(const std::string& format, const DateTimeParts& p) {
  const bool twelve_hour = HasAmPm(format);
  std::string out;
  bool after_hour = false;
  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (IsQuote(c)) {
      const size_t close = format.find(c, i + 1);
      const size_t end = close == std::string::npos ? format.size() : close;
      out.append(format, i + 1, end - i - 1);
      i = end == format.size() ? end : end + 1;
      continue;
    }
    if (AmPmAt(format, i)) {
      const bool upper = c == 'A';
      out += p.hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
      i += kAmPmLength;
      after_hour = false;
      continue;
    }
    size_t run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    const size_t pad = run >= 2 ? 2 : 1;
    switch (c) {
      case 'd':
        out += run <= 2 ? Digits(p.day, pad) : DayName(p, run);
        break;
      case 'm':
        if (after_hour && run <= 2) {
          out += Digits(p.minute, pad);
          break;
        }
        [[fallthrough]];
      case 'M':
        out += run <= 2 ? Digits(p.month, pad) : MonthName(p.month, run);
        break;
      case 'n':
        out += Digits(p.minute, pad);
        break;
      case 'y':
        out += run <= 2 ? Digits(((p.year % 100) + 100) % 100, 2) : Digits(p.year, 4);
        break;
      case 'h':
        out += Digits(twelve_hour ? (p.hour % 12 == 0 ? 12 : p.hour % 12) : p.hour, pad);
        break;
      case 'H':
        out += Digits(p.hour, pad);
        break;
      case 's':
        out += Digits(p.second, pad);
        break;
      default:
        out.append(run, c);
        break;
    }
    if (c == 'd' || c == 'M' || c == 'm' || c == 'n' || c == 'y' || c == 'h' || c == 'H' || c == 's') {
      after_hour = c == 'h' || c == 'H';
    }
    i += run;
  }
  return out;
}

std::string DateText(int day, int month, int year) {
  CheckDate(day, month, year);
  std::string format = ShortDateFormatRef();
  const size_t yyyy = format.find("yyyy");
  if (yyyy != std::string::npos) format.erase(yyyy, 2);
  DateTimeParts p;
  p.day = day;
  p.month = month;
  p.year = year;
  return CutTo(FormatDateTime(format, p), kDateStringMax);
}

std::string TimeText(int hour, int minute, int second) {
  CheckTime(hour, minute, second);
  DateTimeParts p;
  p.hour = hour;
  p.minute = minute;
  p.second = second;
  return CutTo(FormatDateTime(LongTimeFormatRef(), p), kTimeStringMax);
}

std::string DosDateTimeText(uint32_t dos) {
  const DateParts d = DosDateParts(static_cast<uint16_t>(dos >> 16));
  const TimeParts t = DosTimeParts(static_cast<uint16_t>(dos));
  const std::string date = DateText(d.day, d.month, d.year);
  return CutTo(date + ' ' + TimeText(t.hour, t.minute, t.second), kDateTimeStringMax);
}

std::string SecondsText(uint32_t s) {
  const DateTimeParts p = SecondsToParts(s);
  const std::string date = DateText(p.day, p.month, p.year);
  return CutTo(date + ' ' + TimeText(p.hour, p.minute, p.second), kDateTimeStringMax);
}

bool ParseDayMonthYear(const std::string& s, int& day, int& month, int& year) {
  constexpr size_t kLength = 11;
  constexpr size_t kDigitPositions[] = {0, 1, 7, 8, 9, 10};
  constexpr size_t kMonthAt = 3;
  constexpr size_t kYearAt = 7;
  static constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                            "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  if (s.empty()) return true;
  if (s.size() != kLength || s[2] != ' ' || s[6] != ' ') return false;
  for (size_t i : kDigitPositions) {
    if (s[i] < '0' || s[i] > '9') return false;
  }
  const int parsed_day = TextToInteger(s.substr(0, 2));
  const int parsed_year = TextToInteger(s.substr(kYearAt, 4));
  std::string name = UpperText(s.substr(kMonthAt, 3));
  if (name == "MAJ") name = "MAY";
  if (name == "OKT") name = "OCT";
  int parsed_month = 0;
  for (int m = 0; m < 12; ++m) {
    if (name == kMonths[m]) parsed_month = m + 1;
  }
  if (!IsValidDate(parsed_year, parsed_month, parsed_day)) return false;
  day = parsed_day;
  month = parsed_month;
  year = parsed_year;
  return true;
}

std::string ShortDateRendering(int day, int month, int year) {
  CheckDate(day, month, year);
  DateTimeParts p;
  p.day = day;
  p.month = month;
  p.year = year;
  return FormatDateTime(ShortDateFormatRef(), p);
}

uint32_t PalmTimeNow() {
  EpochYearScope palm(kPalmEpochYear);
  return DosToSeconds(NowDos());
}

std::string PalmTimeText(uint32_t seconds) {
  EpochYearScope palm(kPalmEpochYear);
  return SecondsText(seconds);
}

std::string ShortDateFormat() { return ShortDateFormatRef(); }
std::string LongTimeFormat() { return LongTimeFormatRef(); }

void SetDateTimeFormats(const std::string& short_date, const std::string& long_time) {
  short_date_format = short_date;
  long_time_format = long_time;
}

void SetCutsCountUtf8(bool utf8) { cuts_count_utf8 = utf8; }

}  // namespace jf
