#pragma once
#include <QWidget>

#include "analysis/Charts.h"
#include "ui/main/MainForm.h"

class QButtonGroup;
class QToolButton;

namespace corvanta::ui {

class TChartView;

// The "Frame Size Chart" and "Protocol Chart" pages: a chart with its copy button; the
// protocol chart also offers the packet class.
class TChartPage : public QWidget, public PageEditing {
  Q_OBJECT
 public:
  enum class Kind { kFrameSize, kProtocol };
  explicit TChartPage(Kind kind, QWidget* parent = nullptr);

  TChartView* Chart() const { return chart_; }
  QToolButton* CopyButton() const { return copyButton_; }
  // The protocol chart's choice; always "All" for the frame size chart.
  PacketClass ChosenPacketClass() const;
  void SetPacketClass(PacketClass packetClass);

  void CopyToClipboard() override;

 signals:
  // A packet class was chosen: the charts are filled again.
  void PacketClassClick();
  void ChartPropertiesRequested();

 private:
  TChartView* chart_ = nullptr;
  QToolButton* copyButton_ = nullptr;
  QButtonGroup* packetClass_ = nullptr;
};

}  // namespace corvanta::ui
