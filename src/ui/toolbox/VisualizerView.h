#pragma once
#include <QWidget>

class QScrollBar;

namespace corvanta::ui {

// The toolbox's drawing area (PaintBox1): a white surface 1600 pixels wide with a cross
// cursor, scrolled by a vertical bar (ScrollBar1) and a horizontal one (ScrollBar2).
class TVisualizerView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kPaintWidth = 1600;

  explicit TVisualizerView(QWidget* parent = nullptr);

  QWidget* PaintBox() const { return paintBox_; }
  QScrollBar* VerticalBar() const { return vertical_; }
  QScrollBar* HorizontalBar() const { return horizontal_; }
  // Back to the top (a new selection or range).
  void ScrollToTop();
  // The drawing as a picture, for the clipboard.
  QPixmap Picture() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlacePaintBox();

  QWidget* viewport_ = nullptr;
  QWidget* paintBox_ = nullptr;
  QScrollBar* vertical_ = nullptr;
  QScrollBar* horizontal_ = nullptr;
};

}  // namespace corvanta::ui
