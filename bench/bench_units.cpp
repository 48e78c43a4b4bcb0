// Google Benchmark runs of the hot units over generated traffic: the readers, DecodeFrame,
// the client/server table build, the visualizer's layout pass, the whole analysis of
// corvanta-cli --json, and packet chains with long links.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <thread>

#include "TrafficGenerator.h"
#include "analysis/BrisqonSettings.h"
#include "analysis/ClientServerTable.h"
#include "analysis/ModelBuilder.h"
#include "analysis/VisualizerLayout.h"
#include "cli/Reports.h"
#include "cli/TraceAnalysis.h"
#include "decode/CaptureModel.h"
#include "decode/Decoder.h"
#include "trace/OpenTrace.h"

namespace corvanta::bench {
namespace {

constexpr uint64_t kFrames = 200000;

// The traffic written once per process as a snoop and a NetXRay trace, and kept in memory.
struct Traffic {
  std::filesystem::path dir;
  std::string snoop, netxray;
  testing::TracePlan plan;

  Traffic() {
    dir = std::filesystem::temp_directory_path() / ("corvanta-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    TrafficOptions options;
    options.frames = kFrames;
    snoop = (dir / "traffic.snoop").string();
    netxray = (dir / "traffic.cap").string();
    WriteLargeTrace(snoop, 15, options);
    WriteLargeTrace(netxray, 10, options);
    plan = TrafficPlan(10, options);
  }
  ~Traffic() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

const Traffic& GetTraffic() {
  static const Traffic traffic;
  return traffic;
}

class CountingSink : public FrameSink {
 public:
  bool DecodeFrame(FrameRecord& frame) override {
    bytes_ += frame.Length;
    return false;
  }
  uint64_t bytes_ = 0;
};

void Reader(benchmark::State& state, bool snoop) {
  const std::string& path = snoop ? GetTraffic().snoop : GetTraffic().netxray;
  const OpenOutcome open = OpenTrace(path);
  if (!open.accepted) state.SkipWithError(open.refusal.c_str());
  int64_t frames = 0;
  for (auto _ : state) {
    CountingSink sink;
    frames += ProcessTraceFile(open.info, sink, {}, false).framesRead;
    benchmark::DoNotOptimize(sink.bytes_);
  }
  state.SetItemsProcessed(frames);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * open.info.fileSize));
}
void BM_ReaderSnoop(benchmark::State& state) { Reader(state, true); }
void BM_ReaderNetXRay(benchmark::State& state) { Reader(state, false); }

// The frames as a reader hands them over (Ethernet with the check sequence's 4 bytes).
void DecodeAll(const testing::TracePlan& plan, CaptureModel& model, TraceStatistics& statistics) {
  TraceInfo info;
  info.kind = 10;
  info.topology = kEthernet;
  info.bandwidthMbps = 100;
  Decoder decoder(model, statistics, DecodeEnvironment{});
  decoder.BeginPass(info, false);
  auto frame = std::make_unique<FrameRecord>();
  for (const testing::TestFrame& f : plan.frames) {
    std::copy(f.bytes.begin(), f.bytes.end(), frame->Data.begin());
    frame->Length = frame->CapturedLength = static_cast<uint16_t>(f.bytes.size() + 4);
    frame->Timestamp = f.offsetUs;
    frame->Status = 0;
    ++frame->FrameNumber;
    decoder.DecodeFrame(*frame);
  }
  decoder.EndPass(false, false);
}

void BM_DecodeFrame(benchmark::State& state) {
  const testing::TracePlan& plan = GetTraffic().plan;
  int64_t bytes = 0;
  for (const auto& f : plan.frames) bytes += static_cast<int64_t>(f.bytes.size() + 4);
  for (auto _ : state) {
    state.PauseTiming();
    auto model = std::make_unique<CaptureModel>();
    auto statistics = std::make_unique<TraceStatistics>();
    state.ResumeTiming();
    DecodeAll(plan, *model, *statistics);
    benchmark::DoNotOptimize(model->Packets.Count());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * plan.frames.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

void BM_ClientServerTable(benchmark::State& state) {
  auto model = std::make_unique<CaptureModel>();
  auto statistics = std::make_unique<TraceStatistics>();
  DecodeAll(GetTraffic().plan, *model, *statistics);
  BrisqonSettings settings;
  size_t rows = 0;
  ClientServerOptions options;
  options.Threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    ClientServerTable table;
    table.Build({*model, settings, nullptr, nullptr}, options);
    rows = table.RowCount();
    benchmark::DoNotOptimize(rows);
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["packets"] = static_cast<double>(model->Packets.Count());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * rows));
}

// 100,000 two-way TCP conversations (1,000 clients x 50 servers x 2 port pairs, 6 + 6
// packets each), built straight into the model: the table's build and sort alone.
void BM_ClientServerTable100k(benchmark::State& state) {
  using namespace corvanta::testing;
  ModelBuilder b;
  int frame = 1;
  for (int c = 0; c < 1000; ++c)
    for (int s = 0; s < 50; ++s) {
      AddressKey client = Ip(10, 1, uint8_t(c >> 8), uint8_t(c)), server = Ip(10, 2, 0, uint8_t(s));
      int32_t forwardPeer = b.Peer(client, server), reversePeer = b.Peer(server, client);
      for (int port = 0; port < 2; ++port) {
        int32_t f = b.Conversation(forwardPeer, kSubTcp, uint16_t(1025 + port), 80);
        int32_t r = b.Conversation(reversePeer, kSubTcp, 80, uint16_t(1025 + port));
        for (int k = 0; k < 6; ++k) {
          b.Add(f, Tcp(frame++, k * 1e5, 1000 + 100 * k, 1, 100, kPacketRequest, 0x18));
          b.Add(r, Tcp(frame++, k * 1e5 + 2000, 5000, 1100 + 100 * k, 500, kPacketReply, 0x18));
        }
      }
    }
  BrisqonSettings settings;
  size_t rows = 0;
  for (auto _ : state) {
    ClientServerTable table;
    table.Build({b.model, settings, nullptr, nullptr}, {});
    table.Sort(kCsColBytes, false);
    rows = table.RowCount();
    benchmark::DoNotOptimize(rows);
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * rows));
}

// One TCP conversation of 100,000 packets (50,000 each way, a retransmission every 1,000th
// segment and a gap of a second every 5,000th), laid out with every column on.
void BM_VisualizerLayout100k(benchmark::State& state) {
  using namespace corvanta::testing;
  ModelBuilder b;
  int32_t forward = b.Conversation(b.Peer(kClientAddress, kServerAddress), kSubTcp, 1025, 80);
  int32_t reverse = b.Conversation(b.Peer(kServerAddress, kClientAddress), kSubTcp, 80, 1025);
  double time = 0;
  for (int k = 0; k < 50000; ++k) {
    time += k % 5000 == 4999 ? 1e6 : 300;
    const PacketFlags repeat = k % 1000 == 999 ? kPacketRetransmission : 0;
    b.Add(forward, Tcp(2 * k + 1, time, 1000u + 1460u * k, 1, 1460, kPacketRequest | repeat, 0x18));
    b.Add(reverse, Tcp(2 * k + 2, time + 150, 1, 1000u + 1460u * (k + 1), 0, kPacketReply));
  }
  BrisqonSettings settings;
  VisualizerRequest request;
  request.Model = &b.model;
  request.Settings = &settings;
  request.Measure = FixedPitchMeasure(7, 14);
  request.Options.Columns = {true, true, true, true, true, true};
  request.Selected = b.Select(kClientAddress, b.Peer(kClientAddress, kServerAddress), forward);
  size_t lines = 0;
  for (auto _ : state) {
    VisualizerLayout layout = LayOutVisualizer(request);
    lines = layout.Lines.size();
    benchmark::DoNotOptimize(layout.EndY);
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines));
}

void BM_FullAnalysis(benchmark::State& state) {
  const std::string& path = GetTraffic().snoop;
  uint64_t size = 0;
  for (auto _ : state) {
    cli::AnalysisOptions options;
    options.table.ThousandsSep = '\0';
    options.table.Threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    auto analysis = cli::AnalyzeTrace(path, options);
    std::string json;
    cli::JsonWriter writer(json);
    cli::WriteJsonReport(*analysis, path, {'\0', '.', nullptr}, writer);
    size = analysis->open.info.fileSize;
    benchmark::DoNotOptimize(json.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kFrames));
}

// Packet chains whose every link is too long for a record's step (40,000 conversations
// taking turns), with records inserted mid-chain as ICMP reports are: filing, walking both
// ways before and after the list is sealed. Its time grows in step with the packets.
void BM_FarLinks(benchmark::State& state) {
  const int conversations = 40000, rounds = 20, inserts = 100000;
  for (auto _ : state) {
    PacketList packets;
    std::vector<TTransHead> heads(static_cast<size_t>(conversations));
    for (int r = 0; r < rounds; ++r)
      for (TTransHead& head : heads) packets.Append(head);
    for (int i = 0; i < inserts; ++i) {
      TTransHead& head = heads[static_cast<size_t>(i * 7919 % conversations)];
      packets.InsertAfter(head, packets.Next(head.FirstPacket));
      benchmark::DoNotOptimize(packets.Previous(packets.Count() - 1));
    }
    int64_t links = 0;
    for (const TTransHead& head : heads)
      for (int32_t p = head.FirstPacket; p >= 0; p = packets.Next(p)) ++links;
    packets.Seal();
    for (int32_t p = 0; p < packets.Count(); ++p) links += packets.Previous(p) >= 0;
    benchmark::DoNotOptimize(links);
  }
  state.SetItemsProcessed(state.iterations() * (int64_t{conversations} * rounds + inserts));
}

BENCHMARK(BM_ReaderSnoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReaderNetXRay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClientServerTable)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(2)->ArgName("threads");
BENCHMARK(BM_ClientServerTable100k)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_VisualizerLayout100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullAnalysis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FarLinks)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvanta::bench

BENCHMARK_MAIN();
