// The station peer map at its largest: 180 stations and 5,000 coloured lines, laid out by
// the core and painted by the window, offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "analysis/PeerMap.h"
#include "decode/CaptureModel.h"
#include "decode/TraceStatistics.h"
#include "ui/peermaps/PeerMapForm.h"

namespace corvanta::bench {
namespace {

constexpr int kStations = 180;
constexpr int kLines = 5000;

// Station i sends to the next 28 stations round the ring, in LLC and SNAP frames, until
// 5,000 pairs stand.
struct BigMap {
  CaptureModel model;
  TraceStatistics stats;
  BigMap() {
    auto key = [](int i) {
      const uint8_t mac[6] = {0x00, 0x60, 0x08, 0x00, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)};
      return AddressKey::Of(mac, 6);
    };
    std::vector<StationNode*> nodes;
    std::vector<int32_t> ids;
    for (int i = 0; i < kStations; ++i) {
      bool inserted = false;
      ids.push_back(model.Stations.FindOrInsertId(key(i), inserted));
      nodes.push_back(model.Stations.At(ids.back()));
    }
    int lines = 0;
    for (int i = 0; i < kStations; ++i) {
      int32_t last = -1;
      for (int k = 1; k <= 28 && lines < kLines; ++k, ++lines) {
        StationNode& s = *nodes[static_cast<size_t>(i)];
        const size_t to = static_cast<size_t>((i + k) % kStations);
        StationNode& r = *nodes[to];
        const int32_t p = model.Objects.New<TDLCPeer>();
        TDLCPeer& peer = model.Objects.Get<TDLCPeer>(p);
        peer.Receiver = ids[to];
        peer.FrameStatus = 1u << kFrameStatusGood;
        model.Objects.CountFrames(peer, kEncapLlc, kCatIp, 10);
        model.Objects.CountFrames(peer, kEncapSnap, kCatNetBiosLlc, 10);
        if (last < 0)
          s.FirstPeer = p;
        else
          model.Objects.Get<TDLCPeer>(last).NextPeer = p;
        last = p;
        s.Roles = kRolesSent;
        for (StationNode* n : {&s, &r}) {
          n->Encapsulations |= peer.Encapsulations;
          n->Protocols |= peer.Protocols;
          n->FrameStatus |= peer.FrameStatus;
        }
        s.FramesSent += 20;
        s.BytesSent += 20 * 200;
        r.FramesReceived += 20;
        r.BytesReceived += 20 * 200;
        stats.TraceStats[kStatFrames].Value += 20;
      }
    }
  }
};

const BigMap& Map() {
  static const BigMap map;
  return map;
}

void BM_PeerMapLayout(benchmark::State& state) {
  const PeerGraph graph = BuildStationGraph(Map().model, Map().stats);
  const PeerMapView view = InitialView(graph, kIdEncapsulation);
  const MeasureText measure = ui::TPeerMapView::Measure();
  int lines = 0;
  for (auto _ : state) {
    const PeerMapDrawing d = LayoutPeerMap(graph, view, {}, {}, {}, 1200, 900, measure);
    lines = d.Lines;
    benchmark::DoNotOptimize(d.Segments.data());
  }
  state.counters["lines"] = lines;
}
BENCHMARK(BM_PeerMapLayout)->Unit(benchmark::kMillisecond);

// The whole paint of the window's map: layout, 20,000 segments, the ring and 180 labels.
void BM_PeerMapPaint(benchmark::State& state) {
  ui::TStationStats window(
      [] {
        ui::PeerMapTrace t;
        t.model = &Map().model;
        t.statistics = &Map().stats;
        t.fileName = "bench.cap";
        t.serial = 1;
        return t;
      },
      nullptr);
  window.resize(1400, 900);
  window.show();
  QApplication::processEvents();
  for (auto _ : state) {
    QImage image = window.MapView()->grab().toImage();
    benchmark::DoNotOptimize(image.bits());
  }
  state.counters["lines"] = window.MapView()->Drawing().Lines;
  state.counters["labels"] = static_cast<double>(window.MapView()->Drawing().Labels.size());
}
BENCHMARK(BM_PeerMapPaint)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvanta::bench

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
