#include "analysis/VisualizerLayout.h"

#include <algorithm>
#include <cmath>
#include <queue>
#include <utility>

#include "decode/PacketFlags.h"
#include "naming/ProtocolNames.h"
#include "naming/TextFormat.h"

namespace corvanta {

namespace {

constexpr int kTicksBeforeCut = 90;
constexpr int kLongScale = 100;  // pixels
constexpr int kCutFactor = 110;  // ticks' worth of time beyond which a long scale is cut
// Pixel gaps beyond this are cut anyway; the bound keeps every sum far inside 64 bits.
constexpr double kMaxGapPixels = 1e12;
// About what a TCP line's summary takes ("IP Len=1500 TTL=64; TCP Seq=... Len=1460 Win=...").
constexpr size_t kTextPerLine = 64;

bool IsGap(const TPacket& p) { return IsGapPlaceholder(p.Flags); }
bool IsReport(const TPacket& p) { return !IsGap(p) && (p.Flags & kPacketIcmpReport) != 0; }

// One conversation's records in frame order: a report record, filed right after the packet
// it reports, is held back until the chain reaches its own frame number.
class ChainStream {
 public:
  ChainStream(const PacketList& packets, int32_t first) : packets_(packets), budget_(packets.Count()) {
    next_ = packets.Contains(first) ? first : -1;
    Settle();
  }
  bool Empty() const { return next_ < 0 && held_.empty(); }
  int32_t PeekFrame() const { return HeldFirst() ? held_.top().first : packets_.At(next_).FrameNumber; }
  int32_t Pop() {
    if (HeldFirst()) {
      int32_t index = held_.top().second;
      held_.pop();
      return index;
    }
    int32_t index = next_;
    Advance();
    Settle();
    return index;
  }

 private:
  bool HeldFirst() const {
    return !held_.empty() && (next_ < 0 || held_.top().first < packets_.At(next_).FrameNumber);
  }
  void Advance() {
    next_ = budget_-- > 0 ? packets_.Next(next_) : -1;
    if (!packets_.Contains(next_)) next_ = -1;
  }
  void Settle() {
    while (next_ >= 0 && IsReport(packets_.At(next_))) {
      held_.push({packets_.At(next_).FrameNumber, next_});
      Advance();
    }
  }

  using Held = std::pair<int32_t, int32_t>;  // frame number, index
  const PacketList& packets_;
  int32_t next_ = -1;
  int64_t budget_;
  std::priority_queue<Held, std::vector<Held>, std::greater<>> held_;
};

// How many records of a chain lie in the frame range: each makes at most one line.
size_t RecordsInRange(const PacketList& packets, int32_t first, const Selection& s) {
  size_t count = 0;
  int64_t budget = packets.Count();
  for (int32_t i = packets.Contains(first) ? first : -1; i >= 0 && budget-- > 0; i = packets.Next(i)) {
    const int32_t frame = packets.At(i).FrameNumber;
    if (frame >= s.FirstPacketNumber && frame <= s.LastPacketNumber) ++count;
  }
  return count;
}

void AppendTcp(std::string& s, const CaptureModel& model, const TPacket& p, int32_t index, int32_t otherLast,
               uint16_t maxSegment) {
  s += "TCP ";
  const int32_t payload = int32_t{p.TotalLength} - p.HeaderLength - p.TransportHeaderLength;
  const uint16_t f = p.TcpFlags;
  constexpr uint16_t kNamed = kTcpFlagFin | kTcpFlagSyn | kTcpFlagRst | kTcpFlagPsh | kTcpFlagUrg;
  if (payload < 1 && (f & kNamed) != 0) {
    if (f & kTcpFlagFin) s += "FIN ";
    if (f & kTcpFlagSyn) {
      s += "SYN ";
      if ((p.Flags & kPacketMaxSegment) != 0) {
        s += "(MSS=";
        AppendDecimal(s, maxSegment);
        s += ") ";
      }
    }
    if (f & kTcpFlagRst) s += "RST ";
    if (f & kTcpFlagPsh) s += "PSH ";
    if (f & kTcpFlagUrg) s += "URG ";
    s += "Win=";
    AppendDecimal(s, p.Window);
    s += "; ";
  } else if (payload < 1) {
    s += "Ack=";
    AppendDecimal(s, p.Acknowledge);
    s += " ";
    if (int32_t a = otherLast >= 0 ? FindAcknowledgedSegment(model, otherLast, index) : -1; a >= 0) {
      s += "(Pkt ";
      AppendDecimal(s, model.Packets.At(a).FrameNumber);
      s += ") ";
    }
    s += "Seq=";
    AppendDecimal(s, p.Sequence);
    s += " Win=";
    AppendDecimal(s, p.Window);
    s += "; ";
  } else {
    if (f & kTcpFlagFin) s += "FIN ";
    if (f & kTcpFlagRst) s += "RST ";
    if (f & kTcpFlagPsh) s += "PSH ";
    if (f & kTcpFlagUrg) s += "URG ";
    s += "Seq=";
    AppendDecimal(s, p.Sequence);
    s += " Len=";
    AppendDecimal(s, payload);
    s += " Win=";
    AppendDecimal(s, p.Window);
    s += " ";
  }
}

// Appends the decoded summary of a line, before the fix-up that depends on the messages.
void AppendSummary(std::string& s, const CaptureModel& model, const TPacket& p, int32_t index, SubProtocol sub,
                   ProtocolCategory category, int32_t otherLast, uint16_t maxSegment) {
  if (IsGap(p)) {
    s += "POSSIBLE MISSING OR FILTERED ";
    s += SubProtocolName(sub);
    s += " PACKET(S)";
    return;
  }
  const bool spx = sub == kSubSpx || sub == kSubSpx2;
  if (sub != kSubTcp && sub != kSubNetBios) {
    if (p.Flags & kPacketRequest) s += spx ? "Data; " : "Cmd; ";
    if (p.Flags & kPacketReply) s += spx ? "Ack; " : "Rep; ";
  }
  if (category == kCatIp) {
    s += model.Packets.FragmentOffset(index) != 0 ? "IP Frag Len=" : "IP Len=";
    AppendDecimal(s, p.TotalLength);
    s += " TTL=";
    AppendDecimal(s, p.TTL);
    s += "; ";
  } else if (category == kCatIpx || category == kCatNetBiosIpx) {
    s += "IPX Len=";
    AppendDecimal(s, p.TotalLength);
    s += " Hops=";
    AppendDecimal(s, p.TTL);
    s += "; ";
  }
  if (IsReport(p)) {
    s += "ICMP from ";
    s += ReporterText(p.Acknowledge);
    return;
  }
  switch (sub) {
    case kSubIcmp:
      // Which message it is: the ladder of a ping or a traceroute reads nothing else.
      s += "ICMP ";
      s += IcmpReportText(static_cast<uint8_t>(p.Window & 0xFF), static_cast<uint8_t>(p.Window >> 8));
      s += "; ";
      break;
    case kSubTcp: AppendTcp(s, model, p, index, otherLast, maxSegment); break;
    case kSubUdp:
      s += "UDP Len=";
      AppendDecimal(s, int32_t{p.TotalLength} - p.HeaderLength - p.TransportHeaderLength);
      s += "; ";
      break;
    case kSubNcp:
      s += "NCP Seq=";
      AppendDecimal(s, p.Sequence);
      s += " ";
      break;
    case kSubSpx:
    case kSubSpx2:
    case kSubNetBios:
      s += SubProtocolName(sub);
      s += (p.Flags & kPacketRequest) ? " Seq=" : " Ack=";
      AppendDecimal(s, (p.Flags & kPacketRequest) ? p.Sequence : p.Acknowledge);
      s += " ";
      break;
    case kSubPBurst:
      s += "PBurst";
      s += (p.Flags & kPacketRequest) ? " Ack=" : " Seq=";
      AppendDecimal(s, (p.Flags & kPacketRequest) ? p.Sequence : p.Acknowledge);
      s += " ";
      break;
    default: break;
  }
}

// The summary is what s holds from `begin` on. With messages it ends in "; " before them;
// without, a trailing "; " goes.
void FixUpSummary(std::string& s, size_t begin, bool withMessages) {
  const size_t length = s.size() - begin;
  const bool endsInSeparator = length >= 2 && s[s.size() - 2] == ';';
  if (withMessages && !endsInSeparator) {
    if (length > 0 && s.back() == ' ') s.pop_back();  // "Win=8760; ", not "Win=8760 ; "
    s += "; ";
  }
  if (!withMessages && endsInSeparator) s.resize(s.size() - 2);
}

class Pass {
 public:
  explicit Pass(const VisualizerRequest& r) : r_(r), model_(*r.Model), o_(r.Options) {}

  VisualizerLayout Run() {
    out_.Columns = ComputeColumns(o_.Columns, r_.Measure);
    out_.LineHeight = r_.Measure.Height % 2 == 0 ? r_.Measure.Height - 1 : r_.Measure.Height;
    out_.LineHeight = std::max(out_.LineHeight, 1);
    out_.Half = out_.LineHeight / 2;
    startY_ = (out_.LineHeight + 2) / 2;
    y_ = startY_;
    out_.EndY = y_;
    const Selection& s = r_.Selected;
    if (s.SourceStation == nullptr || !model_.Objects.Is<TTransHead>(s.CurrentConversation)) return Finish();
    const TTransHead& head = model_.Objects.Get<TTransHead>(s.CurrentConversation);
    out_.CurrentSubProtocol = head.SubProtocol;
    const int32_t reverse = VisualizerReverseConversation(model_, s);
    out_.HasReverse = reverse >= 0;

    context_.Model = &model_;
    context_.Settings = r_.Settings;
    context_.CurrentSubProtocol = head.SubProtocol;
    context_.SourceIsIp = s.SourceStation->Category == kCatIp;
    context_.Medium = r_.Medium;
    context_.Analyzer = r_.Analyzer;
    for (int d : {kForward, kReverse}) {
      const int32_t conversation = d == kForward ? s.CurrentConversation : reverse;
      if (!model_.Objects.Is<TTransHead>(conversation)) continue;
      const TTransHead& h = model_.Objects.Get<TTransHead>(conversation);
      context_.MaxWindow[d] = model_.LargestWindow(h);
      context_.MaxSegment[d] = h.MaxSegment;
    }
    context_.ThousandsSep = o_.ThousandsSep;
    context_.DecimalSep = o_.DecimalSep;

    const int32_t reverseFirst = reverse >= 0 ? model_.Objects.Get<TTransHead>(reverse).FirstPacket : -1;
    if (!r_.CountersOnly) {
      // Room for a long conversation's lines and texts is taken once, rather than doubled and
      // copied over and over, every copy in fresh pages.
      const size_t records =
          RecordsInRange(model_.Packets, head.FirstPacket, s) + RecordsInRange(model_.Packets, reverseFirst, s);
      out_.Lines.reserve(records);
      out_.Texts.reserve(records * kTextPerLine);
    }
    ChainStream forward(model_.Packets, head.FirstPacket);
    ChainStream backward(model_.Packets, reverseFirst);
    // Strictly by frame number, each record once.
    while (!forward.Empty() || !backward.Empty()) {
      if (!backward.Empty() && (forward.Empty() || backward.PeekFrame() < forward.PeekFrame()))
        Draw(backward.Pop(), kReverse);
      else
        Draw(forward.Pop(), kForward);
    }
    return Finish();
  }

 private:
  VisualizerLayout Finish() {
    out_.Counters = state_.Counters;
    out_.EndY = y_;
    if (r_.PageHeight > 0) {
      out_.SeparatorBottom.push_back(std::min<int64_t>(y_ + out_.Half + 1, r_.PageHeight));
      out_.Pages = page_ + 1;
    }
    return std::move(out_);
  }

  // Moves y down to the packet's line, with the time scale over a gap since the last one.
  void Place(const TPacket& p, bool gap) {
    const int lh = out_.LineHeight;
    if (!drawnBefore_) {
      drawnBefore_ = true;
      return;
    }
    const int u = o_.TickUnit;
    double pixels = 0;
    if (u > 0 && timeSet_ && !gap)
      pixels = std::clamp(std::nearbyint((p.Time - previousTime_) / (u * 500.0)), -1.0, kMaxGapPixels);
    const int64_t g = static_cast<int64_t>(pixels);
    if (g <= 1) {
      y_ += lh + 1;
      return;
    }
    TimeScale scale;
    scale.FirstRow = y_ + out_.Half + 1;
    scale.Unit = u;
    scale.Page = page_;
    const int64_t newY = y_ + lh + g + 1;
    const int64_t rows = (newY - out_.Half - 1) - scale.FirstRow + 1;
    const double gapMs = std::nearbyint((p.Time - previousTime_) / 1000.0);
    if (g + out_.Half > kLongScale && rows / 2 >= kTicksBeforeCut && gapMs > double(kCutFactor) * u) {
      scale.Ticks = kTicksBeforeCut;
      scale.Cut = true;
      scale.GapMs = static_cast<int64_t>(std::min(gapMs, 9.0e15));
      const int64_t row = scale.FirstRow + 2 * kTicksBeforeCut - 1;
      y_ = row + 22 + lh + 5;
    } else {
      scale.Ticks = static_cast<int32_t>(rows / 2);
      y_ = newY;
    }
    out_.Scales.push_back(scale);
  }

  void NextPageIfFull() {
    if (r_.PageHeight <= 0 || y_ <= r_.PageHeight - 2 * out_.Half) return;
    out_.SeparatorBottom.push_back(std::min<int64_t>(y_ - out_.Half, r_.PageHeight));
    ++page_;
    y_ = startY_;
  }

  void Draw(int32_t index, int direction) {
    const TPacket& p = model_.Packets.At(index);
    const bool gap = IsGap(p);
    const bool report = IsReport(p);
    const Selection& s = r_.Selected;
    if (report && !r_.Settings->Enabled(CheckId::kICMP)) return;
    // Placeholders carry the time of the packet before them in their own chain: they are
    // not held to the order of time, and they do not move it.
    if (!gap && timeSet_ && previousTime_ > p.Time) return;
    if (p.FrameNumber < s.FirstPacketNumber || p.FrameNumber > s.LastPacketNumber) return;
    if (!r_.CountersOnly) {
      Place(p, gap);
      NextPageIfFull();
    }

    VisualizerLine line;
    line.Packet = index;
    line.FrameNumber = p.FrameNumber;
    line.Time = p.Time;
    line.Length = p.Length;
    line.Y = y_;
    line.Page = page_;
    line.ArrowLength = ArrowLengthFor(p.Length, o_.BytesPerPixel);
    if (!gap) {
      DiagnosePacket(context_, state_, index, direction, diagnosis_);
      if (previousPacketTime_ < 0) previousPacketTime_ = p.Time;
      line.DeltaSeconds = (p.Time - previousPacketTime_) / 1'000'000.0;
      cumulativeSeconds_ += line.DeltaSeconds;
      bothBytes_ += p.Length;
      directionBytes_[direction] += p.Length;
      line.CumulativeSeconds = cumulativeSeconds_;
      line.CumulativeBytes = bothBytes_;
      line.DirectionBytes = directionBytes_[direction];
      previousPacketTime_ = p.Time;
      previousTime_ = p.Time;
      timeSet_ = true;
    } else {
      diagnosis_.Messages.clear();
      diagnosis_.Count = 0;
    }
    if (r_.CountersOnly) {
      NoteDrawnPacket(model_, state_, index, direction);
      return;
    }
    line.Direction = direction;
    line.Kind = gap ? LineKind::kGap
                    : report ? LineKind::kIcmpReport
                             : (direction == kForward ? LineKind::kForward : LineKind::kReverse);
    line.Color = gap      ? kVisualizerGapColor
                 : report ? o_.DiagnosticColor
                          : (direction == kForward ? o_.SendColor : o_.ReceiveColor);
    line.MessageCount = diagnosis_.Count;
    const size_t at = out_.Texts.size();
    AppendSummary(out_.Texts, model_, p, index, out_.CurrentSubProtocol, s.SourceStation->Category,
                  state_.LastDrawn[1 - direction], context_.MaxSegment[direction]);
    if (!gap) FixUpSummary(out_.Texts, at, diagnosis_.Count > 0);
    line.TextAt = static_cast<int64_t>(at);
    line.SummaryLength = static_cast<uint32_t>(out_.Texts.size() - at);
    for (size_t m = 0; m < diagnosis_.Messages.size(); ++m) {
      out_.Texts += m == 0 ? " " : ", ";
      out_.Texts += diagnosis_.Messages[m];
    }
    line.CommentLength = static_cast<uint32_t>(out_.Texts.size() - at - line.SummaryLength);
    if (diagnosis_.Count > 0)
      out_.Comments.push_back({"Pkt #" + std::to_string(p.FrameNumber) + " " + std::string(LineComment(out_, line)),
                               diagnosis_.Messages, p.FrameNumber, y_, page_, out_.Lines.size()});
    NoteDrawnPacket(model_, state_, index, direction);
    out_.Lines.push_back(std::move(line));
  }

  const VisualizerRequest& r_;
  const CaptureModel& model_;
  const VisualizerOptions& o_;
  VisualizerLayout out_;
  DiagnosticContext context_;
  DiagnosticState state_;
  PacketDiagnosis diagnosis_;
  int64_t startY_ = 0;
  int64_t y_ = 0;
  int page_ = 0;
  bool drawnBefore_ = false;
  bool timeSet_ = false;
  double previousTime_ = 0;         // of the last line in time order
  double previousPacketTime_ = -1;  // of the last drawn packet, for the time columns
  double cumulativeSeconds_ = 0;
  int64_t bothBytes_ = 0;
  std::array<int64_t, 2> directionBytes_{};
};

}  // namespace

TextMeasure FixedPitchMeasure(int charWidth, int height) {
  TextMeasure m;
  m.Width = [charWidth](std::string_view text) { return static_cast<int>(text.size()) * charWidth; };
  m.Height = height;
  return m;
}

ColumnGeometry ComputeColumns(const VisualizerColumns& c, const TextMeasure& measure) {
  ColumnGeometry g;
  std::string sample;
  auto piece = [&](bool on, std::string_view text, std::string_view title, ColumnId id) {
    if (!on) return;
    g.Sections.push_back({std::string(title), measure.Width(text)});
    sample += text;
    g.Right[static_cast<int>(id)] = measure.Width(sample) - 2;
  };
  piece(c.FrameNumber, "00000001", "Packet", ColumnId::kFrameNumber);
  piece(c.FrameSize, " 00002", "Size", ColumnId::kFrameSize);
  piece(c.DeltaTime, " 0,000.000003", "dTime", ColumnId::kDeltaTime);
  piece(c.CumulativeTime, " 00,000.000004", "cTime", ColumnId::kCumulativeTime);
  piece(c.CumulativeBytesTogether, " 000000005", "cBytes", ColumnId::kCumulativeBytes);
  piece(c.CumulativeBytesSeparate, " 000000006", "sBytes", ColumnId::kSentBytes);
  piece(c.CumulativeBytesSeparate, " 000000007", "rBytes", ColumnId::kReceivedBytes);
  g.SeparatorX = sample.empty() ? -1 : measure.Width(sample) - 1;
  return g;
}

std::vector<ScaleMark> ScaleMarks(const TimeScale& scale, int separatorX, int lineHeight, int textHeight,
                                  char thousandsSep) {
  std::vector<ScaleMark> marks;
  const int64_t labelRise = 2 * ((textHeight + 1) / 2) - 3;
  for (int32_t j = 1; j <= scale.Ticks; ++j) {
    const int64_t row = scale.FirstRow + 2 * int64_t{j} - 1;
    marks.push_back({ScaleMark::kTick, separatorX + 1, row, separatorX + (j % 5 == 0 ? 10 : 5), row, {}});
    if (j % 10 == 0)
      marks.push_back({ScaleMark::kLabel, separatorX + 16, row - labelRise, 0, 0,
                       std::to_string(int64_t{j} * scale.Unit) + " ms"});
  }
  if (scale.Cut) {
    const int64_t row = scale.FirstRow + 2 * int64_t{scale.Ticks} - 1;
    marks.push_back({ScaleMark::kDottedLine, separatorX + 24, row + 5, separatorX + 24, row + 25, {}});
    marks.push_back(
        {ScaleMark::kLabel, separatorX + 30, row + 22 - lineHeight / 2, 0, 0, FormatCount(scale.GapMs, thousandsSep) + " ms"});
  }
  return marks;
}

int32_t VisualizerReverseConversation(const CaptureModel& model, const Selection& selection) {
  if (selection.SourceStation == nullptr || !model.Objects.Is<TNetPeer>(selection.DestPeer) ||
      !model.Objects.Is<TTransHead>(selection.CurrentConversation))
    return -1;
  const NetAddressNode* destination = model.NetAddresses.At(model.Objects.Get<TNetPeer>(selection.DestPeer).Receiver);
  if (destination == nullptr) return -1;
  const int32_t peer = FindNetPeer(model, *destination, *selection.SourceStation);
  if (peer < 0) return -1;
  return FindReverseConversation(model, model.Objects.Get<TNetPeer>(peer),
                                   model.Objects.Get<TTransHead>(selection.CurrentConversation));
}

VisualizerLayout LayOutVisualizer(const VisualizerRequest& request) {
  if (request.Model == nullptr || request.Settings == nullptr || !request.Measure.Width) return {};
  return Pass(request).Run();
}

namespace {

// A line of another layout reads an empty or cut text, never outside this one's.
std::string_view TextOf(const VisualizerLayout& layout, int64_t at, size_t length) {
  const std::string_view texts(layout.Texts);
  return texts.substr(std::min(static_cast<size_t>(std::max<int64_t>(at, 0)), texts.size()), length);
}

}  // namespace

std::string_view LineSummary(const VisualizerLayout& layout, const VisualizerLine& line) {
  return TextOf(layout, line.TextAt, line.SummaryLength);
}

std::string_view LineComment(const VisualizerLayout& layout, const VisualizerLine& line) {
  return TextOf(layout, line.TextAt + line.SummaryLength, line.CommentLength);
}

int ArrowLengthFor(int frameLength, int bytesPerPixel) {
  const int bpp = std::max(bytesPerPixel, 1);
  return (std::max(frameLength, 0) + bpp) / bpp;
}

std::array<ArrowPoint, 5> ArrowPolygon(const VisualizerLine& line, int separatorX, int half) {
  const int64_t x0 = separatorX + 1;
  const int64_t l = line.ArrowLength;
  const int64_t top = line.Y - half;
  const int64_t bottom = line.Y + half;
  if (line.Direction == kForward)
    return {{{x0 + 1, top}, {x0 + l - 2, top}, {x0 + l + 1, line.Y}, {x0 + l - 2, bottom}, {x0 + 1, bottom}}};
  return {{{x0 + 4, top}, {x0 + l + 1, top}, {x0 + l + 1, bottom}, {x0 + 4, bottom}, {x0 + 1, line.Y}}};
}

int64_t LineTextX(const VisualizerLine& line, int separatorX) { return separatorX + 1 + 5 + line.ArrowLength; }

std::vector<ColumnText> LineColumnTexts(const VisualizerLine& line, const ColumnGeometry& columns,
                                        const VisualizerOptions& options) {
  std::vector<ColumnText> texts;
  if (line.Kind == LineKind::kGap) return texts;
  auto add = [&](ColumnId id, std::string text) {
    const int right = columns.Right[static_cast<int>(id)];
    if (right == -1) return;  // column off
    texts.push_back({id, right, std::move(text)});
  };
  const char sep = options.ThousandsSep;
  add(ColumnId::kFrameNumber, std::to_string(line.FrameNumber));
  add(ColumnId::kFrameSize, std::to_string(line.Length));
  add(ColumnId::kDeltaTime, FormatN(line.DeltaSeconds, 1, 6, sep, options.DecimalSep));
  add(ColumnId::kCumulativeTime, FormatN(line.CumulativeSeconds, 1, 6, sep, options.DecimalSep));
  add(ColumnId::kCumulativeBytes, std::to_string(line.CumulativeBytes));
  add(line.Direction == kForward ? ColumnId::kSentBytes : ColumnId::kReceivedBytes,
      std::to_string(line.DirectionBytes));
  return texts;
}

std::pair<size_t, size_t> VisibleLines(const VisualizerLayout& layout, int64_t top, int64_t height) {
  const auto& lines = layout.Lines;
  const int half = layout.Half;
  auto first = std::partition_point(lines.begin(), lines.end(),
                                    [&](const VisualizerLine& l) { return l.Y + half + 2 < top; });
  auto last = std::partition_point(first, lines.end(),
                                   [&](const VisualizerLine& l) { return l.Y - half - 1 <= top + height; });
  return {static_cast<size_t>(first - lines.begin()), static_cast<size_t>(last - lines.begin())};
}

std::pair<size_t, size_t> VisibleScales(const VisualizerLayout& layout, int64_t top, int64_t height) {
  const auto& scales = layout.Scales;
  // A cut scale's dotted line and text reach some rows below its last tick.
  auto end = [&](const TimeScale& s) { return s.FirstRow + 2 * int64_t{s.Ticks} + 30 + layout.LineHeight; };
  auto first = std::partition_point(scales.begin(), scales.end(), [&](const TimeScale& s) { return end(s) < top; });
  auto last = std::partition_point(first, scales.end(),
                                   [&](const TimeScale& s) { return s.FirstRow - layout.LineHeight <= top + height; });
  return {static_cast<size_t>(first - scales.begin()), static_cast<size_t>(last - scales.begin())};
}

int64_t VisualizerScrollMaximum(const VisualizerLayout& layout, int64_t viewHeight) {
  const int64_t y = layout.EndY;
  return y + 6 > viewHeight ? std::max<int64_t>(0, y - viewHeight + 8 + layout.Half) : 0;
}

int TickUnitForPosition(int position) {
  static constexpr int kUnits[] = {0, 1, 10, 100, 1000};
  return kUnits[std::clamp(position, 0, 4)];
}

std::string TickUnitLabel(int tickUnit) {
  if (tickUnit <= 0) return "Disabled";
  if (tickUnit == 1) return "1 millisecond";
  return std::to_string(tickUnit) + " milliseconds";
}

int BytesPerPixelForPosition(int position) { return 15 - std::clamp(position, 1, 10); }

std::string ReporterText(uint32_t address) {
  const uint8_t bytes[] = {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16),
                           static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
  return FormatIpAddress(bytes);
}

}  // namespace corvanta
