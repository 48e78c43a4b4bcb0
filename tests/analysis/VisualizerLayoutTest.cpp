#include <gtest/gtest.h>

#include "analysis/ModelBuilder.h"
#include "analysis/VisualizerLayout.h"

namespace corvanta {
namespace {

using namespace corvanta::testing;

// A conversation and its answers; lines 14 pixels apart (text height 14 gives 13 + 1).
struct Ladder {
  ModelBuilder b;
  BrisqonSettings settings;
  AddressKey client;
  int32_t forwardPeer = -1;
  int32_t forward = -1;
  int32_t reverse = -1;
  VisualizerRequest request;

  explicit Ladder(SubProtocol sub = kSubTcp, AddressKey from = kClientAddress, AddressKey to = kServerAddress)
      : client(from) {
    forwardPeer = b.Peer(from, to);
    forward = b.Conversation(forwardPeer, sub, 1025, 80);
    reverse = b.Conversation(b.Peer(to, from), sub, 80, 1025);
    request.Model = &b.model;
    request.Settings = &settings;
    request.Measure = FixedPitchMeasure(7, 14);
  }
  int32_t Add(int direction, Pkt p, uint8_t ttl = 64) {
    int32_t index = b.Add(direction == kForward ? forward : reverse, p);
    b.model.Packets.At(index).TTL = ttl;
    return index;
  }
  VisualizerLayout Run(int32_t first = 1, int32_t last = INT32_MAX) {
    request.Selected = b.Select(client, forwardPeer, forward, first, last);
    VisualizerLayout layout = LayOutVisualizer(request);
    // Every ladder of these tests also checks that a pass for the counters alone counts the same.
    VisualizerRequest counting = request;
    counting.CountersOnly = true;
    const VisualizerLayout counted = LayOutVisualizer(counting);
    EXPECT_EQ(counted.Counters, layout.Counters);
    EXPECT_TRUE(counted.Lines.empty());
    return layout;
  }
};

Pkt Udp(int32_t frame, double time, PacketFlags flags = 0) {
  return Pkt{.frame = frame, .time = time, .flags = flags, .totalLength = 46, .transportHeaderLength = 8};
}
Pkt Gap(int32_t frame, double time) { return Pkt{.frame = frame, .time = time, .flags = kPacketGap}; }
Pkt Win(Pkt p, uint16_t window) {
  p.window = window;
  return p;
}

std::vector<int32_t> Frames(const VisualizerLayout& layout) {
  std::vector<int32_t> frames;
  for (const VisualizerLine& l : layout.Lines) frames.push_back(l.FrameNumber);
  return frames;
}
std::vector<int> Directions(const VisualizerLayout& layout) {
  std::vector<int> d;
  for (const VisualizerLine& l : layout.Lines) d.push_back(l.Direction);
  return d;
}
using Frames_ = std::vector<int32_t>;

TEST(VisualizerLayout, DirectionsInterleaveByFrameNumberEachRecordOnce) {
  Ladder t(kSubUdp);
  for (int f : {1, 3, 5, 7}) t.Add(kForward, Udp(f, f * 1000.0));
  t.Add(kReverse, Udp(2, 2000));
  t.Add(kReverse, Udp(4, 3000));  // the same time as frame 3
  t.Add(kReverse, Udp(6, 5500));
  VisualizerLayout layout = t.Run();
  EXPECT_EQ(Frames(layout), (Frames_{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(Directions(layout), (std::vector<int>{0, 1, 0, 1, 0, 1, 0}));
  EXPECT_TRUE(layout.HasReverse);
  EXPECT_EQ(layout.Lines[1].Color, kVisualizerReceiveColor);
  EXPECT_EQ(layout.Lines[0].Color, kVisualizerSendColor);
}

TEST(VisualizerLayout, BackwardsTimeAndThePacketRangeLeaveLinesOut) {
  Ladder t(kSubUdp);
  t.Add(kForward, Udp(1, 1000));
  t.Add(kForward, Udp(2, 5000));
  t.Add(kForward, Udp(3, 4000));  // earlier than frame 2: left out
  t.Add(kForward, Udp(4, 6000));
  t.Add(kForward, Udp(5, 7000));
  EXPECT_EQ(Frames(t.Run()), (Frames_{1, 2, 4, 5}));
  VisualizerLayout ranged = t.Run(2, 4);
  EXPECT_EQ(Frames(ranged), (Frames_{2, 4}));
  EXPECT_EQ(ranged.Lines[1].CumulativeBytes, 128);
}

TEST(VisualizerLayout, IcmpReportWaitsForItsFrameAndIsDrawnTowardsTheSender) {
  for (bool reports : {true, false}) {
    Ladder t(kSubUdp);
    t.settings.SetEnabled(CheckId::kICMP, reports);
    t.Add(kForward, Udp(1, 0));
    // Filed right after the packet it reports, with its own (later) frame number.
    int32_t r = t.Add(kForward,
                      Pkt{.frame = 4, .time = 3000, .length = 70, .flags = kIcmpReportFlags, .seq = 1,
                          .ack = 0x0A000002, .totalLength = 56, .window = 3 | 3 << 8},
                      128);
    (void)r;
    t.Add(kForward, Udp(2, 1000));
    t.Add(kForward, Udp(3, 2000));
    t.Add(kForward, Udp(5, 4000));
    VisualizerLayout layout = t.Run();
    if (!reports) {
      EXPECT_EQ(Frames(layout), (Frames_{1, 2, 3, 5}));
      continue;
    }
    ASSERT_EQ(Frames(layout), (Frames_{1, 2, 3, 4, 5}));
    const VisualizerLine& line = layout.Lines[3];
    EXPECT_EQ(line.Kind, LineKind::kIcmpReport);
    EXPECT_EQ(line.Direction, kReverse);
    EXPECT_EQ(line.Color, kVisualizerDiagnosticColor);
    EXPECT_EQ(LineSummary(layout, line), "Rep; IP Len=56 TTL=128; ICMP from 10.0.0.2; ");
    EXPECT_EQ(LineComment(layout, line), " Port Unreachable (pkt 1)");
    EXPECT_EQ(layout.Counters.Direction[kReverse].IcmpReports, 1);
    ASSERT_EQ(layout.Comments.size(), 1u);
    EXPECT_EQ(layout.Comments[0].Text, "Pkt #4  Port Unreachable (pkt 1)");
    EXPECT_EQ(layout.Comments[0].Y, line.Y);
    EXPECT_EQ(layout.Comments[0].Line, 3u);
    EXPECT_EQ(layout.Comments[0].Messages, std::vector<std::string>{"Port Unreachable (pkt 1)"});
  }
}

TEST(VisualizerLayout, GapMarkersAreDrawnWithoutMovingTimeOrCounting) {
  Ladder t;
  t.request.Options.TickUnit = 0;
  t.Add(kForward, Tcp(1, 0, 100, 0, 10, 0, 0x18));
  t.Add(kReverse, Tcp(2, 10'000, 0, 110, 0));
  t.Add(kForward, Gap(3, 0));  // carries the time of frame 1
  t.Add(kForward, Tcp(3, 20'000, 200, 0, 10, 0, 0x18));
  VisualizerLayout layout = t.Run();
  ASSERT_EQ(Frames(layout), (Frames_{1, 2, 3, 3}));
  const VisualizerLine& gap = layout.Lines[2];
  EXPECT_EQ(gap.Kind, LineKind::kGap);
  EXPECT_EQ(gap.Color, kVisualizerGapColor);
  EXPECT_EQ(LineSummary(layout, gap), "POSSIBLE MISSING OR FILTERED TCP PACKET(S)");
  EXPECT_TRUE(LineSummary(VisualizerLayout{}, gap).empty());  // read against another layout
  EXPECT_TRUE(LineColumnTexts(gap, layout.Columns, t.request.Options).empty());
  const VisualizerLine& after = layout.Lines[3];
  EXPECT_EQ(after.CumulativeBytes, 68 + 64 + 68);  // the marker is not counted
  EXPECT_DOUBLE_EQ(after.DeltaSeconds, 0.010);  // from frame 2, not from the marker
  EXPECT_DOUBLE_EQ(after.CumulativeSeconds, 0.020);
  EXPECT_EQ(after.Y - gap.Y, 14);
}

TEST(VisualizerLayout, TimeScaleTicksAndCuts) {
  struct Case {
    int unit;
    double gap;  // microseconds between two packets, the first at time 0
    int64_t step;
    int32_t ticks;  // -1: no scale
    bool cut;
  } cases[] = {
      {1, 400, 14, -1, false},      // rounds to 1 pixel: no extra space
      {1, 1000, 16, 1, false},      // 2 pixels, one tick
      {1, 100'000, 214, 100, false},  // 200 pixels: long, but not 110 ticks' worth
      {1, 300e6, 0, 90, true},      // five minutes: cut after 90 ticks
      {0, 300e6, 14, -1, false},    // time spacing off
      {1000, 864e9, 0, 90, true},   // ten days
  };
  for (const Case& c : cases) {
    Ladder t(kSubUdp);
    t.request.Options.TickUnit = c.unit;
    t.Add(kForward, Udp(1, 0));
    t.Add(kForward, Udp(2, c.gap));
    VisualizerLayout layout = t.Run();
    ASSERT_EQ(layout.Lines.size(), 2u);
    EXPECT_EQ(layout.Lines[0].Y, 7);
    if (c.ticks < 0) {
      EXPECT_TRUE(layout.Scales.empty()) << c.gap;
    } else {
      ASSERT_EQ(layout.Scales.size(), 1u) << c.gap;
      const TimeScale& s = layout.Scales[0];
      EXPECT_EQ(s.FirstRow, 7 + 6 + 1);
      EXPECT_EQ(s.Ticks, c.ticks) << c.gap;
      EXPECT_EQ(s.Cut, c.cut);
      if (c.cut) {
        EXPECT_EQ(s.GapMs, static_cast<int64_t>(c.gap / 1000));
        EXPECT_EQ(layout.Lines[1].Y, s.FirstRow + 179 + 22 + 13 + 5);
        continue;
      }
    }
    EXPECT_EQ(layout.Lines[1].Y - 7, c.step) << c.gap;
  }
}

TEST(VisualizerLayout, ScaleMarksLongTicksLabelsAndTheCut) {
  TimeScale s{.FirstRow = 100, .Ticks = 10, .Unit = 10};
  std::vector<ScaleMark> marks = ScaleMarks(s, 55, 13, 14, ',');
  ASSERT_EQ(marks.size(), 11u);
  EXPECT_EQ(marks[0].Y1, 101);
  EXPECT_EQ(marks[0].X2, 55 + 5);
  EXPECT_EQ(marks[4].X2, 55 + 10);  // every fifth tick is longer
  EXPECT_EQ(marks[10].Type, ScaleMark::kLabel);
  EXPECT_EQ(marks[10].Text, "100 ms");
  EXPECT_EQ(marks[10].X1, 55 + 16);
  s.Ticks = 90;
  s.Cut = true;
  s.GapMs = 300000;
  marks = ScaleMarks(s, 55, 13, 14, ',');
  EXPECT_EQ(marks[marks.size() - 2].Type, ScaleMark::kDottedLine);
  EXPECT_EQ(marks[marks.size() - 2].Y1, 100 + 179 + 5);
  EXPECT_EQ(marks.back().Text, "300,000 ms");
}

TEST(VisualizerLayout, ColumnGeometry) {
  TextMeasure m = FixedPitchMeasure(7, 14);
  ColumnGeometry none = ComputeColumns(VisualizerColumns{.FrameNumber = false}, m);
  EXPECT_EQ(none.SeparatorX, -1);
  EXPECT_FALSE(none.HeaderVisible());

  ColumnGeometry number = ComputeColumns(VisualizerColumns{}, m);
  ASSERT_EQ(number.Sections.size(), 1u);
  EXPECT_EQ(number.Sections[0].Title, "Packet");
  EXPECT_EQ(number.Sections[0].Width, 56);
  EXPECT_EQ(number.SeparatorX, 55);
  EXPECT_EQ(number.Right[static_cast<int>(ColumnId::kFrameNumber)], 54);

  ColumnGeometry all = ComputeColumns(VisualizerColumns{true, true, true, true, true, true}, m);
  std::vector<std::string> titles;
  for (const HeaderSection& s : all.Sections) titles.push_back(s.Title);
  EXPECT_EQ(titles, (std::vector<std::string>{"Packet", "Size", "dTime", "cTime", "cBytes", "sBytes", "rBytes"}));
  const int sample = 8 + 6 + 13 + 14 + 10 + 10 + 10;
  EXPECT_EQ(all.SeparatorX, 7 * sample - 1);
  EXPECT_EQ(all.Right[static_cast<int>(ColumnId::kSentBytes)], 7 * (sample - 10) - 2);
  EXPECT_EQ(all.Right[static_cast<int>(ColumnId::kReceivedBytes)], 7 * sample - 2);
  EXPECT_EQ(all.Sections[5].Width, 70);
}

TEST(VisualizerLayout, ArrowsAndColumnTexts) {
  EXPECT_EQ(ArrowLengthFor(64, 11), 6);
  EXPECT_EQ(ArrowLengthFor(1518, 11), 139);
  EXPECT_EQ(ArrowLengthFor(64, 0), 65);  // never divides by zero
  VisualizerLine line;
  line.Y = 7;
  line.ArrowLength = 6;
  auto points = [](const std::array<ArrowPoint, 5>& a) {
    std::vector<std::pair<int64_t, int64_t>> v;
    for (const ArrowPoint& p : a) v.push_back({p.X, p.Y});
    return v;
  };
  using Points = std::vector<std::pair<int64_t, int64_t>>;
  // No columns: the arrows start at x 0.
  EXPECT_EQ(points(ArrowPolygon(line, -1, 6)), (Points{{1, 1}, {4, 1}, {7, 7}, {4, 13}, {1, 13}}));
  EXPECT_EQ(LineTextX(line, -1), 11);
  line.Direction = kReverse;
  EXPECT_EQ(points(ArrowPolygon(line, -1, 6)), (Points{{4, 1}, {7, 1}, {7, 13}, {4, 13}, {1, 7}}));

  Ladder t(kSubUdp);
  t.request.Options.Columns = VisualizerColumns{true, true, true, true, true, true};
  t.Add(kForward, Udp(1, 1'000'000));
  t.Add(kReverse, Pkt{.frame = 2, .time = 1'250'000, .length = 100});
  t.Add(kForward, Udp(3, 3'001'000'001));
  VisualizerLayout layout = t.Run();
  ASSERT_EQ(layout.Lines.size(), 3u);
  std::vector<std::string> texts;
  for (const ColumnText& c : LineColumnTexts(layout.Lines[2], layout.Columns, t.request.Options))
    texts.push_back(c.Text);
  EXPECT_EQ(texts, (std::vector<std::string>{"3", "64", "2,999.750001", "3,000.000001", "228", "128"}));
  std::vector<ColumnText> reverse = LineColumnTexts(layout.Lines[1], layout.Columns, t.request.Options);
  EXPECT_EQ(reverse.back().Id, ColumnId::kReceivedBytes);
  EXPECT_EQ(reverse.back().Text, "100");
  EXPECT_EQ(reverse.front().Right, layout.Columns.Right[0]);
}

TEST(VisualizerLayout, SummaryTextsBySubProtocol) {
  struct Case {
    SubProtocol sub;
    bool ipx;
    Pkt forward;
    std::string expected;
    std::string comment;
    uint16_t mss = 0;
  } cases[] = {
      {kSubTcp, false, Win(Tcp(1, 0, 100, 0, 0, 0, 0x02), 8192), "IP Len=40 TTL=64; TCP SYN (MSS=1460) Win=8192",
       "", 1460},
      {kSubTcp, false, Win(Tcp(1, 0, 100, 0, 10, 0, 0x19), 8192),
       "IP Len=50 TTL=64; TCP FIN PSH Seq=100 Len=10 Win=8192 ", ""},
      {kSubTcp, false, Win(Tcp(1, 0, 100, 0, 10, kPacketReset, 0x18), 8192),
       "IP Len=50 TTL=64; TCP PSH Seq=100 Len=10 Win=8192; ", " Reset Connection"},
      {kSubTcp, false, Win(Tcp(1, 0, 100, 0, 0, kPacketReset, 0x04), 0), "IP Len=40 TTL=64; TCP RST Win=0; ",
       " Reset Connection"},
      {kSubUdp, false, Udp(1, 0, kPacketRequest), "Cmd; IP Len=46 TTL=64; UDP Len=18", ""},
      {kSubNcp, true, Pkt{.frame = 1, .flags = kPacketReply, .seq = 9}, "Rep; IPX Len=46 Hops=64; NCP Seq=9 ", ""},
      {kSubSpx, true, Pkt{.frame = 1, .flags = kPacketRequest, .seq = 9}, "Data; IPX Len=46 Hops=64; SPX Seq=9 ",
       ""},
      {kSubSpx2, true, Pkt{.frame = 1, .flags = kPacketReply, .ack = 5}, "Ack; IPX Len=46 Hops=64; SPXII Ack=5 ",
       ""},
      {kSubNetBios, true, Pkt{.frame = 1, .flags = kPacketReply, .ack = 5}, "IPX Len=46 Hops=64; NetBIOS Ack=5 ", ""},
      {kSubPBurst, true, Pkt{.frame = 1, .seq = 3, .ack = 5}, "IPX Len=46 Hops=64; PBurst Seq=5 ", ""},
      {kSubPBurst, true, Pkt{.frame = 1, .flags = kPacketRequest, .seq = 3, .ack = 5},
       "Cmd; IPX Len=46 Hops=64; PBurst Ack=3 ", ""},
      {kSubIgmp, false, Pkt{.frame = 1}, "IP Len=46 TTL=64", ""},
      {kSubIcmp, false, Pkt{.frame = 1, .window = 11}, "IP Len=46 TTL=64; ICMP Time to Live Exceeded in Transit", ""},
  };
  const AddressKey ipxA = Ipx(0x10, {0, 0, 0x1B, 1, 2, 3});
  const AddressKey ipxB = Ipx(0x10, {0, 0, 0x1B, 4, 5, 6});
  for (const Case& c : cases) {
    Ladder t = c.ipx ? Ladder(c.sub, ipxA, ipxB) : Ladder(c.sub);
    const int32_t i = t.Add(kForward, c.forward);
    t.b.model.Objects.Get<TTransHead>(t.forward).MaxSegment = c.mss;
    if (c.mss != 0) t.b.model.Packets.At(i).Flags |= kPacketMaxSegment;
    VisualizerLayout layout = t.Run();
    ASSERT_EQ(layout.Lines.size(), 1u);
    EXPECT_EQ(LineSummary(layout, layout.Lines[0]), c.expected);
    EXPECT_EQ(LineComment(layout, layout.Lines[0]), c.comment);
  }
  // A pure acknowledgement names the segment it acknowledges.
  Ladder t;
  t.Add(kForward, Win(Tcp(1, 0, 100, 0, 10, 0, 0x18), 8192));
  t.Add(kReverse, Win(Tcp(2, 1, 0, 110, 0), 8192));
  t.Add(kReverse, Win(Tcp(3, 2, 0, 111, 0), 8192));
  VisualizerLayout layout = t.Run();
  EXPECT_EQ(LineSummary(layout, layout.Lines[1]), "IP Len=40 TTL=64; TCP Ack=110 (Pkt 1) Seq=0 Win=8192");
  EXPECT_EQ(LineSummary(layout, layout.Lines[2]), "IP Len=40 TTL=64; TCP Ack=111 Seq=0 Win=8192");
}

TEST(VisualizerLayout, PagesRestartAtTheTopAndEachGetsItsSeparator) {
  Ladder t(kSubUdp);
  t.request.Options.TickUnit = 0;
  for (int f = 1; f <= 10; ++f) t.Add(kForward, Udp(f, f));
  VisualizerLayout screen = t.Run();
  EXPECT_EQ(screen.EndY, 7 + 9 * 14);
  EXPECT_EQ(VisualizerScrollMaximum(screen, 400), 0);
  EXPECT_EQ(VisualizerScrollMaximum(screen, 100), 133 - 100 + 8 + 6);
  EXPECT_EQ(VisualizerScrollMaximum(VisualizerLayout{}, 100), 0);
  EXPECT_EQ(VisibleLines(screen, 30, 20), (std::pair<size_t, size_t>{2, 4}));

  t.request.PageHeight = 60;  // a line whose y passes 60 - 12 starts the next page
  VisualizerLayout pages = t.Run();
  EXPECT_EQ(pages.Pages, 4);
  std::vector<int> onPage;
  for (const VisualizerLine& l : pages.Lines) onPage.push_back(l.Page);
  EXPECT_EQ(onPage, (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 3}));
  EXPECT_EQ(pages.Lines[3].Y, 7);
  EXPECT_EQ(pages.SeparatorBottom, (std::vector<int64_t>{43, 43, 43, 14}));
}

TEST(VisualizerLayout, TrackBarPositions) {
  EXPECT_EQ(TickUnitForPosition(0), 0);
  EXPECT_EQ(TickUnitForPosition(4), 1000);
  EXPECT_EQ(TickUnitForPosition(9), 1000);
  EXPECT_EQ(TickUnitLabel(0), "Disabled");
  EXPECT_EQ(TickUnitLabel(1), "1 millisecond");
  EXPECT_EQ(TickUnitLabel(100), "100 milliseconds");
  EXPECT_EQ(BytesPerPixelForPosition(4), 11);
  EXPECT_EQ(BytesPerPixelForPosition(1), 14);
  EXPECT_EQ(BytesPerPixelForPosition(10), 5);
}

TEST(VisualizerLayout, NoSelectionDrawsNothing) {
  Ladder t;
  t.request.Selected = Selection{};
  VisualizerLayout layout = LayOutVisualizer(t.request);
  EXPECT_TRUE(layout.Lines.empty());
  EXPECT_EQ(layout.EndY, 7);
}

}  // namespace
}  // namespace corvanta
