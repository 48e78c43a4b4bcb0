#pragma once
#include <QWidget>
#include <array>
#include <vector>

#include "analysis/DlcErrors.h"
#include "analysis/RingGeometry.h"
#include "trace/AnalyzerKind.h"
#include "ui/main/MainForm.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QTabWidget;
class QToolButton;
class QVBoxLayout;

namespace corvanta::ui {

// The Token Ring map: the ring poll's stations around a circle, as LayoutRingMap places them.
class TRingMapView : public QWidget {
  Q_OBJECT
 public:
  explicit TRingMapView(QWidget* parent = nullptr);
  void SetStations(std::vector<RingMapStation> stations);
  void SetOptions(RingColorBy colorBy, FaultDomain domain);
  const std::vector<RingMapStation>& Stations() const { return stations_; }
  // What the last paint drew.
  const RingMapDrawing& Drawing() const { return drawing_; }
  // The layout for the view's present size.
  RingMapDrawing Layout() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // A station's tooltip: its address, name and role.
  bool event(QEvent* event) override;

 private:
  QFont LabelFont() const;

  std::vector<RingMapStation> stations_;
  RingMapOptions options_;
  RingMapDrawing drawing_;
};

// The "DLC Error Expert" page: Ethernet frame errors and collision suspects, or the Token
// Ring map and soft-error summary.
class TDlcErrorPage : public QWidget, public PageEditing {
  Q_OBJECT
 public:
  explicit TDlcErrorPage(QWidget* parent = nullptr);

  // Fills the panel of the trace's medium; null model or statistics clear it.
  void Fill(Topology topology, const CaptureModel* model, const TraceStatistics* statistics,
            const VendorTable* vendors);
  void CopyToClipboard() override;

  Topology Medium() const { return topology_; }
  const EthernetDlcSummary& Ethernet() const { return ethernet_; }
  const SoftErrorSummary& SoftErrors() const { return softErrors_; }

  QWidget* EthernetPanel() const { return ethernetPanel_; }
  QWidget* TokenRingPanel() const { return tokenRingPanel_; }
  QTabWidget* TokenRingPages() const { return tokenRingPages_; }
  TRingMapView* RingMap() const { return ringMap_; }
  QWidget* RingMapCanvas() const { return canvas_; }
  QLabel* RingMapCaption() const { return ringCaption_; }
  QCheckBox* ShowDLCbyOUI() const { return byOui_; }
  QToolButton* DLCCopyButton() const { return copyButton_; }
  QPlainTextEdit* EthernetNotesMemo() const { return notes_; }
  QPlainTextEdit* SoftErrorMemo() const { return softNotes_; }
  QLineEdit* TextBox(const QString& name) const;
  QListWidget* List(const QString& name) const;
  QProgressBar* Gauge(int row) const;  // 1..5
  QLabel* Source(int row) const;       // 1..5
  QButtonGroup* StationIDRadioGroup() const { return stationId_; }
  QButtonGroup* DomainRadioGroup() const { return domain_; }
  QGroupBox* RingPollKey() const { return ringPollKey_; }
  QGroupBox* StationErrorsKey() const { return stationErrorsKey_; }

  // The ring map panel as a picture, without its copy button.
  QPixmap RingMapPicture();

 private:
  QWidget* BuildEthernetPanel();
  QWidget* BuildTokenRingPanel();
  QWidget* BuildRingMapPage();
  QWidget* BuildSoftErrorPage();
  void FillEthernet();
  void FillTokenRing();
  void ShowDLCbyOUIClick();
  void RingMapOptionsClick();
  void UpdateCopyButton();

  Topology topology_ = kEthernet;
  const CaptureModel* model_ = nullptr;
  const TraceStatistics* statistics_ = nullptr;
  const VendorTable* vendors_ = nullptr;
  EthernetDlcSummary ethernet_;
  SoftErrorSummary softErrors_;

  QWidget* ethernetPanel_ = nullptr;
  QWidget* tokenRingPanel_ = nullptr;
  QTabWidget* tokenRingPages_ = nullptr;
  TRingMapView* ringMap_ = nullptr;
  QWidget* canvas_ = nullptr;
  QLabel* ringCaption_ = nullptr;
  QToolButton* copyRingMapButton_ = nullptr;
  QCheckBox* byOui_ = nullptr;
  QToolButton* copyButton_ = nullptr;
  QGroupBox* collisionGroup_ = nullptr;
  QVBoxLayout* ethernetRight_ = nullptr;
  QPlainTextEdit* notes_ = nullptr;
  QPlainTextEdit* softNotes_ = nullptr;
  std::array<QLabel*, kCollisionTableRows> sources_{};
  std::array<QLineEdit*, kCollisionTableRows> transmits_{};
  std::array<QLineEdit*, kCollisionTableRows> retransmits_{};
  std::array<QProgressBar*, kCollisionTableRows> gauges_{};
  QButtonGroup* stationId_ = nullptr;
  QButtonGroup* domain_ = nullptr;
  QGroupBox* ringPollKey_ = nullptr;
  QGroupBox* stationErrorsKey_ = nullptr;
};

}  // namespace corvanta::ui
