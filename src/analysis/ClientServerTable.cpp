#include "analysis/ClientServerTable.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <future>
#include <iterator>
#include <mutex>
#include <optional>
#include <span>
#include <thread>

#include "analysis/ConversationEngine.h"
#include "analysis/GridRows.h"
#include "analysis/Selection.h"
#include "decode/PacketFlags.h"
#include "naming/LearnedNames.h"
#include "naming/ProtocolNames.h"
#include "naming/TextFormat.h"
#include "naming/UserPorts.h"
#include "naming/VendorTable.h"

namespace corvanta {

namespace {

constexpr int kFtpControlPort = 21;
constexpr int kMinRunPackets = 4;             // fewer sent packets give no throughput figure
constexpr double kMinRunDuration = 100000.0;  // microseconds; shorter runs give none either
constexpr int kMinRatedPairs = 4;             // pairs needed before B and C judge the response time
// Conversations a worker takes at a time when the table is built on several threads.
constexpr size_t kConversationsPerChunk = 128;

// Totals never wrap; adding non-negative amounts this way gives the same sum in any grouping.
void AddSaturated(int32_t& total, int64_t amount) {
  total = static_cast<int32_t>(std::min<int64_t>(int64_t{total} + amount, INT32_MAX));
}

std::span<const uint8_t> KeyBytes(std::string_view key) {
  return {reinterpret_cast<const uint8_t*>(key.data()), key.size()};
}
std::string KeyText(const AddressKey& key) {
  auto bytes = key.View();
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string ProtocolText(const TTransHead& head, bool clientIsSender, const UserPorts& ports) {
  uint16_t clientPort = clientIsSender ? head.SourcePort : head.DestinationPort;
  uint16_t serverPort = clientIsSender ? head.DestinationPort : head.SourcePort;
  std::string name(SubProtocolName(head.SubProtocol));
  if (head.SubProtocol == kSubTcp || head.SubProtocol == kSubUdp) {
    // Put together in place: every row has one.
    const PortName client = LookupPortName(ports, clientPort);
    const PortName server = LookupPortName(ports, serverPort);
    name.reserve(name.size() + client.name.size() + server.name.size() + 4);
    name.append("/").append(client.name).append("<->").append(server.name);
    return name;
  }
  if (head.SubProtocol == kSubIcmp) return name + " Echo (Ping)";
  if (head.SubProtocol <= kSubOtherIp) return name;
  if (head.SubProtocol <= kSubOtherIpx)
    return "IPX (Socket " + IpxSocketName(clientPort) + "<->" + IpxSocketName(serverPort) + ")/" + name;
  return {};
}

bool CountsTransportEvents(unsigned sub) {
  return sub == kSubTcp || sub == kSubNcp || sub == kSubSpx || sub == kSubSpx2 || sub == kSubPBurst;
}
bool JudgesClientEfficiency(unsigned sub) {
  return sub == kSubTcp || sub == kSubUdp || sub == kSubNcp || sub == kSubSpx || sub == kSubSpx2 ||
         sub == kSubNetBios || sub == kSubSmb || sub == kSubPBurst;
}

// A sensitivity outside 1..3 takes the factors of the default.
int SensitivityOf(const BrisqonSettings& settings, CheckId id) {
  int value = settings.Threshold(id);
  return value >= 1 && value <= 3 ? value : GetCheckInfo(id).Default;
}
double BusyFactor(int sensitivity) { return sensitivity == 1 ? 30 : sensitivity == 3 ? 5 : 10; }
struct ClientLimits {
  double Ratio;
  double Size;  // bytes
};
ClientLimits InefficientClientLimits(int sensitivity) {
  if (sensitivity == 1) return {1.25, 100};
  if (sensitivity == 3) return {2.0, 500};
  return {1.5, 200};
}

bool HasThroughputFigure(const AnalysisResult* run) {
  return run != nullptr && run->SendPackets >= kMinRunPackets && run->Duration >= kMinRunDuration;
}
// KB/s with K = 1000.
double ThroughputKBs(const AnalysisResult& run) {
  return static_cast<double>(run.ThroughputBytes) / (run.Duration / 1000000.0) / 1000.0;
}

// The cells of one row while it is measured.
using RowCells = std::array<std::string, kCsColumns>;

class RowBuilder {
 public:
  // names: every address's client or server name by node id.
  RowBuilder(const ClientServerSources& sources, const ClientServerOptions& options, const PeerDirectory& directory,
             const std::vector<std::string>& names)
      : src_(sources),
        opt_(options),
        ports_(sources.Ports != nullptr ? *sources.Ports : noPorts_),
        directory_(directory),
        names_(names),
        engine_(sources.Model) {
    engine_.Directory = &directory_;
  }

  // Where the next rows and totals go.
  void Output(std::vector<ClientServerRow>& rows, std::array<int32_t, kCsProblemColumns>& totals,
              std::array<int32_t, kNotListedReasons>& notListed) {
    rows_ = &rows;
    totals_ = &totals;
    notListed_ = &notListed;
  }

  // sender: the sending address and its node id.
  void Conversation(const NetAddressNode& sender, int32_t senderId, int32_t peerIndex, const TNetPeer& peer,
                    int32_t headIndex, const TTransHead& head);

 private:
  void Count(int column, int64_t amount = 1) { AddSaturated((*totals_)[static_cast<size_t>(column)], amount); }
  void NotListed(NotListedReason reason) { AddSaturated((*notListed_)[reason], 1); }
  void Mark(RowCells& row, int column) {
    row[static_cast<size_t>(column)] = kCsMark;
    Count(column);
  }
  // An event column: the total grows with any count; the cell shows it when `show`.
  void Event(RowCells& row, int column, int64_t count, bool show) {
    if (count == 0) return;
    Count(column, count);
    if (show) row[static_cast<size_t>(column)] = FormatCount(count, opt_.ThousandsSep);
  }
  std::string Figure(const AnalysisResult* run) const {
    if (!HasThroughputFigure(run)) return std::string(kCsInsufficientData);
    return FormatThroughput(ThroughputKBs(*run), opt_.ThousandsSep, opt_.DecimalSep);
  }
  Selection Direction(const NetAddressNode& source, int32_t peer, int32_t head) const {
    Selection s;
    s.SourceStation = &source;
    s.DestPeer = peer;
    s.CurrentConversation = head;
    s.FirstPacketNumber = 1;
    s.LastPacketNumber = opt_.LastFrame;
    return s;
  }
  void SetThroughputRun() {
    engine_.Options = AnalysisOptions{};
    engine_.Options.ThroughputMode = true;
    engine_.Options.SampleWindow = kMinSampleWindow;
  }

  const ClientServerSources& src_;
  const ClientServerOptions& opt_;
  UserPorts noPorts_;
  const UserPorts& ports_;
  const PeerDirectory& directory_;
  const std::vector<std::string>& names_;
  ConversationEngine engine_;
  std::vector<ClientServerRow>* rows_ = nullptr;
  RowCells cells_;  // the row being measured; packed when complete
  std::array<int32_t, kCsProblemColumns>* totals_ = nullptr;
  std::array<int32_t, kNotListedReasons>* notListed_ = nullptr;
};

void RowBuilder::Conversation(const NetAddressNode& sender, int32_t senderId, int32_t peerIndex, const TNetPeer& peer,
                              int32_t headIndex, const TTransHead& head) {
  const CaptureModel& model = src_.Model;
  const BrisqonSettings& settings = src_.Settings;
  if (!model.Packets.Contains(head.FirstPacket)) return;
  const PacketFlags firstFlags = model.Packets.At(head.FirstPacket).Flags;
  if (firstFlags & kPacketGroup) return NotListed(kNotListedBroadcast);

  const bool request = (firstFlags & kPacketRequest) != 0;
  const bool reply = (firstFlags & kPacketReply) != 0;
  // No row unless a command, or a reply whose reverse peer is missing (run 0 would find it
  // one-way): skip run 0's walks over both chains when the outcome is already known. A reply
  // with its reverse peer present is the answering half of a conversation counted there.
  if (!request && !reply) return NotListed(kNotListedNoRequest);
  const NetAddressNode* peerNode = model.NetAddresses.At(peer.Receiver);
  if (!request && directory_.Find(peerNode, senderId) >= 0) return;

  // Run 0: response times.
  Selection forward = Direction(sender, peerIndex, headIndex);
  engine_.Options = AnalysisOptions{};
  engine_.Options.LatencyMode = true;
  engine_.ServerBusySeen = false;
  const AnalysisResult run0 = engine_.AnalyzeConversation(forward);
  const bool serverBusy = engine_.ServerBusySeen;
  // A client answered only by ICMP error reports (port unreachable from the server itself)
  // has no reverse conversation; it is listed as one-way with its reports.
  const bool answeredByReports = run0.AnalysisState == kAnalysisNoReverse && request;
  if (run0.AnalysisState != kAnalysisOk && run0.AnalysisState != kAnalysisOneWay &&
      run0.AnalysisState != kAnalysisAcksOnly && !answeredByReports)
    return NotListed(run0.AnalysisState == kAnalysisUnsupported ? kNotListedUnsupported : kNotListedUnanswered);
  if (!request && !(forward.OneWay && reply)) return NotListed(kNotListedNoRequest);
  const bool clientIsSender = !reply;

  // Run 1: throughput from the sender.
  SetThroughputRun();
  const AnalysisResult run1 = engine_.AnalyzeConversation(forward);
  if (answeredByReports) {
    if (run1.Events.IcmpReports == 0) return;
    forward.OneWay = true;
  }

  // Run 2: throughput of the same conversation seen from the peer. Without it the row is
  // one-way: measuring the sender's conversation again would show its traffic as the peer's.
  std::optional<AnalysisResult> run2;
  if (!forward.OneWay && peerNode != nullptr) {
    int32_t reversePeer = directory_.Find(peerNode, senderId);
    int32_t reverseHead =
        reversePeer < 0 ? -1 : FindMirrorConversation(model, model.Objects.Get<TNetPeer>(reversePeer), head);
    if (reverseHead >= 0) {
      Selection reverse = Direction(*peerNode, reversePeer, reverseHead);
      run2 = engine_.AnalyzeConversation(reverse);
    }
  }

  RowCells& row = cells_;
  for (std::string& cell : row) cell.clear();
  const AddressKey& peerKey = model.NetAddresses.AddressAt(peer.Receiver);
  const AddressKey& clientKey = clientIsSender ? sender.Address : peerKey;
  const AddressKey& serverKey = clientIsSender ? peerKey : sender.Address;
  row[kCsColClientKey] = KeyText(clientKey);
  row[kCsColServerKey] = KeyText(serverKey);
  const auto name = [&](int32_t id, const std::string& key) {
    return id >= 0 && static_cast<size_t>(id) < names_.size()
               ? names_[static_cast<size_t>(id)]
               : ClientServerName(model, src_.Vendors, key, opt_.SmartNames, opt_.ShowIpxOui);
  };
  row[kCsColClient] = name(clientIsSender ? senderId : peer.Receiver, row[kCsColClientKey]);
  row[kCsColServer] = name(clientIsSender ? peer.Receiver : senderId, row[kCsColServerKey]);
  if (opt_.SelectionColumns) {
    row[kCsColSenderKey] = KeyText(sender.Address);
    row[kCsColConversation] = std::to_string(peerIndex) + " " + std::to_string(headIndex);
  }
  row[kCsColProtocol] = ProtocolText(head, clientIsSender, ports_);

  // Response time and the marks that judge it.
  if (run0.Pairs >= 1 && request) {
    double average = run0.TotalDelay / run0.Pairs;
    row[kCsColResponseTime] = FormatResponseTime(average / 1000.0, opt_.ThousandsSep, opt_.DecimalSep);
    if (run0.Pairs >= kMinRatedPairs) {
      if (settings.Enabled(CheckId::kCSSlowResponseTime) &&
          average / 1000.0 >= settings.Threshold(CheckId::kCSSlowResponseTime))
        Mark(row, kCsColB);
      double factor = BusyFactor(SensitivityOf(settings, CheckId::kCSBusyNetwork));
      if (settings.Enabled(CheckId::kCSBusyNetwork) && (average > factor * run0.BestDelay || serverBusy))
        Mark(row, kCsColC);
    }
  } else {
    row[kCsColResponseTime] = kCsInsufficientData;
  }

  // Each direction by the run that measured it.
  const AnalysisResult* fromSender = &run1;
  const AnalysisResult* fromPeer = run2 ? &*run2 : nullptr;
  const AnalysisResult* clientRun = clientIsSender ? fromSender : fromPeer;
  const AnalysisResult* serverRun = clientIsSender ? fromPeer : fromSender;
  row[kCsColClientToServer] = Figure(clientRun);
  row[kCsColServerToClient] = Figure(serverRun);

  int64_t senderPackets = run1.SendPackets;
  int64_t senderBytes = run2 ? run1.SendBytes : run1.ThroughputBytes;
  int64_t peerPackets = run2 ? run2->SendPackets : 0;
  int64_t peerBytes = run2 ? run2->ThroughputBytes : 0;
  int64_t clientPackets = clientIsSender ? senderPackets : peerPackets;
  int64_t clientBytes = clientIsSender ? senderBytes : peerBytes;
  int64_t serverPackets = clientIsSender ? peerPackets : senderPackets;
  int64_t serverBytes = clientIsSender ? peerBytes : senderBytes;
  switch (opt_.Choice) {
    case PacketsBytesChoice::kBoth:
      row[kCsColPackets] = FormatCount(clientPackets + serverPackets, opt_.ThousandsSep);
      row[kCsColBytes] = FormatCount(clientBytes + serverBytes, opt_.ThousandsSep);
      break;
    case PacketsBytesChoice::kClientToServer:
      row[kCsColPackets] = FormatCount(clientPackets, opt_.ThousandsSep);
      row[kCsColBytes] = FormatCount(clientBytes, opt_.ThousandsSep);
      break;
    case PacketsBytesChoice::kServerToClient:
      row[kCsColPackets] = FormatCount(serverPackets, opt_.ThousandsSep);
      row[kCsColBytes] = FormatCount(serverBytes, opt_.ThousandsSep);
      break;
  }

  // Event columns over both directions.
  EventCounts events = run1.Events;
  if (run2) {
    events.Retransmissions += run2->Events.Retransmissions;
    events.LocallyRouted += run2->Events.LocallyRouted;
    events.ZeroWindows += run2->Events.ZeroWindows;
    events.Resets += run2->Events.Resets;
    events.IcmpReports += run2->Events.IcmpReports;
  }
  const unsigned sub = head.SubProtocol;
  if (CountsTransportEvents(sub)) {
    bool ipx = sub != kSubTcp;
    CheckId retransmission = sub == kSubTcp                        ? CheckId::kTCPTransportRetransmission
                             : (sub == kSubSpx || sub == kSubSpx2) ? CheckId::kSPXTransportRetransmission
                                                                   : CheckId::kNCPTransportRetransmission;
    Event(row, kCsColE, events.Retransmissions, settings.Enabled(retransmission));
    Event(row, kCsColF, events.LocallyRouted,
          settings.Enabled(ipx ? CheckId::kIPXLocalRouting : CheckId::kIPLocalRouting));
  }
  if (sub == kSubTcp && settings.Enabled(CheckId::kTCPZeroWindow)) Event(row, kCsColG, events.ZeroWindows, true);
  if (sub == kSubTcp && settings.Enabled(CheckId::kTCPResetConnection)) Event(row, kCsColH, events.Resets, true);
  if (settings.Enabled(CheckId::kICMP)) Event(row, kCsColI, events.IcmpReports, true);

  // A and D judge the server's answers; FTP control traffic is too sparse to judge.
  if (clientRun != nullptr && serverRun != nullptr && HasThroughputFigure(serverRun) &&
      head.SourcePort != kFtpControlPort && head.DestinationPort != kFtpControlPort) {
    if (settings.Enabled(CheckId::kCSLowThroughput) &&
        std::nearbyint(ThroughputKBs(*serverRun)) <= settings.Threshold(CheckId::kCSLowThroughput))
      Mark(row, kCsColA);
    if (settings.Enabled(CheckId::kCSInefficientClient) && JudgesClientEfficiency(sub)) {
      ClientLimits limits = InefficientClientLimits(SensitivityOf(settings, CheckId::kCSInefficientClient));
      double ratio = static_cast<double>(clientRun->SendPackets) / serverRun->SendPackets;
      // The conversation's average frame: its bytes over its packets, both directions.
      double averageSize = static_cast<double>(clientBytes + serverBytes) / (clientPackets + serverPackets);
      if (averageSize <= limits.Size && ratio >= 1.0 && ratio <= limits.Ratio) Mark(row, kCsColD);
    }
  }

  double duration = std::max(run0.Duration, run1.Duration);
  if (run2) duration = std::max(duration, run2->Duration);
  row[kCsColDuration] = FormatElapsed(duration);
  rows_->push_back(ClientServerRow::Pack(row));
}

// Every count column, H included, sorts as a number: as text "10" would come before "9".
bool IsTextColumn(int column) {
  return (column >= kCsColA && column <= kCsColD) || column == kCsColClient || column == kCsColServer ||
         column == kCsColProtocol || column == kCsColDuration;
}

}  // namespace

std::string ClientServerName(const CaptureModel& model, const VendorTable* vendors, std::string_view key,
                             bool smartNames, bool showIpxOui) {
  auto bytes = KeyBytes(key);
  if (smartNames) {
    std::string_view name = LookupLearnedName(model, bytes);
    if (!name.empty()) return std::string(name);
  }
  if (bytes.size() == kIpxKeyLength) return FormatNetAddress(bytes, false, showIpxOui, vendors);
  if (bytes.size() == kIpKeyLength) return FormatIpAddress(bytes);
  return FormatHexBytes(bytes);
}

std::string ClientServerStation(const CaptureModel& model, const VendorTable* vendors, std::string_view key) {
  auto bytes = KeyBytes(key);
  const NetAddressNode* node = model.NetAddresses.Find(AddressKey::Of(bytes.data(), bytes.size()));
  if (node == nullptr || (node->Roles & kRolesSent) == 0 || node->Station == nullptr)
    return std::string(kCsUnknownStation);
  const auto mac = node->Station->Address.View();
  return vendors != nullptr ? vendors->FormatMac(mac, node->Station->VendorIndex) : FormatMacAddress(mac);
}

void ClientServerTable::Build(const ClientServerSources& sources, const ClientServerOptions& options,
                              const std::function<void()>& poll, const RowSink& sink) {
  rows_.clear();
  passed_ = 0;
  totals_.fill(0);
  notListed_.fill(0);
  options_ = options;
  sortedColumn_ = -1;
  const CaptureModel& model = sources.Model;
  // The conversations in table order: sending addresses in key order, their peers, the
  // peers' conversations. Each conversation takes three numbers: its record, its peer record
  // and its sender's node id. The walk over the peers fills the directory of pairs.
  std::vector<int32_t> heads;
  std::vector<int32_t> peers;
  std::vector<int32_t> senderIds;
  std::optional<PeerDirectory> made;
  const PeerDirectory& directory =
      sources.Directory != nullptr ? *sources.Directory : made.emplace(model, PeerDirectory::kEmpty);
  std::vector<std::pair<int32_t, const NetAddressNode*>> order;
  order.reserve(static_cast<size_t>(model.NetAddresses.Count()));
  model.NetAddresses.ForEachWithId([&](int32_t id, const NetAddressNode& node) { order.emplace_back(id, &node); });
  // Each address's name is found once rather than for every row it is in; with a second
  // thread, while this one lists the conversations.
  std::vector<std::string> names(static_cast<size_t>(model.NetAddresses.IdLimit()));
  const auto name = [&] {
    for (const auto& [id, node] : order)
      names[static_cast<size_t>(id)] =
          ClientServerName(model, sources.Vendors, KeyText(node->Address), options.SmartNames, options.ShowIpxOui);
  };
  std::future<void> named;
  if (options.Threads > 1)
    named = std::async(std::launch::async, name);
  else
    name();
  const auto links = model.NetPeersOf(order.size(), [&](size_t c) { return order[c].second; });
  // Without a directory at hand every pair goes into one, each record fetched some pairs ahead
  // and its slot half as far ahead; then the senders' conversations are listed.
  constexpr size_t kAhead = 32, kHalf = kAhead / 2;
  if (made) {
    for (size_t n = 0; n < links.size(); ++n) {
      if (n + kAhead < links.size()) model.Objects.Prefetch<TNetPeer>(links[n + kAhead].second);
      if (const size_t m = n + kHalf; m < links.size())
        made->PrefetchSlot(order[links[m].first].second, model.Objects.Get<TNetPeer>(links[m].second).Receiver);
      made->Add(*order[links[n].first].second, links[n].second);
    }
  }
  std::vector<size_t> sent;
  sent.reserve(links.size());
  for (size_t n = 0; n < links.size(); ++n)
    if ((order[links[n].first].second->Roles & kRolesSent) != 0) sent.push_back(n);
  heads.reserve(sent.size());
  peers.reserve(sent.size());
  senderIds.reserve(sent.size());
  model.ForEachConversationOf(
      sent.size(), [&](size_t k) { return links[sent[k]].second; },
      [&](size_t k, int32_t headIndex, const TTransHead&) {
        const auto [owner, peerIndex] = links[sent[k]];
        heads.push_back(headIndex);
        peers.push_back(peerIndex);
        senderIds.push_back(order[owner].first);
      });
  if (named.valid()) named.get();
  // At most a row for each conversation: the rows are moved in once, not again at each growth.
  if (!sink) rows_.reserve(heads.size());
  // A row reads records that lie far apart, each found through the one before: the
  // conversation and its peer record, its first packet; for the answers, the other
  // direction's peer record (through the directory), its first conversation and that one's
  // first packet. Each is fetched some conversations ahead, in stages, every stage reading
  // only what the stage before fetched.
  constexpr size_t kRecords = 16, kPacket = 10, kReversePeer = 6, kReverseHead = 3, kReversePacket = 1;
  const auto fetchAhead = [&](size_t i, size_t end) {
    const auto destination = [&](size_t j) {
      return model.NetAddresses.At(model.Objects.Get<TNetPeer>(peers[j]).Receiver);
    };
    const auto reversePeer = [&](size_t j) {
      return model.Objects.Get<TNetPeer>(directory.Find(destination(j), senderIds[j]));
    };
    if (i + kRecords < end) {
      model.Objects.Prefetch<TTransHead>(heads[i + kRecords]);
      model.Objects.Prefetch<TNetPeer>(peers[i + kRecords]);
    }
    if (const size_t j = i + kPacket; j < end) {
      PrefetchLine(&model.Packets.At(model.Objects.Get<TTransHead>(heads[j]).FirstPacket));
      directory.PrefetchSlot(destination(j), senderIds[j]);
    }
    if (const size_t j = i + kReversePeer; j < end) directory.PrefetchRecord(destination(j), senderIds[j]);
    if (const size_t j = i + kReverseHead; j < end)
      model.Objects.Prefetch<TTransHead>(reversePeer(j).FirstConversation);
    if (const size_t j = i + kReversePacket; j < end)
      PrefetchLine(&model.Packets.At(model.Objects.Get<TTransHead>(reversePeer(j).FirstConversation).FirstPacket));
  };
  auto build = [&](RowBuilder& builder, size_t begin, size_t end) {
    // The packets of the conversations up to kPacket rows on, one link further each row: a
    // chain is found one packet at a time, and so its packets come in side by side with other
    // chains' instead of one after another while the row is measured.
    std::array<int32_t, kPacket> chains;
    chains.fill(-1);
    for (size_t i = begin; i < end; ++i) {
      fetchAhead(i, end);
      for (int32_t& at : chains) {
        if (at < 0) continue;
        at = model.Packets.Next(at);
        if (at >= 0) PrefetchLine(&model.Packets.At(at));
      }
      // Its first packet is fetched now; the row that was in this place is being measured.
      if (const size_t j = i + kPacket; j < end)
        chains[j % kPacket] = model.Objects.Get<TTransHead>(heads[j]).FirstPacket;
      builder.Conversation(*model.NetAddresses.At(senderIds[i]), senderIds[i], peers[i],
                           model.Objects.Get<TNetPeer>(peers[i]), heads[i], model.Objects.Get<TTransHead>(heads[i]));
    }
  };

  // The model is only read here, so groups of conversations are measured in parallel; their
  // rows are joined in table order. Only the calling thread polls and publishes rows.
  const size_t chunks = (heads.size() + kConversationsPerChunk - 1) / kConversationsPerChunk;
  const size_t threads = std::min<size_t>(static_cast<size_t>(std::max(1, options.Threads)), chunks);
  struct Chunk {
    std::vector<ClientServerRow> Rows;
    std::string Text;  // the rows as the sink formatted them
    size_t Count = 0;
    std::array<int32_t, kCsProblemColumns> Totals{};
    std::array<int32_t, kNotListedReasons> NotListed{};
    std::atomic<bool> Done{false};
  };
  std::vector<Chunk> results(chunks);
  std::atomic<size_t> nextChunk{0};
  size_t joined = 0;
  // With a sink the helpers stay a few groups ahead of the rows handed out, so that few rows
  // wait in between; without one every row is kept anyway.
  const size_t window = sink ? 4 * threads : chunks;
  std::mutex windowMutex;
  std::condition_variable windowMoved;
  std::atomic<size_t> joinedChunks{0};
  auto moveWindow = [&](size_t to) {
    {
      std::lock_guard lock(windowMutex);
      joinedChunks.store(to);
    }
    windowMoved.notify_all();
  };
  auto stop = [&] {
    nextChunk.store(chunks);  // the others stop at their next group
    moveWindow(joinedChunks.load());
  };
  // With a sink, a group's text goes back once taken, for a later group: text built in
  // memory already in use, not in fresh pages each time.
  std::vector<std::string> spareTexts;
  std::mutex spareMutex;
  auto join = [&] {
    const size_t before = joined;
    for (; joined < chunks && results[joined].Done.load(std::memory_order_acquire); ++joined) {
      Chunk& chunk = results[joined];
      if (sink) {
        sink.Take(chunk.Text);
        passed_ += chunk.Count;
        chunk.Text.clear();
        std::lock_guard lock(spareMutex);
        spareTexts.push_back(std::move(chunk.Text));
      } else {
        std::move(chunk.Rows.begin(), chunk.Rows.end(), std::back_inserter(rows_));
      }
      chunk.Rows = {};
      for (size_t i = 0; i < totals_.size(); ++i) AddSaturated(totals_[i], chunk.Totals[i]);
      for (size_t i = 0; i < notListed_.size(); ++i) AddSaturated(notListed_[i], chunk.NotListed[i]);
    }
    if (joined != before && sink) moveWindow(joined);
  };
  auto work = [&](bool caller) {
    RowBuilder builder(sources, options_, directory, names);
    std::vector<ClientServerRow> formatted;  // a group's rows until the sink has written them
    for (bool first = true;; first = false) {
      if (!caller && window < chunks) {
        std::unique_lock lock(windowMutex);
        windowMoved.wait(lock, [&] {
          const size_t next = nextChunk.load();
          return next >= chunks || next < joinedChunks.load() + window;
        });
      }
      const size_t c = nextChunk.fetch_add(1);
      // The caller polls before each group it measures, and once however fast the others are.
      if (caller && poll && (first || c < chunks)) poll();
      if (c >= chunks) break;
      Chunk& chunk = results[c];
      builder.Output(sink ? formatted : chunk.Rows, chunk.Totals, chunk.NotListed);
      build(builder, c * kConversationsPerChunk, std::min(heads.size(), (c + 1) * kConversationsPerChunk));
      if (sink) {
        {
          std::lock_guard lock(spareMutex);
          if (!spareTexts.empty()) {
            chunk.Text = std::move(spareTexts.back());
            spareTexts.pop_back();
          }
        }
        sink.Format(formatted, chunk.Text);
        chunk.Count = formatted.size();
        formatted.clear();
      }
      chunk.Done.store(true, std::memory_order_release);
      if (caller) join();
    }
  };
  // A helper's failure (memory running out) is the caller's to report, after every helper
  // has stopped.
  std::exception_ptr failure;
  std::mutex failureMutex;
  {
    std::vector<std::jthread> workers;
    for (size_t t = 1; t < threads; ++t)
      workers.emplace_back([&] {
        try {
          work(false);
        } catch (...) {
          stop();
          std::lock_guard lock(failureMutex);
          if (!failure) failure = std::current_exception();
        }
      });
    try {
      work(true);
    } catch (...) {
      stop();  // no helper waits for a window that no longer moves
      throw;
    }
    stop();
  }
  if (failure) std::rethrow_exception(failure);
  join();
}

std::array<std::string, kCsVisibleColumns> ClientServerTable::Headers() const {
  static constexpr std::array<std::string_view, 3> kDirections = {"Clt<->Svr", "Clt->Svr", "Clt<-Svr"};
  std::string_view direction = kDirections[static_cast<size_t>(options_.Choice) % kDirections.size()];
  return {"A",
          "B",
          "C",
          "D",
          "E",
          "F",
          "G",
          "H",
          "I",
          "Client",
          "Server",
          "Protocol/Application",
          "Pkts " + std::string(direction),
          "Bytes " + std::string(direction),
          "Duration",
          "Resp Time (ms)",
          "Clt->Svr Thput*",
          "Clt<-Svr Thput*"};
}

std::string ClientServerTable::ConversationsCaption() const {
  if (RowCount() == 0) return {};
  std::string count = FormatCount(static_cast<int64_t>(RowCount()), options_.ThousandsSep);
  return count + (RowCount() == 1 ? " Conversation Analyzed" : " Conversations Analyzed");
}

int32_t ClientServerTable::NotListedCount() const {
  int32_t n = 0;
  for (int32_t count : notListed_) AddSaturated(n, count);
  return n;
}

std::string ClientServerTable::NotListedText() const {
  const int32_t n = NotListedCount();
  if (n <= 0) return {};
  std::string text = FormatCount(n, options_.ThousandsSep) + (n == 1 ? " conversation" : " conversations") +
                     " of the trace not listed:";
  bool first = true;
  for (int r = 0; r < kNotListedReasons; ++r) {
    if (notListed_[static_cast<size_t>(r)] <= 0) continue;
    text += (first ? " " : ", ") + FormatCount(notListed_[static_cast<size_t>(r)], options_.ThousandsSep) + " " +
            std::string(kNotListedReasonTexts[static_cast<size_t>(r)]);
    first = false;
  }
  return text + ".";
}

std::array<std::string, 4> ClientServerTable::LegendAToD() const {
  auto line = [&](std::string_view text, int column) {
    return std::string(text) + FormatCount(totals_[static_cast<size_t>(column)], options_.ThousandsSep);
  };
  return {line("A = Low Server to Client Throughput - ", kCsColA), line("B = Slow Response Time - ", kCsColB),
          line("C = Busy Network or Server - ", kCsColC), line("D = Inefficient Client - ", kCsColD)};
}

std::array<std::string, 4> ClientServerTable::LegendEToH() const {
  auto line = [&](std::string_view text, int column) {
    return std::string(text) + FormatCount(totals_[static_cast<size_t>(column)], options_.ThousandsSep);
  };
  return {line("E = # of Transport Retransmissions - ", kCsColE),
          line("F = # of Pkts In/Out Same Router Port - ", kCsColF), line("G = # of TCP Zero Windows - ", kCsColG),
          line("H = # of TCP Resets - ", kCsColH)};
}

std::array<std::string, 4> ClientServerTable::LegendI() const {
  return {"I = # of ICMP Error Reports - " + FormatCount(totals_[kCsColI], options_.ThousandsSep), "",
          "* Throughput in KBytes/Second", "- = Insufficient Data"};
}

bool ClientServerTable::Sort(int column, bool ascending) {
  if (column < 0 || column >= kCsVisibleColumns) return false;
  if (column == sortedColumn_ && ascending == sortedAscending_) return false;
  sortedColumn_ = column;
  sortedAscending_ = ascending;
  if (rows_.size() < 2) return true;

  std::vector<std::string_view> cells(rows_.size());
  for (size_t i = 0; i < rows_.size(); ++i) cells[i] = rows_[i][static_cast<size_t>(column)];
  ApplyGridOrder(rows_,
                 GridSortOrder(cells, IsTextColumn(column), ascending, options_.ThousandsSep, options_.DecimalSep));
  return true;
}

void ClientServerTable::RewriteNames(const CaptureModel& model, const VendorTable* vendors, bool smartNames,
                                     bool showIpxOui) {
  options_.SmartNames = smartNames;
  options_.ShowIpxOui = showIpxOui;
  for (ClientServerRow& row : rows_) {
    row.Set(kCsColClient, ClientServerName(model, vendors, row[kCsColClientKey], smartNames, showIpxOui));
    row.Set(kCsColServer, ClientServerName(model, vendors, row[kCsColServerKey], smartNames, showIpxOui));
  }
}

std::vector<size_t> ClientServerTable::LongestCells(int column, size_t count) const {
  if (column < 0 || column >= kCsColumns || count == 0) return {};
  // The best so far in a heap whose front is the one to give way first.
  using Cell = std::pair<size_t, size_t>;  // (length, row)
  const auto longer = [](const Cell& a, const Cell& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; };
  std::vector<Cell> best;
  best.reserve(std::min(count, rows_.size()));
  for (size_t r = 0; r < rows_.size(); ++r) {
    const Cell cell{rows_[r][static_cast<size_t>(column)].size(), r};
    if (best.size() < count) {
      best.push_back(cell);
      std::push_heap(best.begin(), best.end(), longer);
    } else if (longer(cell, best.front())) {
      std::pop_heap(best.begin(), best.end(), longer);
      best.back() = cell;
      std::push_heap(best.begin(), best.end(), longer);
    }
  }
  std::sort(best.begin(), best.end(), longer);
  std::vector<size_t> rows;
  rows.reserve(best.size());
  for (const Cell& cell : best) rows.push_back(cell.second);
  return rows;
}

std::string ClientServerTable::CopyText(int left, int top, int right, int bottom) const {
  auto headers = Headers();
  return GridCopyText(left, top, right, bottom, kCsVisibleColumns, static_cast<int>(rows_.size()),
                      [&](int row, int column) -> std::string_view {
                        const size_t c = static_cast<size_t>(column);
                        return row == 0 ? std::string_view(headers[c]) : rows_[static_cast<size_t>(row - 1)][c];
                      });
}

RequestedConversation ClientServerTable::Request(size_t row, const VendorTable* vendors) const {
  RequestedConversation request;
  if (row >= rows_.size() || rows_[row][kCsColClientKey].empty()) return request;
  auto client = KeyBytes(rows_[row][kCsColClientKey]);
  auto server = KeyBytes(rows_[row][kCsColServerKey]);
  if (client.size() == kIpxKeyLength) {
    request.Source = FormatNetAddress(client, false, false, vendors);
    request.SourceVendor = FormatNetAddress(client, false, true, vendors);
    request.Destination = FormatNetAddress(server, false, false, vendors);
    request.DestinationVendor = FormatNetAddress(server, false, true, vendors);
  } else {
    request.Source = FormatIpAddress(client);
    request.Destination = FormatIpAddress(server);
  }
  request.App = rows_[row][kCsColProtocol];
  request.SenderKey = rows_[row][kCsColSenderKey];
  if (std::sscanf(std::string(rows_[row][kCsColConversation]).c_str(), "%d %d", &request.Peer, &request.Head) != 2)
    request.Peer = request.Head = -1;
  return request;
}

}  // namespace corvanta
