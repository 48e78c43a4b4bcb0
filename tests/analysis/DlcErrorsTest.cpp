// The DLC error expert from decoded traces: the Ethernet frame errors and collision table,
// and the Token Ring soft-error summary, with their notes and copy texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Packets.h"
#include "analysis/DlcErrors.h"
#include "decode/DecoderHarness.h"
#include "naming/VendorTable.h"

namespace corvanta {
namespace {

using namespace corvanta::testing;

const MacAddr kNoise = Station(0xEE);  // sends the fragments and error frames
const MacAddr kSink = Station(0xFF);

// Builds an Ethernet trace station by station: each frame sent after a collision follows a
// fragment directly, and two CRC-error frames keep the next frames out of its reach.
struct CollisionTrace {
  DecoderHarness h;

  void Fragment() {
    FeedOptions o;
    o.status = 0x8000;
    h.Feed(EthernetII(kSink, kNoise, 0x0800, Filler(30)), o);  // 48 bytes with a CRC error
  }
  void CrcError() {
    FeedOptions o;
    o.status = 0x8000;
    h.Feed(PadFrame(EthernetII(kSink, kNoise, 0x0800, Filler(46))), o);
  }
  void Frame(const MacAddr& from) { h.Feed(PadFrame(EthernetII(kSink, from, 0x0800, Filler(46)))); }
  // `sent` frames from the station, `afterCollision` of them right after a fragment.
  void Station(const MacAddr& from, int sent, int afterCollision) {
    for (int i = 0; i < afterCollision; ++i) {
      Fragment();
      Frame(from);
      CrcError();
      CrcError();
    }
    for (int i = afterCollision; i < sent; ++i) Frame(from);
  }
};

TEST(EthernetDlcSummary, FrameErrorsAndSuspects) {
  CollisionTrace t;
  const MacAddr a = Station(0x10), b = Station(0x20);
  t.Station(a, 50, 5);  // 10 %: suspect
  t.Station(b, 49, 5);  // 10.2 %, but too few frames for a note
  {
    FeedOptions o;
    o.length = 1600;
    t.h.Feed(PadFrame(EthernetII(kSink, Station(0x30), 0x0800, Filler(46))), o);
  }
  t.h.End();
  EXPECT_EQ(t.h.Find(a)->FramesAfterCollision, 5);
  EXPECT_EQ(t.h.Find(b)->FramesAfterCollision, 5);

  EthernetDlcSummary s = BuildEthernetDlcSummary(t.h.model, t.h.stats, {});
  EXPECT_EQ(s.BadFcs, "30");  // 10 fragments and 20 other CRC errors
  EXPECT_EQ(s.RuntShort, "10");
  EXPECT_EQ(s.LongJabber, "1");
  EXPECT_EQ(s.Fragment, "10");
  EXPECT_EQ(s.Collisions[0].Source, "00000C123420");
  EXPECT_EQ(s.Collisions[0].Transmits, "49");
  EXPECT_EQ(s.Collisions[0].Retransmits, "5");
  EXPECT_EQ(s.Collisions[0].Percent, 10);
  EXPECT_EQ(s.Collisions[1].Source, "00000C123410");
  EXPECT_EQ(s.Collisions[1].Transmits, "50");
  EXPECT_EQ(s.Collisions[1].Percent, 10);
  EXPECT_EQ(s.Collisions[2].Source, "");
  EXPECT_EQ(s.Collisions[2].Transmits, "0");
  EXPECT_EQ(s.Notes, (std::vector<std::string>{
                         "Notes", "DLC source 00000C123410 is suspect for high collision rates when transmitting."}));

  EXPECT_EQ(s.CopyText(),
            "Frame Error Summary\r\n"
            "Bad FCS \t30\r\n"
            "Runt/Short \t10\r\n"
            "Long/Jabber \t1\r\n"
            "Fragment \t10\r\n"
            "\r\n"
            "Collision Fragment Analysis\r\n"
            "DLC Source\tTransmits\tRetransmits\t% Retransmitted\r\n"
            "00000C123420\t49\t5\t10%\r\n"
            "00000C123410\t50\t5\t10%\r\n"
            "\t0\t0\t0%\r\n"
            "\t0\t0\t0%\r\n"
            "\t0\t0\t0%\r\n"
            "\r\n"
            "Notes\r\n"
            "DLC source 00000C123410 is suspect for high collision rates when transmitting.\r\n");
}

TEST(CollisionRanking, TopFiveByRatioEqualRatiosInAddressOrder) {
  CollisionTrace t;
  // Fed in an order unlike the address order.
  t.Station(Station(0x60), 20, 2);  // 0.10
  t.Station(Station(0x50), 20, 8);  // 0.40
  t.Station(Station(0x40), 20, 4);  // 0.20
  t.Station(Station(0x70), 20, 4);  // 0.20, after 0x40
  t.Station(Station(0x30), 20, 1);  // 0.05: falls off
  t.Station(Station(0x20), 20, 6);  // 0.30
  t.Station(Station(0x10), 9, 9);   // 9 frames never enter
  t.h.End();
  std::vector<CollisionSuspect> ranked = RankCollisionSuspects(t.h.model);
  std::vector<uint8_t> order;
  for (const CollisionSuspect& s : ranked) order.push_back(s.Address.Bytes[5]);
  EXPECT_EQ(order, (std::vector<uint8_t>{0x50, 0x20, 0x40, 0x70, 0x60}));
  EXPECT_EQ(ranked[0].FramesSent, 20);
  EXPECT_EQ(ranked[0].FramesAfterCollision, 8);
}

TEST(CollisionRanking, GaugeRoundsHalvesToEvenAndNotesNeedFiftyFrames) {
  CollisionTrace t;
  t.Station(Station(0x10), 40, 5);    // 12.5 % shows 12; 40 frames: no note
  t.Station(Station(0x20), 200, 27);  // 13.5 % shows 14
  t.Station(Station(0x30), 100, 9);   // 9 %: no note
  t.h.End();
  EthernetDlcSummary s = BuildEthernetDlcSummary(t.h.model, t.h.stats, {});
  EXPECT_EQ(s.Collisions[0].Percent, 14);
  EXPECT_EQ(s.Collisions[1].Percent, 12);
  EXPECT_EQ(s.Collisions[2].Percent, 9);
  EXPECT_EQ(s.Notes.size(), 2u);
  EXPECT_EQ(s.Notes[1], "DLC source 00000C123420 is suspect for high collision rates when transmitting.");
}

TEST(EthernetDlcSummary, NotesWithoutCollisionFragments) {
  DecoderHarness clean;
  clean.Feed(PadFrame(EthernetII(kSink, kNoise, 0x0800, Filler(46))));
  clean.End();
  EthernetDlcSummary s = BuildEthernetDlcSummary(clean.model, clean.stats, {});
  EXPECT_EQ(s.Notes,
            (std::vector<std::string>{"Notes", "No frame errors or collision fragments to analyze in trace file."}));
  EXPECT_EQ(s.BadFcs, "0");

  for (int kind = 0; kind < 3; ++kind) {
    DecoderHarness h;
    FeedOptions o;
    if (kind == 0) o.status = 0x8000;  // a CRC error of full size
    if (kind == 1) o.length = 50;      // a runt without CRC error
    if (kind == 2) o.length = 2000;    // too long
    h.Feed(PadFrame(EthernetII(kSink, kNoise, 0x0800, Filler(46))), o);
    h.End();
    s = BuildEthernetDlcSummary(h.model, h.stats, {});
    EXPECT_EQ(s.Notes, (std::vector<std::string>{"Notes", "No collision fragments to analyze in trace file."})) << kind;
  }
}

TEST(EthernetDlcSummary, StationTextByVendor) {
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  DlcTextOptions options{&vendors, true, ','};
  const MacAddr mac = Station(0x10);
  EXPECT_EQ(DlcStationText(mac, 1, options), "Cisco 123410");
  EXPECT_EQ(DlcStationText(mac, 0, options), "00000C123410");
  options.ByVendor = false;
  EXPECT_EQ(DlcStationText(mac, 1, options), "00000C123410");
  options = {nullptr, true, ','};
  EXPECT_EQ(DlcStationText(mac, 1, options), "00000C123410");
}

// ---- Token Ring

const MacAddr kA = Station(0xA1);
const MacAddr kB = Station(0xB2);
const MacAddr kC = Station(0xC3);
const MacAddr kD = Station(0xD4);
const MacAddr kX = Station(0x99);  // not in the ring poll

// Counts in the builder's order: line, internal, burst, AC, abort, lost, congestion, FC, frequency, token.
using Counts = std::array<uint8_t, 10>;

// The ring A -> B -> C -> D -> A polled once; soft errors reported by every station, A
// against two upstream neighbours.
DecoderHarness& RingWithErrors(DecoderHarness& h) {
  h.Feed(MonitorPresent(true, kA, kD));
  h.Feed(MonitorPresent(false, kB, kA));
  h.Feed(MonitorPresent(false, kC, kB));
  h.Feed(MonitorPresent(false, kD, kC));
  h.Feed(SoftErrorReport(kA, kD, Counts{3, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
  h.Feed(SoftErrorReport(kA, kX, Counts{2, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
  h.Feed(SoftErrorReport(kB, kA, Counts{0, 0, 4, 0, 0, 0, 0, 0, 0, 0}));
  h.Feed(SoftErrorReport(kC, kB, Counts{0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
  h.Feed(SoftErrorReport(kD, kC, Counts{0, 0, 0, 0, 1, 0, 200, 0, 0, 0}));
  h.End();
  return h;
}

TEST(SoftErrorSummary, ListsTotalsStationsAndTheMultipleNeighbourNote) {
  DecoderHarness h(kTokenRing);
  RingWithErrors(h);
  SoftErrorSummary s = BuildSoftErrorSummary(h.model, h.stats, {});

  const SoftErrorList& line = s.List(kSoftLine);
  EXPECT_EQ(line.Total, "5");
  EXPECT_EQ(line.Stations, "2");  // A against D and against X
  EXPECT_EQ(line.Entries, (std::vector<std::string>{"*00000C1234A1/00000C1234D4/3", "*00000C1234A1/00000C123499/2"}));
  const SoftErrorList& burst = s.List(kSoftBurst);
  EXPECT_EQ(burst.Total, "5");
  EXPECT_EQ(burst.Entries, (std::vector<std::string>{"*00000C1234A1/00000C1234D4/1", "00000C1234B2/00000C1234A1/4"}));
  EXPECT_EQ(s.List(kSoftToken).Entries, (std::vector<std::string>{"*00000C1234A1/00000C123499/2"}));
  EXPECT_EQ(s.List(kSoftInternal).Entries, (std::vector<std::string>{"00000C1234C3/00000C1234B2/1"}));
  EXPECT_EQ(s.List(kSoftReceiveCongestion).Entries, (std::vector<std::string>{"00000C1234D4/00000C1234C3/200"}));
  EXPECT_EQ(s.List(kSoftAbortDelimiter).Stations, "1");
  EXPECT_EQ(s.List(kSoftFrequency).Total, "0");
  EXPECT_EQ(s.List(kSoftFrequency).Stations, "0");
  EXPECT_TRUE(s.List(kSoftFrequency).Entries.empty());
  EXPECT_EQ(s.MarkedStations, 1);
  EXPECT_EQ(s.Notes, (std::vector<std::string>{"1 station (marked by an *) has had multiple upstream neighbors."}));

  // The page order of the lists.
  EXPECT_EQ(s.Lists[0].Kind, kSoftBurst);
  EXPECT_EQ(s.Lists[9].Kind, kSoftAbortDelimiter);

  EXPECT_EQ(s.CopyText(),
            "\tTotal\tStations\tReporting Station/NAUN/Count\r\n"
            "\r\n"
            "Fault Domain Errors\r\n"
            "Burst Error\t5\t2\t*00000C1234A1/00000C1234D4/1\r\n"
            "\t\t\t00000C1234B2/00000C1234A1/4\r\n"
            "Line Error\t5\t2\t*00000C1234A1/00000C1234D4/3\r\n"
            "\t\t\t*00000C1234A1/00000C123499/2\r\n"
            "\r\n"
            "Station Specific Errors\r\n"
            "Receiver Congestion\t200\t1\t00000C1234D4/00000C1234C3/200\r\n"
            "Internal Error\t1\t1\t00000C1234C3/00000C1234B2/1\r\n"
            "Transmit Abort\t1\t1\t00000C1234D4/00000C1234C3/1\r\n"
            "\r\n"
            "Ring Wide Errors\r\n"
            "Token Error\t2\t1\t*00000C1234A1/00000C123499/2\r\n"
            "Lost Frame Error\t0\t0\t\r\n"
            "Frame Copied\t0\t0\t\r\n"
            "Frequency\t0\t0\t\r\n"
            "AC\t0\t0\t\r\n"
            "\r\n"
            "1 station (marked by an *) has had multiple upstream neighbors.\r\n");
}

TEST(SoftErrorSummary, SeveralMarkedStationsAndVendorNames) {
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  DecoderHarness h(kTokenRing, 16, &vendors);
  h.Feed(SoftErrorReport(kA, kB, Counts{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  h.Feed(SoftErrorReport(kA, kC, Counts{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  h.Feed(SoftErrorReport(kB, kA, Counts{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  h.Feed(SoftErrorReport(kB, kC, Counts{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  h.End();
  SoftErrorSummary s = BuildSoftErrorSummary(h.model, h.stats, {&vendors, true, ','});
  EXPECT_EQ(s.MarkedStations, 2);
  EXPECT_EQ(s.Notes, (std::vector<std::string>{"2 stations (marked by an *) have had multiple upstream neighbors."}));
  EXPECT_EQ(s.List(kSoftLine).Entries[0], "*Cisco 1234A1/Cisco 1234B2/1");
  EXPECT_EQ(s.List(kSoftLine).Stations, "4");
}

// A report against the neighbour a monitor notification named lands in the record that
// notification made; the neighbour keeps its vendor name in the list.
TEST(SoftErrorSummary, NeighbourFromANotificationShowsItsVendor) {
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  DecoderHarness h(kTokenRing, 16, &vendors);
  h.Feed(MonitorPresent(true, kB, kA));
  h.Feed(MonitorPresent(false, kA, kB));
  h.Feed(SoftErrorReport(kA, kB, Counts{2, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  h.End();
  SoftErrorSummary s = BuildSoftErrorSummary(h.model, h.stats, {&vendors, true, ','});
  EXPECT_EQ(s.List(kSoftLine).Entries, (std::vector<std::string>{"Cisco 1234A1/Cisco 1234B2/2"}));
}

TEST(SoftErrorSummary, NotesWithoutMacFramesOrErrorReports) {
  DecoderHarness none(kTokenRing);
  TokenRingAddressing to;
  to.dst = kB;
  to.src = kA;
  none.Feed(TokenRingLlc(to, 0x44, 0x44, 0x03, Filler(40)));
  none.End();
  SoftErrorSummary s = BuildSoftErrorSummary(none.model, none.stats, {});
  EXPECT_EQ(s.Notes, (std::vector<std::string>{"No Media Access Control (MAC) frames in trace to analyze."}));
  EXPECT_EQ(s.List(kSoftLine).Total, "0");
  EXPECT_EQ(s.List(kSoftLine).Stations, "0");

  DecoderHarness poll(kTokenRing);
  poll.Feed(MonitorPresent(true, kA, kB));
  poll.Feed(MonitorPresent(false, kB, kA));
  poll.End();
  s = BuildSoftErrorSummary(poll.model, poll.stats, {});
  EXPECT_EQ(s.Notes,
            (std::vector<std::string>{"No Media Access Control (MAC) error report frames in trace to analyze."}));
  for (const SoftErrorList& list : s.Lists) EXPECT_TRUE(list.Entries.empty());
  EXPECT_NE(s.CopyText().find("\r\n\r\nNo Media Access Control (MAC) error report frames"), std::string::npos);
}

}  // namespace
}  // namespace corvanta
