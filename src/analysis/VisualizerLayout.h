#pragma once
// The visualizer's layout pass: one selected conversation as a ladder of lines, both
// directions interleaved by frame number, with arrow lengths, columns, summary texts, the
// diagnostics' messages, the time scale over gaps, and page breaks for printing. Pure: a
// widget or a printer paints what it returns.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/BrisqonSettings.h"
#include "analysis/Diagnostics.h"
#include "analysis/Selection.h"
#include "decode/CaptureModel.h"
#include "trace/AnalyzerKind.h"

namespace corvanta {

// Colours: red in the lowest byte, green next, blue in the third.
inline constexpr uint32_t kVisualizerSendColor = 0xFF0000;     // blue
inline constexpr uint32_t kVisualizerReceiveColor = 0x808000;  // teal
inline constexpr uint32_t kVisualizerDiagnosticColor = 0x0000FF;
inline constexpr uint32_t kVisualizerGapColor = 0xC0C0C0;       // silver
inline constexpr uint32_t kVisualizerSeparatorColor = 0x800000;  // navy

struct VisualizerColumns {
  bool CumulativeBytesTogether = false;
  bool CumulativeBytesSeparate = false;
  bool CumulativeTime = false;
  bool DeltaTime = false;
  bool FrameSize = false;
  bool FrameNumber = true;
  bool operator==(const VisualizerColumns&) const = default;
};

struct VisualizerOptions {
  VisualizerColumns Columns;
  int TickUnit = 1;        // milliseconds per tick of the time scale; 0: no time spacing
  int BytesPerPixel = 11;  // of the arrows
  uint32_t SendColor = kVisualizerSendColor;
  uint32_t ReceiveColor = kVisualizerReceiveColor;
  uint32_t DiagnosticColor = kVisualizerDiagnosticColor;
  char ThousandsSep = ',';
  char DecimalSep = '.';
};

// Text measurement in the drawing's font.
struct TextMeasure {
  std::function<int(std::string_view)> Width;
  int Height = 13;  // height of a line of text
};
// Every character as wide as charWidth: for headless layouts and tests.
TextMeasure FixedPitchMeasure(int charWidth, int height);

// The columns left of the separator, in the order they appear.
enum class ColumnId : uint8_t {
  kFrameNumber,
  kFrameSize,
  kDeltaTime,
  kCumulativeTime,
  kCumulativeBytes,
  kSentBytes,      // the forward total, on forward lines
  kReceivedBytes,  // the reverse total, on reverse lines
};
inline constexpr int kColumnIdCount = 7;

struct HeaderSection {
  std::string Title;
  int Width = 0;
};

struct ColumnGeometry {
  std::vector<HeaderSection> Sections;  // the column header; hidden when empty
  // Where each column's values end (right-aligned), -1 when the column is off.
  std::array<int, kColumnIdCount> Right{-1, -1, -1, -1, -1, -1, -1};
  int SeparatorX = -1;  // the vertical line between the columns and the arrows
  bool HeaderVisible() const { return !Sections.empty(); }
};
ColumnGeometry ComputeColumns(const VisualizerColumns& columns, const TextMeasure& measure);

enum class LineKind : uint8_t { kForward, kReverse, kIcmpReport, kGap };

struct VisualizerLine {
  int32_t Packet = -1;  // PacketList index
  int32_t FrameNumber = 0;
  double Time = 0;  // microseconds
  uint16_t Length = 0;
  LineKind Kind = LineKind::kForward;
  int Direction = kForward;  // as drawn: an ICMP report is drawn against its chain
  int64_t Y = 0;             // centre of the line: from the top of the drawing, or of its page
  int Page = 0;
  int ArrowLength = 0;
  uint32_t Color = 0;
  // Column values.
  double DeltaSeconds = 0;
  double CumulativeSeconds = 0;
  int64_t CumulativeBytes = 0;
  int64_t DirectionBytes = 0;  // of the line's direction
  // The summary and then the comment, in the layout's Texts (LineSummary, LineComment): a
  // ladder of a million lines holds no million strings of its own.
  int64_t TextAt = 0;
  uint32_t SummaryLength = 0;
  uint32_t CommentLength = 0;  // " " + the messages joined by ", "; 0 without messages
  int MessageCount = 0;        // events counted, beyond the ten texts too
};

// The time scale drawn over a gap between two lines: tick j (from 1) at row
// FirstRow + 2j - 1. A scale cut after its last tick shows the whole gap instead.
struct TimeScale {
  int64_t FirstRow = 0;
  int32_t Ticks = 0;
  int32_t Unit = 1;  // milliseconds per tick
  bool Cut = false;
  int64_t GapMs = 0;
  int Page = 0;
};

// One element of a time scale as drawn.
struct ScaleMark {
  enum Kind : uint8_t { kTick, kLabel, kDottedLine } Type = kTick;
  int64_t X1 = 0;
  int64_t Y1 = 0;
  int64_t X2 = 0;
  int64_t Y2 = 0;  // for kLabel: X1, Y1 are the text's left and top
  std::string Text;
};
std::vector<ScaleMark> ScaleMarks(const TimeScale& scale, int separatorX, int lineHeight, int textHeight,
                                  char thousandsSep);

struct DiagnosticEntry {
  std::string Text;  // "Pkt #" + frame + " " + comment
  std::vector<std::string> Messages;  // the diagnostics' texts (at most ten)
  int32_t FrameNumber = 0;
  int64_t Y = 0;
  int Page = 0;
  size_t Line = 0;  // index into Lines
};

struct VisualizerLayout {
  ColumnGeometry Columns;
  int LineHeight = 0;
  int Half = 0;
  SubProtocol CurrentSubProtocol = 0;
  bool HasReverse = false;
  std::vector<VisualizerLine> Lines;
  std::vector<TimeScale> Scales;
  std::vector<DiagnosticEntry> Comments;  // the "Diagnostic" list
  std::string Texts;                      // the lines' summaries and comments
  DiagnosticCounters Counters;
  int64_t EndY = 0;  // y of the last line (of the last page when paged)
  // Page mode only.
  int Pages = 1;
  std::vector<int64_t> SeparatorBottom;  // per page: where its separator line ends
};

// What one pass lays out. PageHeight > 0 lays out pages of that height (for printing).
struct VisualizerRequest {
  const CaptureModel* Model = nullptr;
  Selection Selected;  // the forward triple and the packet range
  const BrisqonSettings* Settings = nullptr;
  Topology Medium = kEthernet;
  AnalyzerKind Analyzer = 0;
  VisualizerOptions Options;
  TextMeasure Measure;
  int64_t PageHeight = 0;
  // Only the diagnostic counters: no lines, scales or comments. A conversation of a million
  // packets would otherwise make a million summaries to be thrown away.
  bool CountersOnly = false;
};

VisualizerLayout LayOutVisualizer(const VisualizerRequest& request);

std::string_view LineSummary(const VisualizerLayout& layout, const VisualizerLine& line);
std::string_view LineComment(const VisualizerLayout& layout, const VisualizerLine& line);

// The first head of the reverse chain for the selection's conversation; -1 when none.
int32_t VisualizerReverseConversation(const CaptureModel& model, const Selection& selection);

// The arrow's outline: five points, from the line's geometry.
struct ArrowPoint {
  int64_t X = 0;
  int64_t Y = 0;
};
std::array<ArrowPoint, 5> ArrowPolygon(const VisualizerLine& line, int separatorX, int half);
// Where the line's text starts.
int64_t LineTextX(const VisualizerLine& line, int separatorX);
// Arrow length of a frame: (length + bytesPerPixel) div bytesPerPixel.
int ArrowLengthFor(int frameLength, int bytesPerPixel);

// The column texts of one line with their right edges; none for gap placeholders.
struct ColumnText {
  ColumnId Id;
  int Right = 0;
  std::string Text;
};
std::vector<ColumnText> LineColumnTexts(const VisualizerLine& line, const ColumnGeometry& columns,
                                        const VisualizerOptions& options);

// The range of lines whose band [y - half, y + half] meets the rows top..top+height, for a
// layout on one page (screen): binary search over the lines' rising y.
std::pair<size_t, size_t> VisibleLines(const VisualizerLayout& layout, int64_t top, int64_t height);
// The vertical scroll bar's maximum for a view of that height; never negative.
int64_t VisualizerScrollMaximum(const VisualizerLayout& layout, int64_t viewHeight);
// The time scales that meet the rows top..top+height.
std::pair<size_t, size_t> VisibleScales(const VisualizerLayout& layout, int64_t top, int64_t height);

// The "Ticks" bar's positions 0..4: 0 (off), 1, 10, 100, 1000 ms; its label "Disabled",
// "1 millisecond", "10 milliseconds". Positions outside the bar are held to it.
int TickUnitForPosition(int position);
std::string TickUnitLabel(int tickUnit);
// The "Length" bar's positions 1..10: 14..5 bytes per pixel.
int BytesPerPixelForPosition(int position);

// The ICMP report's reporter as dotted decimal.
std::string ReporterText(uint32_t address);

}  // namespace corvanta
