#include "ui/main/ServerPortsForm.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "naming/UserPorts.h"
#include "ui/widgets/DialogService.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

// Draws "port" TAB "name" items in two columns.
class TabStopDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    const int tab = text.indexOf('\t');
    const QRect r = opt.rect.adjusted(4, 0, -2, 0);
    const int stop = opt.fontMetrics.horizontalAdvance("000000") + 8;
    painter->save();
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(r, Qt::AlignVCenter | Qt::AlignLeft, tab < 0 ? text : text.left(tab));
    if (tab >= 0) painter->drawText(r.adjusted(stop, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, text.mid(tab + 1));
    painter->restore();
  }
};

}  // namespace

TServerPorts::TServerPorts(UserPorts& ports, SettingsStore& store, DialogService& dialogs, QWidget* parent)
    : QDialog(parent), ports_(ports), store_(store), dialogs_(dialogs) {
  setObjectName("ServerPorts");
  setWindowTitle("User-defined Ports");
  auto* top = new QVBoxLayout(this);
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("Memo1");
  memo_->setReadOnly(true);
  memo_->setPlainText(
      "This is where you can enter UDP/TCP server ports\n"
      "not pre-programmed into Corvanta or override the\n"
      "names given to ports. Port numbers are in decimal.");
  memo_->setFixedHeight(memo_->fontMetrics().lineSpacing() * 3 + 14);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo_->setFocusPolicy(Qt::NoFocus);
  top->addWidget(memo_);

  auto* edits = new QGridLayout;
  auto* label1 = new QLabel("Port", this);
  label1->setObjectName("Label1");
  auto* label2 = new QLabel("Name", this);
  label2->setObjectName("Label2");
  portNumber_ = new QLineEdit(this);
  portNumber_->setObjectName("PortNumber");
  portNumber_->setMaxLength(5);
  portNumber_->setMaximumWidth(portNumber_->fontMetrics().horizontalAdvance("000000") + 16);
  portName_ = new QLineEdit(this);
  portName_->setObjectName("PortName");
  edits->addWidget(label1, 0, 0);
  edits->addWidget(label2, 0, 1);
  edits->addWidget(portNumber_, 1, 0);
  edits->addWidget(portName_, 1, 1);
  top->addLayout(edits);

  auto* middle = new QHBoxLayout;
  list_ = new QListWidget(this);
  list_->setObjectName("ServerListBox");
  list_->setItemDelegate(new TabStopDelegate(list_));
  middle->addWidget(list_, 1);
  auto* side = new QVBoxLayout;
  addBtn_ = new QPushButton("&Add", this);
  addBtn_->setObjectName("AddBtn");
  updateBtn_ = new QPushButton("&Update", this);
  updateBtn_->setObjectName("UpdateBtn");
  deleteBtn_ = new QPushButton("&Delete", this);
  deleteBtn_->setObjectName("DeleteBtn");
  for (QPushButton* b : {addBtn_, updateBtn_, deleteBtn_}) {
    b->setEnabled(false);
    b->setAutoDefault(false);
    side->addWidget(b);
  }
  side->addStretch();
  middle->addLayout(side);
  top->addLayout(middle, 1);

  auto* buttons = new QHBoxLayout;
  okBtn_ = new QPushButton("&OK", this);
  okBtn_->setObjectName("Button1");
  cancelBtn_ = new QPushButton("&Cancel", this);
  cancelBtn_->setObjectName("Button2");
  buttons->addStretch();
  buttons->addWidget(okBtn_);
  buttons->addWidget(cancelBtn_);
  top->addLayout(buttons);

  connect(portNumber_, &QLineEdit::textChanged, this, &TServerPorts::EditKeyUp);
  connect(portName_, &QLineEdit::textChanged, this, &TServerPorts::EditKeyUp);
  connect(list_, &QListWidget::itemClicked, this, &TServerPorts::ServerListBoxClick);
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) ServerListBoxClick();
  });
  connect(addBtn_, &QPushButton::clicked, this, &TServerPorts::AddBtnClick);
  connect(updateBtn_, &QPushButton::clicked, this, &TServerPorts::UpdateBtnClick);
  connect(deleteBtn_, &QPushButton::clicked, this, &TServerPorts::DeleteBtnClick);
  connect(okBtn_, &QPushButton::clicked, this, &TServerPorts::OkClick);
  connect(cancelBtn_, &QPushButton::clicked, this, &TServerPorts::CancelClick);
  portNumber_->installEventFilter(this);
  resize(360, 340);
  FormCreate();
}

void TServerPorts::FormCreate() {
  portNumber_->clear();
  portName_->clear();
  ports_.Load(store_);
  FillList(-1);
}

void TServerPorts::FillList(int select) {
  const QSignalBlocker block(list_);
  list_->clear();
  for (const std::string& item : ports_.Items()) list_->addItem(ToQ(item));
  list_->setCurrentRow(select);
  if (select < 0) list_->clearSelection();
}

int TServerPorts::SelectedIndex() const {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? -1 : list_->row(selected.first());
}

void TServerPorts::showEvent(QShowEvent* event) {
  modified_ = false;
  QDialog::showEvent(event);
}

bool TServerPorts::eventFilter(QObject* watched, QEvent* event) {
  // Leaving the field for another control, not switching windows, is an exit.
  if (watched == portNumber_ && event->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) PortNumberExit();
  }
  return QDialog::eventFilter(watched, event);
}

void TServerPorts::EditKeyUp() {
  addBtn_->setEnabled(!portNumber_->text().isEmpty() && !portName_->text().isEmpty());
  updateBtn_->setEnabled(addBtn_->isEnabled() && SelectedIndex() >= 0);
}

void TServerPorts::ServerListBoxClick() {
  const int row = SelectedIndex();
  if (row < 0) return;
  const QString item = list_->item(row)->text();
  const int tab = item.indexOf('\t');
  {
    const QSignalBlocker b1(portNumber_);
    const QSignalBlocker b2(portName_);
    portNumber_->setText(tab < 0 ? item : item.left(tab));
    portName_->setText(tab < 0 ? QString() : item.mid(tab + 1));
  }
  EditKeyUp();
  deleteBtn_->setEnabled(true);
}

void TServerPorts::PortNumberExit() {
  const QString text = portNumber_->text();
  // The check only warns: the text stays and can still be added as typed.
  if (!text.isEmpty() && !ParsePortNumber(ToStd(text))) dialogs_.Error(this, "Error", "Invalid Port Number");
}

void TServerPorts::AddBtnClick() {
  ports_.Add(UserPorts::MakeItem(ToStd(portNumber_->text()), ToStd(portName_->text())));
  FillList(-1);
  EditKeyUp();
  deleteBtn_->setEnabled(false);
  modified_ = true;
}

void TServerPorts::UpdateBtnClick() {
  const int row = SelectedIndex();
  if (row < 0) return;
  const size_t at = ports_.Replace(static_cast<size_t>(row),
                                   UserPorts::MakeItem(ToStd(portNumber_->text()), ToStd(portName_->text())));
  FillList(static_cast<int>(at));
  modified_ = true;
}

void TServerPorts::DeleteBtnClick() {
  const int row = SelectedIndex();
  if (row < 0) return;
  ports_.Remove(static_cast<size_t>(row));
  FillList(-1);
  const bool selected = SelectedIndex() >= 0;
  deleteBtn_->setEnabled(selected);
  updateBtn_->setEnabled(selected && addBtn_->isEnabled());
  modified_ = true;
}

void TServerPorts::OkClick() {
  portNumber_->clear();
  portName_->clear();
  ports_.Save(store_);
  accept();
}

void TServerPorts::CancelClick() { reject(); }

void TServerPorts::done(int result) {
  // Cancel, Escape and the window's close button all drop the changes made since the last OK.
  if (result == QDialog::Rejected) FormCreate();
  QDialog::done(result);
  if (modified_ && traceOpen_ && traceOpen_())
    dialogs_.Warning(this, "User-defined Ports", "You must re-open the file for port changes to take affect.");
}

}  // namespace corvanta::ui
