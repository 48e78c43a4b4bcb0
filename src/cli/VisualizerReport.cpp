#include "cli/VisualizerReport.h"

#include "analysis/ProblemSummary.h"
#include "cli/TextTable.h"

namespace corvanta::cli {

namespace {

constexpr int kHeadlessCharWidth = 7;
constexpr int kHeadlessLineHeight = 14;

VisualizerOptions HeadlessOptions(char thousandsSep, char decimalSep) {
  VisualizerOptions o;
  o.Columns = {true, true, true, true, true, true};
  o.ThousandsSep = thousandsSep;
  o.DecimalSep = decimalSep;
  return o;
}

std::string_view KindName(LineKind kind) {
  switch (kind) {
    case LineKind::kForward:
    case LineKind::kReverse: return "packet";
    case LineKind::kIcmpReport: return "icmp_report";
    case LineKind::kGap: return "gap";
  }
  return "packet";
}

std::string_view ColumnKey(ColumnId id) {
  switch (id) {
    case ColumnId::kFrameNumber: return "packet";
    case ColumnId::kFrameSize: return "size";
    case ColumnId::kDeltaTime: return "dtime";
    case ColumnId::kCumulativeTime: return "ctime";
    case ColumnId::kCumulativeBytes: return "cbytes";
    case ColumnId::kSentBytes: return "sbytes";
    case ColumnId::kReceivedBytes: return "rbytes";
  }
  return "";
}

std::string Trimmed(const std::string& text) {
  const size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

}  // namespace

VisualizerLayout LadderOf(const TraceAnalysis& analysis, const Selection& selection, char thousandsSep,
                          char decimalSep) {
  if (!analysis.model) return {};
  VisualizerRequest request;
  request.Model = analysis.model.get();
  request.Selected = selection;
  request.Settings = &analysis.settings;
  request.Medium = analysis.open.info.topology;
  request.Analyzer = analysis.open.info.kind;
  request.Options = HeadlessOptions(thousandsSep, decimalSep);
  request.Measure = FixedPitchMeasure(kHeadlessCharWidth, kHeadlessLineHeight);
  return LayOutVisualizer(request);
}

void WriteVisualizerJson(const VisualizerLayout& ladder, char thousandsSep, char decimalSep, JsonWriter& json) {
  const VisualizerOptions options = HeadlessOptions(thousandsSep, decimalSep);
  json.Key("problems");
  json.BeginObject();
  for (int d : {kForward, kReverse}) {
    json.Strings(d == kForward ? "forward" : "reverse",
                 ProblemSummaryLines(ladder.Counters.Direction[d], thousandsSep, decimalSep));
  }
  json.EndObject();

  json.Key("diagnostics");
  json.BeginArray();
  for (const DiagnosticEntry& entry : ladder.Comments) {
    const VisualizerLine& line = ladder.Lines[entry.Line];
    json.BeginObject(true);
    json.Field("frame", line.FrameNumber);
    json.Strings("messages", entry.Messages, true);
    json.EndObject();
  }
  json.EndArray();

  json.Key("ladder");
  json.BeginArray();
  for (const VisualizerLine& line : ladder.Lines) {
    json.BeginObject(true);
    json.Field("frame", line.FrameNumber);
    json.Field("direction", line.Direction == kForward ? "forward" : "reverse");
    json.Field("kind", KindName(line.Kind));
    json.Key("timestamp_us");
    json.Number(line.Time, 3);
    json.Field("length", int64_t{line.Length});
    json.Field("summary", LineSummary(ladder, line));
    json.Key("columns");
    json.BeginObject(true);
    for (const ColumnText& c : LineColumnTexts(line, ladder.Columns, options)) json.Field(ColumnKey(c.Id), c.Text);
    json.EndObject();
    json.Field("comment", LineComment(ladder, line));
    json.EndObject();
  }
  json.EndArray();
}

std::string VisualizerText(const VisualizerLayout& ladder, char thousandsSep, char decimalSep) {
  const VisualizerOptions options = HeadlessOptions(thousandsSep, decimalSep);
  std::string out;
  for (int d : {kForward, kReverse}) {
    out += d == kForward ? "Source to Destination Problem Summary\n" : "Destination to Source Problem Summary\n";
    for (const std::string& line : ProblemSummaryLines(ladder.Counters.Direction[d], thousandsSep, decimalSep))
      out += "  " + line + "\n";
  }
  out += "\nTrellivue\n";
  TextTable t({Align::kRight, Align::kLeft, Align::kRight, Align::kRight, Align::kRight, Align::kLeft});
  t.AddRow({"Packet", "Dir", "dTime", "cTime", "Size", "Summary"});
  for (const VisualizerLine& line : ladder.Lines) {
    std::string delta, cumulative;
    for (const ColumnText& c : LineColumnTexts(line, ladder.Columns, options)) {
      if (c.Id == ColumnId::kDeltaTime) delta = c.Text;
      if (c.Id == ColumnId::kCumulativeTime) cumulative = c.Text;
    }
    const char* arrow = line.Kind == LineKind::kGap ? "..." : line.Direction == kForward ? "->" : "<-";
    t.AddRow({std::to_string(line.FrameNumber), arrow, delta, cumulative, std::to_string(line.Length),
              CellText(Trimmed(std::string(LineSummary(ladder, line)).append(LineComment(ladder, line))))});
  }
  out += t.Render();
  return out;
}

}  // namespace corvanta::cli
