#pragma once
#include <QString>
#include <QWidget>

#include "analysis/FileSummary.h"

class QButtonGroup;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace corvanta::ui {

struct FileAttributeTexts {
  QString analyzer;
  QString interfaceName;
  QString bandwidth;
  QString date;
  QString size;
  QString duration;
  QString comment;
  QString firstFrame;
};

// The "File Summary" page: file attributes, frame statistics, media utilisation and DLC
// encapsulation types. It only shows figures computed elsewhere.
class TFileSummaryPage : public QWidget {
  Q_OBJECT
 public:
  explicit TFileSummaryPage(QWidget* parent = nullptr);

  // Empty attributes and the duration "00:00:00.000".
  void ClearFileAttributes();
  void SetFileAttributes(const FileAttributeTexts& texts);
  void SetFileBandwidth(const QString& text);
  void ShowFrameStatistics(const FrameStatistics& stats);
  // The line under the frame statistics naming hosts with checksum offload; hidden when empty.
  void ShowChecksumOffload(const QString& text);
  void ShowMediaUtilization(const MediaUtilization& util);
  void ShowEncapsulationTypes(const EncapsulationTypes& types);
  // "Multicast", or "Functional" on Token Ring.
  void SetMulticastLabel(const QString& text);

  // The "Utilization Graph..." button works while a trace is open.
  void SetGraphAvailable(bool on);

  // "Broadcast Only" chosen in MediaUtilSelection.
  bool BroadcastOnly() const;
  void SetBroadcastOnly(bool on);

  // A text box or bar by its control name, for tests and the grab.
  QLineEdit* TextBox(const QString& name) const;
  QProgressBar* Bar(const QString& name) const;
  // The frame statistics stand under the other groups: the page is too narrow beside them.
  bool Narrow() const { return narrow_; }

 signals:
  void MediaUtilSelectionClick();
  void UtilizationGraphClick();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Arrange(bool narrow);
  QLineEdit* AddBox(const QString& name);
  QProgressBar* AddBar(const QString& name, int width = 0);
  void FillRow(const FrameStatisticsRow& row, const QString& frames, const QString& framePct, const QString& bytes,
               const QString& bytePct, const QString& ave, const QString& largest);

  QGridLayout* grid_ = nullptr;
  QGroupBox* attributes_ = nullptr;
  QGroupBox* frames_ = nullptr;
  QGroupBox* encapsulations_ = nullptr;
  bool narrow_ = false;
  QGroupBox* mediaGroup_ = nullptr;
  QPushButton* graphButton_ = nullptr;
  QButtonGroup* mediaSelection_ = nullptr;
  QLabel* multicastLabel_ = nullptr;
  QLabel* etypeLabel_ = nullptr;
  QLabel* llcLabel_ = nullptr;
  QLabel* snapLabel_ = nullptr;
  QLabel* novRawLabel_ = nullptr;
  QLabel* checksumOffload_ = nullptr;
};

}  // namespace corvanta::ui
