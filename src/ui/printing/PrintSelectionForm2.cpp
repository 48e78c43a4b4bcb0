#include "ui/printing/PrintSelectionForm2.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/printing/PreviewForm.h"
#include "ui/printing/PrintStatusForm.h"
#include "ui/widgets/DialogService.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

int& Margin(PageMargins& margins, int side) {
  switch (side) {
    case 0: return margins.Left;
    case 1: return margins.Right;
    case 2: return margins.Top;
    default: return margins.Bottom;
  }
}

}  // namespace

TPrintSelectionForm2::TPrintSelectionForm2(DialogService& dialogs, TPrintStatusForm& status, TPreviewForm& preview,
                                           QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), status_(status), preview_(preview) {
  setObjectName("PrintSelectionForm2");
  setWindowTitle("Print Trellivue");
  preview_.SetDocument(&document_, &applied_);
  auto* layout = new QVBoxLayout(this);

  auto* titleRow = new QHBoxLayout;
  titleRow->addWidget(new QLabel("Title", this));
  title_ = new QLineEdit(edited_.title, this);
  title_->setObjectName("Title");
  titleRow->addWidget(title_, 1);
  layout->addLayout(titleRow);

  auto* middle = new QHBoxLayout;
  auto* header = new QGroupBox("Header", this);
  header->setObjectName("GroupBox1");
  auto* headerLayout = new QVBoxLayout(header);
  fileName_ = new QCheckBox("Include Trace File Name", header);
  fileName_->setObjectName("IncludeFileNameCheckBox");
  headerLayout->addWidget(fileName_);
  auto* footer = new QGroupBox("Footer", this);
  footer->setObjectName("GroupBox4");
  auto* footerLayout = new QVBoxLayout(footer);
  printedOn_ = new QCheckBox("Include \"Printed On\" date", footer);
  printedOn_->setObjectName("IncludePrintedOnDateCheckBox");
  pageNumber_ = new QCheckBox("Include Page Number", footer);
  pageNumber_->setObjectName("IncludePageNumberCheckBox");
  footerLayout->addWidget(printedOn_);
  footerLayout->addWidget(pageNumber_);
  auto* switches = new QVBoxLayout;
  switches->addWidget(header);
  switches->addWidget(footer);
  middle->addLayout(switches);
  margins_ = MakeMarginControls(this);
  middle->addWidget(margins_.group);
  layout->addLayout(middle);

  auto* pagesRow = new QHBoxLayout;
  pagesRow->addWidget(new QLabel("Print Pages", this));
  firstPage_ = new QSpinBox(this);
  firstPage_->setObjectName("PrintFirstPage");
  lastPage_ = new QSpinBox(this);
  lastPage_->setObjectName("PrintLastPage");
  pagesRow->addWidget(firstPage_);
  pagesRow->addWidget(new QLabel("to", this));
  pagesRow->addWidget(lastPage_);
  pagesRow->addStretch();
  layout->addLayout(pagesRow);

  auto* buttons = new QHBoxLayout;
  auto button = [&](const char* name, const char* caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  };
  setupBtn_ = button("SetupBtn", "Printer &Setup...");
  previewBtn_ = button("Button1", "Pre&view");
  applyBtn_ = button("ApplyBtn", "&Apply");
  printBtn_ = button("Button2", "&Print");
  cancelBtn_ = button("CancelBtn", "&Cancel");
  layout->addLayout(buttons);
  applyBtn_->setEnabled(false);

  connect(title_, &QLineEdit::textEdited, this, [this](const QString& text) {
    edited_.title = text;
    MarkEdited();
  });
  connect(fileName_, &QCheckBox::clicked, this, [this](bool on) {
    edited_.includeFileName = on;
    MarkEdited();
  });
  connect(printedOn_, &QCheckBox::clicked, this, [this](bool on) {
    edited_.includePrintedOn = on;
    MarkEdited();
  });
  connect(pageNumber_, &QCheckBox::clicked, this, [this](bool on) {
    edited_.includePageNumber = on;
    MarkEdited();
  });
  for (int side = 0; side < 4; ++side) {
    connect(MarginSpin(side), &TSpinButton::UpClick, this, [this, side] { Spin(side, true); });
    connect(MarginSpin(side), &TSpinButton::DownClick, this, [this, side] { Spin(side, false); });
  }
  // The two page edits bound each other, so the first page never lies after the last.
  connect(firstPage_, &QSpinBox::valueChanged, this, [this](int first) {
    if (showing_) return;
    range_ = SetFirstPage(range_, first);
    ShowRange();
    MarkEdited();
  });
  connect(lastPage_, &QSpinBox::valueChanged, this, [this](int last) {
    if (showing_) return;
    range_ = SetLastPage(range_, last);
    ShowRange();
    MarkEdited();
  });
  connect(setupBtn_, &QPushButton::clicked, this, [this] {
    if (printer_) dialogs_.PrinterSetup(this, *printer_);
  });
  connect(previewBtn_, &QPushButton::clicked, this, &TPrintSelectionForm2::Button1Click);
  connect(applyBtn_, &QPushButton::clicked, this, &TPrintSelectionForm2::ApplyBtnClick);
  connect(printBtn_, &QPushButton::clicked, this, &TPrintSelectionForm2::Button2Click);
  connect(cancelBtn_, &QPushButton::clicked, this, &QDialog::reject);
}

void TPrintSelectionForm2::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TPrintSelectionForm2::FormShow() {
  document_.SetScreenDpi(logicalDpiX());
  applied_ = edited_;
  applyBtn_->setEnabled(false);
  counted_ = document_.CountPages(applied_);
  range_ = RecountPages(range_, counted_);
  range_.Last = range_.Count;
  ShowSettings();
  if (tips_.show) tips_.show(MakeTipSet({19}));
}

void TPrintSelectionForm2::ShowSettings() {
  showing_ = true;
  if (title_->text() != edited_.title) title_->setText(edited_.title);
  fileName_->setChecked(edited_.includeFileName);
  printedOn_->setChecked(edited_.includePrintedOn);
  pageNumber_->setChecked(edited_.includePageNumber);
  for (int side = 0; side < 4; ++side)
    MarginPanel(side)->setText(ToQ(VisualizerMarginText(Margin(edited_.margins, side))));
  showing_ = false;
  ShowRange();
}

void TPrintSelectionForm2::ShowRange() {
  const bool was = showing_;
  showing_ = true;
  firstPage_->setRange(1, range_.Last);
  lastPage_->setRange(range_.First, range_.Count);
  firstPage_->setValue(range_.First);
  lastPage_->setValue(range_.Last);
  showing_ = was;
  printBtn_->setEnabled(PageRangePrintable(range_) && counted_ > 0);
}

void TPrintSelectionForm2::MarkEdited() {
  if (!showing_) applyBtn_->setEnabled(true);
}

void TPrintSelectionForm2::Spin(int side, bool up) {
  int& margin = Margin(edited_.margins, side);
  margin = SpinVisualizerMargin(margin, up);
  MarginPanel(side)->setText(ToQ(VisualizerMarginText(margin)));
  MarkEdited();
}

void TPrintSelectionForm2::Recount() {
  counted_ = document_.CountPages(applied_);
  range_ = RecountPages(range_, counted_);
  ShowRange();
}

void TPrintSelectionForm2::ApplyBtnClick() {
  applied_ = edited_;
  applyBtn_->setEnabled(false);
  // New margins change the body, and with it the number of pages.
  Recount();
  if (preview_.isVisible()) preview_.Refresh();
}

void TPrintSelectionForm2::done(int result) {
  if (result != QDialog::Accepted) {
    edited_ = applied_;
    ShowSettings();
  }
  preview_.hide();
  if (tips_.restore) tips_.restore();
  QDialog::done(result);
}

void TPrintSelectionForm2::Button1Click() {
  // A child of the modal dialog, so that it takes input while the dialog is open.
  if (preview_.parentWidget() != this) preview_.setParent(this, Qt::Window);
  preview_.show();
  preview_.raise();
}

void TPrintSelectionForm2::Button2Click() {
  if (!printer_ || !PageRangePrintable(range_) || counted_ <= 0) return;
  const int pages = PageRangeSize(range_);
  if (PrintNeedsConfirmation(range_) &&
      !dialogs_.WarningOkCancel(this, "Print", ToQ(PrintConfirmationText(pages))))
    return;
  printer_->setDocName(FromView(kPrintJobTitle));
  QPainter painter;
  if (!painter.begin(printer_)) {
    dialogs_.Warning(this, "Print", "The printer could not start printing.");
    return;
  }
  // Laid out once for the printer; each page only draws its own body and number.
  VisualizerPrintDocument::Renderer renderer(document_, applied_, DeviceOf(*printer_));
  status_.show();
  status_.raise();
  for (int page = range_.First; page <= range_.Last; ++page) {
    if (page > range_.First) {
      if (status_.Cancelled()) break;
      printer_->newPage();
    }
    status_.SetStatus(kPrintStatusVisualizerPage, page);
    renderer.Render(painter, page);
  }
  painter.end();
  status_.SetStatus(kPrintStatusDone);
  accept();
}

}  // namespace corvanta::ui
