#pragma once
#include <string>
#include <string_view>

#include "trace/Detection.h"
#include "trace/ProcessTrace.h"
#include "trace/TraceHeader.h"
#include "trace/TraceInfo.h"

namespace corvanta {

// Title of the box that shows a refusal.
inline constexpr std::string_view kOpenTraceTitle = "Open Trace File";
inline constexpr std::string_view kCannotOpenMessage = "Unable to open Source file.  File is in use or name is bad.";
// After the file name: a trace whose header or first records cannot be read.
inline constexpr std::string_view kUnreadableRefusal = " could not be read.";

// The outcome of recognising a trace and reading its header: either an accepted trace or
// the text of the refusal, exactly as shown to the user.
struct OpenOutcome {
  bool accepted = false;
  TraceInfo info;       // as far as it was learned
  std::string refusal;  // empty when accepted
  Detection detection;
  HeaderResult header;
};

// What the user chose about which files are read.
struct OpenOptions {
  bool readPcap = false;  // libpcap and pcapng files are read (off: refused as before)
};

// Detection, header read and acceptance for the file at path. Only reads the file.
OpenOutcome OpenTrace(const std::string& path, const ReaderFactory& readerFactory = {},
                      const OpenOptions& options = {});
inline OpenOutcome OpenTrace(const std::string& path, const OpenOptions& options) {
  return OpenTrace(path, {}, options);
}

// The refusal of a trace whose reader could not open it (pass from OpenReader or a
// processing pass), or empty when it could.
std::string ReaderRefusal(const std::string& name, const PassResult& pass);

// The name part of a path, without its folder.
std::string TraceFileNameOnly(const std::string& path);

// "Ethernet", "Token Ring", or the name of a medium that is never analysed.
std::string TopologyName(Topology topology);

}  // namespace corvanta
