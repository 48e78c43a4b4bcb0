#pragma once
#include <QWidget>
#include <vector>

#include "analysis/Charts.h"

class QMenu;
class QPainter;

namespace corvanta::ui {

// A chart with a pie series and a bar series of the same points, drawn as the chart
// properties say: background gradient, title, legend, value marks, pie or bar, 3D.
class TChartView : public QWidget {
  Q_OBJECT
 public:
  explicit TChartView(QWidget* parent = nullptr);

  void SetData(ChartData data);
  void SetLook(const ChartLook& look);
  const ChartData& Data() const { return data_; }
  const ChartLook& Look() const { return look_; }

  // The points of the active series and the texts drawn with them.
  const std::vector<ChartPoint>& ActivePoints() const;
  std::vector<ChartPointText> PointTexts() const;

  // The chart as a picture, for the clipboard.
  QPixmap Picture();
  void CopyToClipboard();
  QMenu* ChartPopup() const { return popup_; }

 signals:
  void PropertiesRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void PaintPie(QPainter& p, QRectF area, const std::vector<ChartPointText>& texts);
  void PaintBars(QPainter& p, QRectF area, const std::vector<ChartPointText>& texts);
  // Draws the legend at the right of area; returns what is left of it.
  QRectF PaintLegend(QPainter& p, QRectF area, const std::vector<ChartPointText>& texts);
  // A value mark: a small framed box whose anchor side touches at.
  QRectF MarkBox(const QString& text, QPointF at, Qt::Alignment side) const;

  ChartData data_;
  ChartLook look_;
  QMenu* popup_ = nullptr;
};

}  // namespace corvanta::ui
