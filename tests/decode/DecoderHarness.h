#pragma once
// A decoder over its own model and statistics, fed frames built in the test the way the
// processing loop hands them over.
#include <cstring>
#include <memory>
#include <vector>

#include "Packets.h"
#include "decode/CaptureModel.h"
#include "decode/Decoder.h"
#include "decode/TraceStatistics.h"
#include "trace/FrameRecord.h"
#include "trace/TraceInfo.h"

namespace corvanta::testing {

inline AddressKey Key(const MacAddr& mac) { return AddressKey::Of(mac.data(), mac.size()); }
inline MacAddr Station(uint8_t last, uint8_t first = 0x00) { return {first, 0x00, 0x0C, 0x12, 0x34, last}; }

struct FeedOptions {
  double timeUs = -1;  // -1: 1 ms after the previous frame
  uint16_t status = 0;
  uint32_t length = 0;      // 0: the bytes (plus the check sequence on Ethernet)
  bool keepBuffer = false;  // leave the previous frame's bytes behind the new ones
  bool staged = false;      // pass the frame through FirstStage first, as a reader running ahead does
  bool decoderWaits = false;  // and tell it the decoding thread waits, leaving it the headers
};

class DecoderHarness {
 public:
  explicit DecoderHarness(Topology topology = kEthernet, int bandwidthMbps = 0, const VendorTable* vendors = nullptr)
      : frame_(std::make_unique<FrameRecord>()) {
    DecodeEnvironment env;
    env.topology = topology;
    env.vendors = vendors;
    decoder_ = std::make_unique<Decoder>(model, stats, env);
    TraceInfo info;
    info.kind = 10;
    info.topology = topology;
    info.bandwidthMbps = bandwidthMbps > 0 ? bandwidthMbps : (topology == kTokenRing ? 16 : 10);
    decoder_->BeginPass(info, false);
  }

  // Hands one frame to the decoder as the loop would; Ethernet frames get a (zero) check
  // sequence. Returns the decoder's answer.
  bool Feed(const Bytes& bytes, FeedOptions o = {}) {
    FrameRecord& f = *frame_;
    if (!o.keepBuffer) f.Data.fill(0);
    size_t n = std::min(bytes.size(), f.Data.size());
    std::memcpy(f.Data.data(), bytes.data(), n);
    uint32_t length = o.length ? o.length : static_cast<uint32_t>(n + (Ethernet() ? 4 : 0));
    f.Length = static_cast<uint16_t>(std::min<uint32_t>(length, kMaxFrameLength));
    f.CapturedLength = f.Length;
    f.Status = o.status;
    time_ = o.timeUs >= 0 ? o.timeUs : time_ + 1000;
    f.Timestamp = time_;
    ++f.FrameNumber;
    f.Prepared = FramePrepared{};
    if (o.staged) decoder_->FirstStage(f, o.decoderWaits);
    return decoder_->DecodeFrame(f);
  }
  bool Feed(const Bytes& bytes, double timeUs) {
    FeedOptions o;
    o.timeUs = timeUs;
    return Feed(bytes, o);
  }

  void End() { decoder_->EndPass(false, false); }

  const StationNode* Find(const MacAddr& mac) const { return model.Stations.Find(Key(mac)); }
  // The peers of a station in chain order.
  std::vector<const TDLCPeer*> Peers(const MacAddr& mac) const {
    std::vector<const TDLCPeer*> out;
    if (const StationNode* s = Find(mac))
      model.ForEachDlcPeer(*s, [&](int32_t, const TDLCPeer& p) { out.push_back(&p); });
    return out;
  }
  std::vector<const TMACInfo*> RingInfos(const MacAddr& mac) const {
    std::vector<const TMACInfo*> out;
    if (const StationNode* s = Find(mac))
      model.ForEachRingInfo(*s, [&](int32_t, const TMACInfo& m) { out.push_back(&m); });
    return out;
  }

  FrameRecord& Frame() { return *frame_; }
  Decoder& Dec() { return *decoder_; }
  bool Ethernet() const { return decoder_->Environment().topology == kEthernet; }

  CaptureModel model;
  TraceStatistics stats;

 private:
  std::unique_ptr<FrameRecord> frame_;
  std::unique_ptr<Decoder> decoder_;
  double time_ = 36000000000.0;  // 10:00:00
};

}  // namespace corvanta::testing
