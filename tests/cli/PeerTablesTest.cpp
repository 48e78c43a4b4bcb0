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

}  // namespace
}  // namespace corvanta::testing
