#pragma once
#include <QPoint>
#include <QWidget>
#include <vector>

#include "analysis/UtilizationGraph.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QToolButton;

namespace corvanta::ui {

// The plot of the "Utilization Graph" window: paints the columns the core computes for the
// visible time span; dragging selects a span to zoom into.
class TUtilizationPlot : public QWidget {
  Q_OBJECT
 public:
  explicit TUtilizationPlot(QWidget* parent = nullptr);

  void SetSeries(std::vector<UtilizationSecond> series, const UtilizationScale& scale, double startSecondOfDay);
  void SetMeasure(UtilizationMeasure measure);
  void SetShown(bool all, bool broadcast);
  void ResetZoom();
  void ZoomTo(double fromSeconds, double toSeconds);

  const std::vector<UtilizationSecond>& Series() const { return series_; }
  const UtilizationScale& Scale() const { return scale_; }
  double StartSecondOfDay() const { return startSecondOfDay_; }
  void SetScale(const UtilizationScale& scale);
  double From() const { return from_; }
  double To() const { return to_; }
  // The plot area inside the axes.
  QRect PlotArea() const;
  // Seconds from the first frame at a horizontal position of the widget.
  double SecondsAt(int x) const;

 signals:
  // The text of the second under the pointer; empty off the series.
  void Hovered(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  std::vector<UtilizationSecond> series_;
  UtilizationScale scale_;
  double startSecondOfDay_ = -1;
  UtilizationMeasure measure_ = UtilizationMeasure::kBandwidthPercent;
  bool showAll_ = true;
  bool showBroadcast_ = true;
  double from_ = 0;
  double to_ = 1;
  bool dragging_ = false;
  QPoint dragStart_;
  QPoint dragNow_;
};

// The "Utilization Graph" window: utilisation second by second against the time of capture,
// all frames and broadcast, as bandwidth percent, frames or bytes per second.
class TUtilizationGraph : public QWidget {
  Q_OBJECT
 public:
  explicit TUtilizationGraph(QWidget* parent = nullptr);

  // A copy of the series: the window never points into a model a newer trace replaces.
  void SetSeries(std::vector<UtilizationSecond> series, const UtilizationScale& scale, double startSecondOfDay);
  void SetScale(const UtilizationScale& scale);

  TUtilizationPlot* Plot() const { return plot_; }
  QComboBox* MeasureComboBox() const { return measure_; }
  QToolButton* CopyPictureButton() const { return copyPicture_; }
  QToolButton* CopyTextButton() const { return copyText_; }
  QLabel* HoverLabel() const { return hover_; }

  void CopyPicture();
  void CopyText();
  // The series as the CSV copy gives it.
  QString CsvText() const;

 private:
  void ShownClick();

  TUtilizationPlot* plot_ = nullptr;
  QComboBox* measure_ = nullptr;
  QCheckBox* all_ = nullptr;
  QCheckBox* broadcast_ = nullptr;
  QToolButton* copyPicture_ = nullptr;
  QToolButton* copyText_ = nullptr;
  QLabel* hover_ = nullptr;
};

}  // namespace corvanta::ui
