#pragma once
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace corvanta::ui {

// The small four-bar chart of the throughput and latency windows.
class TBarChart : public QWidget {
  Q_OBJECT
 public:
  explicit TBarChart(QWidget* parent = nullptr);
  // None hides the chart.
  void SetValues(const std::optional<std::array<double, 4>>& values);
  const std::array<double, 4>& Values() const { return values_; }
  QPixmap Picture();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<double, 4> values_{1, 1, 1, 1};
};

// A caption, name and hint of one figure panel.
struct PanelLabels {
  const char* name;
  const char* caption;
  const char* hint;
};

// The controls' names of one half (upper or lower) of the throughput or latency window.
struct HalfLabels {
  const char* title;
  const char* memo;
  const char* figureGroup;
  const char* packetGroup;
  const char* chart;
  const char* copyGraphic;
  const char* copyData;
  std::array<PanelLabels, 4> figures;
  std::vector<PanelLabels> packets;
};

// One direction of a conversation: its title, notes, four figures with their bar chart,
// packet panels and copy buttons.
class TAnalysisHalf : public QWidget {
  Q_OBJECT
 public:
  TAnalysisHalf(const HalfLabels& labels, const QString& figureCaption, QWidget* parent = nullptr);

  // Empty panels, the memo "Notes", the chart hidden, the copy buttons off.
  void Reset(const QString& title);
  void SetMemo(const std::vector<std::string>& lines);
  void SetFigures(const std::array<std::string, 4>& texts, const std::optional<std::array<double, 4>>& chart,
                  bool canCopy);
  void SetPackets(const std::vector<std::string>& texts);
  void SetTitleColor(const QColor& color);
  // Puts an extra button (the what-if button) under the packet panels.
  void AddButton(QToolButton* button);

  QLabel* Title() const { return title_; }
  QPlainTextEdit* Memo() const { return memo_; }
  QGroupBox* FigureGroup() const { return figureGroup_; }
  QLabel* Figure(int i) const { return figures_[static_cast<size_t>(i)]; }
  QLabel* Packet(int i) const { return packets_[static_cast<size_t>(i)]; }
  TBarChart* Chart() const { return chart_; }
  QToolButton* CopyGraphic() const { return copyGraphic_; }
  QToolButton* CopyData() const { return copyData_; }

 signals:
  void CopyDataClicked();

 private:
  QLabel* title_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  QGroupBox* figureGroup_ = nullptr;
  QGroupBox* packetGroup_ = nullptr;
  std::array<QLabel*, 4> figures_{};
  std::vector<QLabel*> packets_;
  TBarChart* chart_ = nullptr;
  QToolButton* copyGraphic_ = nullptr;
  QToolButton* copyData_ = nullptr;
};

// Puts text on the clipboard.
void CopyText(const std::string& text);

}  // namespace corvanta::ui
