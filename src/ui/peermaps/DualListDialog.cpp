#include "ui/peermaps/DualListDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvanta::ui {
namespace {

constexpr int kIdRole = Qt::UserRole + 1;

QListWidget* List(const char* name, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setSortingEnabled(false);
  return list;
}

void Fill(QListWidget* list, const std::vector<DualListItem>& items) {
  list->clear();
  for (const DualListItem& i : items) {
    auto* item = new QListWidgetItem(i.text, list);
    item->setData(kIdRole, i.id);
  }
}

std::vector<int> Ids(const QListWidget* list) {
  std::vector<int> ids;
  for (int i = 0; i < list->count(); ++i) ids.push_back(list->item(i)->data(kIdRole).toInt());
  return ids;
}

}  // namespace

TDualListDialogForm::TDualListDialogForm(QWidget* parent) : QDialog(parent) {
  setObjectName("DualListDialogForm");
  setWindowTitle("Viewable Stations");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Show", this), 0, 0);
  grid->addWidget(new QLabel("Hide", this), 0, 2);
  src_ = List("SrcList", this);
  dst_ = List("DstList", this);
  grid->addWidget(src_, 1, 0);
  grid->addWidget(dst_, 1, 2);
  auto* moves = new QVBoxLayout;
  auto button = [&](const char* name, const char* caption, bool toHide, bool all) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, toHide, all] { Move(toHide, all); });
    moves->addWidget(b);
  };
  moves->addStretch();
  button("IncludeBtn", ">", true, false);
  button("IncAllBtn", ">>", true, true);
  button("ExcludeBtn", "<", false, false);
  button("ExAllBtn", "<<", false, true);
  moves->addStretch();
  grid->addLayout(moves, 1, 1);
  layout->addLayout(grid, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* ok = new QPushButton("&OK", this);
  ok->setObjectName("OKBtn");
  ok->setDefault(true);
  auto* cancel = new QPushButton("&Cancel", this);
  cancel->setObjectName("CancelBtn");
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  resize(520, 380);
}

void TDualListDialogForm::SetItems(const std::vector<DualListItem>& shown, const std::vector<DualListItem>& hidden) {
  Fill(src_, shown);
  Fill(dst_, hidden);
}

std::vector<int> TDualListDialogForm::ShownIds() const { return Ids(src_); }
std::vector<int> TDualListDialogForm::HiddenIds() const { return Ids(dst_); }

void TDualListDialogForm::Move(bool toHide, bool all) {
  QListWidget* from = toHide ? src_ : dst_;
  QListWidget* to = toHide ? dst_ : src_;
  for (int i = 0; i < from->count();) {
    if (all || from->item(i)->isSelected()) {
      QListWidgetItem* item = from->takeItem(i);
      item->setSelected(false);
      to->addItem(item);
    } else {
      ++i;
    }
  }
}

}  // namespace corvanta::ui
