#include "ui/main/TraceFileFilter.h"

#include <algorithm>

#include "trace/Detection.h"

namespace corvanta::ui {
namespace {

// "*." and what follows the first dot of an extension.
std::string MaskOf(const std::string& extension) {
  const size_t dot = extension.find('.');
  return "*." + (dot == std::string::npos ? extension : extension.substr(dot + 1));
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? separator : "") + parts[i];
  return out;
}

}  // namespace

std::vector<FileTypeEntry> TraceFileTypes(bool withPcap) {
  std::vector<FileTypeEntry> kinds;
  std::vector<std::string> all;
  for (AnalyzerKind kind : SupportedAnalyzers) {
    if (kind == kAnalyzerAsciiText) continue;
    std::vector<std::string> masks{MaskOf(DefaultTraceExtension(kind, 0))};
    if (kind == kAnalyzerEtherPeek || kind == kAnalyzerHpAdvisorDos || kind == kAnalyzerSnifferDos)
      masks.push_back(MaskOf(DefaultTraceExtension(kind, 1)));
    if (kind == kAnalyzerSnoop) masks.push_back("*.cap");
    all.insert(all.end(), masks.begin(), masks.end());
    kinds.push_back({std::string(AnalyzerNames[kind]) + " (" + Join(masks, "; ") + ")", masks});
  }
  if (withPcap) {
    kinds.push_back({"libpcap (*.pcap *.cap *.dmp)", {"*.pcap", "*.cap", "*.dmp"}});
    kinds.push_back({"pcapng (*.pcapng)", {"*.pcapng"}});
    for (const std::string mask : {"*.pcap", "*.dmp", "*.pcapng"})
      if (std::find(all.begin(), all.end(), mask) == all.end()) all.push_back(mask);
  }
  std::vector<FileTypeEntry> out;
  out.push_back({"Any Trace File", all});
  out.insert(out.end(), kinds.begin(), kinds.end());
  out.push_back({"Any File (*.*)", {"*.*"}});
  return out;
}

std::string OpenDialogFilter(bool withPcap) {
  const std::vector<FileTypeEntry> entries = TraceFileTypes(withPcap);
  std::string out;
  for (size_t i = 0; i < entries.size(); ++i) {
    const FileTypeEntry& e = entries[i];
    if (i) out += "|";
    out += e.description + "|";
    // The first entry lists every mask followed by ";"; the others join them with "; ".
    if (i == 0) {
      for (const std::string& m : e.masks) out += m + ";";
    } else {
      out += Join(e.masks, "; ");
    }
  }
  return out;
}

}  // namespace corvanta::ui
