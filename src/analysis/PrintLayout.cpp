#include "analysis/PrintLayout.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

namespace corvanta {
namespace {

// num / den rounded to the nearest integer, halves to even; den > 0.
int64_t RoundDiv(int64_t num, int64_t den) {
  int64_t q = num / den;
  int64_t r = num % den;
  if (r < 0) {
    --q;
    r += den;
  }
  if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
  return q;
}

int ClampInt(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// a * b / c in 64 bits, rounded.
int MulDiv(int64_t a, int64_t b, int64_t c) { return ClampInt(RoundDiv(a * b, c)); }

int Round(double v) {
  if (!std::isfinite(v)) return 0;
  return ClampInt(static_cast<int64_t>(std::nearbyint(std::clamp(v, -1e15, 1e15))));
}

// Inches in hundredths at a resolution, in device pixels.
double Pixels(double dpi, int hundredths) { return dpi * hundredths / 100.0; }

std::string MarginText(int value, int divisor, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, " %.*f\"", decimals, static_cast<double>(value) / divisor);
  return text;
}

}  // namespace

const std::array<PrintableWindowInfo, kPrintableWindowCount>& PrintableWindows() {
  static const std::array<PrintableWindowInfo, kPrintableWindowCount> windows = {{
      {"PrtMainCheck", "PrtMainBtn", "Main Window", 1},
      {"PrtStationCheck", "PrtStationBtn", "Station Statistics", 3},
      {"PrtNetworkCheck", "PrtNetworkBtn", "Network Statistics", 4},
      {"PrtVisualizeCheck", "PrtVisualizeBtn", "Trellivue", 5},
      {"PrtLatencyCheck", "PrtLatencyBtn", "Latency Analysis", 6},
      {"PrtThruputCheck", "PrtThruputBtn", "Throughput Analysis", 7},
      {"PrtProblemCheck", "PrtProblemBtn", "Problem Analysis", 8},
      {"PrtWhatIfCheck", "PrtWhatIfBtn", "\"What If\" Analysis", 10},
  }};
  return windows;
}

std::string PrintStatusText(int code, int page) {
  std::string text;
  if (code == kPrintStatusDlcErrors) {
    text = "DLC Error Analysis";
  } else if (code == kPrintStatusVisualizerPage) {
    text = "Trellivue Page " + std::to_string(page);
  } else {
    for (const PrintableWindowInfo& w : PrintableWindows())
      if (w.StatusCode == code) text = w.Caption;
  }
  return text.empty() ? text : "Printing " + text + "...";
}

int WindowMarginTenths(double inches) {
  if (!std::isfinite(inches)) return 10;
  return static_cast<int>(std::nearbyint(std::clamp(inches, 0.0, 2.0) * 10));
}

int SpinWindowMargin(int tenths, bool up) {
  if (up) return tenths < kMaxWindowMarginTenths ? tenths + 1 : tenths;
  return tenths > 0 ? tenths - 1 : tenths;
}

std::string WindowMarginText(int tenths) { return MarginText(tenths, 10, 1); }

bool PrintOkEnabled(const std::array<PrintCheck, kPrintableWindowCount>& checks) {
  return std::any_of(checks.begin(), checks.end(), [](const PrintCheck& c) { return c.Checked && c.Enabled; });
}

PageMargins MarginsFromTenths(int left, int right, int top, int bottom) {
  return {left * 10, right * 10, top * 10, bottom * 10};
}

DeviceMargins ComputeDeviceMargins(const PrinterMetrics& printer, const PageMargins& margins) {
  DeviceMargins d;
  auto margin = [](int dpi, int hundredths, int offset) {
    return ClampInt(RoundDiv(int64_t{dpi} * hundredths - int64_t{offset} * 100, 100));
  };
  d.Left = std::max(0, margin(printer.DpiX, margins.Left, printer.OffsetX));
  d.Right = margin(printer.DpiX, margins.Right, printer.OffsetX);
  d.Top = margin(printer.DpiY, margins.Top, printer.OffsetY);
  d.Bottom = margin(printer.DpiY, margins.Bottom, printer.OffsetY);
  d.Width = ClampInt(int64_t{printer.PageWidth} - d.Left - d.Right);
  d.Height = ClampInt(int64_t{printer.PageHeight} - d.Top - d.Bottom);
  return d;
}

std::optional<PixelSize> DestinationSize(PixelSize picture, int pictureDpiX, int pictureDpiY, const PrinterMetrics& printer,
                                         PixelSize room, bool fit) {
  if (picture.Width <= 0 || picture.Height <= 0 || room.Width <= 0 || room.Height <= 0) return std::nullopt;
  PixelSize size;
  if (fit) {
    size.Width = MulDiv(picture.Width, room.Height, picture.Height);
    if (size.Width < room.Width) {
      size.Height = room.Height;
    } else {
      size.Width = room.Width;
      size.Height = MulDiv(picture.Height, room.Width, picture.Width);
    }
  } else {
    if (pictureDpiX <= 0 || pictureDpiY <= 0 || printer.DpiX <= 0 || printer.DpiY <= 0) return std::nullopt;
    size.Width = std::min(MulDiv(picture.Width, printer.DpiX, pictureDpiX), room.Width);
    size.Height = std::min(MulDiv(picture.Height, printer.DpiY, pictureDpiY), room.Height);
  }
  if (size.Width <= 0 || size.Height <= 0) return std::nullopt;
  return size;
}

std::optional<WindowPagePlacement> PlaceWindowPicture(PixelSize picture, int pictureDpiX, int pictureDpiY,
                                                      const PrinterMetrics& printer, const PageMargins& margins,
                                                      bool fit) {
  const DeviceMargins d = ComputeDeviceMargins(printer, margins);
  const auto size = DestinationSize(picture, pictureDpiX, pictureDpiY, printer, {d.Width, d.Height}, fit);
  if (!size) return std::nullopt;
  WindowPagePlacement p;
  p.X = d.Left;
  p.Y = d.Top;
  p.Width = size->Width;
  p.Height = size->Height;
  p.HeaderX = d.Left;
  p.HeaderY = d.Top / 2;
  return p;
}

std::string WindowPrintHeader(std::string_view analyzer, std::string_view path) {
  return std::string(analyzer) + " File " + std::string(path);
}

int SpinVisualizerMargin(int hundredths, bool up) {
  if (up) return hundredths < kMaxVisualizerMarginHundredths ? hundredths + 5 : hundredths;
  return hundredths > kMinVisualizerMarginHundredths ? hundredths - 5 : hundredths;
}

std::string VisualizerMarginText(int hundredths) { return MarginText(hundredths, 100, 2); }

std::optional<PixelSize> BodyBitmapSize(double screenDpi, const PageMargins& margins) {
  const int width = Round(screenDpi * (kPaperWidthHundredths - margins.Left - margins.Right) / 100.0);
  const int height =
      Round(screenDpi * (kPaperHeightHundredths - margins.Top - kHeadingBandHundredths - margins.Bottom) / 100.0);
  if (width <= 0 || height <= 0) return std::nullopt;
  return PixelSize{width, height};
}

VisualizerPageLayout LayoutVisualizerPage(const PageDevice& device, const PageMargins& margins, int footerTextHeight,
                                          const std::vector<ColumnHeading>& headings, int bodyBitmapWidth) {
  auto x = [&](int hundredths) { return Round(Pixels(device.DpiX, hundredths) - device.OffsetX); };
  auto y = [&](int hundredths) { return Round(Pixels(device.DpiY, hundredths) - device.OffsetY); };
  VisualizerPageLayout l;
  l.Body = {x(margins.Left), y(margins.Top + kHeadingBandHundredths), x(kPaperWidthHundredths - margins.Right),
            y(kPaperHeightHundredths - margins.Bottom)};
  l.Title = {x(kPaperWidthHundredths / 2), y(50)};
  l.FileLine = {x(kPaperWidthHundredths / 2), y(70)};
  l.SelectionLine = {x(margins.Left), y(margins.Top)};
  l.HeadingsTop = y(margins.Top + 20);
  // The headings measure their columns in the body bitmap, which is stretched onto the body.
  for (const ColumnHeading& h : headings) {
    const int right =
        bodyBitmapWidth > 0 ? l.Body.Left + MulDiv(h.RightEdge, l.Body.Width(), bodyBitmapWidth) : l.Body.Left;
    l.Headings.emplace_back(h.Text, right);
  }
  const int footerTop = y(kPaperHeightHundredths - 50) - footerTextHeight;
  l.PrintedOn = {x(margins.Left), footerTop};
  l.PageNumber = {x(kPaperWidthHundredths - margins.Right), footerTop};
  return l;
}

std::string PrintedOnText(int year, int month, int day) {
  static constexpr std::array<std::string_view, 7> kDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                            "Thursday", "Friday", "Saturday"};
  static constexpr std::array<std::string_view, 12> kMonths = {"January", "February", "March",     "April",
                                                               "May",     "June",     "July",      "August",
                                                               "September", "October", "November", "December"};
  const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                         std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok()) return "Printed on";
  const std::chrono::weekday weekday{std::chrono::sys_days{date}};
  return "Printed on " + std::string(kDays[weekday.c_encoding()]) + " " +
         std::string(kMonths[static_cast<size_t>(month - 1)]) + " " + std::to_string(day) + ", " +
         std::to_string(year);
}

std::string PageNumberText(int page) { return "Page " + std::to_string(page); }

std::string VisualizerFileLine(std::string_view analyzer, std::string_view path, std::string_view date) {
  return std::string(analyzer) + " file " + std::string(path) + " dated " + std::string(date);
}

std::string VisualizerSelectionLine(std::string_view source, std::string_view destination,
                                    std::string_view application) {
  return "Source: " + std::string(source) + "  Destination: " + std::string(destination) +
         "  Protocol/App: " + std::string(application);
}

PageRange RecountPages(PageRange range, int count) {
  range.Count = std::max(1, count);
  range.Last = std::clamp(range.Last, 1, range.Count);
  range.First = std::clamp(range.First, 1, range.Last);
  return range;
}

PageRange SetFirstPage(PageRange range, int first) {
  range.First = std::clamp(first, 1, range.Count);
  range.Last = std::clamp(range.Last, range.First, range.Count);
  return range;
}

PageRange SetLastPage(PageRange range, int last) {
  range.Last = std::clamp(last, 1, range.Count);
  range.First = std::clamp(range.First, 1, range.Last);
  return range;
}

bool PageRangePrintable(const PageRange& range) {
  return range.First >= 1 && range.First <= range.Last && range.Last <= range.Count;
}

int PageRangeSize(const PageRange& range) { return PageRangePrintable(range) ? range.Last - range.First + 1 : 0; }

bool PrintNeedsConfirmation(const PageRange& range) { return PageRangeSize(range) > kVisualizerPrintConfirmAbove; }

std::string PrintConfirmationText(int pages) { return "You are about to print " + std::to_string(pages) + " pages."; }

PixelSize ZoomToFit(int boxWidth, int boxHeight) {
  // Boxes smaller than the margin still get a paper of a pixel or more.
  const int w = std::max(1, boxWidth - kPreviewBoxMargin);
  const int h = std::max(1, boxHeight - kPreviewBoxMargin);
  const int width = std::max(1, std::min(w, MulDiv(h, kPaperWidthHundredths, kPaperHeightHundredths)));
  return {width, std::max(1, MulDiv(width, kPaperHeightHundredths, kPaperWidthHundredths))};
}

PixelSize ZoomToPageWidth(int boxWidth) {
  const int width = std::max(1, boxWidth - kPreviewBoxMargin);
  return {width, MulDiv(width, kPaperHeightHundredths, kPaperWidthHundredths)};
}

PixelSize ZoomToPercent(int percent, double screenDpi) {
  const double scale = std::clamp(percent, kMinZoomPercent, kMaxZoomPercent) / 100.0 * screenDpi / 100.0;
  return {std::max(1, Round(scale * kPaperWidthHundredths)), std::max(1, Round(scale * kPaperHeightHundredths))};
}

int NextZoomPercent(int percent, bool in) {
  static constexpr std::array<int, 11> kSteps = {10, 25, 33, 50, 67, 75, 100, 125, 150, 200, 400};
  if (in) {
    for (int s : kSteps)
      if (s > percent) return s;
    return kMaxZoomPercent;
  }
  for (auto it = kSteps.rbegin(); it != kSteps.rend(); ++it)
    if (*it < percent) return *it;
  return kMinZoomPercent;
}

std::pair<int, int> CentrePaper(int boxWidth, int boxHeight, PixelSize paper) {
  return {std::max(0, (boxWidth - paper.Width) / 2), std::max(0, (boxHeight - paper.Height) / 2)};
}

PageDevice PaperDevice(PixelSize paper) {
  PageDevice d;
  d.DpiX = paper.Width * 100.0 / kPaperWidthHundredths;
  d.DpiY = paper.Height * 100.0 / kPaperHeightHundredths;
  return d;
}

}  // namespace corvanta
