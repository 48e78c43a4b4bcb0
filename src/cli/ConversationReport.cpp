#include "cli/ConversationReport.h"

#include <array>

#include "analysis/Toolbox.h"
#include "analysis/WhatIf.h"
#include "cli/VisualizerReport.h"

namespace corvanta::cli {

namespace {

void OptionalNumber(JsonWriter& json, std::string_view key, const std::optional<double>& value) {
  json.Key(key);
  if (value)
    json.Number(*value);
  else
    json.Null();
}

// A panel's count ("1,234"), null when the panel is empty.
void PanelCount(JsonWriter& json, std::string_view key, const std::string& panel) {
  std::string digits;
  for (char c : panel)
    if (c >= '0' && c <= '9') digits += c;
  json.Key(key);
  if (digits.empty())
    json.Null();
  else
    json.Int(std::stoll(digits));
}

void ThroughputHalfJson(JsonWriter& json, const std::string& title, const ThroughputHalf& h) {
  json.BeginObject();
  json.Field("title", title);
  PanelCount(json, "packets", h.Total);
  PanelCount(json, "bytes", h.Bytes);
  json.Field("duration", h.Duration);
  OptionalNumber(json, "peak", h.PeakValue);
  OptionalNumber(json, "lowest", h.LowestValue);
  OptionalNumber(json, "average", h.AverageValue);
  OptionalNumber(json, "contention", h.ContentionValue);
  PanelCount(json, "average_size", h.AverageSize);
  PanelCount(json, "average_payload", h.AveragePayload);
  OptionalNumber(json, "protocol_overhead", h.OverheadValue);
  json.Strings("memo", h.Memo);
  json.EndObject();
}

// The what-if window as a latency half's "What If" button opens it: seeded from the half, the
// table in full duplex; then the inputs the command line sets. Its cells as numbers; a send
// row has no response time.
void WhatIfJson(JsonWriter& json, const LatencySeed& seed, Topology medium,
                const std::vector<std::pair<std::string, int64_t>>& settings) {
  WhatIfInputs in = SeedWhatIf(seed, medium);
  for (const auto& [name, value] : settings) SetWhatIfInput(in, name, value, medium);
  json.Key("what_if");
  json.BeginObject();
  json.Key("inputs");
  json.BeginObject(true);
  for (const WhatIfNumberInput& input : kWhatIfNumberInputs) json.Field(input.Name, in.*input.Field);
  json.Field(kWhatIfDuplexInput, in.FullDuplex);
  json.EndObject();
  json.Key("rows");
  json.BeginArray();
  const std::vector<WhatIfRow> rows = WhatIfTable(in, '\0', '.');
  for (size_t i = 1; i < rows.size(); ++i) {
    const WhatIfRow& row = rows[i];
    json.BeginObject(true);
    json.Field("link", row[0]);
    static constexpr std::array<std::string_view, 5> kKeys = {"bits_per_sec", "bytes_per_sec", "max_pkts_per_sec",
                                                              "utilization", "resp_time_secs"};
    for (size_t c = 1; c < row.size(); ++c) {
      std::string_view cell = row[c];
      if (!cell.empty() && cell.back() == '%') cell.remove_suffix(1);
      // The cells' own decimals: six for the response time.
      CellNumberField(json, kKeys[c - 1], cell, '\0', '.', 6);
    }
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void LatencyHalfJson(JsonWriter& json, const std::string& title, const LatencyHalf& h, const ConversationReport& r) {
  json.BeginObject();
  json.Field("title", title);
  json.Field("state", int64_t{h.State});
  json.Field("state_text", LatencyStateText(h.State));
  json.Field("pairs", h.Pairs);
  const LatencySeed* seed = h.Seed ? &*h.Seed : nullptr;
  OptionalNumber(json, "best_ms", seed ? std::optional<double>(seed->BestMs) : std::nullopt);
  OptionalNumber(json, "average_ms", seed ? std::optional<double>(seed->AverageMs) : std::nullopt);
  OptionalNumber(json, "contention_ms", seed ? std::optional<double>(seed->ContentionMs) : std::nullopt);
  json.Key("worst_ms");
  if (seed && h.Chart)
    json.Number((*h.Chart)[1]);
  else
    json.Null();
  PanelCount(json, "packets", h.Total);
  json.Field("duration", h.Duration);
  json.Field("send_to_receive_ratio", h.Ratio);
  PanelCount(json, "average_send_size", h.AverageSend);
  PanelCount(json, "average_receive_size", h.AverageReceive);
  json.Strings("memo", h.Memo);
  if (seed)
    WhatIfJson(json, *seed, r.medium, r.query.whatIf);
  else
    OptionalNumber(json, "what_if", std::nullopt);
  json.EndObject();
}

template <class View, class Half, class Write>
void Halves(JsonWriter& json, std::string_view key, const View& v, const Half& upper, const std::optional<Half>& lower,
            Write write) {
  json.Key(key);
  json.BeginArray();
  write(json, v.UpperTitle, upper);
  if (lower)
    write(json, v.LowerTitle, *lower);
  else
    json.Null();
  json.EndArray();
}

void Line(std::string& out, const std::string& indent, const std::string& label, const std::string& value) {
  const size_t start = value.find_first_not_of(' ');
  if (start != std::string::npos) out += indent + label + ": " + value.substr(start) + "\n";
}

void ThroughputHalfText(std::string& out, const std::string& title, const ThroughputHalf& h, int unit) {
  out += "  " + title + "\n";
  const std::string in = "    ";
  const std::string u = unit == 8 ? " KBits/s" : " KBytes/s";
  auto figure = [&](const std::string& panel) { return panel.empty() || panel == "-" ? panel : panel + u; };
  Line(out, in, "Peak", figure(h.Peak));
  Line(out, in, "Lowest", figure(h.Lowest));
  Line(out, in, "Average", figure(h.Average));
  Line(out, in, "Contention", figure(h.Contention));
  Line(out, in, "Duration", h.Duration);
  Line(out, in, "Packets", h.Total);
  Line(out, in, "Bytes", h.Bytes);
  Line(out, in, "Average size", h.AverageSize);
  Line(out, in, "Average payload", h.AveragePayload);
  Line(out, in, "Protocol overhead", h.Overhead);
  for (const std::string& line : h.Memo)
    if (line != "Notes") out += in + line + "\n";
}

void LatencyHalfText(std::string& out, const std::string& title, const LatencyHalf& h) {
  out += "  " + title + "\n";
  const std::string in = "    ";
  auto ms = [](const std::string& panel) { return panel.empty() ? panel : panel + " ms"; };
  Line(out, in, "Best", ms(h.Best));
  Line(out, in, "Worst", ms(h.Worst));
  Line(out, in, "Average", ms(h.Average));
  Line(out, in, "Contention", ms(h.Contention));
  Line(out, in, "Duration", h.Duration);
  Line(out, in, "Packets", h.Total);
  Line(out, in, "Send-to-receive ratio", h.Ratio);
  Line(out, in, "Average send size", h.AverageSend);
  Line(out, in, "Average receive size", h.AverageReceive);
  for (const std::string& line : h.Memo)
    if (line != "Notes") out += in + line + "\n";
}

}  // namespace

std::optional<ConversationReport> AnalyzeTableConversation(const TraceAnalysis& a, const ConversationQuery& query,
                                                           const ReportOptions& o) {
  if (!a.Accepted() || !a.model || query.number < 1 || static_cast<size_t>(query.number) > a.table.RowCount())
    return std::nullopt;
  ToolboxState box;
  box.Reset(a.model.get(), a.TotalFrames(), a.ports, o.vendors);
  box.Preselect(a.table.Request(static_cast<size_t>(query.number - 1), o.vendors));
  if (query.framesFrom > 0) box.SetFirstPacket(query.framesFrom);
  if (query.framesTo > 0) box.SetLastPacket(query.framesTo);
  const Selection selection = box.GetNetDst();

  ConversationReport r;
  r.number = query.number;
  r.texts = {box.SourceText(), box.DestinationText(), box.AppText()};
  r.oneWay = selection.OneWay;
  r.firstFrame = selection.FirstPacketNumber;
  r.lastFrame = selection.LastPacketNumber;
  const FigureFormat format{o.thousandsSep, o.decimalSep};
  const Topology medium = a.open.info.topology;
  ConversationEngine engine(*a.model);
  r.throughput = AnalyzeThroughput(engine, selection, r.texts, query.throughput, medium, a.bandwidthMbps, format);
  r.latency = AnalyzeLatency(engine, selection, r.texts, query.latency, medium, a.bandwidthMbps, format);
  r.ladder = LadderOf(a, selection, o.thousandsSep, o.decimalSep);
  r.medium = medium;
  r.query = query;
  r.thousandsSep = o.thousandsSep;
  r.decimalSep = o.decimalSep;
  return r;
}

void WriteConversationJson(const ConversationReport& r, JsonWriter& json) {
  json.Key("analysis");
  json.BeginObject();
  json.Field("conversation", r.number);
  json.Key("selection");
  json.BeginObject();
  json.Field("source", r.texts.Source);
  json.Field("destination", r.texts.Destination);
  json.Field("protocol", r.texts.App);
  json.Field("one_way", r.oneWay);
  json.Field("first_frame", r.firstFrame);
  json.Field("last_frame", r.lastFrame);
  json.EndObject();
  json.Field("sample_window", r.throughput.SampleWindow);
  // The controls the figures were measured with.
  json.Field("include_ack_packets", r.query.throughput.IncludeAckPackets);
  json.Field("throughput_unit", r.throughput.UnitFactor == 8 ? "KBits/Second" : "KBytes/Second");
  static constexpr std::array<std::string_view, 3> kResponses = {"all", "small", "large"};
  json.Field("responses", kResponses[static_cast<size_t>(r.query.latency.Filter)]);
  json.Field("include_local_media_time", r.query.latency.IncludeLocalMediaTime);
  Halves(json, "throughput", r.throughput, r.throughput.Upper, r.throughput.Lower, ThroughputHalfJson);
  Halves(json, "latency", r.latency, r.latency.Upper, r.latency.Lower,
         [&](JsonWriter& w, const std::string& title, const LatencyHalf& h) { LatencyHalfJson(w, title, h, r); });
  WriteVisualizerJson(r.ladder, r.thousandsSep, r.decimalSep, json);
  json.EndObject();
}

std::string ConversationText(const ConversationReport& r) {
  std::string out = "Conversation " + std::to_string(r.number) + ": " + r.texts.App + "\n";
  out += "Source: " + r.texts.Source + "  Destination: " + r.texts.Destination + "  Frames " +
         std::to_string(r.firstFrame) + " to " + std::to_string(r.lastFrame) + (r.oneWay ? "  (one-way)" : "") + "\n\n";
  out += "Throughput (sampling " + std::to_string(r.throughput.SampleWindow) + " packets)\n";
  ThroughputHalfText(out, r.throughput.UpperTitle, r.throughput.Upper, r.throughput.UnitFactor);
  if (r.throughput.Lower)
    ThroughputHalfText(out, r.throughput.LowerTitle, *r.throughput.Lower, r.throughput.UnitFactor);
  out += "\nResponse Time/Latency\n";
  LatencyHalfText(out, r.latency.UpperTitle, r.latency.Upper);
  if (r.latency.Lower) LatencyHalfText(out, r.latency.LowerTitle, *r.latency.Lower);
  out += '\n';
  out += VisualizerText(r.ladder, r.thousandsSep, r.decimalSep);
  return out;
}

}  // namespace corvanta::cli
