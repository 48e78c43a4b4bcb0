#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "trace/Fcs.h"
#include "trace/TimeUtil.h"

namespace corvanta {
namespace {

TEST(TimeUtil, UnixEpochAndDates) {
  EXPECT_DOUBLE_EQ(UnixSecondsToStartTime(0, 0), 25569.0);
  EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_DOUBLE_EQ(EncodeDate(1904, 1, 1), k1904EpochDays);
  EXPECT_DOUBLE_EQ(MacSecondsToStartTime(86400 * 1.5, 0), k1904EpochDays + 1.5);
  // A bias of one hour west of UTC moves local time back.
  DateTimeFields f = DecodeDateTime(UnixSecondsToStartTime(946728000, 3600));
  EXPECT_EQ(f.year, 2000);
  EXPECT_EQ(f.hour, 11);
}

TEST(TimeUtil, DosDateTime) {
  double t = 0;
  // 1998-07-15 13:45:30
  uint16_t date = static_cast<uint16_t>((18 << 9) | (7 << 5) | 15);
  uint16_t time = static_cast<uint16_t>((13 << 11) | (45 << 5) | 15);
  ASSERT_TRUE(DosDateTimeToStartTime(date, time, t));
  DateTimeFields f = DecodeDateTime(t);
  EXPECT_EQ(f.year, 1998);
  EXPECT_EQ(f.month, 7);
  EXPECT_EQ(f.day, 15);
  EXPECT_EQ(f.minute, 45);
  EXPECT_EQ(f.second, 30);
  EXPECT_FALSE(DosDateTimeToStartTime(0, 0, t));  // month 0
}

TEST(TimeUtil, ZoneBiasFollowsTz) {
  setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
  tzset();
  EXPECT_EQ(TimeZoneBiasAtUtc(946728000), 5 * 3600);  // January: standard time
  EXPECT_EQ(TimeZoneBiasAtUtc(962452800), 4 * 3600);  // July: daylight saving
  EXPECT_EQ(TimeZoneBiasAtLocal(EncodeDate(2000, 7, 1) + 0.5), 4 * 3600);
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(TimeZoneBiasAtUtc(962452800), 0);
}

TEST(Fcs, RealCrcOnlyForFullSizedFrames) {
  FrameRecord f;
  for (int i = 0; i < 60; ++i) f.Data[i] = static_cast<uint8_t>(i);
  f.Length = 64;
  SynthesizeFcs(f);
  // CRC-32 of bytes 0..59 as computed by zlib, least significant byte first.
  EXPECT_NE(f.Data[60] | f.Data[61] | f.Data[62] | f.Data[63], 0);
  FrameRecord crcError = f;
  crcError.Status = kStatusCrcError;
  SynthesizeFcs(crcError);
  EXPECT_EQ(crcError.Data[60] | crcError.Data[61] | crcError.Data[62] | crcError.Data[63], 0);
  FrameRecord shortFrame;
  shortFrame.Data.fill(0xAA);
  shortFrame.Length = 44;
  SynthesizeFcs(shortFrame);
  EXPECT_EQ(shortFrame.Data[40] | shortFrame.Data[41] | shortFrame.Data[42] | shortFrame.Data[43], 0);
}

}  // namespace
}  // namespace corvanta
