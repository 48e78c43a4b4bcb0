#include "trace/OpenTrace.h"

#include <filesystem>

namespace corvanta {

std::string TraceFileNameOnly(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string TopologyName(Topology topology) {
  switch (topology) {
    case kEthernet: return "Ethernet";
    case kTokenRing: return "Token Ring";
    case 2: return "ARCnet";
    case 3: return "FDDI";
    case 4: return "WAN";
    case kUnknownTopology: return "Unknown";
    default: return "Medium " + std::to_string(topology);
  }
}

OpenOutcome OpenTrace(const std::string& path, const ReaderFactory& readerFactory, const OpenOptions& options) {
  OpenOutcome out;
  TraceInfo& info = out.info;
  info.path = path;
  info.bandwidthMbps = 10;
  info.readPcap = options.readPcap;
  const std::string name = TraceFileNameOnly(path);

  Detection& d = out.detection;
  d = DetectAnalyzer(path);
  info.kind = d.kind;
  info.fileSize = d.fileSize;
  info.pcapSwapped = d.pcapSwapped;
  info.pcapModified = d.pcapModified;
  info.snifferCompressed = d.snifferCompressed;
  if (d.tooSmall) {
    out.refusal = name + " is too small.";
    return out;
  }
  if (d.cannotOpen) {
    out.refusal = std::string(kCannotOpenMessage);
    return out;
  }
  // Without the option pcapng files and libpcap files with nanosecond times are not
  // recognised at all.
  const bool pcapOnly = d.kind == kAnalyzerPcapNg || (d.kind == kAnalyzerTcpdump && d.pcapNanoseconds);
  if (d.kind == kNotATrace || (pcapOnly && !options.readPcap)) {
    info.kind = kNotATrace;
    out.refusal = name + " is osbolete, not supported, or not a trace file.";
    return out;
  }

  HeaderResult& h = out.header;
  h = ReadTraceHeader(info, readerFactory);
  info.topology = h.topology;
  info.bandwidth = h.bandwidth;
  info.bandwidthMbps = static_cast<int32_t>(h.bandwidth / 1000000u);
  info.comment = h.comment;

  if (h.noFrames) {
    out.refusal = name + std::string(kNoFramesRefusal);
  } else if (h.topology == kEthernet || h.topology == kTokenRing) {
    const bool readable =
        IsSupportedAnalyzer(info.kind) || (options.readPcap && IsPcapAnalyzer(info.kind, info.pcapModified));
    if (!readable)
      out.refusal = name + " contains an unsupported analyzer or topology.";
    else if (h.readError)
      out.refusal = name + std::string(kUnreadableRefusal);
  } else if (h.topology >= 4 && h.topology <= 18) {
    out.refusal = name + " contains an unsupported analyzer or topology.";
  } else {
    out.refusal = name + " contains an unsupported interface.";
  }
  if (out.refusal.empty()) out.refusal = ReaderRefusal(name, OpenReader(info, readerFactory));
  out.accepted = out.refusal.empty();
  return out;
}

std::string ReaderRefusal(const std::string& name, const PassResult& pass) {
  if (!pass.fileOpened) return std::string(kCannotOpenMessage);
  if (pass.noFrames) return name + std::string(kNoFramesRefusal);
  if (!pass.readerFound || pass.headerRead) return {};
  return name + (pass.openRefusal.empty() ? std::string(kUnreadableRefusal) : pass.openRefusal);
}

}  // namespace corvanta
