#pragma once
#include <cstdint>

namespace corvanta {

// Date-times are doubles: days since 1899-12-30 (local time), fraction = time of day.
inline constexpr double kUnixEpochDays = 25569.0;  // 1970-01-01
inline constexpr double k1904EpochDays = 1462.0;   // 1904-01-01

// Days since 1899-12-30 for a Gregorian calendar date.
double EncodeDate(int year, int month, int day);
// Seconds since epochDays (UTC) minus bias -> local date-time.
double EpochSecondsToStartTime(double seconds, int64_t bias, double epochDays);
inline double UnixSecondsToStartTime(double seconds, int64_t bias) {
  return EpochSecondsToStartTime(seconds, bias, kUnixEpochDays);
}
inline double MacSecondsToStartTime(double seconds, int64_t bias) {
  return EpochSecondsToStartTime(seconds, bias, k1904EpochDays);
}
// A packed DOS date (bits 15-9 year-1980, 8-5 month, 4-0 day) and time (15-11 hours,
// 10-5 minutes, 4-0 two-second units) as a date-time; false when the fields are not a date.
bool DosDateTimeToStartTime(uint16_t date, uint16_t time, double& startTime);

// Seconds to subtract from a UTC time to get local time (UTC = local + bias), daylight
// saving included, at the given UTC instant. Uses the platform's zone rules and TZ.
int64_t TimeZoneBiasAtUtc(int64_t unixSeconds);
// The same for a local date-time (days since 1899-12-30).
int64_t TimeZoneBiasAtLocal(double localDateTime);

// Local date-time of a Unix instant, using the zone rules.
double UnixToLocalDateTime(int64_t unixSeconds);

// Microseconds since midnight of a date-time.
double TimeOfDayMicroseconds(double dateTime);

// Splits a date-time into its fields (for display and tests).
struct DateTimeFields {
  int year, month, day, hour, minute, second, millisecond;
};
DateTimeFields DecodeDateTime(double dateTime);

}  // namespace corvanta
