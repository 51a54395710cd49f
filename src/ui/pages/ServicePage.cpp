#include "ui/pages/ServicePage.h"

#include <QGridLayout>
#include <algorithm>
#include <tuple>

#include "ui/ColouredTabBar.h"
#include "ui/ControlIds.h"

namespace ostrivane {

namespace {
constexpr int kInputSlots = static_cast<int>(std::tuple_size_v<decltype(DeviceStatus::Inputs)>);
}

QStringList ServiceTabLabels(const DeviceStatus& status, int serviceCount) {
  QStringList labels;
  QString suffix;
  for (int i = 0; i < std::min(serviceCount, kInputSlots); ++i) {
    const ServiceInputStatus& input = status.Inputs[static_cast<std::size_t>(i)];
    if (input.InputPresent != 0) {
      suffix = QStringLiteral(" %1%2%3 %4")
                   .arg(input.InputLines)
                   .arg(input.InputProgressive != 0 ? QLatin1Char('P') : QLatin1Char('i'))
                   .arg(input.InputRate)
                   .arg(input.AudioIsAc3 != 0 ? QStringLiteral("AC3") : QStringLiteral("PCM"));
    }
    const QChar half = i % 2 == 0 ? QLatin1Char('A') : QLatin1Char('B');
    labels.append(QStringLiteral("M%1%2").arg(i / 2 + 1).arg(half) + suffix);
  }
  return labels;
}

ServicePage::ServicePage(PanelHost& host, OperationContext& ctx, QWidget* parent)
    : PanelPage(kIndex, host, ctx, parent) {
  m_serviceTabs =
      AddControl(control::ServiceTabs,
                 new ColouredTabBar([](int) { return ColouredTabBar::kLimeGreen; }, this),
                 "serviceTabs", QStringLiteral("Services"));
  connect(m_serviceTabs, &QTabBar::currentChanged, this,
          [this](int index) { Host().ChooseService(index); });

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(m_serviceTabs, 0, 0);
  grid->setRowStretch(1, 1);
  ChainTabOrder();
}

void ServicePage::PageShow(bool flag) {
  // The strip follows the model even while the page is hidden: the status poll labels its tabs.
  m_serviceTabs->SetItems(QStringList(Ctx().shape.ServiceCount, QString()));
  PanelPage::PageShow(flag);
  ShowServiceTabLabels();
}

void ServicePage::ShowServiceTabLabels() {
  const QStringList labels = ServiceTabLabels(Ctx().deviceStatus.current, Ctx().shape.ServiceCount);
  for (int i = 0; i < labels.size() && i < m_serviceTabs->count(); ++i) {
    if (m_serviceTabs->tabText(i) != labels[i]) m_serviceTabs->setTabText(i, labels[i]);
  }
}

void ServicePage::SelectServiceTab(int index) {
  m_serviceTabs->SelectQuietly(index);
}

}  // namespace ostrivane
