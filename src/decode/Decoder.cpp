#include "decode/Decoder.h"

#include <algorithm>

#include "decode/NetworkProtocols.h"
#include "naming/LearnedNames.h"

namespace corvanta {

namespace {

constexpr uint32_t kEthernetMinForStations = 18;
// The network stage needs 58 bytes on Ethernet (not the 60 or 64 of a full frame).
constexpr uint32_t kEthernetMinForNetwork = 58;
constexpr uint32_t kEthernetMinLength = 64;
constexpr uint32_t kEthernetMaxLength = 1518;

bool IsNetworkCategory(ProtocolCategory c) {
  return c == kCatIp || c == kCatNetBiosIp || c == kCatIpx || c == kCatNetBiosIpx;
}

constexpr double kMicrosecondsPerDay = 86400000000.0;

// The frame's bytes as its reader gave them (stored, or cleared up to its length); a field
// past them reads as zero, never as what an earlier frame left in the buffer, which depends
// on whether the frame came through the read-ahead queue.
ByteView FrameBytes(const FrameRecord& frame) {
  return ByteView(frame.Data.data(), std::min<size_t>(std::max(frame.Length, frame.CapturedLength), kMaxFrameLength));
}

// Fetches ahead what finding a frame's two nodes and their pair reads: from far, the index
// slots of both addresses; from near (the slots having come in), the nodes and the pair's
// place in the chain index.
template <class Tree>
void PrefetchPair(const Tree& tree, const ChainIndex& chains, const typename Tree::Key& source,
                  const typename Tree::Key& destination, bool far) {
  if (far) {
    tree.PrefetchSlot(source);
    tree.PrefetchSlot(destination);
    return;
  }
  const int32_t sender = tree.PrefetchNode(source);
  const int32_t receiver = tree.PrefetchNode(destination);
  if (sender != Tree::kNoNode && receiver != Tree::kNoNode) chains.PrefetchPeer(tree.At(sender), receiver);
}

}  // namespace

Decoder::Decoder(CaptureModel& model, TraceStatistics& statistics, const DecodeEnvironment& env)
    : model_(model), statistics_(statistics), env_(env), network_(model, env_), stations_(model, env_.vendors) {}

void Decoder::UseAddressBooks(const AddressBookFolders& folders, std::string observerTable) {
  addressBooks_ = folders;
  observerTable_ = std::move(observerTable);
}

void Decoder::BeginPass(const TraceInfo& info, bool preScan) {
  preScan_ = preScan;
  framesRead_ = 0;
  dayOffset_ = 0;
  firstStaged_ = secondStaged_ = 0;
  staged_.store(false);
  stagedElapsed_ = 0;
  env_.kind = info.kind;
  if (info.topology == kEthernet || info.topology == kTokenRing) env_.topology = info.topology;
  if (info.bandwidthMbps > 0) env_.bandwidthMbps = info.bandwidthMbps;

  model_.Reset();
  model_.Chains.SetTraceSize(info.fileSize);
  statistics_.ResetStatistics();
  statistics_.Medium = env_.topology;
  statistics_.SetBandwidth(env_.bandwidthMbps);
  // Imported names come first, so they win over names learned from the traffic.
  if (addressBooks_ && !preScan) ImportAddressBook(model_, info.kind, env_.topology, observerTable_, *addressBooks_);
}

bool Decoder::DecodeFrame(FrameRecord& frame) {
  Bump(framesRead_);
  if (preScan_) return true;
  if (frame.Prepared.FirstStageDone) {
    LinkStage& stage = stages_[secondStaged_++ % kFramesInFlight];
    stagedElapsed_ = stage.elapsed;
    DecodeNetwork(frame, stage);
    return false;
  }
  DecodeLink(frame, direct_);
  DecodeNetwork(frame, direct_);
  return false;
}

void Decoder::FirstStage(FrameRecord& frame, bool decoderWaits) {
  if (preScan_) return;
  if (!staged_.load(std::memory_order_relaxed)) staged_.store(true, std::memory_order_relaxed);
  // So that filling the stage a few frames on need not wait for the decoding thread's CPU.
  PrefetchLinesForWrite(&stages_[(firstStaged_ + kWriteAhead) % kFramesInFlight], sizeof(LinkStage));
  // Reading the headers is the part either thread can do: it goes to the one with time.
  DecodeLink(frame, stages_[firstStaged_++ % kFramesInFlight], !decoderWaits);
  frame.Prepared.FirstStageDone = true;
}

void Decoder::LookAhead(const FrameRecord& frame, uint32_t distance) const {
  if (distance >= kFramesInFlight) return;
  // The frames in the queue went through FirstStage in order after the one decoded next.
  // Furthest on, the stage the reader's thread wrote is only fetched (whether or not it was
  // written for this frame: nothing is read).
  if (distance >= kLookAheadStaged) {
    PrefetchLines(&stages_[(secondStaged_ + distance) % kFramesInFlight], sizeof(LinkStage));
    return;
  }
  if (!frame.Prepared.FirstStageDone) return;
  const LinkStage& stage = stages_[(secondStaged_ + distance) % kFramesInFlight];
  if (stage.keyed)
    PrefetchPair(model_.NetAddresses, model_.Chains, stage.packet.source, stage.packet.destination,
                 distance >= kLookAheadFar);
}

bool DecodingReadsCheckSequence(const FrameRecord& frame, Topology topology) {
  if (topology != kEthernet) return true;
  const ByteView data(frame.Data.data(), std::min<size_t>(frame.Length, kMaxFrameLength));
  if (data.U16be(12) != 0x0800) return true;
  constexpr size_t kIp = 14;
  // A header said to be shorter puts the transport's fields earlier, not later.
  const size_t transport = kIp + std::max<size_t>((data.U8(kIp) & 0x0F) * 4u, 20);
  // The transport as the network stage tells it.
  const SubProtocol sub = IpProtocolIndex(data.U8(kIp + 9));
  size_t reach = 32;  // ICMP's quoted header, and any other protocol
  if (sub == kSubTcp) reach = (data.U8(transport + 13) & 0x02) != 0 ? 24 : 16;  // a SYN's MSS option
  if (sub == kSubUdp) reach = 22;                                               // SNMP's PDU type
  const size_t end = std::max<size_t>(kIp + data.U16be(kIp + 2), transport + reach);
  return end + 4 > frame.Length;
}

void Decoder::FirstStageLookAhead(const FrameRecord& frame, uint32_t distance) const {
  // Token Ring frames, rarer, are left to find their stations unaided.
  if (preScan_ || env_.topology != kEthernet || frame.Length < kEthernetMinForStations) return;
  const ByteView data = FrameBytes(frame);
  const AddressKey destination = AddressKey::At(data, 0, kMacKeyLength);
  const AddressKey source = AddressKey::At(data, 6, kMacKeyLength);
  PrefetchPair(model_.Stations, model_.Chains, source, destination, distance > kFirstStageNear);
}

void Decoder::DecodeLink(FrameRecord& frame, LinkStage& stage, bool readHeaders) {
  const uint32_t length = frame.Length;
  const ByteView data = FrameBytes(frame);
  // Timestamps are the time of day: one that falls back by more than half a day passed
  // midnight, and the packets' times carry on from the day before so that durations and
  // response times across midnight stay right. (Smaller steps back are jitter of the clock.)
  if (statistics_.ClockStarted && statistics_.PreviousTime - frame.Timestamp > kMicrosecondsPerDay / 2)
    dayOffset_ += kMicrosecondsPerDay;
  statistics_.AdvanceClock(frame.Timestamp);
  statistics_.CountLength(length);
  stage.time = frame.Timestamp + dayOffset_;
  stage.usable = stage.keyed = stage.unread = false;
  if (env_.topology != kEthernet && env_.topology != kTokenRing) {
    stage.link = DataLinkResult{};
  } else {
    stage.link = DecodeDataLink(frame, data);
    stage.usable = env_.topology == kTokenRing || length >= kEthernetMinForNetwork;
    // Reading ahead, this is the reader's thread, where the frame's bytes are still at hand.
    // The addresses are always taken here, for the decoding thread's looks ahead.
    if (stage.usable && IsNetworkCategory(stage.link.category) && stage.link.sourceStation) {
      stage.keyed = NetworkStage::AddressKeys(frame, stage.link, stage.packet.source, stage.packet.destination);
      if (stage.keyed && readHeaders)
        NetworkStage::ParseHeaders(frame, stage.link, stage.time, stage.packet);
      else
        stage.unread = stage.keyed;
    }
  }
  statistics_.CountFrameDone();
  stage.elapsed = statistics_.ElapsedTime;
}

void Decoder::DecodeNetwork(FrameRecord& frame, LinkStage& stage) {
  const DataLinkResult& link = stage.link;
  const ByteView data = FrameBytes(frame);
  if (stage.usable && link.category == kCatNetBiosLlc && link.source.Length == kMacKeyLength) {
    if (auto name = NetBiosSourceName(data, link.networkOffset)) AddLearnedName(model_, link.source.View(), *name);
  }
  if (stage.unread) {
    NetworkStage::ParseHeaders(frame, link, stage.time, stage.packet);
    stage.unread = false;
  }
  if (stage.keyed) network_.Decode(frame, link, stage.packet);
}

DataLinkResult Decoder::DecodeDataLink(FrameRecord& frame, ByteView data) {
  const uint32_t length = frame.Length;
  const bool ethernet = env_.topology == kEthernet;
  DataLinkFrame dl;
  if (ethernet) {
    if (frame.Status & kStatusAlignmentError) frame.Status |= kStatusCrcError;
    dl = ClassifyEthernet(data, length, frame.Status);
    statistics_.CountSize(length);
    bool crc = (frame.Status & kStatusCrcError) != 0;
    if (crc || length < kEthernetMinLength || length > kEthernetMaxLength) {
      std::array<uint8_t, 6> source{};
      data.Copy(6, source.data(), source.size());
      statistics_.CountEthernetError(length, crc, source, frame.FrameNumber);
    }
  } else {
    dl = ClassifyTokenRing(data);
    statistics_.CountSize(length);
  }

  if (dl.link.group) statistics_.CountGroup(dl.broadcast, length);
  if (dl.sourceRouted) Bump(statistics_.SourceRoutedFrames);
  if (dl.link.encapsulation != kNoEncapsulation)
    statistics_.CountEncapsulation(dl.link.encapsulation, dl.link.category);
  if (dl.reportToErrorMonitor) statistics_.CountSoftErrors(SoftErrorCounts(data));
  statistics_.CountProtocol(dl.link.category, dl.link.group, length);

  if (!ethernet || length >= kEthernetMinForStations) {
    StationFrameFacts facts;
    facts.length = length;
    facts.crcError = (frame.Status & kStatusCrcError) != 0;
    facts.frameNumber = frame.FrameNumber;
    facts.lastCollisionFrame = statistics_.LastCollisionFrame;
    const int32_t receiver = stations_.NoteReceiver(dl);
    StationNode& source = stations_.UpdateSource(dl, facts);
    if (dl.macFrame) HandleMacFrame(source, dl, data);
    stations_.UpdatePeer(source, receiver, dl, length, frame.Position);
    StationNode& destination = stations_.UpdateDestination(receiver, dl, length);
    dl.link.sourceStation = &source;
    dl.link.destinationStation = &destination;
  }
  return dl.link;
}

void Decoder::HandleMacFrame(StationNode& source, const DataLinkFrame& dl, ByteView data) {
  switch (dl.macCommand) {
    case kMacReportSoftError:
      stations_.ReportSoftErrors(source, SoftErrorCounts(data),
                                 AddressKey::At(data, kSoftErrorUpstreamOffset, kMacKeyLength));
      break;
    case kMacActiveMonitorPresent:
    case kMacStandbyMonitorPresent: {
      AddressKey upstream = AddressKey::At(data, kMonitorUpstreamOffset, kMacKeyLength);
      stations_.NoteUpstreamNeighbour(source, upstream);
      statistics_.RingMap.Notify(dl.macCommand == kMacActiveMonitorPresent, dl.link.source, upstream);
      break;
    }
    default: break;
  }
}

void Decoder::EndPass(bool preScan, bool /*stopped*/) {
  // The reader's thread has ended: the statistics are this thread's again.
  staged_.store(false);
  statistics_.CloseInterval();
  if (preScan) return;
  model_.Packets.Seal();
  network_.DetectChecksumOffload();
  network_.MarkLearnedServers();
  // Nothing is filed after the pass: the lookups of decoding go, but for a kept pairs' index.
  if (keepNetPeers_) netPeers_ = model_.Chains.TakeNetPeers();
  model_.Chains.Clear();
}

}  // namespace corvanta
