#include "ui/main/TraceDecoding.h"

#include "analysis/Selection.h"
#include "decode/CaptureModel.h"
#include "decode/Decoder.h"
#include "decode/TraceStatistics.h"

namespace corvanta::ui {
namespace {

DecodeEnvironment EnvironmentOf(const DecodingServices& services) {
  DecodeEnvironment env;
  env.vendors = services.vendors;
  env.userPorts = services.userPorts;
  return env;
}

// The decoder with the model and statistics it fills; the medium, kind and bandwidth come
// from the trace at the start of the pass.
class ModelDecoding final : public TraceDecoding {
 public:
  explicit ModelDecoding(const DecodingServices& services)
      : model_(std::make_unique<CaptureModel>()),
        statistics_(std::make_unique<TraceStatistics>()),
        decoder_(*model_, *statistics_, EnvironmentOf(services)) {
    if (services.addressBooks) decoder_.UseAddressBooks(*services.addressBooks);
    decoder_.KeepNetPeers(true);
  }

  FrameSink& Sink() override { return decoder_; }
  double ElapsedTime() const override { return decoder_.ElapsedTime(); }

  int32_t IpOrIpxFrames() const override {
    const auto& p = statistics_->ProtocolStats;
    return Sum(p[kCatIp].Frames, p[kCatNetBiosIp].Frames, IpxFrames());
  }
  int32_t IpxFrames() const override {
    const auto& p = statistics_->ProtocolStats;
    return Sum(p[kCatIpx].Frames, p[kCatNetBiosIpx].Frames, 0);
  }

  void FillSummary(FileSummaryInputs& in) const override {
    FillSummaryStatistics(*statistics_, decoder_.Environment().topology, in);
    in.totalFrames = decoder_.FramesRead();
  }

  const CaptureModel* Model() const override { return model_.get(); }
  const TraceStatistics* Statistics() const override { return statistics_.get(); }
  std::shared_ptr<const PeerDirectory> TakeDirectory() override {
    // Nothing kept (a pass that did not end, or taken already): the table makes its own.
    PeerIndex<NetAddressNode, TNetPeer> peers = decoder_.TakeNetPeers();
    if (peers.Count() == 0) return nullptr;
    return std::make_shared<const PeerDirectory>(*model_, std::move(peers));
  }

 private:
  static int32_t Sum(int32_t a, int32_t b, int32_t c) {
    int32_t total = a;
    Bump(total, b);
    Bump(total, c);
    return total;
  }

  // The model and the statistics are large; they live on the heap.
  std::unique_ptr<CaptureModel> model_;
  std::unique_ptr<TraceStatistics> statistics_;
  Decoder decoder_;
};

}  // namespace

std::unique_ptr<TraceDecoding> MakeTraceDecoding(const DecodingServices& services) {
  return std::make_unique<ModelDecoding>(services);
}

}  // namespace corvanta::ui
