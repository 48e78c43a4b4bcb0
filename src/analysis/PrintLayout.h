#pragma once
// Page geometry of printing: window snapshots one page each, and the visualizer's pages
// with their header, column headings and footer. Pure arithmetic on printer metrics and
// measured text sizes; the windows paint what these functions return.
//
// Margins are whole tenths (window printing) or hundredths (visualizer) of an inch, so that
// spinning them never drifts off the grid the way repeated binary fractions do.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvanta {

// ---- Window printing ----

inline constexpr std::string_view kPrintJobTitle = "Output from Corvanta";
inline constexpr std::string_view kPrintFontName = "Arial";
inline constexpr int kPrintHeaderPoints = 10;
inline constexpr int kMaxWindowMarginTenths = 20;

// The windows the print dialog offers, in printing order.
enum class PrintableWindow : int {
  kMain = 0,
  kStation,
  kNetwork,
  kVisualizer,
  kLatency,
  kThroughput,
  kProblem,
  kWhatIf,
};
inline constexpr int kPrintableWindowCount = 8;

struct PrintableWindowInfo {
  std::string_view CheckName;   // the check box
  std::string_view ButtonName;  // the picture button beside it
  std::string_view Caption;     // check box caption and status text
  int StatusCode = 0;
};
const std::array<PrintableWindowInfo, kPrintableWindowCount>& PrintableWindows();

// Status codes of the print status window.
inline constexpr int kPrintStatusDone = 0;
inline constexpr int kPrintStatusDlcErrors = 9;
inline constexpr int kPrintStatusVisualizerPage = 11;
// "Printing " + the code's text + "..."; empty for 0 and for codes it does not know.
std::string PrintStatusText(int code, int page = 0);

// A stored margin in inches as whole tenths, within 0..2.0.
int WindowMarginTenths(double inches);
// One spin: up adds a tenth below 2.0, down takes one off above 0.
int SpinWindowMargin(int tenths, bool up);
// " 1.0\"": a blank, one decimal and the inch sign.
std::string WindowMarginText(int tenths);

struct PrintCheck {
  bool Checked = false;
  bool Enabled = false;
};
// OK needs something that will print: a box both checked and enabled.
bool PrintOkEnabled(const std::array<PrintCheck, kPrintableWindowCount>& checks);

// Page margins in hundredths of an inch.
struct PageMargins {
  int Left = 100;
  int Right = 100;
  int Top = 100;
  int Bottom = 100;
  bool operator==(const PageMargins&) const = default;
};
PageMargins MarginsFromTenths(int left, int right, int top, int bottom);

// What the printer tells about its page: the printable area in printer pixels, its
// resolution and where the printable area starts on the sheet.
struct PrinterMetrics {
  int PageWidth = 0;
  int PageHeight = 0;
  int DpiX = 0;
  int DpiY = 0;
  int OffsetX = 0;
  int OffsetY = 0;
};

// Margins in printer pixels, measured from the printable area, and the room left between them.
struct DeviceMargins {
  int Left = 0;
  int Right = 0;
  int Top = 0;
  int Bottom = 0;
  int Width = 0;   // printable width W
  int Height = 0;  // printable height H
};
DeviceMargins ComputeDeviceMargins(const PrinterMetrics& printer, const PageMargins& margins);

struct PixelSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const PixelSize&) const = default;
};

// Size on paper of a picture of `picture` pixels (device-independent) shown at pictureDpi:
// proportional keeps its size in inches, each side cut to the room; to fit fills the room
// keeping the picture's proportions. Nullopt when the picture or the room is empty.
std::optional<PixelSize> DestinationSize(PixelSize picture, int pictureDpiX, int pictureDpiY, const PrinterMetrics& printer,
                                         PixelSize room, bool fit);

// Where one window's snapshot and its header line go on the page.
struct WindowPagePlacement {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  int HeaderX = 0;
  int HeaderY = 0;  // top of the header text
};
std::optional<WindowPagePlacement> PlaceWindowPicture(PixelSize picture, int pictureDpiX, int pictureDpiY,
                                                      const PrinterMetrics& printer, const PageMargins& margins, bool fit);

// analyzer + " File " + path.
std::string WindowPrintHeader(std::string_view analyzer, std::string_view path);

// ---- Visualizer pages ----

inline constexpr int kPaperWidthHundredths = 850;
inline constexpr int kPaperHeightHundredths = 1100;
inline constexpr int kHeadingBandHundredths = 35;
inline constexpr int kMaxVisualizerMarginHundredths = 250;
inline constexpr int kMinVisualizerMarginHundredths = 5;
inline constexpr int kVisualizerPrintConfirmAbove = 100;
inline constexpr std::string_view kVisualizerPrintTitle = "Corvanta Trellivue";
inline constexpr int kTitlePoints = 10;  // bold
inline constexpr int kPageTextPoints = 9;

// One spin: up adds 0.05 below 2.5, down takes 0.05 off above 0.05.
int SpinVisualizerMargin(int hundredths, bool up);
// " 1.00\"".
std::string VisualizerMarginText(int hundredths);

// The surface one visualizer page is drawn into, at the screen's resolution; nullopt when the
// margins leave no room.
std::optional<PixelSize> BodyBitmapSize(double screenDpi, const PageMargins& margins);

// A page device: resolution and the printable area's offset on the sheet (0 for the preview).
struct PageDevice {
  double DpiX = 96;
  double DpiY = 96;
  double OffsetX = 0;
  double OffsetY = 0;
};

struct PageRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const PageRect&) const = default;
};

// A column heading of the visualizer: its text and where its sample column ends in the body
// bitmap (the heading's right edge there).
struct ColumnHeading {
  std::string Text;
  int RightEdge = 0;
};

// The texts of a page, switched on or off by the dialog.
struct VisualizerPageTexts {
  std::string Title;
  std::string FileLine;  // empty: the dialog switched it off
  std::string SelectionLine;
  bool PrintedOn = true;
  bool PageNumber = true;
};

struct TextSpot {
  int X = 0;  // left edge, centre or right edge, as the element says
  int Y = 0;  // top of the text
};

struct VisualizerPageLayout {
  PageRect Body;
  TextSpot Title;          // centred
  TextSpot FileLine;       // centred
  TextSpot SelectionLine;  // left
  int HeadingsTop = 0;
  std::vector<std::pair<std::string, int>> Headings;  // text, right edge
  TextSpot PrintedOn;   // left
  TextSpot PageNumber;  // right edge
};

// The page's elements in device pixels. footerTextHeight is the height of "gM" in the
// 9-point font on that device; bodyBitmapWidth is what the headings' right edges refer to.
VisualizerPageLayout LayoutVisualizerPage(const PageDevice& device, const PageMargins& margins,
                                          int footerTextHeight, const std::vector<ColumnHeading>& headings,
                                          int bodyBitmapWidth);

// "Printed on Tuesday December 8, 2026".
std::string PrintedOnText(int year, int month, int day);
// "Page 3".
std::string PageNumberText(int page);
// analyzer + " file " + path + " dated " + date.
std::string VisualizerFileLine(std::string_view analyzer, std::string_view path, std::string_view date);
// "Source: " + source + "  Destination: " + destination + "  Protocol/App: " + application.
std::string VisualizerSelectionLine(std::string_view source, std::string_view destination, std::string_view application);

// The page range of the dialog, pages numbered from 1. The two edits bound each other: the
// first page at most the last, the last at least the first and at most the count.
struct PageRange {
  int Count = 1;
  int First = 1;
  int Last = 1;
  bool operator==(const PageRange&) const = default;
};
// The range after the pages were counted again: the count at least 1, both ends pulled in.
PageRange RecountPages(PageRange range, int count);
// The range with the first page set; the last moves up to it when needed.
PageRange SetFirstPage(PageRange range, int first);
// The range with the last page set; the first moves down to it when needed.
PageRange SetLastPage(PageRange range, int last);
bool PageRangePrintable(const PageRange& range);
int PageRangeSize(const PageRange& range);
bool PrintNeedsConfirmation(const PageRange& range);
// "You are about to print N pages."
std::string PrintConfirmationText(int pages);
// The drawing numbers its pages from 0.
inline int DrawingPage(int dialogPage) { return dialogPage - 1; }

// ---- Preview zoom ----

inline constexpr int kPreviewBoxMargin = 40;
inline constexpr int kMinZoomPercent = 10;
inline constexpr int kMaxZoomPercent = 400;

// The largest paper of 8.5 by 11 that fits the box less 40 pixels both ways.
PixelSize ZoomToFit(int boxWidth, int boxHeight);
// The paper as wide as the box less 40 pixels.
PixelSize ZoomToPageWidth(int boxWidth);
// The paper at percent of its actual size on a screen of screenDpi.
PixelSize ZoomToPercent(int percent, double screenDpi);
// The next zoom step above or below the current percentage.
int NextZoomPercent(int percent, bool in);
// The paper's left and top, centred in the box (0 where it does not fit).
std::pair<int, int> CentrePaper(int boxWidth, int boxHeight, PixelSize paper);
// The preview's device: the paper's width over 8.5 and height over 11 pixels per inch.
PageDevice PaperDevice(PixelSize paper);

}  // namespace corvanta
