#include "ui/printing/PrintSelectionForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "ui/main/ProgramSettings.h"
#include "ui/printing/PrintStatusForm.h"
#include "ui/widgets/DialogService.h"
#include "ui/widgets/Icons.h"

namespace corvanta::ui {
namespace {

constexpr std::array<Picture, kPrintableWindowCount> kPictures = {
    Picture::Print,   Picture::Station, Picture::Network, Picture::Toolbox,
    Picture::Toolbox, Picture::Toolbox, Picture::Brisqon, Picture::Toolbox};

int& Margin(PageSetup& setup, int side) {
  switch (side) {
    case 0: return setup.leftMarginTenths;
    case 1: return setup.rightMarginTenths;
    case 2: return setup.topMarginTenths;
    default: return setup.bottomMarginTenths;
  }
}

size_t Index(PrintableWindow entry) { return static_cast<size_t>(entry); }

}  // namespace

TPrintSelectionForm::TPrintSelectionForm(PageSetup& pageSetup, DialogService& dialogs, TPrintStatusForm& status,
                                         QWidget* parent)
    : QDialog(parent), pageSetup_(pageSetup), dialogs_(dialogs), status_(status) {
  setObjectName("PrintSelectionForm");
  setWindowTitle("Print");
  auto* layout = new QHBoxLayout(this);

  auto* windowsGroup = new QGroupBox("Print Active Window(s)", this);
  windowsGroup->setObjectName("GroupBox1");
  auto* windowsGrid = new QGridLayout(windowsGroup);
  for (size_t i = 0; i < kPrintableWindowCount; ++i) {
    const PrintableWindowInfo& info = PrintableWindows()[i];
    buttons_[i] = new QToolButton(windowsGroup);
    buttons_[i]->setObjectName(FromView(info.ButtonName));
    buttons_[i]->setIcon(MakeIcon(kPictures[i]));
    checks_[i] = new QCheckBox(FromView(info.Caption),
                               windowsGroup);
    checks_[i]->setObjectName(FromView(info.CheckName));
    checks_[i]->setChecked(true);
    windowsGrid->addWidget(buttons_[i], static_cast<int>(i), 0);
    windowsGrid->addWidget(checks_[i], static_cast<int>(i), 1);
    connect(buttons_[i], &QToolButton::clicked, this, [this, i] { checks_[i]->click(); });
    connect(checks_[i], &QCheckBox::clicked, this, &TPrintSelectionForm::UpdateOk);
  }
  layout->addWidget(windowsGroup);

  auto* right = new QVBoxLayout;
  auto* setupGroup = new QGroupBox("Page Setup", this);
  setupGroup->setObjectName("GroupBox2");
  auto* setupLayout = new QVBoxLayout(setupGroup);
  margins_ = MakeMarginControls(setupGroup);
  setupLayout->addWidget(margins_.group);
  for (int side = 0; side < 4; ++side) {
    connect(MarginSpin(side), &TSpinButton::UpClick, this, [this, side] { Spin(side, true); });
    connect(MarginSpin(side), &TSpinButton::DownClick, this, [this, side] { Spin(side, false); });
  }
  headerBox_ = new QCheckBox("Print Header", setupGroup);
  headerBox_->setObjectName("PrintHeaderBox");
  headerBox_->setChecked(true);
  connect(headerBox_, &QCheckBox::clicked, this, [this](bool on) { pageSetup_.header = on; });
  setupLayout->addWidget(headerBox_);
  auto* output = new QGroupBox("Output", setupGroup);
  output->setObjectName("RadioGroup1");
  auto* outputLayout = new QVBoxLayout(output);
  proportional_ = new QRadioButton("Print Proportional", output);
  toFit_ = new QRadioButton("Print To Fit", output);
  outputLayout->addWidget(proportional_);
  outputLayout->addWidget(toFit_);
  connect(proportional_, &QRadioButton::clicked, this, [this] { pageSetup_.printToFit = false; });
  connect(toFit_, &QRadioButton::clicked, this, [this] { pageSetup_.printToFit = true; });
  setupLayout->addWidget(output);
  right->addWidget(setupGroup);

  setupBtn_ = new QPushButton("Printer &Setup...", this);
  setupBtn_->setObjectName("SetupBtn");
  okBtn_ = new QPushButton("&OK", this);
  okBtn_->setObjectName("OKPrtBtn");
  okBtn_->setDefault(true);
  cancelBtn_ = new QPushButton("&Cancel", this);
  cancelBtn_->setObjectName("CancelBtn");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(setupBtn_);
  buttons->addStretch();
  buttons->addWidget(okBtn_);
  buttons->addWidget(cancelBtn_);
  right->addLayout(buttons);
  layout->addLayout(right);
  connect(setupBtn_, &QPushButton::clicked, this, &TPrintSelectionForm::SetupBtnClick);
  connect(okBtn_, &QPushButton::clicked, this, &TPrintSelectionForm::OKPrtBtnClick);
  connect(cancelBtn_, &QPushButton::clicked, this, &QDialog::reject);
}

void TPrintSelectionForm::SetWindow(PrintableWindow entry, QWidget* window) { windows_[Index(entry)] = window; }

QWidget* TPrintSelectionForm::Window(PrintableWindow entry) const { return windows_[Index(entry)]; }

QCheckBox* TPrintSelectionForm::Check(PrintableWindow entry) const { return checks_[Index(entry)]; }

QToolButton* TPrintSelectionForm::PictureButton(PrintableWindow entry) const { return buttons_[Index(entry)]; }

void TPrintSelectionForm::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
}

void TPrintSelectionForm::done(int result) {
  if (tips_.restore) tips_.restore();
  QDialog::done(result);
}

void TPrintSelectionForm::FormActivate() {
  if (tips_.show) tips_.show(MakeTipSet({15}));
  ShowMargins();
  headerBox_->setChecked(pageSetup_.header);
  (pageSetup_.printToFit ? toFit_ : proportional_)->setChecked(true);
  for (size_t i = 0; i < kPrintableWindowCount; ++i) {
    // The main window can always be printed; the others while they are shown.
    const bool enabled = windows_[i] && (i == Index(PrintableWindow::kMain) || windows_[i]->isVisible());
    checks_[i]->setEnabled(enabled);
    buttons_[i]->setEnabled(enabled);
  }
  UpdateOk();
}

void TPrintSelectionForm::UpdateOk() {
  std::array<PrintCheck, kPrintableWindowCount> checks{};
  for (size_t i = 0; i < kPrintableWindowCount; ++i) checks[i] = {checks_[i]->isChecked(), checks_[i]->isEnabled()};
  okBtn_->setEnabled(PrintOkEnabled(checks));
}

void TPrintSelectionForm::ShowMargins() {
  for (int side = 0; side < 4; ++side)
    MarginPanel(side)->setText(QString::fromStdString(WindowMarginText(Margin(pageSetup_, side))));
}

void TPrintSelectionForm::Spin(int side, bool up) {
  int& margin = Margin(pageSetup_, side);
  margin = SpinWindowMargin(margin, up);
  ShowMargins();
}

void TPrintSelectionForm::SetupBtnClick() {
  if (!printer_) return;
  printer_->setPageOrientation(pageSetup_.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  if (dialogs_.PrinterSetup(this, *printer_))
    pageSetup_.landscape = printer_->pageLayout().orientation() == QPageLayout::Landscape;
}

void TPrintSelectionForm::OKPrtBtnClick() {
  if (!printer_ || !okBtn_->isEnabled()) return;
  printer_->setPageOrientation(pageSetup_.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  printer_->setDocName(FromView(kPrintJobTitle));
  // A printer writing to a file would overwrite it with every job: there, all windows go
  // into one job, a page each.
  const bool oneJob = !printer_->outputFileName().isEmpty();
  QPainter painter;
  status_.show();
  status_.raise();
  for (size_t i = 0; i < kPrintableWindowCount; ++i) {
    QWidget* window = windows_[i];
    if (!checks_[i]->isChecked() || !checks_[i]->isEnabled() || !window) continue;
    if (i != Index(PrintableWindow::kMain) && !window->isVisible()) continue;
    if (status_.Cancelled()) break;
    const PrintableWindowInfo& info = PrintableWindows()[i];
    status_.SetStatus(info.StatusCode);
    const QPixmap picture = window->grab();
    if (!oneJob && painter.isActive()) painter.end();
    if (!PrintPicture(painter, picture, *window, checks_[i]->text())) break;
  }
  if (painter.isActive()) painter.end();
  status_.SetStatus(kPrintStatusDone);
  accept();
}

bool TPrintSelectionForm::PrintPicture(QPainter& painter, const QPixmap& picture, const QWidget& window,
                                       const QString& name) {
  // Measured in device-independent pixels, so a screen scale of 2 does not double the paper size.
  const QSizeF size = picture.deviceIndependentSize();
  const PixelSize pictureSize{static_cast<int>(std::lround(size.width())), static_cast<int>(std::lround(size.height()))};
  const PageMargins margins = MarginsFromTenths(pageSetup_.leftMarginTenths, pageSetup_.rightMarginTenths,
                                                pageSetup_.topMarginTenths, pageSetup_.bottomMarginTenths);
  const auto place = PlaceWindowPicture(pictureSize, window.logicalDpiX(), window.logicalDpiY(), MetricsOf(*printer_),
                                        margins, pageSetup_.printToFit);
  if (!place) {
    dialogs_.Warning(this, "Print",
                     QString("%1 was not printed: its picture is empty or the margins leave no room on the page.")
                         .arg(name));
    return true;
  }
  if (painter.isActive()) {
    printer_->newPage();
  } else if (!painter.begin(printer_)) {
    dialogs_.Warning(this, "Print", "The printer could not start printing.");
    return false;
  }
  painter.drawPixmap(QRect(place->X, place->Y, place->Width, place->Height), picture);
  const QString header = header_ ? header_() : QString();
  if (pageSetup_.header && !header.isEmpty()) {
    QFont font(FromView(kPrintFontName));
    font.setPointSize(kPrintHeaderPoints);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int height = painter.fontMetrics().height();
    painter.drawText(QRect(place->HeaderX, place->HeaderY, printer_->width(), height), Qt::AlignLeft | Qt::AlignTop,
                     header);
  }
  return true;
}

}  // namespace corvanta::ui
