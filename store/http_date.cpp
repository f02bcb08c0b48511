#include "store/http_date.h"

#include <array>
#include <string_view>

namespace {

// The first n characters (fewer if the text is shorter).
std::string_view Take(std::string_view s, size_t n) {
  return s.substr(0, n);
}

// Removes the first n characters (all of them if the text is shorter).
void Drop(std::string_view& s, size_t n) {
  s.remove_prefix(n < s.size() ? n : s.size());
}

// Optional blanks and sign, then digits up to the first non-digit; no digits give 0.
// The callers hand in at most four characters, so the value cannot overflow.
int DecimalValue(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) value = value * 10 + (s[i] - '0');
  return negative ? -value : value;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Index of name in names, or -1.
template <size_t N>
int IndexOf(const std::array<std::string_view, N>& names, std::string_view name) {
  for (size_t i = 0; i < N; ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

constexpr std::array<std::string_view, 7> kWeekdays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A two-digit year above 70 is 19xx, any other 20xx; the prefix is put in front of the text.
int YearValue(std::string_view text) {
  if (text.size() != 2) return DecimalValue(text);
  std::string widened = DecimalValue(text) > 70 ? "19" : "20";
  widened.append(text);
  return DecimalValue(widened);
}

// Days from 1970-01-01 to the given proleptic Gregorian date (month 1..12).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

void ParseHttpDate(const std::string& text, CalendarFields& fields) {
  std::string_view s = text;

  if (int weekday = IndexOf(kWeekdays, Take(s, 3)); weekday >= 0)
    fields.dayOfWeek = static_cast<uint16_t>(weekday);

  // Skip past the comma and the blank after it.
  if (size_t comma = s.find(','); comma != std::string_view::npos)
    Drop(s, comma + 2);
  else
    Drop(s, 1);

  std::string_view day = Take(s, 2);
  if (day.size() == 2 && IsDigit(day[1])) {
    fields.day = static_cast<uint16_t>(DecimalValue(day));
    Drop(s, 3);
  } else {
    fields.day = static_cast<uint16_t>(DecimalValue(Take(s, 1)));
    Drop(s, 2);
  }

  if (int month = IndexOf(kMonths, Take(s, 3)); month >= 0) fields.month = static_cast<uint16_t>(month + 1);
  Drop(s, 4);

  const size_t yearLength = s.size() > 2 && s[2] == ' ' ? 2 : 4;
  fields.year = static_cast<uint16_t>(YearValue(Take(s, yearLength)));
  Drop(s, yearLength + 1);

  std::string_view time = s;
  fields.hour = static_cast<uint16_t>(DecimalValue(Take(time, 2)));
  Drop(time, 3);
  fields.minute = static_cast<uint16_t>(DecimalValue(Take(time, 2)));
  Drop(time, 3);
  fields.second = static_cast<uint16_t>(DecimalValue(Take(time, 2)));
  fields.milliseconds = 0;
}

Time32 UtcToLocal(Time32 value, int32_t biasMinutes) {
  // Wraps like the 32-bit time it stands for instead of overflowing.
  return static_cast<Time32>(static_cast<int64_t>(value) - static_cast<int64_t>(biasMinutes) * 60);
}

Time32 UtcToLocal(Time32 value, const TimeZone& zone) {
  return UtcToLocal(value, zone.StandardBiasMinutes());
}

int64_t HttpDateToTime(const CalendarFields& fields) {
  // Carry months outside 1..12 into the year first; days, hours and so on simply add up.
  int64_t monthIndex = static_cast<int64_t>(fields.month) - 1;
  int64_t year = fields.year + (monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12);
  monthIndex -= (year - fields.year) * 12;
  const int64_t days = DaysFromCivil(year, monthIndex + 1, 1) + static_cast<int64_t>(fields.day) - 1;
  return days * 86400 + static_cast<int64_t>(fields.hour) * 3600 + static_cast<int64_t>(fields.minute) * 60 +
         fields.second;
}
