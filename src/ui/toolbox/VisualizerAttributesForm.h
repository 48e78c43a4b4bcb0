#pragma once
#include <QColor>
#include <QDialog>
#include <QFont>
#include <functional>
#include <optional>

class QFrame;
class QLabel;
class QPushButton;

namespace corvanta::ui {

class DialogService;

// The visualizer's three colours and its font.
struct VisualizerAttributes {
  QColor send;
  QColor receive;
  QColor diagnostic;
  QFont font;
  QColor fontColor;
};

// "Trellivue Display Attributes": the colours and the font of the toolbox's packet drawing.
// The panels show the values given before the dialog opens; "&OK" makes them the result.
class TVisualizerAttributes : public QDialog {
  Q_OBJECT
 public:
  explicit TVisualizerAttributes(DialogService& dialogs, QWidget* parent = nullptr);

  // The panels take these values (as at activation).
  void SetAttributes(const VisualizerAttributes& attributes);
  // The panels' values: what "&OK" accepts.
  VisualizerAttributes Attributes() const;

  // The platform's font dialog; tests replace it. nullopt when cancelled.
  std::function<std::optional<QFont>(QWidget* parent, const QFont& initial)> chooseFont;

  QPushButton* Button(const QString& name) const;
  QFrame* Panel(const QString& name) const;

 private:
  void ChooseColor(QFrame* panel);
  void ChooseFont();

  DialogService& dialogs_;
  QFrame* send_ = nullptr;
  QFrame* receive_ = nullptr;
  QFrame* diagnostic_ = nullptr;
  QLabel* sample_ = nullptr;
  QColor fontColor_;
};

}  // namespace corvanta::ui
