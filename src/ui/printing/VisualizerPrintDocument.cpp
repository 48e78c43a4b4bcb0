#include "ui/printing/VisualizerPrintDocument.h"

#include <QDate>
#include <QFontMetrics>
#include <QPainter>
#include <cmath>

#include "ui/printing/VisualizerPages.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

// Fonts are sized in the device's pixels so that a page looks alike on paper and preview.
int PixelSize(double points, double dpi) { return std::max(1, static_cast<int>(std::lround(points * dpi / 72.0))); }

QFont PageFont(int points, double dpi, bool bold = false) {
  QFont font(FromView(kPrintFontName));
  font.setPixelSize(PixelSize(points, dpi));
  font.setBold(bold);
  return font;
}

}  // namespace

QSize VisualizerPrintDocument::BodySize(const VisualizerPrintSettings& settings) const {
  const auto size = BodyBitmapSize(screenDpi_, settings.margins);
  return size ? QSize(size->Width, size->Height) : QSize();
}

int VisualizerPrintDocument::CountPages(const VisualizerPrintSettings& settings) const {
  const QSize size = BodySize(settings);
  if (!pages_ || size.isEmpty()) return 0;
  QImage scratch(size, QImage::Format_RGB32);
  QPainter painter(&scratch);
  return pages_->DrawPage(painter, size, -1);
}

VisualizerPrintDocument::Renderer::Renderer(const VisualizerPrintDocument& document,
                                            const VisualizerPrintSettings& settings, const PageDevice& device)
    : document_(document), settings_(settings), device_(device) {
  title_ = PageFont(kTitlePoints, device.DpiY, true);
  text_ = PageFont(kPageTextPoints, device.DpiY);
  VisualizerPages* pages = document.Pages();
  std::vector<ColumnHeading> headings;
  if (pages) {
    heading_ = pages->DrawingFont();
    // The drawing's font as it would look at this device's resolution.
    if (heading_.pointSizeF() > 0)
      heading_.setPixelSize(PixelSize(heading_.pointSizeF(), device.DpiY));
    else
      heading_.setPixelSize(std::max(1, static_cast<int>(std::lround(heading_.pixelSize() * device.DpiY /
                                                                     document.ScreenDpi()))));
    heading_.setUnderline(true);
    headings = pages->ColumnHeadings();
    selectionLine_ = ToQ(VisualizerSelectionLine(ToStd(pages->SourceText()), ToStd(pages->DestinationText()),
                                                 ToStd(pages->ApplicationText())));
  }
  if (settings.includeFileName && document.fileLine_) fileLine_ = document.fileLine_();
  const QDate today = QDate::currentDate();
  printedOn_ = ToQ(PrintedOnText(today.year(), today.month(), today.day()));
  const QSize bodySize = document.BodySize(settings);
  if (!bodySize.isEmpty()) body_ = QImage(bodySize, QImage::Format_RGB32);
  layout_ = LayoutVisualizerPage(device, settings.margins, QFontMetrics(text_).height(), headings, bodySize.width());
}

bool VisualizerPrintDocument::Renderer::Render(QPainter& painter, int page) {
  if (body_.isNull()) return false;
  body_.fill(Qt::white);
  if (VisualizerPages* pages = document_.Pages()) {
    QPainter bodyPainter(&body_);
    pages->DrawPage(bodyPainter, body_.size(), DrawingPage(page));
  }
  const VisualizerPageLayout& l = layout_;
  painter.drawImage(QRect(l.Body.Left, l.Body.Top, l.Body.Width(), l.Body.Height()), body_);
  painter.setPen(Qt::black);
  // Texts are placed by their top edge, centred or right-aligned on their anchor.
  const int wide = static_cast<int>(std::lround(device_.DpiX * kPaperWidthHundredths / 100.0));
  auto text = [&](const QFont& font, const TextSpot& spot, Qt::Alignment align, const QString& s) {
    if (s.isEmpty()) return;
    painter.setFont(font);
    const int height = painter.fontMetrics().height();
    QRect box(spot.X, spot.Y, wide, height);
    if (align & Qt::AlignHCenter) box.moveLeft(spot.X - wide / 2);
    if (align & Qt::AlignRight) box.moveRight(spot.X);
    painter.drawText(box, static_cast<int>(align | Qt::AlignTop) | Qt::TextSingleLine, s);
  };
  text(title_, l.Title, Qt::AlignHCenter, settings_.title);
  text(text_, l.FileLine, Qt::AlignHCenter, fileLine_);
  text(text_, l.SelectionLine, Qt::AlignLeft, selectionLine_);
  for (const auto& [heading, right] : l.Headings)
    text(heading_, {right, l.HeadingsTop}, Qt::AlignRight, QString::fromStdString(heading));
  if (settings_.includePrintedOn) text(text_, l.PrintedOn, Qt::AlignLeft, printedOn_);
  if (settings_.includePageNumber) text(text_, l.PageNumber, Qt::AlignRight, ToQ(PageNumberText(page)));
  return true;
}

}  // namespace corvanta::ui
