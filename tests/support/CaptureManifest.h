#pragma once
// The real captures beside the project (../shared/captures, or $CORVANTA_SHARED_DIR) and
// their manifest of expected counts.
#include <filesystem>
#include <string>
#include <vector>

namespace corvanta::testing {

struct CaptureManifestRow {
  std::string capture;       // the original capture's name
  std::string format;        // snoop, netmon1, netmon2, ngsniffer, ngwsniffer_1_1, ngwsniffer_2_0, lanalyzer
  std::string file;          // file name in the captures folder
  std::string path;          // the file's full path
  long frames = 0;           // frames the reader must hand to the decoder
  std::string expectations;  // JSON object of counts taken from the original frames
};

std::filesystem::path CapturesDir();
// Every row of manifest.tsv; empty when the captures are absent.
std::vector<CaptureManifestRow> ReadCaptureManifest();
// The same of the manifest.tsv in dir (the libpcap and pcapng copies are in "pcap").
std::vector<CaptureManifestRow> ReadCaptureManifestIn(const std::filesystem::path& dir);
// The rows of one format.
std::vector<CaptureManifestRow> ReadCaptureManifest(const std::string& format);

}  // namespace corvanta::testing
