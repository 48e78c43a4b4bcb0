#include "analysis/ProblemSummary.h"

#include "naming/TextFormat.h"

namespace corvanta {

std::string ProblemCountLine(int64_t count, std::string_view label, char thousandsSep) {
  std::string line = FormatCount(count, thousandsSep) + " " + std::string(label);
  if (count == 1) return line + ".";
  return line + (!label.empty() && label.back() == 's' ? "es." : "s.");
}

std::vector<std::string> ProblemSummaryLines(const DirectionCounters& n, char thousandsSep, char decimalSep) {
  std::vector<std::string> lines;
  auto count = [&](int64_t value, std::string_view label) {
    if (value > 0) lines.push_back(ProblemCountLine(value, label, thousandsSep));
  };
  auto number = [&](int64_t value) { return FormatCount(value, thousandsSep); };
  count(n.IcmpReports, "ICMP message");
  count(n.CrcErrors, "DLC CRC error");
  count(n.ShortPackets, "Short packet");
  count(n.LongPackets, "Long packet");
  count(n.ServerBusy, "server busy");
  count(n.IpChecksumErrors, "IP checksum error");
  count(n.MissingFragments, "IP missing fragment");
  count(n.LowTtl, "IP low TTL");
  count(n.UdpChecksumErrors, "UDP checksum error");
  count(n.TcpChecksumErrors, "TCP checksum error");
  count(n.IdleTooLong, "TCP idle too long");
  count(n.SlowAcks, "TCP slow ack");
  count(n.LowMss, "TCP low MSS");
  count(n.StuckWindow, "TCP stuck window");
  count(n.LowWindow, "TCP low window");
  if (n.LocallyRouted > 0)
    lines.push_back(number(n.LocallyRouted) + " locally routed packet(s) totalling " + number(n.LocallyRoutedBytes) +
                    " bytes.");
  if (n.Retransmissions > 0) {
    lines.push_back(number(n.Retransmissions) + " transport retransmission(s) totalling " +
                    number(n.RetransmittedBytes) + " bytes.");
    // Only retransmissions whose original is known have a delay to average.
    if (n.TimedRetransmissions > 0)
      lines.push_back("  ...the average retransmission time is " +
                      FormatN(n.RetransmissionDelay / 1000.0 / n.TimedRetransmissions, 1, 2, thousandsSep, decimalSep) +
                      " milliseconds.");
  }
  if (n.RetransmissionsAfterError > 0)
    lines.push_back("  ..." + number(n.RetransmissionsAfterError) +
                    " of the retransmission(s) follow a packet with a CRC or checksum error.");
  count(n.ZeroWindows, "zero window");
  count(n.Resets, "TCP reset");
  return lines;
}

}  // namespace corvanta
