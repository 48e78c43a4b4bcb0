#include "analysis/DlcErrors.h"
#include "analysis/FileSummary.h"
#include "analysis/ProtocolTable.h"
#include "cli/Reports.h"
#include "cli/TextTable.h"
#include "naming/TextFormat.h"
#include "trace/Detection.h"
#include "trace/ProgressText.h"

namespace corvanta::cli {

namespace {

std::string Percent(int p) { return std::to_string(p) + "%"; }

// Leading and trailing blanks of a cell; the columns are aligned anyway.
std::string Trimmed(std::string_view text) {
  size_t b = text.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = text.find_last_not_of(' ');
  return std::string(text.substr(b, e - b + 1));
}

void FileAttributes(std::string& out, const TraceAnalysis& a, const FileSummaryInputs& in, char sep) {
  const TraceInfo& info = a.open.info;
  out += "File Attributes\n";
  TextTable t({Align::kLeft, Align::kLeft});
  t.AddRow({"Analyzer", AnalyzerDisplayName(info.kind, info.topology, info.pcapModified)});
  t.AddRow({"Interface", InterfaceText(info.topology)});
  t.AddRow({"Bandwidth", BandwidthText(in.bandwidthMbps, in.duplexFactor)});
  t.AddRow({"File Date", FormatFileTime(info.path, "dddd, MMMM d, yyyy", "h:mm AP")});
  t.AddRow({"File Size", FileSizeText(info.fileSize, sep)});
  t.AddRow({"Duration", FormatElapsed(a.elapsedUs)});
  t.AddRow({"Comment", info.comment});
  out += t.Render();
}

// What was read stays valid; the line says where reading ended.
std::string PartialReadLine(const TraceAnalysis& a, char sep) {
  return std::string(kProgressPartiallyRead) + ": " + FormatCount(static_cast<int64_t>(a.pass.bytesRead), sep) +
         " of " + FormatCount(static_cast<int64_t>(a.open.info.fileSize), sep) + " bytes read";
}

void FrameStatisticsSection(std::string& out, const FileSummaryInputs& in) {
  const FrameStatistics fs = ComputeFrameStatistics(in);
  out += "\nFrame Statistics\n";
  TextTable t({Align::kLeft, Align::kRight, Align::kRight, Align::kRight, Align::kRight, Align::kRight, Align::kRight});
  t.AddRow({"", "Frames", "%", "Bytes", "%", "Ave Size", "Largest"});
  auto row = [&](const char* label, const FrameStatisticsRow& r) {
    t.AddRow({label, r.frames, Percent(r.framePercent), r.bytes, Percent(r.bytePercent), r.averageSize, r.largest});
  };
  row("Station", fs.station);
  row(fs.multicastLabel.c_str(), fs.multicast);
  row("Broadcast", fs.broadcast);
  t.AddRow({"Total", fs.totalFrames, "", fs.totalBytes});
  out += t.Render();
}

void MediaUtilizationSection(std::string& out, const FileSummaryInputs& in) {
  const MediaUtilization all = ComputeMediaUtilization(in, false);
  const MediaUtilization broadcast = ComputeMediaUtilization(in, true);
  out += "\n" + all.caption + "\n";
  TextTable t({Align::kLeft, Align::kRight, Align::kRight, Align::kRight});
  t.AddRow({"All Frames", "Bandwidth", "Bytes/Sec", "Frms/Sec"});
  t.AddRow({"  Average", all.averageBandwidth, all.averageBytesPerSecond, all.averageFramesPerSecond});
  t.AddRow({"  Peak", all.peakBandwidth, all.peakBytesPerSecond, all.peakFramesPerSecond});
  t.AddRow({"Broadcast Only"});
  t.AddRow(
      {"  Average", broadcast.averageBandwidth, broadcast.averageBytesPerSecond, broadcast.averageFramesPerSecond});
  t.AddRow({"  Peak", broadcast.peakBandwidth, broadcast.peakBytesPerSecond, broadcast.peakFramesPerSecond});
  out += t.Render();
}

void EncapsulationSection(std::string& out, const FileSummaryInputs& in) {
  const EncapsulationTypes e = ComputeEncapsulationTypes(in);
  out += "\nDLC Encapsulation Types\n";
  TextTable t({Align::kLeft, Align::kRight, Align::kRight});
  for (const EncapsulationRow* r : {&e.llc, &e.snap, &e.etype, &e.novellRaw})
    if (r->visible) t.AddRow({r->label, r->count, Percent(r->percent)});
  out += t.Render();
}

void ProtocolSection(std::string& out, const TraceAnalysis& a, const ReportOptions& o) {
  out += "\nProtocol Table\n";
  std::vector<Align> align;
  for (CellAlignment c : kProtocolTableAlignments)
    align.push_back(c == CellAlignment::kLeft    ? Align::kLeft
                    : c == CellAlignment::kRight ? Align::kRight
                                                 : Align::kCentre);
  TextTable t(align);
  t.AddRow({kProtocolTableHeaders.begin(), kProtocolTableHeaders.end()});
  ProtocolTable table;
  table.Build(*a.statistics, {o.thousandsSep, o.decimalSep});
  for (const ProtocolTableRow& row : table.Rows()) t.AddRow({row.begin(), row.end()});
  out += t.Render();
}

DlcTextOptions DlcOptions(const ReportOptions& o) { return {o.vendors, true, o.thousandsSep}; }

void EthernetErrorSection(std::string& out, const TraceAnalysis& a, const ReportOptions& o) {
  const EthernetDlcSummary summary = BuildEthernetDlcSummary(*a.model, *a.statistics, DlcOptions(o));
  out += "\n" + std::string(kFrameErrorSummaryCaption) + "\n";
  TextTable errors({Align::kLeft, Align::kRight});
  const std::array<const std::string*, 4> counts = {&summary.BadFcs, &summary.RuntShort, &summary.LongJabber,
                                                    &summary.Fragment};
  for (size_t i = 0; i < counts.size(); ++i) errors.AddRow({std::string(kFrameErrorLabels[i].Caption), *counts[i]});
  out += errors.Render();

  out += "\n" + std::string(kCollisionAnalysisCaption) + "\n";
  TextTable t({Align::kLeft, Align::kRight, Align::kRight, Align::kRight});
  std::vector<std::string> header;
  for (const DlcCaption& c : kCollisionColumns) header.emplace_back(c.Caption);
  t.AddRow(std::move(header));
  for (const CollisionRow& row : summary.Collisions)
    if (!row.Source.empty()) t.AddRow({row.Source, row.Transmits, row.Retransmits, Percent(row.Percent)});
  out += t.Render();
  out += "\n";
  for (size_t i = 0; i < summary.Notes.size(); ++i) out += (i == 0 ? "" : "  ") + CellText(summary.Notes[i]) + "\n";
}

void SoftErrorSection(std::string& out, const TraceAnalysis& a, const ReportOptions& o) {
  const SoftErrorSummary summary = BuildSoftErrorSummary(*a.model, *a.statistics, DlcOptions(o));
  out += "\nSoft Error Summary\n";
  TextTable t({Align::kLeft, Align::kLeft, Align::kRight, Align::kRight, Align::kLeft});
  t.AddRow({"", "", std::string(kSoftErrorColumns[0].Caption), std::string(kSoftErrorColumns[1].Caption),
            std::string(kSoftErrorColumns[2].Caption)});
  size_t group = kSoftErrorGroups.size();
  for (size_t i = 0; i < kSoftErrorRows.size(); ++i) {
    const SoftErrorRowInfo& info = kSoftErrorRows[i];
    const SoftErrorList& list = summary.Lists[i];
    const std::string groupCell = info.Group != group ? std::string(kSoftErrorGroups[info.Group].Caption) : "";
    group = info.Group;
    t.AddRow({groupCell, std::string(info.Label), list.Total, list.Stations,
              list.Entries.empty() ? std::string() : list.Entries.front()});
    for (size_t k = 1; k < list.Entries.size(); ++k) t.AddRow({"", "", "", "", list.Entries[k]});
  }
  out += t.Render();
  if (!summary.Notes.empty()) out += "\n";
  for (const std::string& note : summary.Notes) out += "  " + CellText(note) + "\n";
}

void ClientServerSection(std::string& out, const TraceAnalysis& a) {
  out += "\nClient/Server Expert\n";
  if (!HasNetworkPackets(a)) {
    out += "  No IP or IPX packets in trace file.\n";
    return;
  }
  const ClientServerTable& table = a.table;
  if (table.RowCount() > 0) out += "  " + table.ConversationsCaption() + "\n";
  std::vector<Align> align(kCsVisibleColumns, Align::kRight);
  for (int c = kCsColA; c <= kCsColI; ++c) align[static_cast<size_t>(c)] = Align::kCentre;
  align[kCsColClient] = align[kCsColServer] = Align::kLeft;
  align[kCsColProtocol] = Align::kCentre;
  TextTable t(align);
  const auto headers = table.Headers();
  t.AddRow({headers.begin(), headers.end()});
  for (const ClientServerRow& row : table.Rows()) {
    std::vector<std::string> cells;
    cells.reserve(kCsVisibleColumns);
    for (int c = 0; c < kCsVisibleColumns; ++c) {
      const std::string_view cell = row[static_cast<size_t>(c)];
      cells.push_back(c <= kCsColD && cell == kCsMark ? "X" : Trimmed(cell));
    }
    t.AddRow(std::move(cells));
  }
  out += t.Render();
  out += "\n";
  for (const auto& memo : {table.LegendAToD(), table.LegendEToH(), table.LegendI()})
    for (const std::string& line : memo)
      if (!line.empty()) out += "  " + line + "\n";
}

}  // namespace

std::string TextReport(const TraceAnalysis& a, const ReportOptions& o) {
  std::string out;
  if (!a.Accepted() || !a.statistics) return out;
  const FileSummaryInputs in = SummaryInputs(a, o.thousandsSep);
  if (a.pass.partial) out += PartialReadLine(a, o.thousandsSep) + "\n\n";
  FileAttributes(out, a, in, o.thousandsSep);
  FrameStatisticsSection(out, in);
  if (a.model && !a.model->ChecksumOffload.empty()) out += ChecksumOffloadText(a.model->ChecksumOffload) + "\n";
  MediaUtilizationSection(out, in);
  EncapsulationSection(out, in);
  ProtocolSection(out, a, o);
  if (a.open.info.topology == kTokenRing)
    SoftErrorSection(out, a, o);
  else
    EthernetErrorSection(out, a, o);
  ClientServerSection(out, a);
  return out;
}

}  // namespace corvanta::cli
