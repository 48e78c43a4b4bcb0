#include <gtest/gtest.h>

#include "naming/SettingsStore.h"
#include "naming/UserPorts.h"

namespace corvanta {
namespace {

TEST(UserPortList, KeptSortedAsText) {
  UserPorts ports;
  ports.Add(UserPorts::MakeItem("21", "Mine"));
  ports.Add(UserPorts::MakeItem("1000", "Thousand"));
  ports.Add(UserPorts::MakeItem("8080", "Web"));
  ports.Add(UserPorts::MakeItem("80", "Intranet"));
  ports.Add(UserPorts::MakeItem("800", "Eight hundred"));
  EXPECT_EQ(ports.Items(), (std::vector<std::string>{"1000\tThousand", "21\tMine", "80\tIntranet", "800\tEight hundred",
                                                     "8080\tWeb"}));
}

TEST(UserPortList, ReplaceResortsAndRemoveIgnoresBadIndexes) {
  UserPorts ports;
  ports.Add("10\ta");
  ports.Add("11\tb");
  size_t at = ports.Replace(0, "30\tc");
  EXPECT_EQ(at, 1u);
  EXPECT_EQ(ports.Items(), (std::vector<std::string>{"11\tb", "30\tc"}));
  ports.Remove(7);
  EXPECT_EQ(ports.Size(), 2u);
  ports.Replace(9, "40\td");  // past the end: added
  EXPECT_EQ(ports.Size(), 3u);
  ports.Remove(0);
  EXPECT_EQ(LookupPortName(ports, 11).name, "Port 11");
  EXPECT_EQ(LookupPortName(ports, 40).name, "d");
}

TEST(PortNames, UserEntriesComeFirst) {
  UserPorts ports;
  ports.Add("80\tIntranet");
  auto http = LookupPortName(ports, 80);
  EXPECT_TRUE(http.known);
  EXPECT_EQ(http.name, "Intranet");
  auto unknown = LookupPortName(ports, 5000);
  EXPECT_FALSE(unknown.known);
  EXPECT_EQ(unknown.name, "Port 5000");
  auto telnet = LookupPortName(ports, 23);
  EXPECT_TRUE(telnet.known);
  EXPECT_EQ(telnet.name, "Telnet");
  EXPECT_TRUE(IsKnownPort(ports, 80));
  EXPECT_FALSE(IsKnownPort(ports, 5000));
}

TEST(PortNames, FirstMatchInListOrderWins) {
  UserPorts ports;
  ports.Add("5000\tZulu");
  ports.Add("5000\tAlpha");
  ports.Add("05000\tLeading zero");  // sorts first and names port 5000 as well
  EXPECT_EQ(LookupPortName(ports, 5000).name, "Leading zero");
  ports.Remove(0);
  EXPECT_EQ(LookupPortName(ports, 5000).name, "Alpha");
}

TEST(PortNames, BadPortTextsAreKeptButNeverMatch) {
  UserPorts ports;
  for (const char* item : {"70000\tToo big", "-1\tNegative", "abc\tLetters", "\tEmpty", "99999\tFive nines",
                           "65535\tTop", "12 \tBlank", "4000"})
    ports.Add(item);
  EXPECT_EQ(ports.Size(), 8u);
  EXPECT_EQ(LookupPortName(ports, 65535).name, "Top");
  EXPECT_EQ(LookupPortName(ports, 70000 & 0xFFFF).name, "Port 4464");  // no wrap-around
  EXPECT_EQ(LookupPortName(ports, 65535u & static_cast<uint16_t>(-1)).name, "Top");
  EXPECT_FALSE(LookupPortName(ports, 12).known);
  EXPECT_FALSE(LookupPortName(ports, 4000).known);  // no tab, no name
  EXPECT_FALSE(LookupPortName(ports, 0).known);
}

TEST(PortNumbers, Parse) {
  EXPECT_EQ(ParsePortNumber("0"), 0);
  EXPECT_EQ(ParsePortNumber("65535"), 65535);
  EXPECT_EQ(ParsePortNumber("00080"), 80);
  EXPECT_FALSE(ParsePortNumber("65536"));
  EXPECT_FALSE(ParsePortNumber("000080"));
  EXPECT_FALSE(ParsePortNumber(""));
  EXPECT_FALSE(ParsePortNumber("+80"));
  EXPECT_FALSE(ParsePortNumber("8 0"));
}

TEST(PortPersistence, SavedInListOrderAndReadBack) {
  MemorySettingsStore store;
  UserPorts ports;
  ports.Add("8080\tProxy");
  ports.Add("1000\tThousand");
  ports.Save(store);
  EXPECT_EQ(store.ReadString("Server Ports", "0", ""), "1000\tThousand");
  EXPECT_EQ(store.ReadString("Server Ports", "1", ""), "8080\tProxy");
  EXPECT_FALSE(store.HasValue("Server Ports", "2"));

  UserPorts next;
  next.Add("stale\tentry");
  next.Load(store);
  EXPECT_EQ(next.Items(), ports.Items());
  EXPECT_EQ(LookupPortName(next, 8080).name, "Proxy");
}

TEST(PortPersistence, SavingAnEmptyListClearsTheSection) {
  MemorySettingsStore store;
  store.WriteString("Server Ports", "0", "1\tOne");
  store.WriteString("Server Ports", "1", "2\tTwo");
  UserPorts ports;
  ports.Save(store);
  EXPECT_TRUE(store.ValueNames("Server Ports").empty());
  ports.Add("9\tNine");
  ports.Load(store);
  EXPECT_EQ(ports.Size(), 0u);
}

TEST(PortPersistence, ReadingStopsAtTheFirstMissingOrEmptyValue) {
  MemorySettingsStore store;
  store.WriteString("Server Ports", "0", "7\tSeven");
  store.WriteString("Server Ports", "1", "6\tSix");
  store.WriteString("Server Ports", "3", "5\tAfter the gap");
  UserPorts ports;
  ports.Load(store);
  EXPECT_EQ(ports.Items(), (std::vector<std::string>{"6\tSix", "7\tSeven"}));

  store.WriteString("Server Ports", "1", "");
  store.WriteString("Server Ports", "2", "4\tAfter the empty one");
  ports.Load(store);
  EXPECT_EQ(ports.Items(), (std::vector<std::string>{"7\tSeven"}));

  store.WriteBinary("Server Ports", "0", {1, 2});
  ports.Load(store);
  EXPECT_EQ(ports.Size(), 0u);
}

}  // namespace
}  // namespace corvanta
