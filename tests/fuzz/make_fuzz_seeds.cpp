// Writes the seed corpus of the fuzz targets from the trace writers: a small trace of every
// supported kind and medium, a Token Ring trace with ring poll and soft errors, and the
// start of the demo trace, each framed as its target expects.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "DemoTrace.h"
#include "FuzzFiles.h"
#include "SampleTraces.h"
#include "TraceWriter.h"
#include "trace/Detection.h"

namespace {

using corvanta::testing::TracePlan;

uint8_t NameIndex(std::string_view name) {
  const auto& names = corvanta::fuzz::kTraceNames;
  auto it = std::find(names.begin(), names.end(), name);
  return static_cast<uint8_t>(it == names.end() ? 0 : it - names.begin());
}

uint8_t KindIndex(corvanta::AnalyzerKind kind) {
  const auto& kinds = corvanta::SupportedAnalyzers;
  return static_cast<uint8_t>(std::find(kinds.begin(), kinds.end(), kind) - kinds.begin());
}

bool Save(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
  if (corvanta::testing::SaveFile(file.string(), bytes)) return true;
  std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", file.string().c_str());
  return false;
}

// The decoder target's framing of the plan's frames.
std::vector<uint8_t> DecoderInput(const TracePlan& plan) {
  std::vector<uint8_t> out{static_cast<uint8_t>(plan.topology == corvanta::kTokenRing ? 1 : 0)};
  double previous = 0;
  for (const auto& f : plan.frames) {
    const bool ethernet = plan.topology == corvanta::kEthernet;
    const size_t fcs = ethernet ? 4 : 0;
    const size_t wire = (f.wireLength ? f.wireLength : f.bytes.size()) + fcs;
    const size_t stored = f.bytes.size() + fcs;
    const double stepMs = std::max(0.0, (f.offsetUs - previous) / 1000.0);
    previous = f.offsetUs;
    out.push_back(static_cast<uint8_t>(wire));
    out.push_back(static_cast<uint8_t>(wire >> 8));
    out.push_back(static_cast<uint8_t>(stored));
    out.push_back(static_cast<uint8_t>(stored >> 8));
    out.push_back(static_cast<uint8_t>((f.status >> 8 & 0xC0) | static_cast<int>(std::min(63.0, stepMs))));
    out.push_back(0);
    out.insert(out.end(), f.bytes.begin(), f.bytes.end());
    out.insert(out.end(), fcs, 0);
  }
  return out;
}

}  // namespace

// The libpcap target's seeds: the real libpcap and pcapng captures when their folder is
// there, and written traces of both formats and media.
bool PcapSeeds(const std::filesystem::path& folder, const std::filesystem::path& captures) {
  namespace fs = std::filesystem;
  using namespace corvanta::testing;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(captures, ec)) {
    const std::string ext = entry.path().extension().string();
    if ((ext == ".pcap" || ext == ".pcapng") &&
        !fs::copy_file(entry.path(), folder / entry.path().filename(), fs::copy_options::overwrite_existing, ec))
      return false;
  }
  for (corvanta::AnalyzerKind kind : {corvanta::kAnalyzerTcpdump, corvanta::kAnalyzerPcapNg})
    for (corvanta::Topology topology : {corvanta::kEthernet, corvanta::kTokenRing}) {
      TracePlan plan = SessionPlan(corvanta::kAnalyzerNetXRay, topology);
      plan.kind = kind;
      if (!Save(folder / ("written-" + std::to_string(kind) + "-" + std::to_string(topology)), WriteTrace(plan)))
        return false;
    }
  return true;
}

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER [PCAP-CAPTURES]\n");
    return 2;
  }
  namespace fs = std::filesystem;
  using namespace corvanta::testing;
  const fs::path root = argv[1];
  for (const char* target : {"open", "readers", "decoder", "pcap"}) fs::create_directories(root / target);
  if (!PcapSeeds(root / "pcap", argc == 3 ? fs::path(argv[2]) : fs::path())) return 1;

  struct Seed {
    TracePlan plan;
    std::string name;
  };
  std::vector<Seed> seeds;
  for (const Written& w : WrittenKinds()) seeds.push_back({SessionPlan(w.kind, w.topology), w.name});
  seeds.push_back({RingErrorsPlan(10), "trace.cap"});
  seeds.push_back({RingErrorsPlan(12), "trace.bfr"});
  TracePlan demo = DemoTracePlan();
  demo.frames.resize(std::min<size_t>(demo.frames.size(), 150));
  seeds.push_back({demo, "trace.cap"});

  int n = 0;
  for (const Seed& s : seeds) {
    const std::vector<uint8_t> image = WriteTrace(s.plan);
    if (image.empty()) continue;
    const std::string id = std::to_string(n++);
    std::vector<uint8_t> open{NameIndex(s.name)};
    open.insert(open.end(), image.begin(), image.end());
    std::vector<uint8_t> reader{KindIndex(s.plan.kind),
                                static_cast<uint8_t>(NameIndex(s.name) << 4 | (s.plan.topology & 1))};
    reader.insert(reader.end(), image.begin(), image.end());
    if (!Save(root / "open" / id, open) || !Save(root / "readers" / id, reader) ||
        !Save(root / "decoder" / id, DecoderInput(s.plan)))
      return 1;
  }
  return 0;
}
