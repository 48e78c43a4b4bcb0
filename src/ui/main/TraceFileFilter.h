#pragma once
#include <string>
#include <vector>

namespace corvanta::ui {

// One entry of the Open dialog's file-type list.
struct FileTypeEntry {
  std::string description;         // "Sun Snoop (*.snoop; *.cap)"
  std::vector<std::string> masks;  // "*.snoop", "*.cap"
};

// "Any Trace File" with every mask, one entry per accepted analyzer kind in ascending
// order, with withPcap the libpcap and pcapng entries, then "Any File (*.*)".
std::vector<FileTypeEntry> TraceFileTypes(bool withPcap = false);

// The list as one text: description "|" masks, entries separated by "|", masks by ";".
std::string OpenDialogFilter(bool withPcap = false);

}  // namespace corvanta::ui
