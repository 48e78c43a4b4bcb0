// Writes the benchmark traces: bench_gen FOLDER [FRAMES] gives FOLDER/traffic-FRAMES.snoop,
// FOLDER/traffic-FRAMES.cap (NetXRay) and FOLDER/traffic-FRAMES.pcap (libpcap), unless they are
// there already from the same generator.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "TrafficGenerator.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: bench_gen FOLDER [FRAMES]\n");
    return 2;
  }
  corvanta::bench::TrafficOptions options;
  if (argc == 3) options.frames = std::strtoull(argv[2], nullptr, 10);
  if (options.frames == 0) {
    std::fprintf(stderr, "bench_gen: FRAMES must be a positive number\n");
    return 2;
  }
  std::filesystem::create_directories(argv[1]);
  // Traces of an older generator are made again.
  const std::filesystem::path stamp = std::filesystem::path(argv[1]) / "traffic-version";
  const std::string version = std::to_string(corvanta::bench::kTrafficVersion);
  std::string found;
  if (std::ifstream in(stamp); in) std::getline(in, found);
  if (found != version) {
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
      if (entry.path().filename().string().starts_with("traffic-")) std::filesystem::remove(entry.path());
    std::ofstream(stamp) << version << '\n';
  }
  for (const auto& [kind, extension] : {std::pair<int, const char*>{15, ".snoop"}, {10, ".cap"}, {17, ".pcap"}}) {
    const std::string path =
        (std::filesystem::path(argv[1]) / ("traffic-" + std::to_string(options.frames) + extension)).string();
    if (std::filesystem::exists(path)) {
      std::printf("%s (kept)\n", path.c_str());
      continue;
    }
    const std::string partial = path + ".part";
    const uint64_t size = corvanta::bench::WriteLargeTrace(partial, static_cast<corvanta::AnalyzerKind>(kind), options);
    if (size == 0) {
      std::fprintf(stderr, "bench_gen: cannot write %s\n", path.c_str());
      return 1;
    }
    std::filesystem::rename(partial, path);
    std::printf("%s (%llu bytes)\n", path.c_str(), static_cast<unsigned long long>(size));
  }
  return 0;
}
