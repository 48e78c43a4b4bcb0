// The protocol table from decoded traces: rows, formats, the MAC and Other row, sorting and
// the clipboard text; and the grid helpers it shares.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "Packets.h"
#include "analysis/GridRows.h"
#include "analysis/ProtocolTable.h"
#include "decode/DecoderHarness.h"

namespace corvanta {
namespace {

using namespace corvanta::testing;
using Cells = std::vector<std::string>;

const MacAddr kA = Station(0x0A);
const MacAddr kB = Station(0x0B);
const Ip4Addr kIpA = {10, 0, 0, 1};
const Ip4Addr kIpB = {10, 0, 0, 2};

// A UDP frame of `length` bytes on the wire, check sequence included.
Bytes UdpFrame(size_t length) { return EthernetII(kB, kA, 0x0800, IpUdp(kIpA, kIpB, 1025, 53, Filler(length - 46))); }

// 3 IP frames (104, 204, 305 bytes), 2 ARP broadcasts, 1 IPX broadcast, 1 Other by
// Ethernet type and 1 Other by LLC: 8 frames, 3 of them broadcasts.
struct EthernetTrace {
  DecoderHarness h;
  EthernetTrace() {
    h.Feed(UdpFrame(104));
    h.Feed(UdpFrame(204));
    h.Feed(UdpFrame(305));
    for (int i = 0; i < 2; ++i)
      h.Feed(PadFrame(EthernetII(kBroadcastMac, kA, 0x0806, ArpPacket(kArpRequest, kA, kIpA, {}, kIpB))));
    IpxAddress to{1, kBroadcastMac, kSapSocket};
    IpxAddress from{1, kA, kSapSocket};
    h.Feed(PadFrame(EthernetNovellRaw(kBroadcastMac, kA, IpxPacket(4, to, from, SapQuery(1, 4)))));
    h.Feed(PadFrame(EthernetII(kB, kA, 0x9999, Filler(46))));
    h.Feed(PadFrame(EthernetLlc(kB, kA, 0x44, 0x44, 0x03, Filler(40))));
    h.End();
  }
};

// The one row of statistics whose frames all fall into one row.
ProtocolTableRow OnlyRow(const TraceStatistics& statistics) {
  ProtocolTable table;
  table.Build(statistics);
  EXPECT_EQ(table.Rows().size(), 1u);
  return table.Rows().empty() ? ProtocolTableRow{} : table.Rows()[0];
}

Cells Column(const ProtocolTable& table, int column) {
  Cells cells;
  for (const ProtocolTableRow& row : table.Rows()) cells.push_back(row[static_cast<size_t>(column)]);
  return cells;
}

TEST(ProtocolTablePercent, ThreeSignificantDigitsTwoDecimals) {
  EXPECT_EQ(PercentText(45.678, ','), "45.70%");
  EXPECT_EQ(PercentText(3.14159, ','), "3.14%");
  EXPECT_EQ(PercentText(100, ','), "100.00%");
  EXPECT_EQ(PercentText(12.345, ','), "12.30%");
  EXPECT_EQ(PercentText(99.96, ','), "100.00%");
  EXPECT_EQ(PercentText(66.6666, ','), "66.70%");
  EXPECT_EQ(PercentText(0.1234, ','), "0.12%");
  EXPECT_EQ(PercentText(1234.5, ','), "1,230.00%");
  EXPECT_EQ(PercentText(1234.5, '.', ','), "1.230,00%");
  EXPECT_EQ(PercentText(0, ','), "0.00%");
  EXPECT_EQ(PercentText(std::nan(""), ','), "0.00%");
  EXPECT_EQ(PercentText(INFINITY, ','), "0.00%");
}

TEST(ProtocolTableBuild, RowsOfAnEthernetTrace) {
  EthernetTrace t;
  ProtocolTable table;
  table.Build(t.h.stats);
  ASSERT_EQ(table.Rows().size(), 4u);
  EXPECT_EQ(table.GridRowCount(), 5);
  EXPECT_EQ(table.Rows()[0], (ProtocolTableRow{"ARP/RARP", "2", "25.00%", "64", "2", "66.70%", "Etype"}));
  // (104 + 204 + 305) / 3 = 204.33: integer division.
  EXPECT_EQ(table.Rows()[1], (ProtocolTableRow{"IP", "3", "37.50%", "204", "0", "0.00%", "Etype"}));
  EXPECT_EQ(table.Rows()[2], (ProtocolTableRow{"IPX", "1", "12.50%", "64", "1", "33.30%", "NovRaw"}));
  EXPECT_EQ(table.Rows()[3], (ProtocolTableRow{"Other", "2", "25.00%", "64", "0", "0.00%", "Etype, LLC"}));
}

TEST(ProtocolTableBuild, WithoutGroupFramesTheBroadcastPercentIsZero) {
  DecoderHarness h;
  h.Feed(UdpFrame(100));
  h.End();
  const ProtocolTableRow row = OnlyRow(h.stats);
  EXPECT_EQ(row[kPtColPacketPercent], "100.00%");
  EXPECT_EQ(row[kPtColBroadcastPercent], "0.00%");
}

TEST(ProtocolTableBuild, EmptyTraceHasOnlyTheHeader) {
  DecoderHarness h;
  h.End();
  ProtocolTable table;
  table.Build(h.stats);
  EXPECT_TRUE(table.Rows().empty());
  EXPECT_EQ(table.GridRowCount(), 1);
  EXPECT_EQ(table.CopyText(0, 0, 6, 0),
            "Protocol\tPacket Count\tPacket Percent\tAve Pkt Size (Bytes)\tBroadcast Count\tBroadcast "
            "Percent\tEncapsulation(s)\r\n");
}

TEST(ProtocolTableBuild, TokenRingMacAndOtherShareOneRow) {
  DecoderHarness h(kTokenRing);
  const MacAddr a = Station(0xA1), b = Station(0xB2);
  h.Feed(MonitorPresent(true, a, b));  // to a functional (group) address
  h.Feed(SoftErrorReport(b, a, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  TokenRingAddressing to;
  to.dst = b;
  to.src = a;
  h.Feed(TokenRingLlc(to, 0x44, 0x44, 0x03, Filler(100)));
  h.End();
  ASSERT_EQ(h.stats.ProtocolStats[kCatMac].Frames, 2);
  ASSERT_EQ(h.stats.ProtocolStats[kCatOther].Frames, 1);

  const ProtocolTableRow row = OnlyRow(h.stats);
  EXPECT_EQ(row[kPtColProtocol], "Other");
  EXPECT_EQ(row[kPtColPackets], "3");
  EXPECT_EQ(row[kPtColPacketPercent], "100.00%");
  const int64_t bytes = int64_t{h.stats.ProtocolStats[kCatMac].Bytes} + h.stats.ProtocolStats[kCatOther].Bytes;
  EXPECT_EQ(row[kPtColAverageSize], std::to_string(bytes / 3));
  EXPECT_EQ(row[kPtColBroadcasts],
            std::to_string(h.stats.ProtocolStats[kCatMac].GroupFrames + h.stats.ProtocolStats[kCatOther].GroupFrames));
  // The Other frames' own encapsulation is kept in front of MAC.
  EXPECT_EQ(row[kPtColEncapsulations], "LLC, MAC");
}

TEST(ProtocolTableBuild, MacAloneAndOtherAlone) {
  DecoderHarness ring(kTokenRing);
  ring.Feed(SoftErrorReport(Station(1), Station(2), {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  ring.End();
  ProtocolTableRow row = OnlyRow(ring.stats);
  EXPECT_EQ(row[kPtColProtocol], "Other");
  EXPECT_EQ(row[kPtColEncapsulations], "MAC");

  DecoderHarness ethernet;
  ethernet.Feed(PadFrame(EthernetII(kB, kA, 0x9999, Filler(46))));
  ethernet.End();
  row = OnlyRow(ethernet.stats);
  EXPECT_EQ(row[kPtColProtocol], "Other");
  EXPECT_EQ(row[kPtColEncapsulations], "Etype");
}

TEST(ProtocolTableBuild, CountsNeverWrapWhenMacAndOtherAreSummed) {
  TraceStatistics s;
  s.TraceStats[kStatFrames].Value = INT32_MAX;
  s.ProtocolStats[kCatMac] = {INT32_MAX, 0, INT32_MAX, 0};
  s.ProtocolStats[kCatOther] = {INT32_MAX, 0, INT32_MAX, 0};
  const ProtocolTableRow row = OnlyRow(s);
  EXPECT_EQ(row[kPtColPackets], "4,294,967,294");
  EXPECT_EQ(row[kPtColAverageSize], "1");
  EXPECT_EQ(row[kPtColPacketPercent], "200.00%");
}

TEST(ProtocolTableSort, NumbersByDirectionTextAlwaysAscending) {
  EthernetTrace t;
  ProtocolTable table;
  table.Build(t.h.stats);

  EXPECT_TRUE(table.Sort(kPtColPackets, false));
  EXPECT_EQ(Column(table, kPtColPackets)[0], "3");
  EXPECT_EQ(Column(table, kPtColPackets)[3], "1");
  EXPECT_TRUE(table.Sort(kPtColBroadcastPercent, true));
  EXPECT_EQ(Column(table, kPtColBroadcastPercent).back(), "66.70%");
  EXPECT_TRUE(table.Sort(kPtColBroadcastPercent, false));
  EXPECT_EQ(Column(table, kPtColBroadcastPercent).front(), "66.70%");

  // Text columns ignore the direction.
  EXPECT_TRUE(table.Sort(kPtColProtocol, false));
  EXPECT_EQ(Column(table, kPtColProtocol), (Cells{"ARP/RARP", "IP", "IPX", "Other"}));
  EXPECT_FALSE(table.Sort(kPtColProtocol, true));  // the same sort again
  EXPECT_TRUE(table.Sort(kPtColEncapsulations, false));
  EXPECT_EQ(Column(table, kPtColEncapsulations), (Cells{"Etype", "Etype", "Etype, LLC", "NovRaw"}));

  EXPECT_FALSE(table.Sort(-1, true));
  EXPECT_FALSE(table.Sort(kPtColumns, true));
  // A rebuild forgets the last sort.
  table.Build(t.h.stats);
  EXPECT_TRUE(table.Sort(kPtColEncapsulations, true));
}

TEST(ProtocolTableCopy, SelectedCellsWithTheirHeaders) {
  EthernetTrace t;
  ProtocolTable table;
  table.Build(t.h.stats);
  EXPECT_EQ(table.CopyText(0, 2, 1, 3), "Protocol\tPacket Count\r\nIP\t3\r\nIPX\t1\r\n");
  EXPECT_EQ(table.CopyText(6, 4, 6, 4), "Encapsulation(s)\r\nEtype, LLC\r\n");
  // A range reaching past the grid is cut to it; an empty one gives nothing.
  EXPECT_EQ(table.CopyText(5, 4, 40, 40), "Broadcast Percent\tEncapsulation(s)\r\n0.00%\tEtype, LLC\r\n");
  EXPECT_EQ(table.CopyText(3, 1, 2, 1), "");
  EXPECT_EQ(table.CopyText(0, 5, 0, 9), "");
}

TEST(GridRows, CellNumbers) {
  EXPECT_EQ(GridCellNumber("1,234", ',', '.'), 1234);
  EXPECT_EQ(GridCellNumber("45.70%", ',', '.'), 45.7);
  EXPECT_EQ(GridCellNumber(" 1.234,5", '.', ','), 1234.5);
  EXPECT_EQ(GridCellNumber("-", ',', '.'), 0);
  EXPECT_EQ(GridCellNumber("", ',', '.'), 0);
  EXPECT_EQ(GridCellNumber("%%5", ',', '.'), 0);  // only the first percent sign goes
}

TEST(GridRows, SortOrderAndTies) {
  std::vector<std::string> cells = {"10", "9", "100", "9", "2"};
  std::vector<std::string_view> views(cells.begin(), cells.end());
  auto order = GridSortOrder(views, false, true, ',', '.');
  Cells sorted;
  for (size_t i : order) sorted.push_back(cells[i]);
  EXPECT_EQ(sorted, (Cells{"2", "9", "9", "10", "100"}));
  order = GridSortOrder(views, true, true, ',', '.');
  sorted.clear();
  for (size_t i : order) sorted.push_back(cells[i]);
  EXPECT_EQ(sorted, (Cells{"10", "100", "2", "9", "9"}));

  // Byte-wise: upper case before lower case, high bytes last.
  std::vector<std::string> words = {"b", "\xC3\xA9", "B", "a"};
  std::vector<std::string_view> wordViews(words.begin(), words.end());
  order = GridSortOrder(wordViews, true, false, ',', '.');
  sorted.clear();
  for (size_t i : order) sorted.push_back(words[i]);
  EXPECT_EQ(sorted, (Cells{"\xC3\xA9", "b", "a", "B"}));

  EXPECT_TRUE(GridSortOrder({}, true, true, ',', '.').empty());
}

TEST(GridRows, LargeSortsStayShallowAndCorrect) {
  // Many equal keys and an already sorted run: the worst inputs for a quicksort.
  std::vector<std::string> cells;
  for (int i = 0; i < 20000; ++i) cells.push_back(std::to_string(i < 10000 ? 7 : i));
  std::vector<std::string_view> views(cells.begin(), cells.end());
  auto order = GridSortOrder(views, false, false, ',', '.');
  ASSERT_EQ(order.size(), cells.size());
  for (size_t k = 1; k < order.size(); ++k)
    ASSERT_GE(GridCellNumber(cells[order[k - 1]], ',', '.'), GridCellNumber(cells[order[k]], ',', '.'));
}

TEST(GridRows, TwoLineHeadersBreakAtTheBalancingBlank) {
  EXPECT_EQ(TwoLineHeader("Pkts Clt<->Svr"), "Pkts\nClt<->Svr");
  EXPECT_EQ(TwoLineHeader("Clt->Svr Thput*"), "Clt->Svr\nThput*");
  EXPECT_EQ(TwoLineHeader("Resp Time (ms)"), "Resp Time\n(ms)");
  EXPECT_EQ(TwoLineHeader("Protocol/Application"), "Protocol/Application");
  EXPECT_EQ(TwoLineHeader(""), "");
}

TEST(GridRows, RoomLeftOverWidensTheCutColumnsUpToTheirNaturalWidth) {
  using W = std::vector<int>;
  const W cut = {10, 50, 60, 20};
  const W natural = {10, 90, 70, 20};
  struct Case {
    int available;
    W expected;
  };
  for (const Case& c : {Case{100, cut},                  // no room: as they were
                        Case{140, cut},                  // exactly full
                        Case{150, {10, 55, 65, 20}},     // equal shares
                        Case{170, {10, 70, 70, 20}},     // one column full: the rest to the other
                        Case{500, natural},              // never past the natural widths
                        Case{151, {10, 56, 65, 20}}}) {  // an odd pixel goes somewhere, none lost
    EXPECT_EQ(WidenCutColumns(cut, natural, c.available), c.expected) << c.available;
  }
}

}  // namespace
}  // namespace corvanta
