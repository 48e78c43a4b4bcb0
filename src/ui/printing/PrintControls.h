#pragma once
// Pieces the two print dialogs share: the up/down spin button of a margin, its panel and
// the printer's metrics as the page geometry takes them.
#include <QString>
#include <QWidget>
#include <array>

#include "analysis/PrintLayout.h"

class QGridLayout;
class QGroupBox;
class QLabel;
class QPrinter;
class QToolButton;

namespace corvanta::ui {

inline QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Two arrow buttons without a value of their own.
class TSpinButton : public QWidget {
  Q_OBJECT
 public:
  explicit TSpinButton(const QString& name, QWidget* parent = nullptr);
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 signals:
  void UpClick();
  void DownClick();

 private:
  QToolButton* up_ = nullptr;
  QToolButton* down_ = nullptr;
};

// The margins group: labels "Left", "Right", "Top", "Bottom", a panel and a spin button
// each. Sides in the order left, right, top, bottom.
struct MarginControls {
  QGroupBox* group = nullptr;
  std::array<QLabel*, 4> panels{};
  std::array<TSpinButton*, 4> spins{};
};
MarginControls MakeMarginControls(QWidget* parent);

// The printable area in printer pixels, the resolution and the area's offset on the sheet.
PrinterMetrics MetricsOf(QPrinter& printer);
PageDevice DeviceOf(QPrinter& printer);

}  // namespace corvanta::ui
