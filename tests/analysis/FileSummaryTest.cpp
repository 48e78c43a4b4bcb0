#include <gtest/gtest.h>

#include <cmath>

#include "analysis/FileSummary.h"

namespace corvanta {
namespace {

FileSummaryInputs SampleEthernet() {
  FileSummaryInputs in;
  in.topology = kEthernet;
  in.totalFrames = 2000;
  in.totalBytes = 1234567.5;
  in.broadcastFrames = 300;
  in.broadcastBytes = 30000;
  in.multicastFrames = 100;
  in.multicastBytes = 12345;
  in.largestFrame = 1518;
  in.largestBroadcastFrame = 342;
  in.largestMulticastFrame = 590;
  in.durationSeconds = 7;
  in.all = {12, 40, 650000, 900};
  in.broadcast = {1, 3, 40000, 120};
  return in;
}

TEST(FileSummaryTest, RoundsHalvesToEven) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(0.49999), 0);
  EXPECT_EQ(RoundHalfEven(2.51), 3);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
  EXPECT_GT(RoundHalfEven(1e300), 0);
  EXPECT_LT(RoundHalfEven(-1e300), 0);
}

TEST(FileSummaryTest, PercentagesGuardEmptyTotals) {
  EXPECT_EQ(FramePercent(1, 8), 12);  // 12.5 rounds to even
  EXPECT_EQ(FramePercent(3, 8), 38);  // 37.5 rounds to even
  EXPECT_EQ(FramePercent(5, 0), 0);
  EXPECT_EQ(BytePercent(10, 0), 0);
  EXPECT_EQ(BytePercent(1, 40), 2);  // 2.5
}

TEST(FileSummaryTest, FrameStatisticsRows) {
  FrameStatistics s = ComputeFrameStatistics(SampleEthernet());
  EXPECT_EQ(s.multicastLabel, "Multicast");
  EXPECT_EQ(s.station.frames, "1,600");
  EXPECT_EQ(s.station.framePercent, 80);
  // 1234567.5 - 30000 - 12345 = 1192222.5, rounded to even.
  EXPECT_EQ(s.station.bytes, "1,192,222");
  EXPECT_EQ(s.station.bytePercent, 97);
  // Station size figures are taken over all frames: 1234567.5 / 2000 = 617.28...
  EXPECT_EQ(s.station.averageSize, "617");
  EXPECT_EQ(s.station.largest, "1,518");
  EXPECT_EQ(s.multicast.frames, "100");
  EXPECT_EQ(s.multicast.framePercent, 5);
  EXPECT_EQ(s.multicast.bytes, "12,345");
  EXPECT_EQ(s.multicast.averageSize, "123");  // 123.45
  EXPECT_EQ(s.multicast.largest, "590");
  EXPECT_EQ(s.broadcast.frames, "300");
  EXPECT_EQ(s.broadcast.framePercent, 15);
  EXPECT_EQ(s.broadcast.bytePercent, 2);
  EXPECT_EQ(s.broadcast.averageSize, "100");
  EXPECT_EQ(s.totalFrames, "2,000");
  EXPECT_EQ(s.totalBytes, "1,234,568");  // 1234567.5 rounds up to the even 8
}

TEST(FileSummaryTest, ClassesWithoutFramesShowZero) {
  FileSummaryInputs in;
  FrameStatistics s = ComputeFrameStatistics(in);
  for (const FrameStatisticsRow* row : {&s.station, &s.multicast, &s.broadcast}) {
    EXPECT_EQ(row->frames, "0");
    EXPECT_EQ(row->framePercent, 0);
    EXPECT_EQ(row->bytes, "0");
    EXPECT_EQ(row->bytePercent, 0);
    EXPECT_EQ(row->averageSize, "0");
    EXPECT_EQ(row->largest, "0");
  }
  // Frames but no bytes: the byte bars stay at 0.
  in.totalFrames = 4;
  in.broadcastFrames = 2;
  s = ComputeFrameStatistics(in);
  EXPECT_EQ(s.broadcast.framePercent, 50);
  EXPECT_EQ(s.broadcast.bytePercent, 0);
  EXPECT_EQ(s.multicast.averageSize, "0");
}

TEST(FileSummaryTest, UtilisationIsRebasedOnBandwidthAndDuplex) {
  // Processed at 10 Mbps with 4 %, shown at 100 Mbps: 0.4 rounds to 0.
  EXPECT_EQ(ScaledUtilizationText(4, 10, 100, 1, ','), "<1%");
  // 5 % at 10 Mbps shown at full duplex: 2.5 is shown as 2.
  EXPECT_EQ(ScaledUtilizationText(5, 10, 10, 2, ','), "2%");
  EXPECT_EQ(ScaledUtilizationText(7, 10, 10, 2, ','), "4%");  // 3.5
  EXPECT_EQ(ScaledUtilizationText(0, 10, 10, 1, ','), "<1%");
  // Re-basing to a smaller bandwidth goes past 100 and is shown as computed.
  EXPECT_EQ(ScaledUtilizationText(80, 100, 10, 1, ','), "800%");
  EXPECT_EQ(ScaledUtilizationText(150, 1000, 10, 1, ','), "15,000%");
  // A zero bandwidth leaves the measured figure.
  EXPECT_EQ(ScaledUtilizationText(30, 10, 0, 1, ','), "30%");
}

TEST(FileSummaryTest, MediaUtilizationAllFramesAndBroadcastOnly) {
  FileSummaryInputs in = SampleEthernet();
  MediaUtilization all = ComputeMediaUtilization(in, false);
  EXPECT_EQ(all.caption, "Media Utilization (based on 10 Mbps)");
  EXPECT_EQ(all.averageBandwidth, "12%");
  EXPECT_EQ(all.peakBandwidth, "40%");
  EXPECT_EQ(all.averageBytesPerSecond, "176,366");  // 1234568 / 7, remainder dropped
  EXPECT_EQ(all.peakBytesPerSecond, "650,000");
  EXPECT_EQ(all.averageFramesPerSecond, "285");  // 2000 / 7
  EXPECT_EQ(all.peakFramesPerSecond, "900");

  MediaUtilization bc = ComputeMediaUtilization(in, true);
  EXPECT_EQ(bc.averageBandwidth, "1%");
  EXPECT_EQ(bc.peakBandwidth, "3%");
  // Only broadcast bytes, but broadcast and multicast frames.
  EXPECT_EQ(bc.averageBytesPerSecond, "4,285");  // 30000 / 7
  EXPECT_EQ(bc.averageFramesPerSecond, "57");    // 400 / 7
  EXPECT_EQ(bc.peakBytesPerSecond, "40,000");
  EXPECT_EQ(bc.peakFramesPerSecond, "120");

  // The caption names the bandwidth without the duplex factor; the figures are halved.
  in.bandwidthMbps = 100;
  in.duplexFactor = 2;
  MediaUtilization rebased = ComputeMediaUtilization(in, false);
  EXPECT_EQ(rebased.caption, "Media Utilization (based on 100 Mbps)");
  EXPECT_EQ(rebased.averageBandwidth, "1%");  // 10 / 200 * 12 = 0.6
  EXPECT_EQ(rebased.peakBandwidth, "2%");     // 10 / 200 * 40 = 2
}

TEST(FileSummaryTest, PerSecondAveragesOfATraceWithoutClosedSeconds) {
  FileSummaryInputs in = SampleEthernet();
  in.durationSeconds = 0;
  MediaUtilization m = ComputeMediaUtilization(in, false);
  EXPECT_EQ(m.averageBytesPerSecond, "0");
  EXPECT_EQ(m.averageFramesPerSecond, "0");
}

TEST(FileSummaryTest, EncapsulationRowsPerMedium) {
  FileSummaryInputs in;
  in.totalFrames = 200;
  in.llcFrames = 50;
  in.snapFrames = 1;
  in.etypeFrames = 140;
  in.novellRawFrames = 9;
  EncapsulationTypes e = ComputeEncapsulationTypes(in);
  EXPECT_EQ(e.llc.label, "LLC");
  EXPECT_EQ(e.llc.hint, "802.3 w/802.2 Logical Link Control");
  EXPECT_EQ(e.llc.percent, 25);
  EXPECT_EQ(e.snap.hint, "802.3 w/802.2 SubNetwork Access Point");
  EXPECT_EQ(e.snap.percent, 0);  // 0.5 rounds to even
  EXPECT_EQ(e.etype.label, "Etype");
  EXPECT_EQ(e.etype.hint, "Ethernet II");
  EXPECT_EQ(e.etype.count, "140");
  EXPECT_EQ(e.etype.percent, 70);
  EXPECT_EQ(e.novellRaw.label, "Novell Raw");
  EXPECT_EQ(e.novellRaw.hint, "802.3 w/o LLC");
  EXPECT_TRUE(e.novellRaw.visible);
  EXPECT_EQ(e.novellRaw.percent, 4);  // 4.5

  in.topology = kTokenRing;
  e = ComputeEncapsulationTypes(in);
  EXPECT_EQ(e.etype.label, "MAC");
  EXPECT_EQ(e.etype.hint, "Media Access Control");
  EXPECT_FALSE(e.novellRaw.visible);
  EXPECT_EQ(ComputeFrameStatistics(in).multicastLabel, "Functional");
}

TEST(FileSummaryTest, FileAttributeTexts) {
  EXPECT_EQ(BandwidthText(100, 2), "200 Mbps");
  EXPECT_EQ(BandwidthText(16, 1), "16 Mbps");
  EXPECT_EQ(FileSizeText(1234567, ','), "1,234,567 bytes");
  EXPECT_EQ(FileSizeText(0, ','), "0 bytes");
  EXPECT_EQ(InterfaceText(kEthernet), "Ethernet");
  EXPECT_EQ(InterfaceText(kTokenRing), "Token Ring");
  EXPECT_EQ(InterfaceText(5), "");
}

TEST(FileSummaryTest, ChecksumOffloadLine) {
  EXPECT_EQ(ChecksumOffloadText({}), "");
  const uint8_t a[] = {172, 16, 0, 122};
  const uint8_t b[] = {10, 0, 0, 5};
  EXPECT_EQ(ChecksumOffloadText({AddressKey::Of(a, 4), AddressKey::Of(b, 4)}),
            "Checksum offload (wrong TCP/UDP checksums not counted as errors): 172.16.0.122, 10.0.0.5");
}

}  // namespace
}  // namespace corvanta
