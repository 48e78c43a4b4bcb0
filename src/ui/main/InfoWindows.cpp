#include "ui/main/InfoWindows.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QVBoxLayout>

#include "Version.h"
#include "naming/VendorTable.h"
#include "ui/widgets/Icons.h"
#include "ui/main/ProgramContext.h"

namespace corvanta::ui {
namespace {

QString ProductLine() { return QString("%1 %2").arg(CORVANTA_PRODUCT, CORVANTA_VERSION); }

void CentreOnScreen(QWidget* window) {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
  }
}

}  // namespace

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("SplashForm");
  setFixedSize(420, 240);
  CentreOnScreen(this);
}

void TSplashForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, height());
  sky.setColorAt(0, QColor(24, 40, 78));
  sky.setColorAt(1, QColor(52, 86, 140));
  p.fillRect(rect(), sky);
  p.drawPixmap(QPoint(24, 40), MakeLogo(160));
  p.setPen(Qt::white);
  QFont title = font();
  title.setPointSize(26);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(200, 60, 210, 50), Qt::AlignLeft | Qt::AlignVCenter, CORVANTA_PRODUCT);
  QFont small = font();
  small.setPointSize(10);
  p.setFont(small);
  p.drawText(QRect(202, 110, 210, 24), Qt::AlignLeft | Qt::AlignVCenter, QString("Version %1").arg(CORVANTA_VERSION));
  p.drawText(QRect(202, 134, 210, 40), Qt::AlignLeft | Qt::TextWordWrap, "Network trace file analyzer");
  p.setPen(QColor(255, 255, 255, 120));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("About Corvanta");
  auto* top = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* logo = new QLabel(this);
  logo->setPixmap(MakeLogo(96));
  row->addWidget(logo, 0, Qt::AlignTop);
  auto* text = new QLabel(this);
  text->setObjectName("AboutText");
  text->setTextFormat(Qt::RichText);
  text->setText(QString("<b style='font-size:14pt'>%1</b><br>Version %2<br><br>"
                        "A desktop analyzer of network trace files: it reads the traces of eighteen "
                        "protocol analyzers and shows their statistics, conversations and problems.<br><br>"
                        "Built with Qt %3.")
                    .arg(CORVANTA_PRODUCT, CORVANTA_VERSION, QT_VERSION_STR));
  text->setWordWrap(true);
  row->addWidget(text, 1);
  top->addLayout(row);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* info = buttons->addButton("&System Info...", QDialogButtonBox::ActionRole);
  QPushButton* support = buttons->addButton("&Technical Support...", QDialogButtonBox::ActionRole);
  QPushButton* ok = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  top->addWidget(buttons);
  connect(info, &QPushButton::clicked, this, &TAboutBox::SystemInfoRequested);
  connect(support, &QPushButton::clicked, this, &TAboutBox::TechSupportRequested);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  resize(440, 220);
}

TSystemInfoForm::TSystemInfoForm(const ProgramContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName("SystemInfoForm");
  setWindowTitle("System Information");
  auto* top = new QVBoxLayout(this);
  text_ = new QPlainTextEdit(this);
  text_->setObjectName("SystemInfoText");
  text_->setReadOnly(true);
  top->addWidget(text_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  top->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  resize(520, 320);
}

QString TSystemInfoForm::Text() const {
  const QString oui =
      QDir(context_.programDirectory).filePath(QString::fromUtf8(kVendorFileName.data(), kVendorFileName.size()));
  QStringList lines;
  lines << QString("Program: %1").arg(ProductLine());
  lines << QString("Program file: %1").arg(QCoreApplication::applicationFilePath());
  lines << QString("Qt: %1 (built with %2)").arg(qVersion(), QT_VERSION_STR);
  lines << QString("Platform: %1, %2 %3, %4")
               .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion(),
                    QSysInfo::currentCpuArchitecture());
  lines << QString("Display: %1").arg(QGuiApplication::platformName());
  if (QScreen* screen = QGuiApplication::primaryScreen())
    lines << QString("Screen: %1 x %2").arg(screen->size().width()).arg(screen->size().height());
  lines << QString("Locale: %1").arg(QLocale().name());
  lines << QString("Settings: %1").arg(context_.settingsLocation.isEmpty() ? "(in memory)" : context_.settingsLocation);
  lines << QString("Vendor file: %1 (%2)")
               .arg(oui, context_.vendorWarning.isEmpty() ? QString("%1 vendors").arg(context_.vendors.Count())
                                                          : QString("not loaded"));
  return lines.join('\n');
}

void TSystemInfoForm::showEvent(QShowEvent* event) {
  text_->setPlainText(Text());
  QDialog::showEvent(event);
}

TTechSupportForm::TTechSupportForm(QWidget* parent) : QDialog(parent) {
  setObjectName("TechSupportForm");
  setWindowTitle("Technical Support");
  auto* top = new QVBoxLayout(this);
  auto* text = new QLabel(this);
  text->setWordWrap(true);
  text->setText(
      "For help with Corvanta, start with the manual under Help, Help Topics.\n\n"
      "When you report a problem, please give:\n"
      "  - the version and the system information (Help, About, System Info),\n"
      "  - the analyzer that wrote the trace and, if you can share it, the trace file,\n"
      "  - what you did, what you expected and what you saw, including the text of any "
      "Error Information window.");
  top->addWidget(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  top->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  resize(440, 220);
}

TProgress::TProgress(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
  setObjectName("Progress");
  setWindowTitle("Analyzing...");
  auto* row = new QHBoxLayout(this);
  auto* label = new QLabel("Conversations:", this);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  count_ = new QLabel("0", this);
  count_->setObjectName("CountLabel");
  count_->setMinimumWidth(80);
  row->addWidget(label);
  row->addWidget(count_);
  CentreOnScreen(this);
}

void TProgress::SetCount(const QString& text) { count_->setText(text); }

}  // namespace corvanta::ui
