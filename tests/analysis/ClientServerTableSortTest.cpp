#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "analysis/ClientServerTable.h"
#include "analysis/ModelBuilder.h"

namespace corvanta {
namespace {

using testing::Ip;
using testing::ModelBuilder;
using testing::Tcp;

const AddressKey kClient = Ip(10, 0, 0, 1);

struct Table {
  ModelBuilder b;
  BrisqonSettings settings;
  ClientServerTable table;
  int frame = 1;
  int servers = 0;

  // A one-way conversation from the client to a server of its own, of `packets` segments.
  void AddOneWay(int packets, PacketFlags flags = 0) {
    ++servers;
    AddressKey server = Ip(10, 1, uint8_t(servers >> 8), uint8_t(servers));
    int32_t conversation = b.Conversation(b.Peer(kClient, server), kSubTcp, 1025, 80);
    for (int k = 0; k < packets; ++k)
      b.Add(conversation, Tcp(frame++, k * 1e4, 1000 + 10 * uint32_t(k), 1, 10, kPacketRequest | flags, 0x18));
  }
  void Build() {
    ClientServerSources sources{b.model, settings};
    table.Build(sources, ClientServerOptions{});
  }
  std::vector<std::string> Column(int column) const {
    std::vector<std::string> cells;
    for (const ClientServerRow& row : table.Rows()) cells.emplace_back(row[static_cast<size_t>(column)]);
    return cells;
  }
};

using Cells = std::vector<std::string>;

TEST(ClientServerTableSortTest, ProblemCountColumnHSortsAsANumber) {
  Table t;
  t.AddOneWay(9, kPacketReset);
  t.AddOneWay(10, kPacketReset);
  t.AddOneWay(2, kPacketReset);
  t.Build();
  ASSERT_TRUE(t.table.Sort(kCsColH, true));
  EXPECT_EQ(t.Column(kCsColH), (Cells{"2", "9", "10"}));
  ASSERT_TRUE(t.table.Sort(kCsColH, false));
  EXPECT_EQ(t.Column(kCsColH), (Cells{"10", "9", "2"}));
  // Column G sorts as a number.
  t.b.model.Packets.At(0).Flags |= kPacketZeroWindow;
  for (int i = 9; i < 19; ++i) t.b.model.Packets.At(i).Flags |= kPacketZeroWindow;
  t.Build();
  ASSERT_TRUE(t.table.Sort(kCsColG, true));
  EXPECT_EQ(t.Column(kCsColG), (Cells{"", "1", "10"}));
}

TEST(ClientServerTableSortTest, NumberColumnsIgnoreSeparatorsAndDashes) {
  Table t;
  t.AddOneWay(1200);
  t.AddOneWay(999);
  t.AddOneWay(5);
  t.Build();
  ASSERT_TRUE(t.table.Sort(kCsColPackets, true));
  EXPECT_EQ(t.Column(kCsColPackets), (Cells{"5", "999", "1,200"}));
  ASSERT_TRUE(t.table.Sort(kCsColPackets, false));
  EXPECT_EQ(t.Column(kCsColPackets), (Cells{"1,200", "999", "5"}));
  // Throughput: the 5-packet conversation lasted under 0.1 s and shows "-", read as 0.
  ASSERT_TRUE(t.table.Sort(kCsColClientToServer, true));
  EXPECT_EQ(t.Column(kCsColClientToServer).front(), "-");
  EXPECT_EQ(t.Column(kCsColPackets).front(), "5");
}

TEST(ClientServerTableSortTest, SameColumnAndDirectionTwiceDoesNothing) {
  Table t;
  t.AddOneWay(3);
  t.AddOneWay(7);
  t.AddOneWay(5);
  t.Build();
  EXPECT_FALSE(t.table.Sort(-1, true));
  EXPECT_FALSE(t.table.Sort(kCsVisibleColumns, true));
  ASSERT_TRUE(t.table.Sort(kCsColPackets, true));
  EXPECT_EQ(t.Column(kCsColPackets), (Cells{"3", "5", "7"}));
  // A repeated sort leaves the order of equal keys as it is.
  t.table.Sort(kCsColServer, false);
  Cells before = t.Column(kCsColPackets);
  EXPECT_FALSE(t.table.Sort(kCsColServer, false));
  EXPECT_EQ(t.Column(kCsColPackets), before);
  EXPECT_TRUE(t.table.Sort(kCsColServer, true));
  // A build forgets the last sort.
  t.Build();
  EXPECT_TRUE(t.table.Sort(kCsColServer, true));
}

TEST(ClientServerTableSortTest, TextColumnsCompareBytes) {
  Table t;
  for (int i = 0; i < 12; ++i) t.AddOneWay(1);
  t.Build();
  ASSERT_TRUE(t.table.Sort(kCsColServer, true));
  Cells servers = t.Column(kCsColServer);
  EXPECT_EQ(servers.front(), "10.1.0.1");
  EXPECT_EQ(servers[1], "10.1.0.10");  // byte-wise, not by value
  EXPECT_TRUE(std::is_sorted(servers.begin(), servers.end()));
}

TEST(ClientServerTableSortTest, LargeTablesSortCompletely) {
  Table t;
  std::mt19937 random(7);
  std::vector<int> counts;
  for (int i = 0; i < 300; ++i) {
    counts.push_back(int(random() % 25) + 1);  // many equal keys
    t.AddOneWay(counts.back());
  }
  t.Build();
  ASSERT_EQ(t.table.RowCount(), 300u);
  auto numbers = [&] {
    std::vector<int> values;
    for (const std::string& cell : t.Column(kCsColPackets)) values.push_back(std::stoi(cell));
    return values;
  };
  ASSERT_TRUE(t.table.Sort(kCsColPackets, false));
  std::vector<int> descending = numbers();
  EXPECT_TRUE(std::is_sorted(descending.rbegin(), descending.rend()));
  ASSERT_TRUE(t.table.Sort(kCsColPackets, true));
  std::vector<int> ascending = numbers();
  std::vector<int> sorted = counts;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(ascending, sorted);
  // Rows move whole: each row's hidden server key still belongs to its packet count.
  for (const ClientServerRow& row : t.table.Rows()) {
    const std::string_view key = row[kCsColServerKey];
    ASSERT_EQ(key.size(), 4u);
    size_t server = size_t(uint8_t(key[2]) << 8 | uint8_t(key[3]));
    EXPECT_EQ(row[kCsColPackets], std::to_string(counts[server - 1]));
  }
}

// Rows keep their cells in one text: replacing a cell shorter or longer leaves the others
// intact, and an absurdly long cell is cut to the room left rather than overflowing.
TEST(PackedTextsTest, ReplacingCellsKeepsTheOthers) {
  std::array<std::string, 4> cells = {"a", "", "ccc", "dd"};
  PackedTexts<4> row = PackedTexts<4>::Pack(cells);
  struct Step {
    size_t cell;
    std::string text;
  };
  for (const Step& s : {Step{1, "bbbbbb"}, Step{0, ""}, Step{3, "d"}, Step{2, "cc"}, Step{0, "xyz"}, Step{9, "x"}}) {
    row.Set(s.cell, s.text);
    if (s.cell < cells.size()) cells[s.cell] = s.text;
    for (size_t i = 0; i < cells.size(); ++i) EXPECT_EQ(row[i], cells[i]) << "after cell " << s.cell;
  }
  EXPECT_EQ(row, PackedTexts<4>::Pack(cells));
  EXPECT_EQ(row[4], "");

  row.Set(1, std::string(70000, 'y'));
  EXPECT_EQ(row[0], "xyz");
  EXPECT_EQ(row[1].size() + 3 + 2 + 1, 65535u);
  EXPECT_EQ(row[2], "cc");
  EXPECT_EQ(row[3], "d");
}

}  // namespace
}  // namespace corvanta
