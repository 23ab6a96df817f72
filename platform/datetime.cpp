#include "platform/datetime.h"

#include <cmath>
#include <cstdio>

namespace platform {
namespace {

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days from 0001-01-01 to the given date (proleptic Gregorian calendar).
long DayNumber(int y, int m, int d) {
  const long py = y - 1;
  long n = py * 365 + py / 4 - py / 100 + py / 400;
  for (int i = 1; i < m; ++i) n += DaysInMonth(y, i);
  return n + d - 1;
}

const long kEpoch = DayNumber(1899, 12, 30);

}  // namespace

std::optional<double> EncodeDateTime(const DateParts& p) {
  if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
      p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 ||
      p.minute > 59 || p.second < 0 || p.second > 59 || p.millisecond < 0 || p.millisecond > 999)
    return std::nullopt;
  const double days = static_cast<double>(DayNumber(p.year, p.month, p.day) - kEpoch);
  const double time =
      (((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.millisecond) / 86400000.0;
  // Before the epoch the time of day still counts forward from midnight.
  return days >= 0 ? days + time : days - time;
}

DateParts DecodeDateTime(double value) {
  DateParts p;
  const double whole = std::trunc(value);
  long ms = std::lround(std::fabs(value - whole) * 86400000.0);
  long day = static_cast<long>(whole) + kEpoch;
  if (ms >= 86400000) {
    ms -= 86400000;
    day += value >= 0 ? 1 : -1;
  }
  // Year from the day number, then month and day.
  int y = static_cast<int>(day / 365.2425) + 1;
  while (y > 1 && DayNumber(y, 1, 1) > day) --y;
  while (DayNumber(y + 1, 1, 1) <= day) ++y;
  int m = 1;
  while (m < 12 && DayNumber(y, m + 1, 1) <= day) ++m;
  p.year = y;
  p.month = m;
  p.day = static_cast<int>(day - DayNumber(y, m, 1)) + 1;
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

std::string FormatDateTime(double value) {
  const DateParts p = DecodeDateTime(value);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", p.day, p.month, p.year, p.hour,
                p.minute, p.second);
  return buf;
}

}  // namespace platform
