#include "ui/main/DlcErrorPage.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "decode/TraceStatistics.h"
#include "ui/widgets/GridView.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Control names of the soft-error rows, in the order of kSoftErrorRows.
struct SoftErrorNames {
  const char* box;  // prefix of the Total and Stations boxes
  const char* list;
};
constexpr std::array<SoftErrorNames, kSoftErrorKindCount> kSoftErrorNames = {{{"Burst", "BurstList"},
                                                                              {"Line", "LineList"},
                                                                              {"Token", "TokenList"},
                                                                              {"LostFrame", "LostList"},
                                                                              {"FC", "FCList"},
                                                                              {"Frequency", "FrequencyList"},
                                                                              {"AC", "ACList"},
                                                                              {"Congestion", "CongList"},
                                                                              {"Internal", "InternalList"},
                                                                              {"Abort", "AbortList"}}};

QLabel* HintLabel(std::string_view caption, std::string_view hint, QWidget* parent, bool bold = false) {
  auto* label = new QLabel(Q(caption), parent);
  label->setToolTip(Q(hint));
  if (bold) {
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
  }
  return label;
}

QLineEdit* CountBox(const QString& name, QWidget* parent) {
  auto* box = new QLineEdit("0", parent);
  box->setObjectName(name);
  box->setReadOnly(true);
  box->setFocusPolicy(Qt::ClickFocus);
  box->setAlignment(Qt::AlignRight);
  box->setMaximumWidth(box->fontMetrics().horizontalAdvance("9,999,999,999") + 14);
  return box;
}

QPlainTextEdit* Memo(const QString& name, QWidget* parent) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  return memo;
}

QString MemoText(const std::vector<std::string>& lines) {
  QStringList out;
  for (const std::string& l : lines) out << ToQ(l);
  return out.join('\n');
}

QGroupBox* ColorKey(const char* name, const auto& entries, uint32_t deinsertedColor, QWidget* parent) {
  auto* group = new QGroupBox(Q(kRingMapKeyCaption), parent);
  group->setObjectName(name);
  auto* layout = new QVBoxLayout(group);
  for (const RingMapKeyEntry& e : entries) {
    auto* row = new QHBoxLayout;
    auto* swatch = new QLabel(group);
    swatch->setFixedSize(14, 14);
    const uint32_t color = e.Caption == "Deinserted" ? deinsertedColor : e.Color;
    swatch->setStyleSheet(QString("background-color: %1; border: 1px solid black;").arg(ToQColor(color).name()));
    row->addWidget(swatch);
    row->addWidget(new QLabel(Q(e.Caption), group), 1);
    layout->addLayout(row);
  }
  return group;
}

}  // namespace

// ---- TRingMapView

TRingMapView::TRingMapView(QWidget* parent) : QWidget(parent) {
  setObjectName("RingMapPaintBox");
  setMinimumSize(300, 240);
  setMouseTracking(true);
}

bool TRingMapView::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    const QPoint pos = static_cast<QHelpEvent*>(e)->pos();
    const QFontMetrics fm(LabelFont());
    // The station whose point or label is under the pointer.
    for (const RingMapLabelDraw& label : drawing_.Labels) {
      const QRect text(label.TextOrigin.X - 2, label.TextOrigin.Y - 1, fm.horizontalAdvance(ToQ(label.Text)) + 4,
                       fm.height() + 2);
      const QPoint d = pos - QPoint(label.Point.X, label.Point.Y);
      if ((text.contains(pos) || d.manhattanLength() <= 6) && label.Entry >= 1 &&
          static_cast<size_t>(label.Entry) <= stations_.size()) {
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(),
                           ToQ(RingStationTip(stations_[static_cast<size_t>(label.Entry - 1)])), this);
        return true;
      }
    }
    QToolTip::hideText();
    e->ignore();
    return true;
  }
  return QWidget::event(e);
}

QFont TRingMapView::LabelFont() const {
  QFont font(Q(kRingMapFont));
  font.setPointSize(std::max(1, drawing_.FontSize));
  return font;
}

void TRingMapView::SetStations(std::vector<RingMapStation> stations) {
  stations_ = std::move(stations);
  update();
}

void TRingMapView::SetOptions(RingColorBy colorBy, FaultDomain domain) {
  options_.ColorBy = colorBy;
  options_.Domain = domain;
  update();
}

RingMapDrawing TRingMapView::Layout() const {
  RingMapOptions options = options_;
  options.Palette.ButtonShadow = ColorValueOf(palette().color(QPalette::Dark));
  options.Palette.ButtonText = ColorValueOf(palette().color(QPalette::ButtonText));
  const QString family = Q(kRingMapFont);
  return LayoutRingMap(stations_, width(), height(), options, [&](std::string_view text, int pointSize) {
    QFont font(family);
    font.setPointSize(std::max(1, pointSize));
    const QFontMetrics fm(font);
    return TextExtent{fm.horizontalAdvance(Q(text)), fm.height()};
  });
}

void TRingMapView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // A white canvas; each label stands on a plate that contrasts with its colour.
  p.fillRect(rect(), Qt::white);
  drawing_ = Layout();
  if (stations_.empty()) return;
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(ToQColor(drawing_.RingColor), drawing_.RingPenWidth));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPoint(drawing_.Center.X, drawing_.Center.Y), drawing_.RadiusX, drawing_.Radius);
  for (const RingMapLine& line : drawing_.Lines) {
    p.setPen(QPen(ToQColor(line.Color), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(line.From.X, line.From.Y, line.To.X, line.To.Y);
  }
  const QFont font = LabelFont();
  p.setFont(font);
  const QFontMetrics fm(font);
  for (const RingMapLabelDraw& label : drawing_.Labels) {
    const QColor color = ToQColor(label.Color);
    const QString text = ToQ(label.Text);
    const QRect plate(label.TextOrigin.X - 2, label.TextOrigin.Y, fm.horizontalAdvance(text) + 4, fm.height());
    if (drawing_.Staggered) {
      // A thin leader joins an outer label to its station.
      p.setPen(QPen(palette().color(QPalette::Mid), 1));
      const int x = plate.left() > label.Point.X ? plate.left() : plate.right();
      p.drawLine(label.Point.X, label.Point.Y, x, plate.center().y());
    }
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(label.Plate));
    p.drawRoundedRect(plate, 3, 3);
    // A station's place on the ring, in its label's colour.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(color);
    p.drawEllipse(QPoint(label.Point.X, label.Point.Y), 3, 3);
    p.setPen(color);
    p.drawText(QPoint(label.TextOrigin.X, label.TextOrigin.Y + fm.ascent()), text);
  }
}

// ---- TDlcErrorPage

TDlcErrorPage::TDlcErrorPage(QWidget* parent) : QWidget(parent) {
  setObjectName("DLCTabSheet");
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(4, 4, 4, 4);
  ethernetPanel_ = BuildEthernetPanel();
  tokenRingPanel_ = BuildTokenRingPanel();
  top->addWidget(ethernetPanel_, 1);
  top->addWidget(tokenRingPanel_, 1);
  tokenRingPanel_->hide();

  auto* strip = new QHBoxLayout;
  copyButton_ = new QToolButton(this);
  copyButton_->setObjectName("DLCCopyButton");
  copyButton_->setIcon(MakeIcon(Picture::Copy));
  copyButton_->setIconSize(QSize(20, 20));
  copyButton_->setToolTip(Q(kDlcCopyHint));
  copyButton_->setStatusTip(copyButton_->toolTip());
  byOui_ = new QCheckBox(Q(kShowStationByOui), this);
  byOui_->setObjectName("ShowDLCbyOUI");
  byOui_->setChecked(true);
  strip->addWidget(copyButton_);
  strip->addWidget(byOui_);
  strip->addStretch();
  top->addLayout(strip);

  connect(copyButton_, &QToolButton::clicked, this, &TDlcErrorPage::CopyToClipboard);
  connect(byOui_, &QCheckBox::clicked, this, &TDlcErrorPage::ShowDLCbyOUIClick);
  FillEthernet();
  UpdateCopyButton();
}

QWidget* TDlcErrorPage::BuildEthernetPanel() {
  auto* panel = new QWidget(this);
  panel->setObjectName("EthernetPanel");
  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* summary = new QGroupBox(Q(kFrameErrorSummaryCaption), panel);
  summary->setObjectName("FrameErrorSummaryGroupBox");
  auto* form = new QGridLayout(summary);
  const char* boxes[] = {"FCSTextBox", "RuntTextBox", "LongTextBox", "FragmentTextBox"};
  for (size_t i = 0; i < kFrameErrorLabels.size(); ++i) {
    const int r = static_cast<int>(i);
    form->addWidget(HintLabel(kFrameErrorLabels[i].Caption, kFrameErrorLabels[i].Hint, summary), r, 0);
    QLineEdit* box = CountBox(boxes[i], summary);
    box->setToolTip(Q(kFrameErrorLabels[i].Hint));
    form->addWidget(box, r, 1);
  }
  form->setRowStretch(static_cast<int>(kFrameErrorLabels.size()), 1);
  layout->addWidget(summary, 0);

  auto* right = new QVBoxLayout;
  ethernetRight_ = right;
  auto* collisions = new QGroupBox(Q(kCollisionAnalysisCaption), panel);
  collisionGroup_ = collisions;
  collisions->setObjectName("CollisionGroupBox");
  auto* grid = new QGridLayout(collisions);
  for (size_t c = 0; c < kCollisionColumns.size(); ++c)
    grid->addWidget(HintLabel(kCollisionColumns[c].Caption, kCollisionColumns[c].Hint, collisions, true), 0,
                    static_cast<int>(c));
  for (size_t i = 0; i < kCollisionTableRows; ++i) {
    const int r = static_cast<int>(i) + 1;
    auto* source = new QLabel(collisions);
    source->setObjectName(QString("EthernetSource%1").arg(r));
    source->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    source->setMinimumWidth(source->fontMetrics().horizontalAdvance("WWWWWWWW123456") + 8);
    sources_[i] = source;
    transmits_[i] = CountBox(QString("EthernetTrans%1").arg(r), collisions);
    retransmits_[i] = CountBox(QString("EthernetRetrans%1").arg(r), collisions);
    auto* gauge = new QProgressBar(collisions);
    gauge->setObjectName(QString("EthernetGauge%1").arg(r));
    gauge->setRange(0, 100);
    gauge->setFormat("%p%");
    gauges_[i] = gauge;
    grid->addWidget(source, r, 0);
    grid->addWidget(transmits_[i], r, 1);
    grid->addWidget(retransmits_[i], r, 2);
    grid->addWidget(gauge, r, 3);
  }
  grid->setColumnStretch(3, 1);
  right->addWidget(collisions);
  notes_ = Memo("EthernetNotesMemo", panel);
  right->addWidget(notes_, 1);
  right->addStretch(0);
  layout->addLayout(right, 1);
  return panel;
}

QWidget* TDlcErrorPage::BuildTokenRingPanel() {
  auto* panel = new QWidget(this);
  panel->setObjectName("TokenRingPanel");
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  tokenRingPages_ = new QTabWidget(panel);
  tokenRingPages_->setObjectName("DLCTokenRingPageControl");
  tokenRingPages_->addTab(BuildRingMapPage(), Q(kRingMapDiagnosticPage));
  tokenRingPages_->addTab(BuildSoftErrorPage(), Q(kSoftErrorSummaryPage));
  tokenRingPages_->setCurrentIndex(0);
  connect(tokenRingPages_, &QTabWidget::currentChanged, this, &TDlcErrorPage::UpdateCopyButton);
  layout->addWidget(tokenRingPages_);
  return panel;
}

QWidget* TDlcErrorPage::BuildRingMapPage() {
  auto* page = new QWidget(this);
  page->setObjectName("RingMap");
  auto* layout = new QHBoxLayout(page);

  auto* left = new QVBoxLayout;
  ringCaption_ = new QLabel(Q(corvanta::RingMapCaption(0)), page);
  ringCaption_->setObjectName("Panel27");
  ringCaption_->setAlignment(Qt::AlignCenter);
  left->addWidget(ringCaption_);
  canvas_ = new QWidget(page);
  canvas_->setObjectName("CanvasPanel1");
  auto* canvasLayout = new QGridLayout(canvas_);
  canvasLayout->setContentsMargins(1, 1, 1, 1);
  ringMap_ = new TRingMapView(canvas_);
  copyRingMapButton_ = new QToolButton(canvas_);
  copyRingMapButton_->setObjectName("CopyRingMapBtn");
  copyRingMapButton_->setIcon(MakeIcon(Picture::Copy));
  copyRingMapButton_->setIconSize(QSize(20, 20));
  copyRingMapButton_->setToolTip("Copy graphic to clipboard");
  copyRingMapButton_->setStatusTip(copyRingMapButton_->toolTip());
  canvasLayout->addWidget(ringMap_, 0, 0);
  canvasLayout->addWidget(copyRingMapButton_, 0, 0, Qt::AlignTop | Qt::AlignRight);
  left->addWidget(canvas_, 1);
  layout->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  auto radioGroup = [&](const char* name, std::string_view caption, const auto& choices, QButtonGroup*& buttons) {
    auto* group = new QGroupBox(Q(caption), page);
    group->setObjectName(name);
    auto* v = new QVBoxLayout(group);
    buttons = new QButtonGroup(group);
    for (size_t i = 0; i < choices.size(); ++i) {
      auto* radio = new QRadioButton(Q(choices[i]), group);
      buttons->addButton(radio, static_cast<int>(i));
      v->addWidget(radio);
    }
    buttons->button(0)->setChecked(true);
    connect(buttons, &QButtonGroup::idClicked, this, &TDlcErrorPage::RingMapOptionsClick);
    right->addWidget(group);
  };
  radioGroup("StationIDRadioGroup", kStationIdCaption, kStationIdChoices, stationId_);
  radioGroup("DomainRadioGroup", kFaultDomainCaption, kFaultDomainChoices, domain_);
  const uint32_t shadow = ColorValueOf(palette().color(QPalette::Dark));
  ringPollKey_ = ColorKey("RingPollGroupBox", kRingPollKey, shadow, page);
  stationErrorsKey_ = ColorKey("StationErrorsGroupBox", kStationErrorsKey, shadow, page);
  stationErrorsKey_->hide();
  right->addWidget(ringPollKey_);
  right->addWidget(stationErrorsKey_);
  right->addStretch();
  layout->addLayout(right);

  connect(copyRingMapButton_, &QToolButton::clicked, this,
          [this] { QApplication::clipboard()->setPixmap(RingMapPicture()); });
  return page;
}

QWidget* TDlcErrorPage::BuildSoftErrorPage() {
  auto* page = new QWidget(this);
  page->setObjectName("Statistics");
  auto* layout = new QVBoxLayout(page);
  auto* columns = new QGridLayout;
  columns->addWidget(HintLabel(kSoftErrorColumns[0].Caption, kSoftErrorColumns[0].Hint, page, true), 0, 1);
  columns->addWidget(HintLabel(kSoftErrorColumns[1].Caption, kSoftErrorColumns[1].Hint, page, true), 0, 2);
  columns->addWidget(HintLabel(kSoftErrorColumns[2].Caption, kSoftErrorColumns[2].Hint, page, true), 0, 3);
  int row = 1;
  size_t group = kSoftErrorGroups.size();
  for (size_t i = 0; i < kSoftErrorRows.size(); ++i) {
    const SoftErrorRowInfo& info = kSoftErrorRows[i];
    if (info.Group != group) {
      group = info.Group;
      QLabel* heading = HintLabel(kSoftErrorGroups[group].Caption, kSoftErrorGroups[group].Hint, page, true);
      columns->addWidget(heading, row++, 0, 1, 4);
    }
    columns->addWidget(HintLabel(info.Label, info.Hint, page), row, 0);
    columns->addWidget(CountBox(QString("%1TotalTextBox").arg(kSoftErrorNames[i].box), page), row, 1);
    columns->addWidget(CountBox(QString("%1StationsTextBox").arg(kSoftErrorNames[i].box), page), row, 2);
    // The entries stand side by side on one line, read without opening anything; a long list
    // scrolls sideways and its tooltip holds every entry.
    auto* list = new QListWidget(page);
    list->setObjectName(kSoftErrorNames[i].list);
    list->setFlow(QListView::LeftToRight);
    list->setWrapping(false);
    list->setSpacing(2);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setFixedHeight(list->fontMetrics().height() + 14 + list->horizontalScrollBar()->sizeHint().height());
    list->setMinimumWidth(list->fontMetrics().averageCharWidth() * 40);
    columns->addWidget(list, row, 3);
    ++row;
  }
  columns->setColumnStretch(3, 1);
  layout->addLayout(columns);
  softNotes_ = Memo("Memo1", page);
  softNotes_->setMaximumHeight(softNotes_->fontMetrics().lineSpacing() * 3 + 12);
  layout->addWidget(softNotes_);
  layout->addStretch();
  return page;
}

QLineEdit* TDlcErrorPage::TextBox(const QString& name) const { return findChild<QLineEdit*>(name); }
QListWidget* TDlcErrorPage::List(const QString& name) const { return findChild<QListWidget*>(name); }
QProgressBar* TDlcErrorPage::Gauge(int row) const {
  return row >= 1 && row <= static_cast<int>(kCollisionTableRows) ? gauges_[static_cast<size_t>(row - 1)] : nullptr;
}
QLabel* TDlcErrorPage::Source(int row) const {
  return row >= 1 && row <= static_cast<int>(kCollisionTableRows) ? sources_[static_cast<size_t>(row - 1)] : nullptr;
}

void TDlcErrorPage::Fill(Topology topology, const CaptureModel* model, const TraceStatistics* statistics,
                         const VendorTable* vendors) {
  topology_ = topology;
  model_ = model;
  statistics_ = statistics;
  vendors_ = vendors;
  const bool tokenRing = topology == kTokenRing;
  ethernetPanel_->setVisible(!tokenRing);
  tokenRingPanel_->setVisible(tokenRing);
  if (tokenRing)
    FillTokenRing();
  else
    FillEthernet();
  UpdateCopyButton();
}

void TDlcErrorPage::FillEthernet() {
  ethernet_ = EthernetDlcSummary();
  if (model_ && statistics_)
    ethernet_ =
        BuildEthernetDlcSummary(*model_, *statistics_, {vendors_, byOui_->isChecked(), LocaleThousandsSeparator()});
  TextBox("FCSTextBox")->setText(ToQ(ethernet_.BadFcs));
  TextBox("RuntTextBox")->setText(ToQ(ethernet_.RuntShort));
  TextBox("LongTextBox")->setText(ToQ(ethernet_.LongJabber));
  TextBox("FragmentTextBox")->setText(ToQ(ethernet_.Fragment));
  // A count above zero stands out from the zeros around it.
  for (const char* name : {"FCSTextBox", "RuntTextBox", "LongTextBox", "FragmentTextBox"}) {
    QLineEdit* box = TextBox(name);
    const bool errors = !box->text().isEmpty() && box->text() != "0";
    QFont font = box->font();
    font.setBold(errors);
    box->setFont(font);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, errors ? QColor(180, 0, 0) : this->palette().color(QPalette::Text));
    box->setPalette(palette);
  }
  // Without collision fragments the five empty rows give way to the note that says so.
  const bool fragments = statistics_ && statistics_->TraceStats[kStatCollisions].Value > 0;
  collisionGroup_->setVisible(fragments);
  notes_->setMaximumHeight(fragments ? QWIDGETSIZE_MAX
                                     : notes_->fontMetrics().lineSpacing() * 2 +
                                           2 * static_cast<int>(notes_->document()->documentMargin()) +
                                           2 * notes_->frameWidth());
  ethernetRight_->setStretch(ethernetRight_->indexOf(notes_), fragments ? 1 : 0);
  ethernetRight_->setStretch(ethernetRight_->count() - 1, fragments ? 0 : 1);
  for (size_t i = 0; i < kCollisionTableRows; ++i) {
    const CollisionRow& row = ethernet_.Collisions[i];
    sources_[i]->setText(ToQ(row.Source));
    transmits_[i]->setText(ToQ(row.Transmits));
    retransmits_[i]->setText(ToQ(row.Retransmits));
    gauges_[i]->setValue(std::clamp(row.Percent, 0, 100));
  }
  notes_->setPlainText(MemoText(ethernet_.Notes));
}

void TDlcErrorPage::FillTokenRing() {
  softErrors_ = SoftErrorSummary();
  std::vector<RingMapStation> stations;
  if (model_ && statistics_) {
    const DlcTextOptions options{vendors_, byOui_->isChecked(), LocaleThousandsSeparator()};
    softErrors_ = BuildSoftErrorSummary(*model_, *statistics_, options);
    stations = BuildRingMapStations(*model_, *statistics_, vendors_, byOui_->isChecked());
  }
  for (size_t i = 0; i < kSoftErrorRows.size(); ++i) {
    const SoftErrorList& list = softErrors_.List(kSoftErrorRows[i].Kind);
    TextBox(QString("%1TotalTextBox").arg(kSoftErrorNames[i].box))->setText(ToQ(list.Total));
    TextBox(QString("%1StationsTextBox").arg(kSoftErrorNames[i].box))->setText(ToQ(list.Stations));
    QListWidget* box = List(kSoftErrorNames[i].list);
    box->clear();
    QStringList entries;
    for (const std::string& entry : list.Entries) entries << ToQ(entry);
    for (const QString& entry : entries) {
      auto* item = new QListWidgetItem(entry, box);
      item->setToolTip(entry);
    }
    box->setToolTip(entries.join('\n'));
  }
  softNotes_->setPlainText(MemoText(softErrors_.Notes));
  ringCaption_->setText(Q(corvanta::RingMapCaption(static_cast<int>(stations.size()))));
  ringMap_->SetStations(std::move(stations));
}

void TDlcErrorPage::ShowDLCbyOUIClick() {
  if (topology_ == kTokenRing)
    FillTokenRing();
  else
    FillEthernet();
}

void TDlcErrorPage::RingMapOptionsClick() {
  const auto colorBy = stationId_->checkedId() == 1 ? RingColorBy::kStationErrors : RingColorBy::kRingPoll;
  ringPollKey_->setVisible(colorBy == RingColorBy::kRingPoll);
  stationErrorsKey_->setVisible(colorBy == RingColorBy::kStationErrors);
  ringMap_->SetOptions(colorBy, domain_->checkedId() == 1 ? FaultDomain::kLineErrors : FaultDomain::kBurstErrors);
}

void TDlcErrorPage::UpdateCopyButton() {
  copyButton_->setVisible(topology_ != kTokenRing || tokenRingPages_->currentIndex() == 1);
}

QPixmap TDlcErrorPage::RingMapPicture() {
  const bool shown = !copyRingMapButton_->isHidden();
  copyRingMapButton_->hide();
  const QPixmap picture = canvas_->grab();
  copyRingMapButton_->setVisible(shown);
  return picture;
}

void TDlcErrorPage::CopyToClipboard() {
  if (topology_ != kTokenRing)
    SetClipboardText(ethernet_.CopyText());
  else if (tokenRingPages_->currentIndex() == 0)
    QApplication::clipboard()->setPixmap(RingMapPicture());
  else
    SetClipboardText(softErrors_.CopyText());
}

}  // namespace corvanta::ui
