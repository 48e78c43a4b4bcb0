// The peer-map windows' statistics tables in the JSON report.
#include "CliTestSupport.h"
#include "SampleTraces.h"
#include "naming/TextFormat.h"

namespace corvanta::testing {
namespace {

TEST(PeerTables, StationAndNetworkRowsInTheDefaultColumnOrder) {
  TempDir dir;
  const std::string path = dir.Write("trace.cap", WriteTrace(SessionPlan(10, kEthernet)));
  RunResult r = RunCli({"--json", path});
  ASSERT_EQ(r.status, 0) << r.err;
  bool ok = false;
  Json j = ParseJson(r.out, &ok);
  ASSERT_TRUE(ok) << r.out;

  // Two sending stations (the client and the server), one row each, in address order.
  const std::vector<Json>& stations = j["stations_table"].Array();
  ASSERT_EQ(stations.size(), 2u);
  EXPECT_EQ(stations[0].keyOrder, (std::vector<std::string>{"address", "Source Address", "Encapsulation", "Protocols",
                                                            "Dests", "Snd+Rcv Pkts", "Snd+Rcv Bytes", "Utilization",
                                                            "Ave Send", "Ave Recv", "Bdcasts", "Pkt Ratio"}));
  int64_t frames = 0;
  for (const Json& s : stations) {
    EXPECT_EQ(s["Encapsulation"].String(), "Etype");
    EXPECT_TRUE(s["Snd+Rcv Pkts"].IsNumber());
    EXPECT_NE(s["Utilization"].String().find('%'), std::string::npos);
    frames += static_cast<int64_t>(s["Snd+Rcv Pkts"].Number());
  }
  // Every frame counted once as sent and once as received, but the receivers of the
  // broadcast and the multicast frame send nothing.
  EXPECT_EQ(frames, 2 * j["frames"].Int() - 2);
  EXPECT_EQ(stations[0]["address"].String() < stations[1]["address"].String(), true);

  const std::vector<Json>& network = j["network_table"].Array();
  ASSERT_EQ(network.size(), 2u);
  EXPECT_EQ(network[0]["address"].String(), "10.0.0.1");
  EXPECT_EQ(network[0]["Protocols"].String(), "TCP");
  EXPECT_EQ(network[0]["Dests"].Int(), 1);
  EXPECT_EQ(network[0].keyOrder.back(), "Pkt Ratio");
}

TEST(PeerTables, PairsOnlyWhenAskedEveryFrameOnce) {
  TempDir dir;
  const std::string path = dir.Write("trace.cap", WriteTrace(SessionPlan(10, kEthernet)));
  EXPECT_FALSE(ParseJson(RunCli({"--json", path}).out).Has("station_pairs"));
  RunResult r = RunCli({"--json", "--peer-pairs", path});
  ASSERT_EQ(r.status, 0) << r.err;
  const Json j = ParseJson(r.out);
  // Every frame on one station pair, by its encapsulation and by its protocol alike.
  int64_t frames = 0;
  for (const Json& pair : j["station_pairs"].Array()) {
    int64_t byEncapsulation = 0, byProtocol = 0;
    for (const auto& [name, n] : pair["encapsulations"].Object()) byEncapsulation += static_cast<int64_t>(n.Number());
    for (const auto& [name, n] : pair["protocols"].Object()) byProtocol += static_cast<int64_t>(n.Number());
    EXPECT_EQ(byEncapsulation, pair["frames"].Int());
    EXPECT_EQ(byProtocol, pair["frames"].Int());
    frames += pair["frames"].Int();
  }
  EXPECT_EQ(frames, j["frames"].Int());
  // The web session both ways between the two addresses, and the multicast from the server.
  const std::vector<Json>& network = j["network_pairs"].Array();
  ASSERT_EQ(network.size(), 3u);
  EXPECT_EQ(network[0]["source"].String(), "10.0.0.1");
  EXPECT_EQ(network[0]["destination"].String(), "10.0.0.2");
  EXPECT_EQ(network[0]["frames"].Int(), 7);
  EXPECT_EQ(network[0]["protocols"]["TCP"].Int(), 7);
  EXPECT_EQ(network[2]["protocols"]["UDP"].Int(), 1);
}

}  // namespace
}  // namespace corvanta::testing
