#include "trace/TimeUtil.h"

#include <cmath>
#include <ctime>

namespace corvanta {

namespace {

// Days from 1970-01-01 to a civil date (Howard Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

}  // namespace

double EncodeDate(int year, int month, int day) {
  return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day))) + kUnixEpochDays;
}

double EpochSecondsToStartTime(double seconds, int64_t bias, double epochDays) {
  double local = seconds - static_cast<double>(bias);
  double days = std::floor(local / 86400.0);
  double tod = local - days * 86400.0;
  return epochDays + days + tod / 86400.0;
}

bool DosDateTimeToStartTime(uint16_t date, uint16_t time, double& startTime) {
  int year = 1980 + (date >> 9);
  int month = (date >> 5) & 15;
  int day = date & 31;
  int hour = time >> 11;
  int minute = (time >> 5) & 63;
  int second = (time & 31) * 2;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) return false;
  startTime = EncodeDate(year, month, day) + (hour * 3600 + minute * 60 + second) / 86400.0;
  return true;
}

int64_t TimeZoneBiasAtUtc(int64_t unixSeconds) {
  std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  if (!localtime_r(&t, &local)) return 0;
  return -static_cast<int64_t>(local.tm_gmtoff);
}

int64_t TimeZoneBiasAtLocal(double localDateTime) {
  // Interpret the local fields through mktime, which applies the zone's daylight rules.
  DateTimeFields f = DecodeDateTime(localDateTime);
  std::tm tm{};
  tm.tm_year = f.year - 1900;
  tm.tm_mon = f.month - 1;
  tm.tm_mday = f.day;
  tm.tm_hour = f.hour;
  tm.tm_min = f.minute;
  tm.tm_sec = f.second;
  tm.tm_isdst = -1;
  std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1)) return 0;
  return -static_cast<int64_t>(tm.tm_gmtoff);
}

double UnixToLocalDateTime(int64_t unixSeconds) {
  return UnixSecondsToStartTime(static_cast<double>(unixSeconds), TimeZoneBiasAtUtc(unixSeconds));
}

double TimeOfDayMicroseconds(double dateTime) {
  double frac = dateTime - std::floor(dateTime);
  return std::round(frac * 86400.0 * 1e6);
}

DateTimeFields DecodeDateTime(double dateTime) {
  DateTimeFields f{};
  double days = std::floor(dateTime);
  int64_t ms = static_cast<int64_t>(std::llround((dateTime - days) * 86400000.0));
  if (ms >= 86400000) {
    ms -= 86400000;
    days += 1;
  }
  CivilFromDays(static_cast<int64_t>(days - kUnixEpochDays), f.year, f.month, f.day);
  f.hour = static_cast<int>(ms / 3600000);
  f.minute = static_cast<int>(ms / 60000 % 60);
  f.second = static_cast<int>(ms / 1000 % 60);
  f.millisecond = static_cast<int>(ms % 1000);
  return f;
}

}  // namespace corvanta
