#include "ui/main/UtilizationGraph.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/widgets/Icons.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

const QColor kAllColor(30, 90, 200);
const QColor kBroadcastColor(220, 60, 20);
constexpr int kMinimumZoomPixels = 4;

}  // namespace

// ---- TUtilizationPlot

TUtilizationPlot::TUtilizationPlot(QWidget* parent) : QWidget(parent) {
  setObjectName("UtilizationPlot");
  setMouseTracking(true);
  setMinimumSize(360, 200);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TUtilizationPlot::SetSeries(std::vector<UtilizationSecond> series, const UtilizationScale& scale,
                                 double startSecondOfDay) {
  series_ = std::move(series);
  scale_ = scale;
  startSecondOfDay_ = startSecondOfDay;
  ResetZoom();
}

void TUtilizationPlot::SetScale(const UtilizationScale& scale) {
  scale_ = scale;
  update();
}

void TUtilizationPlot::SetMeasure(UtilizationMeasure measure) {
  measure_ = measure;
  update();
}

void TUtilizationPlot::SetShown(bool all, bool broadcast) {
  showAll_ = all;
  showBroadcast_ = broadcast;
  update();
}

void TUtilizationPlot::ResetZoom() { ZoomTo(0, UtilizationSpan(series_)); }

void TUtilizationPlot::ZoomTo(double fromSeconds, double toSeconds) {
  if (!(toSeconds > fromSeconds)) return;
  from_ = std::max(0.0, fromSeconds);
  to_ = std::max(from_ + 0.1, toSeconds);
  update();
}

QRect TUtilizationPlot::PlotArea() const {
  const QFontMetrics fm = fontMetrics();
  const int left = fm.horizontalAdvance("999,999,999") + 12;
  return QRect(left, fm.height() / 2 + 4, std::max(10, width() - left - 16),
               std::max(10, height() - 2 * fm.height() - 16));
}

double TUtilizationPlot::SecondsAt(int x) const {
  const QRect area = PlotArea();
  return from_ + (to_ - from_) * (x - area.left()) / std::max(1, area.width());
}

void TUtilizationPlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  const QRect area = PlotArea();
  const QFontMetrics fm = fontMetrics();
  const std::vector<UtilizationColumn> columns =
      UtilizationColumns(series_, measure_, scale_, from_, to_, area.width());
  double top = 0;
  for (const UtilizationColumn& c : columns) {
    if (showAll_) top = std::max(top, c.All);
    if (showBroadcast_) top = std::max(top, c.Broadcast);
  }
  const ValueAxis axis = MakeValueAxis(top, area.height() / (fm.height() * 2), measure_, LocaleThousandsSeparator());
  const std::vector<double>& ticks = axis.Ticks;
  const double yMax = axis.Max;
  auto yOf = [&](double v) { return area.bottom() - static_cast<int>(std::lround(v / yMax * area.height())); };

  // Grid and value axis.
  p.setPen(QPen(palette().mid().color(), 1, Qt::DotLine));
  for (double v : ticks) p.drawLine(area.left(), yOf(v), area.right(), yOf(v));
  p.setPen(palette().text().color());
  for (size_t i = 0; i < ticks.size(); ++i)
    p.drawText(QRect(0, yOf(ticks[i]) - fm.height() / 2, area.left() - 6, fm.height()),
               Qt::AlignRight | Qt::AlignVCenter, ToQ(axis.Labels[i]));
  // Time axis: ticks at clock steps, labels centred under them.
  const int maxTimeTicks = std::max(2, area.width() / (fm.horizontalAdvance("00:00:00.0") + 24));
  const std::vector<double> times = TimeTicks(from_, to_, maxTimeTicks);
  const bool tenths = times.size() > 1 && times[1] - times[0] < 1.0;
  for (double t : times) {
    const int x = area.left() + static_cast<int>(std::lround((t - from_) / (to_ - from_) * area.width()));
    p.setPen(QPen(palette().mid().color(), 1, Qt::DotLine));
    p.drawLine(x, area.top(), x, area.bottom());
    p.setPen(palette().text().color());
    p.drawLine(x, area.bottom(), x, area.bottom() + 4);
    const QString label = ToQ(TimeLabel(t, startSecondOfDay_, tenths));
    const int w = fm.horizontalAdvance(label);
    p.drawText(std::clamp(x - w / 2, 0, width() - w), area.bottom() + 6 + fm.ascent(), label);
  }

  // The series: one vertical bar per pixel column, broadcast drawn over all frames.
  for (int pass = 0; pass < 2; ++pass) {
    const bool broadcast = pass == 1;
    if (broadcast ? !showBroadcast_ : !showAll_) continue;
    p.setPen(broadcast ? kBroadcastColor : kAllColor);
    for (size_t i = 0; i < columns.size(); ++i) {
      if (!columns[i].HasData) continue;
      const double v = broadcast ? columns[i].Broadcast : columns[i].All;
      const int x = area.left() + static_cast<int>(i);
      p.drawLine(x, area.bottom(), x, std::min(area.bottom(), yOf(v)));
    }
  }
  p.setPen(palette().text().color());
  p.drawLine(area.bottomLeft(), area.bottomRight());
  p.drawLine(area.bottomLeft(), area.topLeft());

  if (dragging_) {
    const QRect band = QRect(QPoint(std::min(dragStart_.x(), dragNow_.x()), area.top()),
                             QPoint(std::max(dragStart_.x(), dragNow_.x()), area.bottom()));
    QColor fill = palette().highlight().color();
    fill.setAlpha(60);
    p.fillRect(band, fill);
  }
}

void TUtilizationPlot::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  dragStart_ = dragNow_ = event->position().toPoint();
}

void TUtilizationPlot::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (dragging_) {
    dragNow_ = pos;
    update();
  }
  const int64_t i = PlotArea().contains(pos) ? UtilizationIndexAt(series_, SecondsAt(pos.x())) : -1;
  emit Hovered(i < 0 ? QString()
                     : ToQ(UtilizationHoverText(series_[static_cast<size_t>(i)], scale_, startSecondOfDay_,
                                                LocaleThousandsSeparator(), LocaleDecimalSeparator())));
}

void TUtilizationPlot::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return;
  dragging_ = false;
  const int x0 = std::min(dragStart_.x(), event->position().toPoint().x());
  const int x1 = std::max(dragStart_.x(), event->position().toPoint().x());
  if (x1 - x0 >= kMinimumZoomPixels) ZoomTo(SecondsAt(x0), SecondsAt(x1));
  update();
}

void TUtilizationPlot::mouseDoubleClickEvent(QMouseEvent*) { ResetZoom(); }

void TUtilizationPlot::leaveEvent(QEvent*) { emit Hovered({}); }

// ---- TUtilizationGraph

TUtilizationGraph::TUtilizationGraph(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("UtilizationGraphForm");
  setWindowTitle(ToQ(std::string(kUtilizationGraphCaption)));
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  auto* showLabel = new QLabel("Show:", this);
  measure_ = new QComboBox(this);
  measure_->setObjectName("MeasureComboBox");
  for (std::string_view name : kUtilizationMeasureNames) measure_->addItem(ToQ(std::string(name)));
  showLabel->setBuddy(measure_);
  measure_->setToolTip("Bandwidth percent against the chosen bandwidth, or frames or bytes in each second");
  all_ = new QCheckBox("All Frames", this);
  all_->setObjectName("AllFramesCheckBox");
  all_->setChecked(true);
  broadcast_ = new QCheckBox("Broadcast", this);
  broadcast_->setObjectName("BroadcastCheckBox");
  broadcast_->setChecked(true);
  broadcast_->setToolTip("Frames to the broadcast address, as the broadcast peak counts them");
  QPalette allPalette = all_->palette();
  allPalette.setColor(QPalette::WindowText, kAllColor);
  all_->setPalette(allPalette);
  QPalette broadcastPalette = broadcast_->palette();
  broadcastPalette.setColor(QPalette::WindowText, kBroadcastColor);
  broadcast_->setPalette(broadcastPalette);
  auto* reset = new QToolButton(this);
  reset->setObjectName("ResetZoomBtn");
  reset->setText("Whole Trace");
  reset->setToolTip("Show the whole trace again (or double click the graph); drag across the graph to zoom in");
  copyPicture_ = new QToolButton(this);
  copyPicture_->setObjectName("CopyGraphBtn");
  copyPicture_->setIcon(MakeIcon(Picture::Copy));
  copyPicture_->setToolTip("Copy graphic to clipboard");
  copyText_ = new QToolButton(this);
  copyText_->setObjectName("CopyCsvBtn");
  copyText_->setText("CSV");
  copyText_->setToolTip("Copy the seconds to the clipboard as CSV text");
  bar->addWidget(showLabel);
  bar->addWidget(measure_);
  bar->addSpacing(12);
  bar->addWidget(all_);
  bar->addWidget(broadcast_);
  bar->addStretch();
  bar->addWidget(reset);
  bar->addWidget(copyPicture_);
  bar->addWidget(copyText_);
  layout->addLayout(bar);
  plot_ = new TUtilizationPlot(this);
  plot_->setToolTip({});
  layout->addWidget(plot_, 1);
  hover_ = new QLabel(this);
  hover_->setObjectName("HoverLabel");
  hover_->setMinimumHeight(hover_->fontMetrics().height());
  layout->addWidget(hover_);
  resize(900, 420);

  connect(measure_, &QComboBox::currentIndexChanged, this,
          [this](int index) { plot_->SetMeasure(static_cast<UtilizationMeasure>(std::clamp(index, 0, 2))); });
  connect(all_, &QCheckBox::clicked, this, &TUtilizationGraph::ShownClick);
  connect(broadcast_, &QCheckBox::clicked, this, &TUtilizationGraph::ShownClick);
  connect(reset, &QToolButton::clicked, plot_, &TUtilizationPlot::ResetZoom);
  connect(copyPicture_, &QToolButton::clicked, this, &TUtilizationGraph::CopyPicture);
  connect(copyText_, &QToolButton::clicked, this, &TUtilizationGraph::CopyText);
  connect(plot_, &TUtilizationPlot::Hovered, hover_, &QLabel::setText);
}

void TUtilizationGraph::SetSeries(std::vector<UtilizationSecond> series, const UtilizationScale& scale,
                                  double startSecondOfDay) {
  plot_->SetSeries(std::move(series), scale, startSecondOfDay);
  hover_->clear();
}

void TUtilizationGraph::SetScale(const UtilizationScale& scale) { plot_->SetScale(scale); }

void TUtilizationGraph::ShownClick() { plot_->SetShown(all_->isChecked(), broadcast_->isChecked()); }

void TUtilizationGraph::CopyPicture() { QApplication::clipboard()->setPixmap(plot_->grab()); }

QString TUtilizationGraph::CsvText() const {
  return ToQ(UtilizationCsv(plot_->Series(), plot_->Scale(), plot_->StartSecondOfDay()));
}

void TUtilizationGraph::CopyText() { QApplication::clipboard()->setText(CsvText()); }

}  // namespace corvanta::ui
