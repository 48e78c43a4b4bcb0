#include "analysis/PrintLayout.h"

#include <gtest/gtest.h>

#include <limits>

namespace corvanta {
namespace {

TEST(WindowPrinting, MarginsStayOnWholeTenthsWithinTheirRange) {
  struct Case {
    int start;
    bool up;
    int steps;
    int expected;
  };
  const Case cases[] = {
      {19, true, 1, 20}, {19, true, 5, 20},  // 1.9 reaches 2.0 and goes no further
      {0, false, 3, 0},                      // 0.0 stays
      {10, false, 10, 0},                    // ten steps down from 1.0 end exactly at 0, never below
      {10, false, 11, 0}, {3, true, 2, 5},
  };
  for (const Case& c : cases) {
    int v = c.start;
    for (int i = 0; i < c.steps; ++i) v = SpinWindowMargin(v, c.up);
    EXPECT_EQ(v, c.expected) << c.start << (c.up ? " up " : " down ") << c.steps;
  }
  EXPECT_EQ(WindowMarginText(10), " 1.0\"");
  EXPECT_EQ(WindowMarginText(0), " 0.0\"");
  EXPECT_EQ(WindowMarginText(20), " 2.0\"");
  // Stored values are clamped and rounded to tenths when read.
  EXPECT_EQ(WindowMarginTenths(1.0), 10);
  EXPECT_EQ(WindowMarginTenths(0.30000000000000004), 3);
  EXPECT_EQ(WindowMarginTenths(-0.1), 0);
  EXPECT_EQ(WindowMarginTenths(7.5), 20);
  EXPECT_EQ(WindowMarginTenths(std::numeric_limits<double>::quiet_NaN()), 10);
}

TEST(WindowPrinting, OkNeedsABoxCheckedAndEnabled) {
  std::array<PrintCheck, kPrintableWindowCount> checks{};
  for (auto& c : checks) c = {true, false};
  checks[0].Enabled = true;
  EXPECT_TRUE(PrintOkEnabled(checks));  // only the main window open, all checked
  checks[0].Checked = false;
  EXPECT_FALSE(PrintOkEnabled(checks));  // checked boxes all greyed: nothing would print
  for (auto& c : checks) c = {false, true};
  EXPECT_FALSE(PrintOkEnabled(checks));
}

TEST(WindowPrinting, StatusTextsFollowTheCodes) {
  EXPECT_EQ(PrintStatusText(1), "Printing Main Window...");
  EXPECT_EQ(PrintStatusText(9), "Printing DLC Error Analysis...");
  EXPECT_EQ(PrintStatusText(10), "Printing \"What If\" Analysis...");
  EXPECT_EQ(PrintStatusText(11, 3), "Printing Trellivue Page 3...");
  EXPECT_EQ(PrintStatusText(0), "");
  EXPECT_EQ(PrintStatusText(2), "");
  EXPECT_EQ(PrintableWindows()[3].CheckName, "PrtVisualizeCheck");
  EXPECT_EQ(PrintableWindows()[7].StatusCode, 10);
}

TEST(WindowPrinting, DeviceMarginsTakeOffThePhysicalOffsets) {
  const PrinterMetrics printer{5000, 6400, 600, 600, 100, 100};
  const DeviceMargins d = ComputeDeviceMargins(printer, MarginsFromTenths(10, 10, 10, 10));
  EXPECT_EQ(d.Left, 500);
  EXPECT_EQ(d.Right, 500);
  EXPECT_EQ(d.Top, 500);
  EXPECT_EQ(d.Bottom, 500);
  EXPECT_EQ(d.Width, 4000);
  EXPECT_EQ(d.Height, 5400);
  // Margins inside the offsets: only the left one is held at 0.
  const DeviceMargins z = ComputeDeviceMargins(printer, MarginsFromTenths(0, 0, 1, 0));
  EXPECT_EQ(z.Left, 0);
  EXPECT_EQ(z.Right, -100);
  EXPECT_EQ(z.Top, -40);
}

TEST(WindowPrinting, DestinationSizesOfTheWorkedExamples) {
  const PrinterMetrics printer{6000, 8000, 600, 600, 0, 0};
  const PixelSize room{4800, 6000};
  EXPECT_EQ(DestinationSize({800, 600}, 96, 96, printer, room, true), (PixelSize{4800, 3600}));
  EXPECT_EQ(DestinationSize({300, 600}, 96, 96, printer, room, true), (PixelSize{3000, 6000}));
  // Proportional keeps inches: 480 pixels at 96 dpi are 5 inches, 3000 printer pixels.
  EXPECT_EQ(DestinationSize({480, 300}, 96, 96, printer, room, false), (PixelSize{3000, 1875}));
  // Too wide: narrowed without being shortened.
  EXPECT_EQ(DestinationSize({960, 300}, 96, 96, printer, room, false), (PixelSize{4800, 1875}));
  // Large products do not overflow 32 bits.
  EXPECT_EQ(DestinationSize({100000, 100000}, 96, 96, PrinterMetrics{0, 0, 2400, 2400, 0, 0}, {200000, 200000}, false),
            (PixelSize{200000, 200000}));
  // Nothing to print, or no room.
  EXPECT_FALSE(DestinationSize({0, 600}, 96, 96, printer, room, true));
  EXPECT_FALSE(DestinationSize({800, 0}, 96, 96, printer, room, false));
  EXPECT_FALSE(DestinationSize({800, 600}, 96, 96, printer, {0, 6000}, true));
  EXPECT_FALSE(DestinationSize({800, 600}, 96, 96, printer, {4800, -5}, false));
  EXPECT_FALSE(DestinationSize({800, 600}, 0, 96, printer, room, false));
}

TEST(WindowPrinting, PictureAndHeaderPlacement) {
  // A top margin of 1.0 inch at 600 dpi with an offset of 100: picture at 500, header at 250.
  const PrinterMetrics printer{4900, 6400, 600, 600, 100, 100};
  const auto p = PlaceWindowPicture({800, 600}, 96, 96, printer, MarginsFromTenths(10, 10, 10, 10), true);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Y, 500);
  EXPECT_EQ(p->X, 500);
  EXPECT_EQ(p->HeaderY, 250);
  EXPECT_EQ(p->HeaderX, 500);
  EXPECT_EQ(p->Width, 3900);
  // Margins wider than the page leave no room.
  EXPECT_FALSE(PlaceWindowPicture({800, 600}, 96, 96, {600, 600, 600, 600, 0, 0}, MarginsFromTenths(20, 20, 1, 1), true));
  EXPECT_EQ(WindowPrintHeader("Sniffer", "/t/a.cap"), "Sniffer File /t/a.cap");
}

TEST(VisualizerPrinting, MarginsStepByFiveHundredths) {
  EXPECT_EQ(SpinVisualizerMargin(10, false), 5);
  EXPECT_EQ(SpinVisualizerMargin(5, false), 5);  // 0.10 stops at 0.05
  EXPECT_EQ(SpinVisualizerMargin(245, true), 250);
  EXPECT_EQ(SpinVisualizerMargin(250, true), 250);  // 2.45 reaches 2.50 and stops
  int m = 100;
  for (int i = 0; i < 40; ++i) m = SpinVisualizerMargin(m, false);
  EXPECT_EQ(m, 5);
  EXPECT_EQ(VisualizerMarginText(100), " 1.00\"");
  EXPECT_EQ(VisualizerMarginText(5), " 0.05\"");
}

TEST(VisualizerPrinting, BodyBitmapSize) {
  EXPECT_EQ(BodyBitmapSize(96, {}), (PixelSize{624, 830}));
  EXPECT_EQ(BodyBitmapSize(120, {50, 50, 50, 50}), (PixelSize{900, 1158}));
  EXPECT_FALSE(BodyBitmapSize(96, {450, 450, 100, 100}));
  EXPECT_FALSE(BodyBitmapSize(96, {100, 100, 600, 500}));
}

TEST(VisualizerPrinting, PageLayoutOnAPrinter) {
  const PageDevice printer{600, 600, 50, 25};
  const std::vector<ColumnHeading> headings = {{"Packet", 60}, {"Size", 100}};
  const VisualizerPageLayout l = LayoutVisualizerPage(printer, {}, 60, headings, 624);
  EXPECT_EQ(l.Body, (PageRect{550, 785, 4450, 5975}));
  EXPECT_EQ(l.Title.X, 2500);
  EXPECT_EQ(l.Title.Y, 275);
  EXPECT_EQ(l.FileLine.Y, 395);
  EXPECT_EQ(l.SelectionLine.X, 550);
  EXPECT_EQ(l.SelectionLine.Y, 575);
  EXPECT_EQ(l.HeadingsTop, 695);
  // Headings sit over their columns as the body is stretched: 3900 printer pixels for 624.
  ASSERT_EQ(l.Headings.size(), 2u);
  EXPECT_EQ(l.Headings[0].first, "Packet");
  EXPECT_EQ(l.Headings[0].second, 550 + 375);
  EXPECT_EQ(l.Headings[1].second, 550 + 625);
  // Footer baseline 0.5 inch above the bottom: 6300 less the text's height, less the offset.
  EXPECT_EQ(l.PrintedOn.Y, 6300 - 60 - 25);
  EXPECT_EQ(l.PrintedOn.X, 550);
  EXPECT_EQ(l.PageNumber.X, 4450);
}

TEST(VisualizerPrinting, PageLayoutOnThePreviewPaper) {
  const PageDevice paper = PaperDevice({425, 550});  // 50 pixels per inch
  const VisualizerPageLayout l = LayoutVisualizerPage(paper, {}, 10, {}, 624);
  EXPECT_EQ(l.Body, (PageRect{50, 68, 375, 500}));
  EXPECT_EQ(l.Title.X, 212);
  EXPECT_EQ(l.PrintedOn.Y, 515);
  EXPECT_TRUE(l.Headings.empty());
}

TEST(VisualizerPrinting, Texts) {
  EXPECT_EQ(PrintedOnText(2026, 12, 8), "Printed on Tuesday December 8, 2026");
  EXPECT_EQ(PrintedOnText(2000, 2, 29), "Printed on Tuesday February 29, 2000");
  EXPECT_EQ(PageNumberText(12), "Page 12");
  EXPECT_EQ(VisualizerFileLine("NetXRay", "/a/b.cap", "Monday"), "NetXRay file /a/b.cap dated Monday");
  EXPECT_EQ(VisualizerSelectionLine("10.0.0.1", "10.0.0.2", "TCP/ftp"),
            "Source: 10.0.0.1  Destination: 10.0.0.2  Protocol/App: TCP/ftp");
  EXPECT_EQ(PrintConfirmationText(101), "You are about to print 101 pages.");
}

TEST(VisualizerPrinting, PageRangeRules) {
  PageRange r = RecountPages({}, 7);
  r.Last = 7;
  EXPECT_EQ(r, (PageRange{7, 1, 7}));
  // First after last cannot stand: the edits push each other.
  EXPECT_EQ(SetFirstPage(r, 5), (PageRange{7, 5, 7}));
  EXPECT_EQ(SetLastPage(SetFirstPage(r, 5), 3), (PageRange{7, 3, 3}));
  EXPECT_EQ(SetFirstPage(SetLastPage(r, 3), 6), (PageRange{7, 6, 6}));
  EXPECT_EQ(SetFirstPage(r, 0).First, 1);
  EXPECT_EQ(SetLastPage(r, 99).Last, 7);
  // After new margins fewer pages: both ends pulled in.
  EXPECT_EQ(RecountPages({7, 5, 7}, 4), (PageRange{4, 4, 4}));
  EXPECT_EQ(RecountPages({7, 2, 3}, 0), (PageRange{1, 1, 1}));
  EXPECT_FALSE(PageRangePrintable({5, 4, 3}));
  EXPECT_EQ(PageRangeSize({5, 4, 3}), 0);
  EXPECT_FALSE(PrintNeedsConfirmation({200, 1, 100}));
  EXPECT_TRUE(PrintNeedsConfirmation({200, 1, 101}));
  EXPECT_TRUE(PrintNeedsConfirmation({200, 100, 200}));
  EXPECT_EQ(DrawingPage(1), 0);
}

TEST(VisualizerPrinting, Zoom) {
  // The fit holds both directions: an 800 x 700 box gives a page no taller than the box.
  EXPECT_EQ(ZoomToFit(800, 700), (PixelSize{510, 660}));
  EXPECT_EQ(ZoomToFit(500, 2000), (PixelSize{460, 595}));
  EXPECT_EQ(ZoomToFit(30, 10), (PixelSize{1, 1}));
  EXPECT_EQ(ZoomToPageWidth(465), (PixelSize{425, 550}));
  EXPECT_EQ(ZoomToPercent(100, 96), (PixelSize{816, 1056}));
  EXPECT_EQ(ZoomToPercent(50, 96), (PixelSize{408, 528}));
  EXPECT_EQ(NextZoomPercent(100, true), 125);
  EXPECT_EQ(NextZoomPercent(100, false), 75);
  EXPECT_EQ(NextZoomPercent(400, true), 400);
  EXPECT_EQ(NextZoomPercent(10, false), 10);
  EXPECT_EQ(NextZoomPercent(80, false), 75);
  EXPECT_EQ(CentrePaper(800, 700, {510, 660}), (std::pair<int, int>{145, 20}));
  EXPECT_EQ(CentrePaper(100, 100, {510, 660}), (std::pair<int, int>{0, 0}));
}

}  // namespace
}  // namespace corvanta
