#include "ui/main/ChartPages.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/widgets/ChartView.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {

TChartPage::TChartPage(Kind kind, QWidget* parent) : QWidget(parent) {
  const bool protocol = kind == Kind::kProtocol;
  setObjectName(protocol ? "ProtoChartTabSheet" : "PacketSizeTabSheet");
  auto* top = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  copyButton_ = new QToolButton(this);
  copyButton_->setObjectName(protocol ? "ProtoDistChartSpeedButton" : "PacketSizeChartSpeedButton");
  copyButton_->setIcon(MakeIcon(Picture::Copy));
  copyButton_->setIconSize(QSize(20, 20));
  copyButton_->setToolTip(ToQ(std::string(kCopyChartHint)));
  copyButton_->setStatusTip(copyButton_->toolTip());
  connect(copyButton_, &QToolButton::clicked, this, &TChartPage::CopyToClipboard);
  bar->addWidget(copyButton_);
  if (protocol) {
    auto* group = new QGroupBox(ToQ(std::string(kPacketClassCaption)), this);
    group->setObjectName("ProtocolChartRadioGroup");
    auto* row = new QHBoxLayout(group);
    packetClass_ = new QButtonGroup(this);
    for (size_t i = 0; i < kPacketClassNames.size(); ++i) {
      auto* button = new QRadioButton(ToQ(std::string(kPacketClassNames[i])), group);
      packetClass_->addButton(button, static_cast<int>(i));
      row->addWidget(button);
    }
    packetClass_->button(0)->setChecked(true);
    connect(packetClass_, &QButtonGroup::idClicked, this, [this](int) { emit PacketClassClick(); });
    bar->addWidget(group);
  }
  bar->addStretch();
  top->addLayout(bar);
  chart_ = new TChartView(this);
  chart_->setObjectName(protocol ? "ProtocolDistChart" : "PacketSizeChart");
  connect(chart_, &TChartView::PropertiesRequested, this, &TChartPage::ChartPropertiesRequested);
  top->addWidget(chart_, 1);
  // Hidden until the first trace is processed.
  chart_->hide();
}

PacketClass TChartPage::ChosenPacketClass() const {
  if (!packetClass_) return PacketClass::kAll;
  const int id = packetClass_->checkedId();
  return id < 0 ? PacketClass::kAll : static_cast<PacketClass>(id);
}

void TChartPage::SetPacketClass(PacketClass packetClass) {
  if (packetClass_) packetClass_->button(static_cast<int>(packetClass))->setChecked(true);
}

void TChartPage::CopyToClipboard() {
  if (!chart_->isHidden()) chart_->CopyToClipboard();
}

}  // namespace corvanta::ui
