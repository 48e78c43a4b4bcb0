#pragma once
#include <QDialog>
#include <QString>
#include <vector>

class QListWidget;
class QPushButton;

namespace corvanta::ui {

// One entry of the two lists: its text and the node it stands for (texts can collide).
struct DualListItem {
  QString text;
  int id = -1;
};

// "Viewable Stations": the "Show" list and the "Hide" list, with buttons that move the
// selected or all items either way.
class TDualListDialogForm : public QDialog {
  Q_OBJECT
 public:
  explicit TDualListDialogForm(QWidget* parent = nullptr);

  void SetItems(const std::vector<DualListItem>& shown, const std::vector<DualListItem>& hidden);
  std::vector<int> ShownIds() const;
  std::vector<int> HiddenIds() const;

  QListWidget* SrcList() const { return src_; }
  QListWidget* DstList() const { return dst_; }
  // Moves the selected (or all) items from one list to the other.
  void Move(bool toHide, bool all);

 private:
  QListWidget* src_ = nullptr;
  QListWidget* dst_ = nullptr;
};

}  // namespace corvanta::ui
