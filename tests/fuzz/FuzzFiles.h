#pragma once
// The fuzz inputs reach the core through a trace file, as real traces do: one file per
// process, rewritten for every input.
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace corvanta::fuzz {

// Names under which the analyzers write their traces; detection looks at the extension.
inline constexpr std::array<std::string_view, 16> kTraceNames = {
    "trace.cap",   "trace.enc", "trace.trc", "trace.pkt", "trace.tpc", "TRACE.DAT", "trace.dgc", "trace.tr1",
    "trace.snoop", "trace.bfr", "trace.t04", "trace.s04", "trace.an1", "trace.dmp", "trace.eth", "trace.trn"};

// A folder of this process for its trace file.
inline const std::filesystem::path& FuzzDirectory() {
  static const std::filesystem::path dir = [] {
    std::filesystem::path d = std::filesystem::temp_directory_path() / ("corvanta-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

// Writes bytes to the file called name in this process's folder and returns its path.
inline std::string WriteTraceFile(std::string_view name, const uint8_t* data, size_t size) {
  const std::string path = (FuzzDirectory() / std::string(name)).string();
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

}  // namespace corvanta::fuzz
