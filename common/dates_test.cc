#include "common/dates.h"

#include <gtest/gtest.h>

#include <ctime>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/errors.h"
#include "platform/clock.h"
#include "platform/locale.h"

namespace jf {
namespace {

// Every test starts from the documented start state with fixed formats, and leaves it so.
class DatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEpochYear(1970);
    SetExpandShortYears(true);
    SetDateTimeFormats("dd-MM-yyyy", "HH:mm:ss");
    SetCutsCountUtf8(false);
  }
  void TearDown() override {
    SetEpochYear(1970);
    ClearFixedLocalTime();
  }
};

TEST_F(DatesTest, DosPackingAndUnpacking) {
  const DateParts zero = DosDateParts(0);
  EXPECT_EQ(zero.day, 0);
  EXPECT_EQ(zero.month, 0);
  EXPECT_EQ(zero.year, 1980);

  EXPECT_EQ(MakeDosDate(31, 12, 2003), MakeDosDate(31, 12, 3));
  EXPECT_EQ(DosDateParts(MakeDosDate(31, 12, 99)).year, 1999);
  EXPECT_EQ(DosDateParts(MakeDosDate(1, 1, 1980)).year, 1980);
  EXPECT_EQ(MakeDosDate(1, 1, 1980), 0x21);
  const DateParts d = DosDateParts(MakeDosDate(29, 2, 2004));
  EXPECT_EQ(d.day, 29);
  EXPECT_EQ(d.month, 2);
  EXPECT_EQ(d.year, 2004);

  EXPECT_EQ(MakeDosTime(59, 59, 23) & 31, 29);
  const TimeParts t = DosTimeParts(MakeDosTime(59, 59, 23));
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.minute, 59);
  EXPECT_EQ(t.second, 58);

  EXPECT_EQ(MakeDosDateTime(4, 3, 2, 1, 1, 1980), (0x21u << 16) | (2u << 11) | (3u << 5) | 2u);
  // An out-of-range day stays in its own bits.
  EXPECT_EQ(DosDateParts(MakeDosDate(33, 5, 2000)).month, 5);
}

TEST_F(DatesTest, CalendarChecks) {
  struct Leap {
    int year;
    bool leap;
  };
  for (const Leap& c : std::vector<Leap>{{2000, true}, {1900, false}, {2100, false}, {1800, true}, {2004, true},
                                         {2003, false}, {1904, true}}) {
    EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
  }
  EXPECT_EQ(DaysInMonth(2, 2004), 29);
  EXPECT_EQ(DaysInMonth(2, 2003), 28);
  EXPECT_EQ(DaysInMonth(4, 2003), 30);
  EXPECT_EQ(DaysInMonth(12, 2003), 31);
  EXPECT_EQ(DaysInMonth(13, 2003), 0);

  struct Date {
    int year, month, day;
    bool valid;
  };
  for (const Date& c : std::vector<Date>{{2003, 2, 29, false}, {2004, 2, 29, true}, {3, 2, 28, true},
                                         {1499, 1, 1, false}, {1500, 1, 1, true}, {99, 12, 31, true},
                                         {2003, 0, 1, false}, {2003, 13, 1, false}, {2003, 1, 0, false},
                                         {2003, 4, 31, false}, {-1, 1, 1, false}}) {
    EXPECT_EQ(IsValidDate(c.year, c.month, c.day), c.valid) << c.year << "-" << c.month << "-" << c.day;
  }

  struct DateTime {
    int year, month, day, hour, minute, second;
    bool valid;
  };
  for (const DateTime& c : std::vector<DateTime>{{2080, 1, 1, 0, 0, 0, false},
                                                 {1979, 12, 31, 0, 0, 0, false},
                                                 {79, 12, 31, 0, 0, 0, true},
                                                 {80, 1, 1, 0, 0, 0, true},
                                                 {2079, 12, 31, 23, 59, 59, true},
                                                 {2000, 1, 1, 24, 0, 0, false},
                                                 {2000, 1, 1, 0, 60, 0, false},
                                                 {2000, 1, 1, 0, 0, 60, false},
                                                 {2000, 2, 30, 0, 0, 0, false},
                                                 {2000, 0, 1, 0, 0, 0, false}}) {
    EXPECT_EQ(IsValidDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second), c.valid) << c.year;
  }
}

TEST_F(DatesTest, SecondCountsFromTheEpochYear) {
  EXPECT_EQ(SecondsSinceEpoch(1970, 1, 1, 0, 0, 0), 0u);
  EXPECT_EQ(SecondsSinceEpoch(1980, 1, 1, 0, 0, 0), 315532800u);
  EXPECT_EQ(SecondsSinceEpoch(80, 1, 1, 0, 0, 0), 315532800u);  // short year expanded
  EXPECT_EQ(SecondsSinceEpoch(2000, 3, 1, 1, 2, 3), 951872523u);
  {
    EpochYearScope palm(1904);
    EXPECT_EQ(EpochYear(), 1904);
    EXPECT_EQ(SecondsSinceEpoch(1970, 1, 1, 0, 0, 0), 2082844800u);
    const DateTimeParts last = SecondsToParts(4294967295u);
    EXPECT_EQ(last.year, 2040);
    EXPECT_EQ(last.month, 2);
    EXPECT_EQ(last.day, 6);
    EXPECT_EQ(last.hour, 6);
    EXPECT_EQ(last.minute, 28);
    EXPECT_EQ(last.second, 15);
  }
  EXPECT_EQ(EpochYear(), 1970);

  // Only two-digit years are expanded: a year before 1900 counted from an earlier epoch stays itself.
  {
    EpochYearScope early(1800);
    EXPECT_EQ(SecondsToParts(SecondsSinceEpoch(1850, 6, 1, 0, 0, 0)).year, 1850);
  }

  // Wraps at 2^32 rather than failing.
  EXPECT_EQ(SecondsSinceEpoch(2106, 2, 7, 6, 28, 16), 0u);
}

TEST_F(DatesTest, SecondsToPartsInvertsSecondsSinceEpoch) {
  for (int epoch : {1904, 1970}) {
    EpochYearScope scope(epoch);
    for (int year = epoch; year < epoch + 136; year += 7) {
      for (int month = 1; month <= 12; ++month) {
        for (int day : {1, 15, DaysInMonth(month, year)}) {
          const uint32_t s = SecondsSinceEpoch(year, month, day, 23, 59, 58);
          const DateTimeParts p = SecondsToParts(s);
          ASSERT_EQ(p.year, year) << epoch;
          ASSERT_EQ(p.month, month) << year;
          ASSERT_EQ(p.day, day) << year << "-" << month;
          ASSERT_EQ(p.hour, 23);
          ASSERT_EQ(p.minute, 59);
          ASSERT_EQ(p.second, 58);
        }
      }
    }
  }
}

TEST_F(DatesTest, EpochYearScopeRestoresOnException) {
  try {
    EpochYearScope scope(1904);
    throw std::runtime_error("conversion failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(EpochYear(), 1970);
}

TEST_F(DatesTest, DosAndSecondConversions) {
  EXPECT_EQ(DosToSeconds(MakeDosDateTime(0, 0, 0, 1, 1, 1980)), 315532800u);
  EXPECT_EQ(DosToSeconds(MakeDosDate(1, 0, 2000) << 16), 0u);            // month 0
  EXPECT_EQ(DosToSeconds(MakeDosDateTime(0, 0, 0, 1, 1, 2080)), 0u);     // beyond 2079
  EXPECT_EQ(DosToSeconds(MakeDosDateTime(0, 0, 24, 1, 1, 2000)), 0u);    // hour 24
  const uint32_t dos = MakeDosDateTime(58, 30, 12, 15, 6, 2001);
  EXPECT_EQ(SecondsToDos(DosToSeconds(dos)), dos);
}

TEST_F(DatesTest, NowDosAndPalmTimeReadTheClock) {
  FixLocalTime(LocalTime{2003, 12, 31, 23, 59, 59});
  EXPECT_EQ(NowDos(), MakeDosDateTime(59, 59, 23, 31, 12, 2003));
  const uint32_t palm = PalmTimeNow();
  EXPECT_EQ(EpochYear(), 1970);
  {
    EpochYearScope scope(1904);
    EXPECT_EQ(palm, SecondsSinceEpoch(2003, 12, 31, 23, 59, 58));
  }
  EXPECT_EQ(PalmTimeText(palm), "31-12-03 23:59:58");

  FixLocalTime(LocalTime{1979, 12, 31, 0, 0, 0});
  EXPECT_EQ(NowDos(), 0u);
  FixLocalTime(LocalTime{2099, 1, 1, 0, 0, 0});
  EXPECT_NE(NowDos(), 0u);
  EXPECT_EQ(PalmTimeNow(), 0u);  // past 2079
  FixLocalTime(LocalTime{2100, 1, 1, 0, 0, 0});
  EXPECT_EQ(NowDos(), 0u);

  ClearFixedLocalTime();
  const DateParts today = DosDateParts(static_cast<uint16_t>(NowDos() >> 16));
  EXPECT_GE(today.year, 2020);
}

TEST_F(DatesTest, DateAndTimeTextShortenTheYearAndCut) {
  EXPECT_EQ(DateText(31, 12, 2003), "31-12-03");
  EXPECT_EQ(TimeText(9, 5, 7), "09:05:07");
  EXPECT_EQ(DosDateTimeText(MakeDosDateTime(8, 7, 6, 5, 4, 2003)), "05-04-03 06:07:08");
  EXPECT_EQ(SecondsText(SecondsSinceEpoch(2003, 12, 31, 23, 59, 59)), "31-12-03 23:59:59");
  EXPECT_EQ(ShortDateRendering(31, 12, 2001), "31-12-2001");

  SetDateTimeFormats("dd MMMM yyyy", "hh:mm:ss AM/PM");
  EXPECT_EQ(DateText(1, 9, 2003), "01 Septe");
  EXPECT_EQ(ShortDateRendering(1, 9, 2003), "01 September 2003");
  EXPECT_EQ(TimeText(13, 5, 0), "01:05:00 ");
  EXPECT_EQ(SecondsText(SecondsSinceEpoch(2003, 9, 1, 0, 0, 0)), "01 Septe 12:00:00 ");
  EXPECT_EQ(SecondsText(0).size(), 18u);

  SetDateTimeFormats("MM/dd/yyyy", "HH:mm:ss");
  EXPECT_EQ(ShortDateFormat(), "MM/dd/yyyy");
  EXPECT_EQ(LongTimeFormat(), "HH:mm:ss");
  EXPECT_EQ(DateText(7, 3, 2002), "03/07/02");
  EXPECT_EQ(ShortDateRendering(31, 12, 2001), "12/31/2001");
}

// ja_JP formats hold non-ASCII text (UTF-8 here): on a UTF-8 console the cuts count characters and never split
// one; on any other console they count bytes.
TEST_F(DatesTest, CutsCountCharactersOnAUtf8Console) {
  const std::string year = "\xE5\xB9\xB4", month = "\xE6\x9C\x88", day = "\xE6\x97\xA5";
  const std::string hour = "\xE6\x99\x82", minute = "\xE5\x88\x86", second = "\xE7\xA7\x92";
  SetDateTimeFormats("yyyy" + year + "MM" + month + "dd" + day, "HH" + hour + "mm" + minute + "ss" + second);
  SetCutsCountUtf8(true);
  EXPECT_EQ(DateText(31, 12, 2003), "03" + year + "12" + month + "31");
  EXPECT_EQ(TimeText(13, 58, 38), "13" + hour + "58" + minute + "38" + second);
  EXPECT_EQ(SecondsText(SecondsSinceEpoch(2003, 12, 31, 13, 58, 38)),
            "03" + year + "12" + month + "31 13" + hour + "58" + minute + "38" + second);
  // Bytes that start no sequence, or a sequence cut short, count one character each.
  SetDateTimeFormats("dd\xE5\xE6MM\x80\x80yyyy", "HH:mm:ss\xE5\xB9");
  EXPECT_EQ(DateText(1, 2, 2003), "01\xE5\xE6" "02\x80\x80");
  EXPECT_EQ(TimeText(1, 2, 3), "01:02:03\xE5\xB9");

  SetDateTimeFormats("yyyy" + year + "MM" + month + "dd" + day, "HH" + hour + "mm" + minute + "ss" + second);
  SetCutsCountUtf8(false);
  EXPECT_EQ(DateText(31, 12, 2003), "03" + year + "12" + month.substr(0, 1));
  EXPECT_EQ(TimeText(13, 58, 38), "13" + hour + "58" + minute.substr(0, 2));
}

TEST_F(DatesTest, ImpossibleDatesAndTimesRaise) {
  auto expect_error = [](auto call, const std::string& message) {
    try {
      call();
      ADD_FAILURE() << "no error for " << message;
    } catch (const EConvertError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
  };
  const std::string date_error = "Invalid argument to date encode";
  const std::string time_error = "Invalid argument to time encode";
  expect_error([] { DateText(0, 1, 2003); }, date_error);
  expect_error([] { DateText(1, 13, 2003); }, date_error);
  expect_error([] { DateText(29, 2, 2003); }, date_error);
  expect_error([] { DateText(1, 1, 0); }, date_error);
  expect_error([] { ShortDateRendering(32, 1, 2003); }, date_error);
  expect_error([] { TimeText(24, 0, 0); }, time_error);
  expect_error([] { TimeText(0, 60, 0); }, time_error);
  expect_error([] { TimeText(0, 0, -1); }, time_error);
  expect_error([] { DosDateTimeText(0); }, date_error);
  expect_error([] { DosDateTimeText(MakeDosDateTime(0, 0, 25, 1, 1, 2000)); }, time_error);
}

TEST_F(DatesTest, FormatLetters) {
  const DateTimeParts p{2003, 3, 7, 14, 5, 9};  // a Friday
  const DateTimeParts midnight{2003, 3, 7, 0, 0, 0};
  struct Case {
    std::string format;
    DateTimeParts parts;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"d/M/yy", p, "7/3/03"},
      {"dd.MM.yyyy", p, "07.03.2003"},
      {"ddd dddd", p, "Fri Friday"},
      {"MMM MMMM", p, "Mar March"},
      {"m/d/yyyy", p, "3/7/2003"},             // m is the month away from an hour
      {"h:mm:ss", p, "14:05:09"},              // ...and the minutes after one; 24-hour without a marker
      {"hh:m", p, "14:5"},
      {"HH:nn", p, "14:05"},
      {"h:mm AM/PM", p, "2:05 PM"},
      {"hh:mm am/pm", midnight, "12:00 am"},
      {"HH:mm AM/PM", p, "14:05 PM"},          // H keeps the 24-hour clock
      {"h 'h' mm", p, "14 h 05"},              // quoted literal letters
      {"\"Date:\" yyyy-MM-dd", p, "Date: 2003-03-07"},
      {"H.mm", p, "14.05"},
      {"yyyy\xE5r", p, "2003\xE5r"},           // bytes that are not letters pass
      {"\"unclosed", p, "unclosed"},
      {"dd/MM/yyyy", DateTimeParts{2003, 13, 0, 0, 0, 0}, "00/13/2003"},  // not checked, never out of bounds
      {"ddd MMM", DateTimeParts{2003, 13, 40, 0, 0, 0}, " 13"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.format, c.parts), c.expected) << c.format;
}

// The locale's formats, once translated, print what the C library's strftime prints for them (C locale).
TEST_F(DatesTest, TranslatedLocaleFormatsRenderLikeStrftime) {
  std::tm tm{};
  tm.tm_year = 2003 - 1900;
  tm.tm_mon = 2;
  tm.tm_mday = 7;
  tm.tm_hour = 14;
  tm.tm_min = 5;
  tm.tm_sec = 9;
  tm.tm_wday = 5;
  const DateTimeParts p{2003, 3, 7, 14, 5, 9};
  for (const char* f : {"%d/%m/%Y", "%d.%m.%Y", "%m/%d/%Y", "%H:%M:%S", "%I:%M:%S %p", "%r", "%T", "%F",
                        "%a %d %b %Y", "%A, %B %d", "%H h %M"}) {
    char expected[64];
    ASSERT_GT(std::strftime(expected, sizeof expected, f, &tm), 0u);
    EXPECT_EQ(FormatDateTime(TranslateStrftimeFormat(f), p), expected) << f;
  }
}

TEST_F(DatesTest, ParseDayMonthYear) {
  struct Case {
    std::string text;
    bool ok;
    int day, month, year;  // expected variables (start values 9, 9, 1999)
  };
  const std::vector<Case> cases = {
      {"05 Maj 2003", true, 5, 5, 2003},
      {"31 okt 2003", true, 31, 10, 2003},
      {"07 MAR 2002", true, 7, 3, 2002},
      {"29 Feb 2004", true, 29, 2, 2004},
      {"", true, 9, 9, 1999},
      {"5 May 2003", false, 9, 9, 1999},
      {"31 Feb 2003", false, 9, 9, 1999},
      {"05 Xyz 2003", false, 9, 9, 1999},
      {"05-May-2003", false, 9, 9, 1999},
      {"05 May 03 x", false, 9, 9, 1999},
      {"0a May 2003", false, 9, 9, 1999},
      {"01 Jan 1499", false, 9, 9, 1999},
      {"05 May 20031", false, 9, 9, 1999},
  };
  for (const Case& c : cases) {
    int day = 9, month = 9, year = 1999;
    EXPECT_EQ(ParseDayMonthYear(c.text, day, month, year), c.ok) << "[" << c.text << "]";
    EXPECT_EQ(day, c.day) << "[" << c.text << "]";
    EXPECT_EQ(month, c.month) << "[" << c.text << "]";
    EXPECT_EQ(year, c.year) << "[" << c.text << "]";
  }
}

}  // namespace
}  // namespace jf
