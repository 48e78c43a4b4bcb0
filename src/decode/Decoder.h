#pragma once
// The frame decoder: for every frame handed over by the processing loop it advances the
// clock, classifies the frame at the data-link layer, updates stations, peers and the
// Token Ring records, counts the whole-trace statistics and passes IP and IPX frames to
// the network stage.
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "decode/CaptureModel.h"
#include "decode/DataLinkStations.h"
#include "decode/DecodeTypes.h"
#include "decode/NetworkStage.h"
#include "decode/TraceStatistics.h"
#include "naming/AddressBooks.h"
#include "trace/FrameSink.h"
#include "trace/Prefetch.h"

namespace corvanta {

// Whether decoding may read the check sequence of the frame. Of an Ethernet II frame carrying
// IPv4 it reads the IP datagram (checksums, DNS answers: only where the datagram ends before
// the check sequence or the frame), fixed fields after the IP header (a TCP header's first 16
// bytes and a SYN's MSS option, a UDP header and the DNS, NetBIOS and SNMP flags within 22
// bytes, ICMP's quoted header within 32) and the first 36 bytes of the frame; where all of
// that ends before the last four bytes it never reads them. Any other frame may be read to its
// end.
bool DecodingReadsCheckSequence(const FrameRecord& frame, Topology topology);

class Decoder : public FrameSink {
 public:
  // The model and the statistics are the caller's; they are reset by every BeginPass.
  Decoder(CaptureModel& model, TraceStatistics& statistics, const DecodeEnvironment& env);
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  // Address books to import at the start of every pass (EtherPeek/TokenPeek names for
  // kind 0, the Observer table named observerTable for kind 12). Without this call no
  // address book is imported.
  void UseAddressBooks(const AddressBookFolders& folders, std::string observerTable = {});

  // Resets the model and the statistics, takes the trace's kind, medium and bandwidth into
  // the environment (a trace of unknown medium or bandwidth keeps the environment's) and
  // imports the address book.
  void BeginPass(const TraceInfo& info, bool preScan) override;
  bool DecodeFrame(FrameRecord& frame) override;
  // On the reader's thread: the clock, the whole-trace statistics, the data-link stage
  // (stations and their pairs) and, unless the decoding thread waits, the reading of the
  // network headers, checksums included. DecodeFrame then runs the rest of the network
  // stage, which touches other parts of the model.
  void FirstStage(FrameRecord& frame, bool decoderWaits) override;
  bool HasFirstStage() const override { return true; }
  // Fetches the station index slots, then the station nodes and their pair's slot.
  void FirstStageLookAhead(const FrameRecord& frame, uint32_t distance) const override;
  // Fetches the address index slots, then the address nodes, of frames about to be decoded.
  void LookAhead(const FrameRecord& frame, uint32_t distance) const override;
  bool ReadsCheckSequence(const FrameRecord& frame) const override {
    return DecodingReadsCheckSequence(frame, env_.topology);
  }
  double ElapsedTime() const override {
    return staged_.load(std::memory_order_relaxed) ? stagedElapsed_ : statistics_.ElapsedTime;
  }
  // Closes the last one-second interval; unless pre-scanning, runs the post-pass of the
  // network stage.
  void EndPass(bool preScan, bool stopped) override;

  // Frames handed to DecodeFrame since the last BeginPass.
  int32_t FramesRead() const { return framesRead_; }
  // With keep, each pass keeps its index of every pair of network addresses for TakeNetPeers,
  // for an analysis that would otherwise make it again; without, it goes with the pass's
  // other lookups.
  void KeepNetPeers(bool keep) { keepNetPeers_ = keep; }
  // The last pass's index, if kept (empty after a pre-scan).
  PeerIndex<NetAddressNode, TNetPeer> TakeNetPeers() { return std::exchange(netPeers_, {}); }
  const DecodeEnvironment& Environment() const { return env_; }

 private:
  // What the first stage hands the second for one frame.
  // A cache line or more each, so that the two threads never write into one line.
  struct alignas(kCacheLine) LinkStage {
    DataLinkResult link;
    double time = 0;      // the frame's time, carried on past midnight
    double elapsed = 0;   // the trace time covered with this frame
    bool usable = false;  // went through the data-link stage, long enough for the network stage
    bool keyed = false;   // an IP or IPX frame the network stage takes, its addresses in packet
    bool unread = false;  // its other headers are left to the decoding thread, else read into packet
    NetworkStage::Packet packet;
  };
  // With readHeaders false, a frame for the network stage is only marked unread.
  void DecodeLink(FrameRecord& frame, LinkStage& stage, bool readHeaders = true);
  void DecodeNetwork(FrameRecord& frame, LinkStage& stage);
  // The data-link stage; returns the classification with the station pointers set.
  DataLinkResult DecodeDataLink(FrameRecord& frame, ByteView data);
  void HandleMacFrame(StationNode& source, const DataLinkFrame& dl, ByteView data);

  CaptureModel& model_;
  TraceStatistics& statistics_;
  DecodeEnvironment env_;
  NetworkStage network_;
  bool keepNetPeers_ = false;
  PeerIndex<NetAddressNode, TNetPeer> netPeers_;  // the last pass's, until taken
  DataLinkStations stations_;
  std::optional<AddressBookFolders> addressBooks_;
  std::string observerTable_;
  bool preScan_ = false;
  // Reading ahead, the two threads each write their own fields below for every frame: each
  // group has cache lines of its own, or every write would take the line from the other
  // thread.
  // The reader's thread.
  alignas(kCacheLine) uint32_t firstStaged_ = 0;
  double dayOffset_ = 0;  // microseconds added to the time of day after each midnight
  // Set by the first frame through FirstStage, before that frame is queued: from then on
  // the statistics belong to the reader's thread until the pass ends. Read on the decoding
  // thread for every frame (the progress's elapsed time), so it stays off the line the
  // reader writes for every frame.
  alignas(kCacheLine) std::atomic<bool> staged_{false};
  // The decoding thread.
  alignas(kCacheLine) uint32_t secondStaged_ = 0;
  int32_t framesRead_ = 0;
  double stagedElapsed_ = 0;
  // Frames between the stages: written by FirstStage on the reader's thread, read by
  // DecodeFrame in the same order. The frame queue orders each slot's write before its read.
  alignas(kCacheLine) std::array<LinkStage, kFramesInFlight> stages_{};
  LinkStage direct_;  // the one frame between the stages when they run one after the other
};

}  // namespace corvanta
