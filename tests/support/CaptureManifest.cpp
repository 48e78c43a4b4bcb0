#include "CaptureManifest.h"

#include <cstdlib>
#include <fstream>

namespace corvanta::testing {

std::filesystem::path CapturesDir() {
  const char* shared = std::getenv("CORVANTA_SHARED_DIR");
  return std::filesystem::path(shared ? shared : "../shared") / "captures";
}

std::vector<CaptureManifestRow> ReadCaptureManifest() { return ReadCaptureManifestIn(CapturesDir()); }

std::vector<CaptureManifestRow> ReadCaptureManifestIn(const std::filesystem::path& dir) {
  std::vector<CaptureManifestRow> rows;
  std::ifstream in(dir / "manifest.tsv");
  bool header = true;
  for (std::string line; std::getline(in, line); header = false) {
    std::vector<std::string> f;
    for (size_t start = 0, tab = 0; tab != std::string::npos; start = tab + 1) {
      tab = line.find('\t', start);
      f.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    }
    if (header || f.size() != 5) continue;
    rows.push_back({f[0], f[1], f[2], (dir / f[2]).string(), std::strtol(f[3].c_str(), nullptr, 10), f[4]});
  }
  return rows;
}

std::vector<CaptureManifestRow> ReadCaptureManifest(const std::string& format) {
  std::vector<CaptureManifestRow> rows;
  for (CaptureManifestRow& row : ReadCaptureManifest())
    if (row.format == format) rows.push_back(std::move(row));
  return rows;
}

}  // namespace corvanta::testing
