#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <future>

#include "analysis/DlcErrors.h"
#include "analysis/PeerMap.h"
#include "analysis/RingGeometry.h"
#include "analysis/UtilizationGraph.h"
#include "cli/Reports.h"
#include "naming/ProtocolNames.h"
#include "naming/TextFormat.h"
#include "trace/Detection.h"

namespace corvanta::cli {

std::optional<double> CellNumber(std::string_view cell, char thousandsSep, char decimalSep) {
  // Cells are short: the number's characters gather on the stack.
  char buf[64];
  std::string long_;
  char* text = buf;
  if (cell.size() >= sizeof buf) {
    long_.resize(cell.size() + 1);
    text = long_.data();
  }
  size_t n = 0;
  for (char c : cell) {
    if (c == ' ' || (thousandsSep != '\0' && c == thousandsSep)) continue;
    text[n++] = c == decimalSep ? '.' : c;
  }
  text[n] = '\0';
  if (n == 0 || (n == 1 && text[0] == '-')) return std::nullopt;
  double value = 0;
  const auto [end, ec] = std::from_chars(text, text + n, value);
  // What the fast reading does not take whole (a plus sign, a hexadecimal number, a value
  // out of range) is read as strtod reads it.
  if (ec != std::errc{} || end != text + n) {
    char* stop = nullptr;
    value = std::strtod(text, &stop);
    if (stop != text + n) return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

// Fifteen digits keep the number within a double's precision, however many of them are
// decimal places. Most cells are such, and the report takes their text rather than read the
// number and write it again.
std::optional<std::string_view> PlainNumberText(std::string_view cell, char decimalSep, int decimals) {
  while (!cell.empty() && cell.front() == ' ') cell.remove_prefix(1);
  const size_t point = cell.find('.');
  const std::string_view whole = cell.substr(0, point);
  const auto digits = [](std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (whole.empty() || whole.size() > 15 || (whole[0] == '0' && whole.size() > 1) || !digits(whole))
    return std::nullopt;
  if (point == std::string_view::npos) return cell;
  std::string_view fraction = cell.substr(point + 1);
  const size_t places = static_cast<size_t>(std::max(decimals, 0));
  if (decimalSep != '.' || whole.size() + places > 15 || fraction.empty() || fraction.size() > places ||
      !digits(fraction))
    return std::nullopt;
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  return fraction.empty() ? whole : cell.substr(0, point + 1 + fraction.size());
}

namespace {

// The JSON text of the number in a table cell where the cell itself tells it (PlainNumberText,
// or null for a cell that holds none); nullopt for a cell that must be read as a number.
std::optional<std::string_view> CellNumberJson(std::string_view cell, char thousandsSep, char decimalSep,
                                               int decimals) {
  if (const auto text = PlainNumberText(cell, decimalSep, decimals)) return text;
  if (!CellNumber(cell, thousandsSep, decimalSep)) return "null";
  return std::nullopt;
}

}  // namespace

void CellNumberField(JsonWriter& json, std::string_view key, std::string_view cell, char thousandsSep, char decimalSep,
                     int decimals) {
  if (const auto text = CellNumberJson(cell, thousandsSep, decimalSep, decimals)) {
    json.NumberField(key, *text);
    return;
  }
  json.Key(key);
  json.Number(CellNumber(cell, thousandsSep, decimalSep).value_or(0), decimals);
}

namespace {

// A utilisation percentage re-based on the display bandwidth, as the summary page shows it.
int64_t ScaledPercent(int32_t percent, const TraceAnalysis& a) {
  const double divisor = static_cast<double>(a.bandwidthMbps) * a.duplexFactor;
  if (!(divisor > 0)) return percent;
  return RoundHalfEven(static_cast<double>(a.statsBandwidthMbps) / divisor * percent);
}

std::string AddressText(std::string_view key) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(key.data());
  if (key.size() == kIpKeyLength) return FormatIpAddress({bytes, key.size()});
  if (key.size() == kIpxKeyLength) return FormatNetAddress({bytes, key.size()}, false, false, nullptr);
  return {};
}

// The JSON text of a count cell when the cell tells it without reading: 0 for an empty cell.
std::optional<std::string_view> CountJson(std::string_view cell, const ReportOptions& o) {
  if (cell.empty()) return "0";
  return PlainNumberText(cell, o.decimalSep, 0);
}

// A count cell as a whole number; 0 when it holds none (an empty cell).
void CountField(JsonWriter& json, std::string_view key, std::string_view cell, const ReportOptions& o) {
  if (const auto text = CountJson(cell, o)) {
    json.NumberField(key, *text);
  } else {
    json.Key(key);
    json.Int(static_cast<int64_t>(CellNumber(cell, o.thousandsSep, o.decimalSep).value_or(0)));
  }
}

// A row whose texts and numbers all go into JSON as they stand, written in one piece exactly
// as the writer writes it field by field below, at a fraction of the cost: nearly every row
// is such. False, with nothing written, for any other row.
bool PlainConversationRow(JsonWriter& json, const ClientServerRow& row, const ReportOptions& o) {
  const std::string clientAddress = AddressText(row[kCsColClientKey]);
  const std::string serverAddress = AddressText(row[kCsColServerKey]);
  const std::string_view texts[] = {row[kCsColClient], row[kCsColServer],   clientAddress,
                                    serverAddress,     row[kCsColProtocol], row[kCsColDuration]};
  if (!std::all_of(std::begin(texts), std::end(texts), IsPlainJsonText)) return false;
  const auto count = [&](std::string_view cell) { return CountJson(cell, o); };
  const auto figure = [&](std::string_view cell) { return CellNumberJson(cell, o.thousandsSep, o.decimalSep, 3); };
  const std::optional<std::string_view> numbers[] = {
      count(row[kCsColPackets]),         count(row[kCsColBytes]),
      figure(row[kCsColResponseTime]),   figure(row[kCsColClientToServer]),
      figure(row[kCsColServerToClient]), count(row[kCsColE]),
      count(row[kCsColE + 1]),           count(row[kCsColE + 2]),
      count(row[kCsColE + 3]),           count(row[kCsColI])};
  if (!std::all_of(std::begin(numbers), std::end(numbers), [](const auto& n) { return n.has_value(); })) return false;
  static_assert(kCsColI == kCsColE + 4);

  // The row's text gathers on the stack; a row too long for it goes field by field.
  const std::string_view newline = json.Newline();
  constexpr std::string_view kKeys[] = {
      "client",   "server",           "client_address", "server_address", "protocol", "packets", "bytes",
      "duration", "response_time_ms", "throughput_c2s", "throughput_s2c", "marks",    "events"};
  // Each member and the closing brace take a line break; a member's own text takes at most 25
  // bytes besides its value.
  size_t need = 64 + (std::size(kKeys) + 1) * (newline.size() + 25);
  for (std::string_view t : texts) need += t.size();
  for (const auto& n : numbers) need += n->size();
  char buf[2048];
  if (need > sizeof buf) return false;
  char* p = buf;
  *p++ = '{';
  size_t member = 0;
  const auto key = [&] {
    if (member > 0) *p++ = ',';
    p = CopyText(p, newline);
    p = CopyText(p, "  \"");
    p = CopyText(p, kKeys[member++]);
    p = CopyText(p, "\": ");
  };
  const auto string = [&](std::string_view value) {
    key();
    *p++ = '"';
    p = CopyText(p, value);
    *p++ = '"';
  };
  const auto number = [&](std::string_view value) {
    key();
    p = CopyText(p, value);
  };
  for (size_t i = 0; i < 5; ++i) string(texts[i]);
  number(*numbers[0]);
  number(*numbers[1]);
  string(texts[5]);
  for (size_t i = 2; i < 5; ++i) number(*numbers[i]);
  key();
  *p++ = '"';
  for (int c = kCsColA; c <= kCsColD; ++c)
    if (row[static_cast<size_t>(c)] == kCsMark) *p++ = static_cast<char>('A' + c);
  *p++ = '"';
  key();
  *p++ = '{';
  for (int i = 0; i < 5; ++i) {
    if (i > 0) p = CopyText(p, ", ");
    *p++ = '"';
    *p++ = static_cast<char>('A' + kCsColE + i);
    p = CopyText(p, "\": ");
    p = CopyText(p, *numbers[5 + i]);
  }
  *p++ = '}';
  p = CopyText(p, newline);
  *p++ = '}';
  const std::string_view text(buf, static_cast<size_t>(p - buf));
  json.Raw(text);
  json.MaySpill();
  return true;
}

}  // namespace

void ConversationRow(JsonWriter& json, const ClientServerRow& row, const ReportOptions& o) {
  if (PlainConversationRow(json, row, o)) return;
  json.BeginObject();
  json.Field("client", row[kCsColClient]);
  json.Field("server", row[kCsColServer]);
  json.Field("client_address", AddressText(row[kCsColClientKey]));
  json.Field("server_address", AddressText(row[kCsColServerKey]));
  json.Field("protocol", row[kCsColProtocol]);
  CountField(json, "packets", row[kCsColPackets], o);
  CountField(json, "bytes", row[kCsColBytes], o);
  json.Field("duration", row[kCsColDuration]);
  CellNumberField(json, "response_time_ms", row[kCsColResponseTime], o.thousandsSep, o.decimalSep);
  CellNumberField(json, "throughput_c2s", row[kCsColClientToServer], o.thousandsSep, o.decimalSep);
  CellNumberField(json, "throughput_s2c", row[kCsColServerToClient], o.thousandsSep, o.decimalSep);
  std::string marks;
  for (int c = kCsColA; c <= kCsColD; ++c)
    if (row[static_cast<size_t>(c)] == kCsMark) marks += static_cast<char>('A' + c);
  json.Field("marks", marks);
  json.Key("events");
  json.BeginObject(true);
  for (int c = kCsColE; c <= kCsColI; ++c) {
    const char key = static_cast<char>('A' + c);
    CountField(json, std::string_view(&key, 1), row[static_cast<size_t>(c)], o);
  }
  json.EndObject();
  json.EndObject();
}

namespace {

// The one-line object of a peer table's row where every cell goes into JSON as it stands, in
// one piece as the writer writes it field by field below; false, with nothing written, else.
bool PlainPeerTableRow(JsonWriter& json, std::string_view address, const PeerTableColumns& table,
                       const std::vector<std::string>& cells) {
  const std::vector<std::string_view>& headings = table.Headings;
  char buf[1024];
  const size_t columns = std::min(headings.size(), cells.size());
  size_t need = 16 + address.size();
  // A column takes its heading, its cell (or "null", four bytes, for an empty one) and eight
  // bytes of quotes and separators.
  for (size_t c = 0; c < columns; ++c) need += headings[c].size() + std::max<size_t>(cells[c].size(), 4) + 8;
  if (need > sizeof buf || !table.PlainHeadings || !IsPlainJsonText(address)) return false;
  char* p = CopyText(buf, "{\"address\": \"");
  p = CopyText(p, address);
  *p++ = '"';
  for (size_t c = 0; c < columns; ++c) {
    p = CopyText(p, ", \"");
    p = CopyText(p, headings[c]);
    p = CopyText(p, "\": ");
    if (table.Text[c] != 0) {
      if (!IsPlainJsonText(cells[c])) return false;
      *p++ = '"';
      p = CopyText(p, cells[c]);
      *p++ = '"';
    } else if (const auto text = CellNumberJson(cells[c], '\0', '.', 3)) {
      p = CopyText(p, *text);
    } else {
      return false;
    }
  }
  *p++ = '}';
  json.Raw(std::string_view(buf, static_cast<size_t>(p - buf)));
  json.MaySpill();
  return true;
}

}  // namespace

PeerTableColumns::PeerTableColumns(std::vector<std::string_view> headings, const std::function<bool(size_t)>& isText)
    : Headings(std::move(headings)) {
  for (size_t c = 0; c < Headings.size(); ++c) {
    Text.push_back(isText(c) ? 1 : 0);
    PlainHeadings = PlainHeadings && IsPlainJsonText(Headings[c]);
  }
}

void PeerTableRow(JsonWriter& json, std::string_view address, const PeerTableColumns& columns,
                  const std::vector<std::string>& cells) {
  if (PlainPeerTableRow(json, address, columns, cells)) return;
  const std::vector<std::string_view>& headings = columns.Headings;
  json.BeginObject(true);
  json.Field("address", address);
  for (size_t c = 0; c < headings.size() && c < cells.size(); ++c) {
    if (columns.Text[c] != 0)
      json.Field(headings[c], cells[c]);
    else
      CellNumberField(json, headings[c], cells[c], '\0', '.');
  }
  json.EndObject();
}

namespace {

void Conversations(JsonWriter& json, const TraceAnalysis& a, const ReportOptions& o, const RowStream& stream) {
  json.Key("conversations");
  json.BeginArray();
  if (stream) {
    // Each group of rows is written on the thread that built it, by a writer that starts
    // where this one stands; the groups join the report in table order.
    std::string unused;
    const JsonWriter elements = json.Elements(unused);
    ClientServerTable::RowSink sink;
    sink.Format = [&](const std::vector<ClientServerRow>& rows, std::string& text) {
      JsonWriter w = elements.Continuation(text);
      for (const ClientServerRow& row : rows) ConversationRow(w, row, o);
    };
    sink.Take = [&](const std::string& text) { json.AppendElements(text); };
    stream(sink);
  } else {
    for (const ClientServerRow& row : a.table.Rows()) ConversationRow(json, row, o);
  }
  json.EndArray();
}

// The ring map: the ring poll's stations in ring order, as the map draws and names them.
void RingMapJson(JsonWriter& json, const std::vector<RingMapStation>& stations) {
  const auto entries = [&](std::string_view key, const std::vector<int>& numbers) {
    json.Key(key);
    json.BeginArray(true);
    for (int n : numbers) json.Int(n);
    json.EndArray();
  };
  json.Key("ring_map");
  json.BeginObject();
  json.Field("caption", RingMapCaption(static_cast<int>(stations.size())));
  json.Key("stations");
  json.BeginArray();
  for (const RingMapStation& station : stations) {
    json.BeginObject(true);
    json.Field("address", FormatMacAddress(station.Address.View()));
    json.Field("label", station.Label);
    json.Field("state", RingStationState(station));
    json.Field("missed_cycle", (station.Flags & kRingMissedCycle) != 0);
    json.Field("internal_errors", station.InternalErrors);
    json.Field("abort_errors", station.AbortErrors);
    json.Field("congestion_errors", station.CongestionErrors);
    entries("burst_upstream", station.BurstNeighbours);
    entries("line_upstream", station.LineNeighbours);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

// The DLC error expert's tables beyond the totals: on Ethernet the collision fragment
// analysis, on Token Ring each soft error's reports; and the page's notes.
void DlcErrors(JsonWriter& json, const TraceAnalysis& a, const ReportOptions& o) {
  const DlcTextOptions text{o.vendors, true, '\0'};
  std::vector<std::string> memo;
  json.Key("dlc_errors");
  json.BeginObject();
  if (a.open.info.topology == kTokenRing) {
    SoftErrorSummary summary = BuildSoftErrorSummary(*a.model, *a.statistics, text);
    json.Key("soft_error_reports");
    json.BeginArray();
    for (size_t i = 0; i < kSoftErrorRows.size(); ++i) {
      const SoftErrorList& list = summary.Lists[i];
      json.BeginObject(true);
      json.Field("error", kSoftErrorRows[i].Label);
      json.Field("group", kSoftErrorGroups[kSoftErrorRows[i].Group].Caption);
      json.Field("stations", static_cast<int64_t>(list.Entries.size()));
      json.Strings("reports", list.Entries, true);
      json.EndObject();
    }
    json.EndArray();
    json.Field("marked_stations", summary.MarkedStations);
    memo = std::move(summary.Notes);
    RingMapJson(json, BuildRingMapStations(*a.model, *a.statistics, o.vendors, true));
  } else {
    EthernetDlcSummary summary = BuildEthernetDlcSummary(*a.model, *a.statistics, text);
    json.Key("collisions");
    json.BeginArray();
    for (const CollisionRow& row : summary.Collisions) {
      if (row.Source.empty()) continue;
      json.BeginObject(true);
      json.Field("address", FormatMacAddress(row.Station.Address.View()));
      json.Field("station", row.Source);
      json.Field("transmits", row.Station.FramesSent);
      json.Field("retransmits", row.Station.FramesAfterCollision);
      json.Field("percent", row.Percent);
      json.EndObject();
    }
    json.EndArray();
    memo = std::move(summary.Notes);
  }
  json.Strings("memo", memo);
  json.EndObject();
}

// A peer map node's address: a station's 12 hex digits, a network address as the table shows it.
std::string NodeAddressText(const PeerGraph& graph, const AddressKey& address) {
  if (graph.Kind == PeerMapKind::kStation) return FormatMacAddress(address.View());
  return AddressText(std::string_view(reinterpret_cast<const char*>(address.Bytes.data()), address.Length));
}

// The rows of a peer-map window's "Statistics" page, columns in their default order; counts
// as numbers, the utilisation and ratio as the page writes them.
void PeerTable(JsonWriter& json, std::string_view name, const PeerGraph& graph, const ReportOptions& o) {
  const std::vector<std::string_view> headings = PeerGridHeadings(graph.Kind);
  const PeerTableColumns columns(headings, [&](size_t c) {
    return PeerGridColumnIsText(graph.Kind, static_cast<int>(c)) || headings[c] == "Utilization";
  });
  const PeerLabelOptions labels{true, o.vendors != nullptr, o.vendors};
  json.Key(name);
  json.BeginArray();
  for (size_t node = 0; node < graph.Nodes.size(); ++node) {
    if (!graph.Nodes[node].Sent) continue;
    const PeerGridRow row = BuildPeerGridRow(graph, node, labels, '\0');
    PeerTableRow(json, NodeAddressText(graph, row.Address), columns, row.Cells);
  }
  json.EndArray();
}

// The pairs a peer map draws: sender, receiver and the frames they carried by value.
void PeerPairs(JsonWriter& json, std::string_view name, const PeerGraph& graph) {
  const auto counts = [&](std::string_view key, const std::vector<std::pair<std::string_view, int64_t>>& values) {
    json.Key(key);
    json.BeginObject(true);
    for (const auto& [value, frames] : values) json.Field(value, frames);
    json.EndObject();
  };
  json.Key(name);
  json.BeginArray();
  ForEachPeerPair(graph, [&](const PeerPairRow& pair) {
    json.BeginObject(true);
    json.Field("source", NodeAddressText(graph, graph.Nodes[pair.From].Address));
    json.Field("destination", NodeAddressText(graph, graph.Nodes[pair.To].Address));
    json.Field("frames", pair.Frames);
    if (graph.Kind == PeerMapKind::kStation) counts("encapsulations", pair.ByEncapsulation);
    counts("protocols", pair.ByProtocol);
    json.EndObject();
  });
  json.EndArray();
}

}  // namespace

void WriteJsonReport(const TraceAnalysis& a, const std::string& file, const ReportOptions& o, JsonWriter& json,
                     const std::function<void(JsonWriter&)>& more, const RowStream& stream) {
  json.BeginObject();
  json.Field("file", file);
  if (!a.Accepted() || !a.statistics || !a.model) {
    json.Field("error", a.Error());
    json.EndObject();
    return;
  }
  const TraceInfo& info = a.open.info;
  const TraceStatistics& s = *a.statistics;
  const ModelCounts& counts = a.model->Counts;

  json.Field("analyzer", int64_t{info.kind});
  json.Field("analyzer_name", AnalyzerDisplayName(info.kind, info.topology, info.pcapModified));
  json.Field("topology", info.topology == kTokenRing ? "Token Ring" : "Ethernet");
  json.Field("bandwidth_mbps", a.bandwidthMbps);
  json.Field("full_duplex", a.duplexFactor == 2);
  json.Field("start_time", IsoDateTime(a.pass.startTime));
  json.Field("duration", FormatElapsed(a.elapsedUs));
  json.Field("comment", info.comment);
  json.Field("file_size", info.fileSize);
  json.Field("sliced_frames", a.pass.slicedFrames);
  json.Field("complete", !a.pass.partial);
  json.Field("bytes_read", a.pass.bytesRead);
  json.Field("frames", a.TotalFrames());
  json.Key("bytes");
  json.Int(RoundHalfEven(s.ByteSums.Total));
  json.Field("broadcast_frames", s.TraceStats[kStatBroadcast].Value);
  json.Field("multicast_frames", s.TraceStats[kStatMulticast].Value);
  json.Field("largest_frame", s.TraceStats[kStatLargest].Value);

  json.Key("encapsulations");
  json.BeginObject();
  const FileSummaryInputs in = SummaryInputs(a, '\0');
  const EncapsulationTypes e = ComputeEncapsulationTypes(in);
  json.Field(e.llc.label, in.llcFrames);
  json.Field(e.snap.label, in.snapFrames);
  json.Field(e.etype.label, in.etypeFrames);
  if (e.novellRaw.visible) json.Field(e.novellRaw.label, in.novellRawFrames);
  json.EndObject();

  json.Key("protocols");
  json.BeginObject();
  for (int c = 0; c < kProtocolCategoryCount; ++c) {
    const ProtocolStatsRecord& r = s.ProtocolStats[static_cast<size_t>(c)];
    if (r.Frames <= 0) continue;
    json.Key(ProtocolCategoryName(c));
    json.BeginObject(true);
    json.Field("frames", r.Frames);
    json.Field("bytes", r.Bytes);
    json.Field("group_frames", r.GroupFrames);
    json.EndObject();
  }
  json.EndObject();

  json.Key("size_buckets");
  json.BeginArray(true);
  for (int32_t n : s.SizeBuckets) json.Int(n);
  json.EndArray();

  json.Key("utilization");
  json.BeginObject();
  json.Field("average", ScaledPercent(s.UtilStats[kUtilAverage].Value, a));
  json.Field("peak", ScaledPercent(s.UtilStats[kUtilPeak].Value, a));
  json.Field("peak_bytes", s.UtilStats[kUtilPeakBytes].Value);
  json.Field("peak_frames", s.UtilStats[kUtilPeakFrames].Value);
  json.Field("broadcast_average", ScaledPercent(s.UtilStats[kUtilGroupAverage].Value, a));
  json.Field("broadcast_peak", ScaledPercent(s.UtilStats[kUtilBroadcastPeak].Value, a));
  json.EndObject();

  // One record per second of capture, as the utilisation graph draws it.
  json.Key("utilization_series");
  json.BeginArray();
  const UtilizationScale scale = MakeUtilizationScale(info.topology, a.bandwidthMbps, a.duplexFactor);
  for (const UtilizationSecond& second : s.UtilSeries) {
    json.BeginObject(true);
    json.Key("start");
    json.Number(second.StartMs / 1000.0);
    json.Field("frames", second.Frames);
    json.Field("bytes", second.Bytes);
    json.Field("broadcast_frames", second.BroadcastFrames);
    json.Field("broadcast_bytes", second.BroadcastBytes);
    json.Key("utilization");
    json.Number(UtilizationValue(second, UtilizationMeasure::kBandwidthPercent, false, scale), 2);
    json.Key("broadcast_utilization");
    json.Number(UtilizationValue(second, UtilizationMeasure::kBandwidthPercent, true, scale), 2);
    json.EndObject();
  }
  json.EndArray();

  json.Key("errors");
  json.BeginObject();
  json.Field("crc", s.TraceStats[kStatCrcErrors].Value);
  json.Field("runts", s.TraceStats[kStatRunts].Value);
  json.Field("long", s.TraceStats[kStatTooLong].Value);
  json.Field("fragments", s.TraceStats[kStatCollisions].Value);
  json.EndObject();

  if (info.topology == kTokenRing) {
    static constexpr std::array<std::pair<std::string_view, SoftErrorKind>, kSoftErrorKindCount> kSoftErrors = {{
        {"abort_delimiter", kSoftAbortDelimiter},
        {"ac", kSoftAc},
        {"burst", kSoftBurst},
        {"frame_copied", kSoftFrameCopied},
        {"frequency", kSoftFrequency},
        {"internal", kSoftInternal},
        {"line", kSoftLine},
        {"lost_frame", kSoftLostFrame},
        {"receive_congestion", kSoftReceiveCongestion},
        {"token", kSoftToken},
    }};
    json.Key("soft_errors");
    json.BeginObject();
    for (const auto& [name, kind] : kSoftErrors) json.Field(name, s.SoftErrorTotals[kind].Value);
    json.EndObject();
  }

  DlcErrors(json, a, o);

  json.Field("stations", counts.Stations);
  json.Field("sending_stations", counts.SendingStations);
  json.Field("ip_addresses", counts.IpAddresses);
  json.Field("sending_ip_addresses", counts.SendingIpAddresses);
  json.Field("ipx_addresses", counts.IpxAddresses);
  json.Field("sending_ipx_addresses", counts.SendingIpxAddresses);
  json.Key("checksum_offload");
  json.BeginArray(true);
  for (const AddressKey& address : a.model->ChecksumOffload) json.String(FormatIpAddress(address.View()));
  json.EndArray();

  // What the capture model holds, for the memory budget of large traces.
  json.Key("model");
  json.BeginObject(true);
  json.Field("bytes", static_cast<uint64_t>(a.model->MemoryBytes()));
  json.Field("packets", a.model->Packets.Count());
  json.EndObject();

  // The peer graphs need only the model. With a second thread they are built while the
  // client/server table is, in the time its own threads leave free, and the network table is
  // written beside the station table and joins the report after it. Not with the pairs, whose
  // text is too large to hold. The pairs need the graphs' edges; the tables alone do not.
  const PeerGraphParts parts = o.peerPairs ? PeerGraphParts::kNodesAndEdges : PeerGraphParts::kNodes;
  const bool aside = o.threads > 1 && !o.peerPairs;
  std::future<PeerGraph> stationsAhead;
  std::future<PeerGraph> networkAhead;
  if (aside) {
    stationsAhead = std::async(std::launch::async, [&] { return BuildStationGraph(*a.model, s, parts); });
    networkAhead = std::async(std::launch::async, [&] { return BuildNetworkGraph(*a.model, s, parts); });
  }

  Conversations(json, a, o, stream);
  // The model's conversations that are not rows, and why.
  json.Key("conversations_not_listed");
  json.BeginObject(true);
  json.Field("count", a.table.NotListedCount());
  for (int r = 0; r < kNotListedReasons; ++r)
    json.Field(kNotListedReasonKeys[static_cast<size_t>(r)], a.table.NotListed()[static_cast<size_t>(r)]);
  json.EndObject();
  const auto networkTable = [&](JsonWriter& w, const PeerGraph& network) {
    PeerTable(w, "network_table", network, o);
    if (o.peerPairs) PeerPairs(w, "network_pairs", network);
  };
  JsonAside networkAside(json);
  std::future<void> network;
  if (aside) network = std::async(std::launch::async, [&] { networkTable(networkAside.Writer(), networkAhead.get()); });
  {
    const PeerGraph stations = aside ? stationsAhead.get() : BuildStationGraph(*a.model, s, parts);
    PeerTable(json, "stations_table", stations, o);
    if (o.peerPairs) PeerPairs(json, "station_pairs", stations);
  }
  if (network.valid()) {
    network.get();
    networkAside.AppendTo(json);
  } else {
    networkTable(json, BuildNetworkGraph(*a.model, s, parts));
  }
  json.Key("problem_totals");
  json.BeginObject(true);
  for (int c = kCsColA; c <= kCsColI; ++c)
    json.Field(std::string(1, static_cast<char>('A' + c)), a.table.Totals()[static_cast<size_t>(c)]);
  json.EndObject();
  if (more) more(json);
  json.EndObject();
}

}  // namespace corvanta::cli
