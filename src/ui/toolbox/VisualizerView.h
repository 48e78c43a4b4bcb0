#pragma once
// The toolbox's drawing area: a panel with the column header (HeaderControl1), the paint
// area (PaintBox1, 1600 pixels wide, cross cursor) and two scroll bars (ScrollBar1,
// ScrollBar2). It keeps the last layout pass and paints only the band in view, so scrolling
// a long conversation does not lay it out again.
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QWidget>
#include <memory>

#include "analysis/VisualizerLayout.h"

class QPainter;
class QPaintDevice;
class QScrollBar;

namespace corvanta::ui {

// Paints the lines, arrows, columns and time scales of a pass that meet rows top..top+height
// (screen: page < 0, with the separator line over the whole height) or of one page.
void PaintVisualizerBand(QPainter& painter, const VisualizerLayout& layout, const VisualizerOptions& options,
                         const QFont& font, const QColor& fontColor, int64_t top, int height, int page = -1);

class VisualizerHeader;
class VisualizerArea;

class TVisualizerView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kPaintWidth = 1600;

  explicit TVisualizerView(QWidget* parent = nullptr);
  ~TVisualizerView() override;

  // Lays the selection out again (busy cursor) and repaints from the top of the current
  // scroll position. Emits PassChanged.
  void Recalc(const VisualizerRequest& request, const QFont& font, const QColor& fontColor);
  // Forgets the pass: an empty white area (a new trace replaced the model).
  void Clear();
  // The cached pass; null before the first Recalc.
  const VisualizerLayout* Pass() const { return pass_.get(); }
  const VisualizerOptions& Options() const { return options_; }

  void ScrollToTop();
  // Scrolls so that row y of the drawing is in the middle of the view.
  void CenterOn(int64_t y);
  // The picture the copy button puts on the clipboard: the part under the selection
  // rectangle (moved 2 pixels right and down), or the whole panel. Removes the rectangle.
  QPixmap Picture();
  void CopyToClipboard();
  QRect SelectionRect() const { return selection_; }

  QScrollBar* VerticalBar() const { return vertical_; }
  QScrollBar* HorizontalBar() const { return horizontal_; }
  QWidget* PaintArea() const;
  QWidget* PaintBox() const { return PaintArea(); }
  QWidget* Header() const;
  // The first row of the drawing in view.
  int64_t ScrollOffset() const;

 signals:
  void PassChanged();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class VisualizerArea;
  friend class VisualizerHeader;
  void UpdateBars();
  void Paint(QPainter& painter, int height);
  void PaintHeader(QPainter& painter);
  void StartSelection(QPoint at);
  void MoveSelection(QPoint to);

  std::shared_ptr<const VisualizerLayout> pass_;
  VisualizerOptions options_;
  QFont font_;
  QColor fontColor_ = Qt::black;
  VisualizerHeader* header_ = nullptr;
  VisualizerArea* area_ = nullptr;
  QScrollBar* vertical_ = nullptr;
  QScrollBar* horizontal_ = nullptr;
  QPoint anchor_;
  QRect selection_;
};

}  // namespace corvanta::ui
