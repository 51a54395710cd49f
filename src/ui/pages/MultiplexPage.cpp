#include "ui/pages/MultiplexPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <algorithm>
#include <tuple>

#include "operations/Capabilities.h"
#include "texts/TextTable.h"
#include "ui/ColouredTabBar.h"
#include "ui/ControlIds.h"

namespace ostrivane {

namespace {
constexpr std::uint8_t kHlsModelType = 192;
constexpr std::int32_t kIpMode = 0;
constexpr int kMeterSlots = static_cast<int>(std::tuple_size_v<decltype(DeviceStatus::Bitrates)>);
}  // namespace

QStringList ModulatorTabLabels(int modulatorCount, const DeviceStatus* meter,
                               const QString& initText) {
  QStringList labels;
  for (int i = 0; i < modulatorCount; ++i) {
    QString label = QStringLiteral("M%1").arg(i + 1);
    const bool measured = meter == nullptr || i >= kMeterSlots ||
                          meter->Bitrates[static_cast<std::size_t>(i)].BitrateCapacity != 0;
    if (!measured) {
      label += QStringLiteral(" (") + initText + QStringLiteral(")");
    }
    labels.append(label);
  }
  return labels;
}

MultiplexPage::MultiplexPage(PanelHost& host, OperationContext& ctx, QWidget* parent)
    : PanelPage(kIndex, host, ctx, parent) {
  m_modulatorTabs =
      AddControl(control::ModulatorTabs,
                 new ColouredTabBar([](int) { return ColouredTabBar::kRoyalBlue; }, this),
                 "modulatorTabs", QStringLiteral("Modulator outputs"));
  connect(m_modulatorTabs, &QTabBar::currentChanged, this,
          [this](int index) { Host().ChooseModulator(index); });

  m_protocols = AddControl(control::ProtocolList, new QComboBox(this), "streamProtocol",
                           QStringLiteral("Stream protocol"));
  connect(m_protocols, &QComboBox::activated, this, [this] { PageRead(); });

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(m_modulatorTabs, 0, 0, 1, 2);
  grid->addWidget(m_protocols, 1, 0);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(2, 1);
  ChainTabOrder();
}

void MultiplexPage::RefillProtocolList(std::uint8_t typeCode) {
  m_protocols->clear();
  if (typeCode == kHlsModelType) {
    m_protocols->addItems({QStringLiteral("RTP"), QStringLiteral("UDP"), QStringLiteral("RTSP"),
                           QStringLiteral("HLS")});
  } else {
    m_protocols->addItems({QStringLiteral("UDP"), QStringLiteral("RTP")});
  }
}

void MultiplexPage::PageShow(bool flag) {
  // The strip follows the model even while the page is hidden: other pages select its items.
  m_modulatorTabs->SetItems(ModulatorTabLabels(Ctx().shape.ModulatorCount, nullptr, {}));
  PanelPage::PageShow(flag);
}

void MultiplexPage::PageEnable() {
  const int m = std::clamp(Host().CurrentModulator(), 0, kModulatorSlots - 1);
  const std::int32_t mode = Ctx().config.Modulators[static_cast<std::size_t>(m)].Mode;
  m_protocols->setEnabled(mode == kIpMode || TypeCode() == kHlsModelType);
}

void MultiplexPage::FillValues() {
  m_protocols->setCurrentIndex(Ctx().config.StreamProtocol);
}

void MultiplexPage::ReadValues() {
  Ctx().config.StreamProtocol = m_protocols->currentIndex();
}

void MultiplexPage::ShowBitrateMeter() {
  if (!HasBitrateMeter(TypeCode())) return;
  const QStringList labels =
      ModulatorTabLabels(Ctx().shape.ModulatorCount, &Ctx().deviceStatus.current, Text(text::Init));
  for (int i = 0; i < labels.size() && i < m_modulatorTabs->count(); ++i) {
    m_modulatorTabs->setTabText(i, labels[i]);
  }
}

void MultiplexPage::SelectModulatorTab(int index) {
  m_modulatorTabs->SelectQuietly(index);
}

}  // namespace ostrivane
