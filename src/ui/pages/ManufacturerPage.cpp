#include "ui/pages/ManufacturerPage.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "files/ConfigurationFiles.h"
#include "operations/Capabilities.h"
#include "operations/DeviceActions.h"
#include "operations/FirmwareUpgrade.h"
#include "ui/ControlIds.h"

namespace ostrivane {

ManufacturerPage::ManufacturerPage(PanelHost& host, OperationContext& ctx, QWidget* parent)
    : PanelPage(kIndex, host, ctx, parent) {
  m_save = AddButton(control::SaveButton, "SAVE", "saveConfiguration", "Save configuration",
                     [this] { SaveConfiguration(); });
  m_load = AddButton(control::LoadButton, "LOAD", "loadConfiguration", "Load configuration",
                     [this] { LoadConfiguration(); });
  m_factoryDefault =
      AddButton(control::FactoryDefaultButton, "SET FACTORY DEFAULT", "setFactoryDefault",
                "Set factory default", [this] { SetFactoryDefault(); });
  m_clockSet = AddButton(control::ClockSetButton, "Clock Set", "clockSet", "Set device clock",
                         [this] { SetClockFromComputer(Ctx(), QDateTime::currentDateTime()); });
  m_firmwareReload = AddButton(control::FirmwareReloadButton, "Firm. Reload", "firmwareReload",
                               "Reload firmware", [this] { RequestFirmwareReload(Ctx()); });
  m_reset = AddButton(control::ResetButton, "Reset", "resetDevice", "Reset device",
                      [this] { ResetDevice(Ctx()); });
  m_snapshot = AddButton(control::SnapshotButton, "Snapshot", "snapshot", "Save snapshot",
                         [this] { CaptureSnapshot(Ctx()); });

  auto* buttons = new QHBoxLayout;
  for (QWidget* button : Controls()) buttons->addWidget(button);
  buttons->addStretch(1);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addStretch(1);
  column->addLayout(buttons);
  ChainTabOrder();
}

QPushButton* ManufacturerPage::AddButton(int id, const char* text, const char* objectName,
                                         const char* spoken, std::function<void()> action) {
  auto* button = AddControl(id, new QPushButton(QString::fromLatin1(text), this), objectName,
                            QString::fromLatin1(spoken));
  // Enter must not press a button by accident: the panel ignores Enter.
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, std::move(action));
  return button;
}

void ManufacturerPage::PageShow(bool flag) {
  PanelPage::PageShow(flag);
  m_snapshot->setVisible(flag && HasSnapshot(TypeCode()));
}

void ManufacturerPage::PageEnable() {
  const bool manufacturer = Ctx().settings.ManufacturerMode();
  for (QPushButton* button : {m_load, m_save, m_firmwareReload, m_clockSet, m_reset, m_snapshot}) {
    button->setEnabled(manufacturer);
  }
  m_factoryDefault->setEnabled(true);
}

void ManufacturerPage::SaveConfiguration() {
  ConfigurationFiles files(Ctx().settings, Ctx().prompts, Ctx().status);
  files.SaveConfiguration(Ctx().config, Ctx().panel, Ctx().Layout());
}

void ManufacturerPage::LoadConfiguration() {
  ConfigurationFiles files(Ctx().settings, Ctx().prompts, Ctx().status);
  const LoadResult result = files.LoadConfiguration(Ctx().config, Ctx().panel, Ctx().Layout());
  if (result.pageToSelect != LoadResult::kNoPage) Host().SelectPage(result.pageToSelect);
}

void ManufacturerPage::SetFactoryDefault() {
  // Sent at the next panel tick rather than two seconds later, then stored as the default.
  Ctx().panel.SendCountdown = 1;
  Ctx().panel.FactoryDefaultRequest = 1;
}

}  // namespace ostrivane
