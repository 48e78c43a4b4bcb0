#pragma once
#include <QFont>
#include <QImage>
#include <QString>
#include <functional>

#include "analysis/PrintLayout.h"
#include "ui/printing/PrintControls.h"

class QPainter;
class QPaintDevice;

namespace corvanta::ui {

class VisualizerPages;

// What the visualizer print dialog sets for its pages.
struct VisualizerPrintSettings {
  QString title = FromView(kVisualizerPrintTitle);
  bool includeFileName = true;
  bool includePrintedOn = true;
  bool includePageNumber = true;
  PageMargins margins;  // hundredths of an inch; the dialog's own, not the page set-up's
  bool operator==(const VisualizerPrintSettings&) const = default;
};

// The visualizer's pages as printed and previewed: the drawing's pages with the title,
// file and selection lines, column headings and footer around them.
class VisualizerPrintDocument {
 public:
  // The visualizer being printed; null: a document of no pages.
  void SetPages(VisualizerPages* pages) { pages_ = pages; }
  VisualizerPages* Pages() const { return pages_; }
  // The trace's line ("... file ... dated ..."), asked when pages are laid out.
  void SetFileLine(std::function<QString()> fileLine) { fileLine_ = std::move(fileLine); }
  // The screen's pixels per inch, at which the drawing is made.
  void SetScreenDpi(double dpi) { screenDpi_ = dpi; }
  double ScreenDpi() const { return screenDpi_; }

  // The surface one page of the drawing is made on; empty when the margins leave no room.
  QSize BodySize(const VisualizerPrintSettings& settings) const;
  // The drawing's pages at the settings' margins (at least 1 while there is room).
  int CountPages(const VisualizerPrintSettings& settings) const;

  // Pages laid out once for one device and rendered one by one.
  class Renderer {
   public:
    Renderer(const VisualizerPrintDocument& document, const VisualizerPrintSettings& settings, const PageDevice& device);
    // Page `page` of the dialog (numbered from 1); false when there is no room for a body.
    bool Render(QPainter& painter, int page);
    const VisualizerPageLayout& Layout() const { return layout_; }

   private:
    const VisualizerPrintDocument& document_;
    VisualizerPrintSettings settings_;
    PageDevice device_;
    QFont title_;
    QFont text_;
    QFont heading_;
    QString fileLine_;
    QString selectionLine_;
    QString printedOn_;
    QImage body_;
    VisualizerPageLayout layout_;
  };

 private:
  VisualizerPages* pages_ = nullptr;
  std::function<QString()> fileLine_;
  double screenDpi_ = 96;
};

}  // namespace corvanta::ui
