#include <gtest/gtest.h>

#include "analysis/ConversationFigures.h"
#include "analysis/ModelBuilder.h"
#include "analysis/WhatIf.h"

namespace corvanta {
namespace {

using testing::Ip;
using testing::ModelBuilder;
using testing::Pkt;
using testing::Tcp;

const AddressKey kA = Ip(10, 0, 0, 1);
const AddressKey kB = Ip(10, 0, 0, 2);
const SelectionTexts kTexts{"10.0.0.1", "10.0.0.2", "TCP/Port 1025<->HTTP  "};

// A bulk transfer A -> B of `segments` 1000-byte segments 1 ms apart, each acknowledged.
struct Bulk {
  ModelBuilder b;
  int32_t ab, ba, forward, reverse;
  explicit Bulk(int segments, bool backwards = false) {
    ab = b.Peer(kA, kB);
    ba = b.Peer(kB, kA);
    forward = b.Conversation(ab, kSubTcp, 1025, 80);
    reverse = b.Conversation(ba, kSubTcp, 80, 1025);
    for (int k = 0; k < segments; ++k) {
      const double time = backwards ? 1e6 - k * 1000.0 : k * 1000.0;
      b.Add(forward, Tcp(2 * k + 1, time, 1000 + 1000u * k, 1, 1000, kPacketRequest, 0x18));
      b.Add(reverse, Tcp(2 * k + 2, time + 200, 1, 2000 + 1000u * k, 0, kPacketReply));
    }
  }
  Selection Select() {
    Selection s = b.Select(kA, ab, forward);
    ResolveReverse(b.model, s);
    s.LastPacketNumber = 1000;
    return s;
  }
};

TEST(ConversationFiguresTest, ThroughputHalves) {
  Bulk t(8);
  ConversationEngine engine(t.b.model);
  ThroughputSettings settings;
  ThroughputView v = AnalyzeThroughput(engine, t.Select(), kTexts, settings, kEthernet, 10);
  EXPECT_EQ(v.Caption, "Detailed Throughput Analysis for TCP/Port 1025<->HTTP  ");
  EXPECT_EQ(v.UpperTitle, "From 10.0.0.1 to 10.0.0.2");
  EXPECT_EQ(v.LowerTitle, "From 10.0.0.2 to 10.0.0.1");
  // Exactly the window: one sample, so peak and lowest agree.
  EXPECT_EQ(v.Upper.Peak, v.Upper.Lowest);
  EXPECT_EQ(v.Upper.Total, "8");
  EXPECT_EQ(v.Upper.Bytes, "8,464");
  EXPECT_EQ(v.Upper.AverageSize, "1,058");
  EXPECT_EQ(v.Upper.AveragePayload, "1,020");
  EXPECT_EQ(v.Upper.Overhead, " 3.59%");
  EXPECT_EQ(v.Upper.Duration, "00:00:00.007");
  ASSERT_TRUE(v.Upper.Chart.has_value());
  EXPECT_TRUE(v.Upper.CanCopy);
  EXPECT_EQ(v.Upper.Memo, (std::vector<std::string>{
                              "Notes", "8 packets included in the throughput analysis over the range 1 to 1000."}));
  ASSERT_TRUE(v.Lower.has_value());
  EXPECT_EQ(v.Lower->Total, "8");

  // Units change the four figures only.
  settings.UnitFactor = 8;
  ThroughputView bits = AnalyzeThroughput(engine, t.Select(), kTexts, settings, kEthernet, 10);
  EXPECT_EQ(bits.GroupTitle, "Throughput (in KBits/Second)");
  EXPECT_NEAR(*bits.Upper.PeakValue, *v.Upper.PeakValue * 8, 1e-9);
  EXPECT_NEAR(*bits.Upper.AverageValue, *v.Upper.AverageValue * 8, 1e-9);
  EXPECT_EQ(bits.Upper.Bytes, v.Upper.Bytes);

  // Without the acknowledgements the lower half has nothing to count.
  settings.IncludeAckPackets = false;
  ThroughputView noAcks = AnalyzeThroughput(engine, t.Select(), kTexts, settings, kEthernet, 10);
  EXPECT_EQ(noAcks.Lower->Memo.back(), "There are no packets to analyze from destination to source.");

  // The edit is clamped before the engine and the memo.
  settings = {};
  settings.SampleWindow = 3;
  EXPECT_EQ(AnalyzeThroughput(engine, t.Select(), kTexts, settings, kEthernet, 10).SampleWindow, 4);
  settings.SampleWindow = 20;
  ThroughputView few = AnalyzeThroughput(engine, t.Select(), kTexts, settings, kEthernet, 10);
  EXPECT_EQ(few.Upper.Memo.back(),
            "There are only 8 packets from the source to the destination.  A minimum of 20 is required for "
            "throughput analysis. This can be adjusted in the Packet Sample Window setting.");
  EXPECT_EQ(few.Upper.Total, "");
  EXPECT_EQ(few.Lower->Total, "8");
  EXPECT_FALSE(few.Upper.Chart.has_value());
  EXPECT_FALSE(few.Upper.CanCopy);

  const std::string copy = ThroughputCopyText(v, true, kTexts);
  EXPECT_EQ(copy.substr(0, copy.find("\r\n")),
            "Throughput Analysis for TCP/Port 1025<->HTTP   from 10.0.0.2 to 10.0.0.1");
  EXPECT_NE(copy.find("\r\nThroughput in KBytes/Second\r\nMinimum \t"), std::string::npos);
  EXPECT_EQ(copy.substr(copy.size() - 2), "\r\n");
}

TEST(ConversationFiguresTest, ThroughputWithoutSampleOrDuration) {
  // Timestamps running backwards: no sample, no duration.
  Bulk t(8, true);
  ConversationEngine engine(t.b.model);
  ThroughputView v = AnalyzeThroughput(engine, t.Select(), kTexts, {}, kEthernet, 10);
  EXPECT_EQ(v.Upper.Total, "8");
  EXPECT_EQ(v.Upper.Peak, "-");
  EXPECT_EQ(v.Upper.Lowest, "-");
  EXPECT_EQ(v.Upper.Average, "-");
  EXPECT_EQ(v.Upper.Contention, "-");
  EXPECT_FALSE(v.Upper.Chart.has_value());

  // Exactly one window of 8: its span holds the first frame's wire time, the duration does not.
  AnalysisResult steady;
  steady.ThroughputPackets = 8;
  steady.ThroughputBytes = 8000;
  steady.Duration = 1000;
  steady.PeakThroughput = steady.LowestThroughput = 8000 / 0.0011;
  const ThroughputHalf h = MakeThroughputHalf(steady, false, 8, 1, 1, 9, {});
  EXPECT_LT(*h.PeakValue, *h.AverageValue);
  EXPECT_EQ(h.ContentionValue, 0.0);
  EXPECT_EQ(h.Chart->at(3), 0.0);

  AnalysisResult zero;
  zero.ThroughputPackets = 8;
  EXPECT_EQ(MakeThroughputHalf(zero, false, 8, 1, 1, 9, {}).Overhead, "-");

  Selection oneWay = t.Select();
  oneWay.OneWay = true;
  ThroughputView single = AnalyzeThroughput(engine, oneWay, kTexts, {}, kEthernet, 10);
  EXPECT_EQ(single.LowerTitle, "");
  EXPECT_FALSE(single.Lower.has_value());
  AnalysisResult one;
  one.ThroughputPackets = 1;
  one.ThroughputBytes = 64;
  EXPECT_EQ(MakeThroughputHalf(one, false, 8, 1, 1, 9, {}).Memo.back().substr(0, 34),
            "There is only 1 packet from the so");
  EXPECT_EQ(MakeThroughputHalf(AnalysisResult{}, false, 8, 1, 1, 9, {}).Memo.back(),
            "There are no packets to analyze from source to destination.");
}

TEST(ConversationFiguresTest, SendToReceiveRatio) {
  struct Case {
    int64_t sent, received;
    const char* text;
  };
  for (const Case& c : {Case{10, 10, "1:1"}, Case{7, 2, "3.5:1"}, Case{4, 0, "4:0"}, Case{0, 3, "0:3"},
                        Case{2, 5, "1:2.5"}, Case{0, 0, "0:0"}, Case{3, 1, "3:1"}, Case{20, 1, "20:1"}})
    EXPECT_EQ(SendToReceiveRatio(c.sent, c.received), c.text) << c.sent << ":" << c.received;
}

TEST(ConversationFiguresTest, LatencyHalves) {
  // Ten pings answered 1.5 ms later.
  ModelBuilder b;
  int32_t ab = b.Peer(kA, kB);
  int32_t ba = b.Peer(kB, kA);
  int32_t echo = b.Conversation(ab, kSubIcmp);
  int32_t reply = b.Conversation(ba, kSubIcmp);
  for (int k = 0; k < 10; ++k) {
    b.Add(echo, Pkt{.frame = 2 * k + 1, .time = k * 1e6, .length = 98, .seq = uint32_t(k), .window = 8});
    b.Add(reply, Pkt{.frame = 2 * k + 2, .time = k * 1e6 + 1500, .length = 98, .seq = uint32_t(k)});
  }
  Selection s = b.Select(kA, ab, echo, 1, 20);
  ResolveReverse(b.model, s);
  ConversationEngine engine(b.model);
  const SelectionTexts texts{"10.0.0.1", "10.0.0.2", "ICMP Echo"};
  LatencyView v = AnalyzeLatency(engine, s, texts, {}, kEthernet, 10);
  EXPECT_EQ(v.Caption, "Detailed Response Time Analysis for ICMP Echo");
  EXPECT_EQ(v.UpperTitle, "Sender: 10.0.0.1  Responder: 10.0.0.2");
  EXPECT_EQ(v.Upper.Best, " 1.500");
  EXPECT_EQ(v.Upper.Contention, " 0.000");
  EXPECT_EQ(v.Upper.Ratio, "1:1");
  EXPECT_EQ(v.Upper.Total, "20");
  EXPECT_EQ(v.Upper.AverageSend, "98");
  EXPECT_EQ(v.Upper.Memo.back(),
            "10 packet pair found out of 20 total packets for latency analysis over the range 1 to 20.");
  ASSERT_TRUE(v.Upper.Seed.has_value());
  EXPECT_DOUBLE_EQ(v.Upper.Seed->BestMs, 1.5);
  // The replies send no echo requests.
  ASSERT_TRUE(v.Lower.has_value());
  EXPECT_EQ(v.Lower->Memo, (std::vector<std::string>{"Unable to analyze latency.  No ping's orginating from Sender."}));
  EXPECT_FALSE(v.Lower->Seed.has_value());

  const std::string copy = LatencyCopyText(v, false, {"10.0.0.1", "10.0.0.2", "ICMP Echo   "});
  EXPECT_EQ(copy.substr(0, copy.find("\r\n")), "Latency Analysis for ICMP Echo.  Sender: 10.0.0.1 Responder: 10.0.0.2");
  EXPECT_NE(copy.find("\r\nSend-to-Receive Ratio \t1:1\r\n"), std::string::npos);

  // The answering side without a conversation of its own: the state says so.
  Selection noReverse = s;
  noReverse.ReverseConversation = -1;
  LatencyView missing = AnalyzeLatency(engine, noReverse, texts, {}, kEthernet, 10);
  EXPECT_EQ(missing.Lower->Memo.front(), "Unable to analyze latency.  No reponse packets found for this selection.");

  // One-way: state 2 above, nothing below.
  Selection oneWay = b.Select(kA, ab, echo, 1, 20);
  oneWay.OneWay = true;
  LatencyView single = AnalyzeLatency(engine, oneWay, texts, {}, kEthernet, 10);
  EXPECT_EQ(single.Upper.Memo.front(), "Unable to analyze latency.  Packets are one-way.");
  EXPECT_EQ(single.UpperTitle, "Sender: 10.0.0.1  Destination: 10.0.0.2");
  EXPECT_EQ(single.LowerTitle, "");
  EXPECT_FALSE(single.Lower.has_value());
}

TEST(ConversationFiguresTest, BarChartLayout) {
  struct Scale {
    double largest, step;
  };
  for (const Scale& c : {Scale{0, 0.5}, Scale{4, 4.5}, Scale{9.96, 10}, Scale{10, 15}, Scale{99, 100}, Scale{100, 150},
                         Scale{999, 1000}, Scale{1000, 1500}, Scale{12345, 12345}})
    EXPECT_DOUBLE_EQ(BarChartScale(c.largest), c.step) << c.largest;

  BarChartLayout c = LayoutBarChart(120, 130, {1, 2, 4, 0.05});
  EXPECT_DOUBLE_EQ(c.ScaleMax, 4.5);  // from 4
  ASSERT_EQ(c.Bars.size(), 3u);       // the last is under 2 pixels
  EXPECT_EQ(c.Bars[0].Left, 35);
  EXPECT_EQ(c.Bars[0].Top, 130 - 13 - 20);
  EXPECT_EQ(c.Bars[0].Right, 58);
  EXPECT_EQ(c.Bars[0].Bottom, 116);
  EXPECT_EQ(c.Bars[2].Top, 130 - 13 - 80);
  EXPECT_EQ(c.Bars[1].Color, kBarColors[1]);
  EXPECT_EQ(c.Lines[0].X1, 33);
  EXPECT_EQ(c.Lines[1].X2, 118);
  ASSERT_EQ(c.Texts.size(), 7u);
  EXPECT_EQ(c.Texts[0].Text, "Min");
  EXPECT_EQ(c.Texts[3].X, 37 + 72);
  EXPECT_EQ(c.Texts[5].Text, "5");  // 4.5 with no decimals, rounded
  EXPECT_EQ(c.Texts[5].Y, 130 - 15 - 96);
  EXPECT_EQ(c.Texts[6].Text, "2");  // 2.25

  EXPECT_TRUE(LayoutBarChart(120, 130, {0, 0, 0, 0}).Bars.empty());
}

TEST(WhatIfTest, WorkedExampleHalfDuplex) {
  WhatIfInputs in;
  in.AveSend = 100;
  in.AveRcv = 1000;
  in.Latency = 10;
  in.FullDuplex = false;
  std::vector<WhatIfRow> rows = WhatIfTable(in);
  ASSERT_EQ(rows.size(), 21u);
  EXPECT_EQ(rows[0][5], "Resp Time (secs)");
  const WhatIfRow& ten = rows[14];  // 10,000 kbit/s
  EXPECT_EQ(ten[0], "Send/Rcv");
  EXPECT_EQ(ten[1], "10,000,000");
  EXPECT_EQ(ten[2], "1,250,000");
  EXPECT_EQ(ten[3], "183.28");
  EXPECT_EQ(ten[4], "8.36%");
  EXPECT_EQ(ten[5], "0.010912");
  EXPECT_EQ(rows[1][2], "4,000");  // 32 kbit/s

  // Many users saturate the link.
  in.Users = 1000;
  EXPECT_EQ(WhatIfTable(in)[14][4], "100.00%");

  EXPECT_EQ(WhatIfCopyText(rows, 3, 14, 4, 14), "Max Pkts/Sec\tUtilization\r\n183.28\t8.36%\r\n");
}

TEST(WhatIfTest, InputsSetByNameStayInTheirRanges) {
  struct Case {
    const char* name;
    int64_t value;
    Topology medium;
    int WhatIfInputs::*field;
    int expected;
  };
  for (const Case& c : {Case{"ave_send", 10, kEthernet, &WhatIfInputs::AveSend, 64},
                        Case{"ave_send", 10, kTokenRing, &WhatIfInputs::AveSend, 18},
                        Case{"ave_rcv", 99999, kEthernet, &WhatIfInputs::AveRcv, 1518},
                        Case{"latency_ms", -3, kEthernet, &WhatIfInputs::Latency, 0},
                        Case{"host_ms", 20000, kEthernet, &WhatIfInputs::Host, 10000},
                        Case{"users", 5000000000, kEthernet, &WhatIfInputs::Users, 1000},
                        Case{"packets_per_transaction", 1, kEthernet, &WhatIfInputs::PktsTrans, 2}}) {
    WhatIfInputs in;
    ASSERT_TRUE(SetWhatIfInput(in, c.name, c.value, c.medium)) << c.name;
    EXPECT_EQ(in.*c.field, c.expected) << c.name << " " << c.value;
  }
  // A larger ratio raises the packets per transaction; fewer packets than it is not taken.
  WhatIfInputs in;
  SetWhatIfInput(in, "send_ratio", 3, kEthernet);
  SetWhatIfInput(in, "rcv_ratio", 2, kEthernet);
  EXPECT_EQ(in.PktsTrans, 5);
  SetWhatIfInput(in, "packets_per_transaction", 4, kEthernet);
  EXPECT_EQ(in.PktsTrans, 5);
  SetWhatIfInput(in, "full_duplex", 0, kEthernet);
  EXPECT_FALSE(in.FullDuplex);
  EXPECT_FALSE(SetWhatIfInput(in, "Users", 2, kEthernet));
}

TEST(WhatIfTest, FullDuplexNeverExceedsTheLink) {
  WhatIfInputs in;
  in.AveSend = 500;
  in.AveRcv = 500;
  in.Users = 1000;
  in.FullDuplex = true;
  std::vector<WhatIfRow> rows = WhatIfTable(in);
  ASSERT_EQ(rows.size(), 41u);
  EXPECT_EQ(rows[27][0], "Send");
  EXPECT_EQ(rows[28][0], "Receive");
  EXPECT_EQ(rows[27][5], "");
  for (size_t r = 1; r < rows.size(); ++r) EXPECT_LE(std::stod(rows[r][4]), 100.0) << r;

  // A lighter send side: one user, the receive side busier.
  in.Users = 1;
  in.AveSend = 100;
  in.AveRcv = 1000;
  in.Latency = 10;
  rows = WhatIfTable(in);
  EXPECT_EQ(rows[27][3], " 91.64");  // 1 / T at 10 Mbit/s, "%6.2f"
  EXPECT_EQ(rows[28][5], "0.010912");
}

TEST(WhatIfTest, SeedingAndRatios) {
  struct Case {
    const char* text;
    int send, receive;
  };
  for (const Case& c : {Case{"3:1", 3, 1}, Case{"3.5:1", 7, 2}, Case{"1:2.5", 2, 5}, Case{"4:0", 4, 1},
                        Case{"0:3", 1, 3}, Case{"250:1", 100, 1}, Case{"nonsense", 1, 1}}) {
    EXPECT_EQ(WhatIfRatio(c.text), std::make_pair(c.send, c.receive)) << c.text;
  }
  LatencySeed seed{2.6, 4.0, 1.4, "3.5:1", 20.0, 1200.4};
  WhatIfInputs in = SeedWhatIf(seed, kEthernet);
  EXPECT_EQ(in.AveSend, 64);
  EXPECT_EQ(in.AveRcv, 1200);
  EXPECT_EQ(in.Latency, 3);
  EXPECT_EQ(in.Contention, 1);
  EXPECT_EQ(in.SendRatio, 7);
  EXPECT_EQ(in.RcvRatio, 2);
  EXPECT_EQ(in.PktsTrans, 9);
  EXPECT_EQ(in.Users, 1);
  EXPECT_EQ(SeedWhatIf(seed, kTokenRing).AveSend, 20);

  WhatIfInputs edit;
  edit.SendRatio = 3;
  edit.RcvRatio = 2;
  RaisePacketsPerTransaction(edit);
  EXPECT_EQ(edit.PktsTrans, 5);
  edit.PktsTrans = 12;
  RaisePacketsPerTransaction(edit);
  EXPECT_EQ(edit.PktsTrans, 12);
}

}  // namespace
}  // namespace corvanta
