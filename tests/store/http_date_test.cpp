#include "store/http_date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

namespace {

CalendarFields Fields(uint16_t year, uint16_t month, uint16_t dayOfWeek, uint16_t day, uint16_t hour,
                      uint16_t minute, uint16_t second) {
  return CalendarFields{year, month, dayOfWeek, day, hour, minute, second, 0};
}

CalendarFields Parse(const std::string& text, CalendarFields start = {}) {
  ParseHttpDate(text, start);
  return start;
}

const CalendarFields kNovember6 = Fields(1994, 11, 0, 6, 8, 49, 37);

TEST(ParseHttpDateTest, ReadsBothCommaForms) {
  EXPECT_EQ(kNovember6, Parse("Sun, 06 Nov 1994 08:49:37 GMT"));
  EXPECT_EQ(kNovember6, Parse("Sunday, 06-Nov-94 08:49:37 GMT"));
  EXPECT_EQ(kNovember6, Parse("Sun, 6 Nov 1994 08:49:37 GMT"));
  EXPECT_EQ(Fields(2003, 12, 3, 31, 23, 59, 59), Parse("Wednesday, 31-Dec-03 23:59:59 GMT"));
}

TEST(ParseHttpDateTest, TwoDigitYearsUpToSeventyAreThisCentury) {
  EXPECT_EQ(2070, Parse("Tue, 01-Jan-70 00:00:00 GMT").year);
  EXPECT_EQ(1971, Parse("Fri, 01-Jan-71 00:00:00 GMT").year);
  EXPECT_EQ(2000, Parse("Sat, 01-Jan-00 00:00:00 GMT").year);
  EXPECT_EQ(1999, Parse("Fri, 31-Dec-99 00:00:00 GMT").year);
}

TEST(ParseHttpDateTest, UnknownNamesLeaveTheirFieldsAsHandedIn) {
  CalendarFields start = Fields(2001, 7, 5, 9, 9, 9, 9);
  start.milliseconds = 123;
  const CalendarFields read = Parse("Xyz, 06 Foo 1994 08:49:37 GMT", start);
  EXPECT_EQ(Fields(1994, 7, 5, 6, 8, 49, 37), read);
  // Names are case-sensitive.
  EXPECT_EQ(5, Parse("sun, 06 nov 1994 08:49:37 GMT", start).dayOfWeek);
  EXPECT_EQ(7, Parse("sun, 06 nov 1994 08:49:37 GMT", start).month);
}

TEST(ParseHttpDateTest, AsctimeFormIsReadFromTheWrongPlaces) {
  const CalendarFields read = Parse("Sun Nov  6 08:49:37 1994");
  EXPECT_EQ(0, read.dayOfWeek);
  EXPECT_NE(kNovember6, read);
}

TEST(ParseHttpDateTest, ShortAndGarbageTextNeverReadsPastItsEnd) {
  const CalendarFields start = Fields(2001, 7, 5, 9, 9, 9, 9);
  EXPECT_EQ(Fields(0, 7, 5, 0, 0, 0, 0), Parse("", start));
  const std::string full = "Sunday, 06-Nov-94 08:49:37 GMT";
  for (size_t n = 0; n <= full.size(); ++n) Parse(full.substr(0, n), start);  // ASan watches
  for (const char* text : {",", ", ", "S", "Sun,", "Sun, 0", "Sun, 06", "Sun, 06 Nov", "Sun, 06 Nov 19",
                           "\xff\xfe,\x80", "Sun, -6 Nov -994 -8:-9:-7", "Sun, 99 Nov 9999 99:99:99"})
    Parse(text, start);
  EXPECT_EQ(Fields(1994, 11, 0, 6, 8, 0, 0), Parse("Sun, 06 Nov 1994 08", start));
}

TEST(HttpDateToTimeTest, FieldsNameTheUtcInstant) {
  EXPECT_EQ(784111777, HttpDateToTime(kNovember6));
  EXPECT_EQ(0, HttpDateToTime(Fields(1970, 1, 4, 1, 0, 0, 0)));
  EXPECT_EQ(951782400, HttpDateToTime(Fields(2000, 2, 2, 29, 0, 0, 0)));
  EXPECT_EQ(-86400, HttpDateToTime(Fields(1969, 12, 3, 31, 0, 0, 0)));
  // Past 2038: beyond a 32-bit time, still exact.
  EXPECT_EQ(3155760000LL, HttpDateToTime(Parse("Wed, 01-Jan-70 00:00:00 GMT")));
}

TEST(HttpDateToTimeTest, FieldsOutOfRangeCarryOver) {
  EXPECT_EQ(HttpDateToTime(Fields(1995, 1, 0, 1, 0, 0, 0)), HttpDateToTime(Fields(1994, 13, 0, 1, 0, 0, 0)));
  EXPECT_EQ(HttpDateToTime(Fields(1993, 12, 0, 1, 0, 0, 0)), HttpDateToTime(Fields(1994, 0, 0, 1, 0, 0, 0)));
  EXPECT_EQ(HttpDateToTime(Fields(1994, 10, 0, 31, 0, 0, 0)),
            HttpDateToTime(Fields(1994, 11, 0, 0, 0, 0, 0)));
  EXPECT_EQ(HttpDateToTime(Fields(1994, 11, 0, 7, 0, 0, 0)),
            HttpDateToTime(Fields(1994, 11, 0, 6, 24, 0, 0)));
  // Whatever a garbage header leaves, the result is defined.
  CalendarFields worst{65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535};
  EXPECT_GT(HttpDateToTime(worst), HttpDateToTime(kNovember6));
}

class FixedZone : public TimeZone {
 public:
  explicit FixedZone(int32_t bias) : bias_(bias) {}
  int32_t StandardBiasMinutes() const override { return bias_; }

 private:
  int32_t bias_;
};

TEST(UtcToLocalTest, SubtractsTheStandardBias) {
  EXPECT_EQ(1000 + 3600, UtcToLocal(1000, -60));
  EXPECT_EQ(1000 - 5 * 3600, UtcToLocal(1000, 300));
  EXPECT_EQ(1000 - 5 * 3600, UtcToLocal(1000, FixedZone(300)));
  EXPECT_EQ(1000, UtcToLocal(1000, 0));
}

// Sets TZ for one test and puts the old value back.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    if (const char* old = std::getenv("TZ")) previous_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope() {
    if (previous_)
      setenv("TZ", previous_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> previous_;
};

// The older way: the fields made into a time as if they were local, then the standard bias.
int64_t LocalThenStandardBias(const CalendarFields& f, const TimeZone& zone) {
  std::tm tm{};
  tm.tm_year = f.year - 1900;
  tm.tm_mon = f.month - 1;
  tm.tm_mday = f.day;
  tm.tm_hour = f.hour;
  tm.tm_min = f.minute;
  tm.tm_sec = f.second;
  tm.tm_isdst = -1;  // the local rules decide
  return UtcToLocal(static_cast<Time32>(std::mktime(&tm)), zone);
}

TEST(TimeZoneTest, SystemZoneReportsTheStandardBias) {
  {
    ZoneScope berlin("Europe/Berlin");
    EXPECT_EQ(-60, SystemTimeZone().StandardBiasMinutes());
  }
  {
    ZoneScope newYork("EST5EDT");
    EXPECT_EQ(300, SystemTimeZone().StandardBiasMinutes());
  }
}

TEST(TimeZoneTest, HttpDateMeansTheSameInstantInSummerAndWinter) {
  ZoneScope berlin("Europe/Berlin");
  const SystemTimeZone zone;

  const CalendarFields winter = Parse("Wed, 15 Jan 2003 12:00:00 GMT");
  EXPECT_EQ(1042632000, HttpDateToTime(winter));
  EXPECT_EQ(1042632000, LocalThenStandardBias(winter, zone));

  const CalendarFields summer = Parse("Tue, 15 Jul 2003 12:00:00 GMT");
  EXPECT_EQ(1058270400, HttpDateToTime(summer));
  // Daylight saving makes the older way an hour early: 11:00 UTC.
  EXPECT_EQ(1058270400 - 3600, LocalThenStandardBias(summer, zone));
}

}  // namespace
