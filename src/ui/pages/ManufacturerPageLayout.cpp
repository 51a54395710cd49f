// The MANUFACTURER page's controls, created in the rows of the page from top to bottom and left to
// right, which is also the keyboard path through them.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "operations/DeviceActions.h"
#include "operations/FirmwareUpgrade.h"
#include "ui/ControlIds.h"
#include "ui/pages/ManufacturerPage.h"

namespace ostrivane {

namespace {

constexpr int kMacEditChars = 3;
constexpr int kReferenceChars = 22;

int EditWidth(const QWidget* widget, int chars) {
  return widget->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 12;
}

}  // namespace

ManufacturerPage::ManufacturerPage(PanelHost& host, OperationContext& ctx, QWidget* parent)
    : PanelPage(kIndex, host, ctx, parent) {
  BuildIdentityRows();
  BuildCapabilityRow();
  BuildButtons();
  ArrangeLayout();
  ConnectNotifications();
  ChainTabOrder();
}

QComboBox* ManufacturerPage::AddList(int id, const char* objectName, const QString& spoken,
                                     const QStringList& items) {
  auto* list = AddControl(id, new QComboBox(this), objectName, spoken);
  list->addItems(items);
  return list;
}

void ManufacturerPage::BuildIdentityRows() {
  m_referenceLabel = AddLabel(1075, QStringLiteral("Reference :"), "referenceLabel");
  m_countryLabel = AddLabel(1087, QStringLiteral("Def. Country :"), "defaultCountryLabel");
  m_hardwareLabel = AddLabel(manufacturercontrol::HardwareLabel, QStringLiteral("Harware Type :"),
                             "hardwareTypeLabel");
  m_hardwareLabel->setAccessibleName(Local(u"Hardware type label"));
  m_reference = AddControl(manufacturercontrol::Reference, new QLineEdit(this), "reference",
                           QStringLiteral("Device reference"));
  m_reference->setMinimumWidth(EditWidth(m_reference, kReferenceChars));
  m_country =
      AddList(manufacturercontrol::Country, "defaultCountry", QStringLiteral("Default country"),
              {QStringLiteral("FRANCAIS"), QStringLiteral("ENGLISH"), QStringLiteral("ITALIAN"),
               QStringLiteral("DEUTSCH"), QStringLiteral("ESPANOL"), QStringLiteral("POLSKI"),
               QStringLiteral("---")});
  m_hardwareType =
      AddList(manufacturercontrol::HardwareType, "hardwareType", QStringLiteral("Hardware type"),
              {QStringLiteral("FULL"), QStringLiteral("LITE")});

  m_logoLabel = AddLabel(manufacturercontrol::LogoLabel, QStringLiteral("Logo :"), "logoLabel");
  m_macLabel =
      AddLabel(manufacturercontrol::MacLabel, QStringLiteral("MAC Address  :"), "macLabel");
  m_logo = AddControl(manufacturercontrol::Logo, new QComboBox(this), "logo",
                      QStringLiteral("Logo file"));
  m_logo->setEditable(true);
  // The list holds the logo files found; a typed name is only the field's text.
  m_logo->setInsertPolicy(QComboBox::NoInsert);
  for (std::size_t i = 0; i < m_mac.size(); ++i) {
    auto* edit = AddControl(manufacturercontrol::MacBytes[i], new QLineEdit(this), "macByte",
                            Local(u"MAC address byte %1").arg(i + 1));
    edit->setObjectName(QStringLiteral("macByte%1").arg(i + 1));
    edit->setFixedWidth(EditWidth(edit, kMacEditChars));
    edit->setAlignment(Qt::AlignCenter);
    m_mac[i] = edit;
  }
}

void ManufacturerPage::BuildCapabilityRow() {
  m_hdcp = AddControl(manufacturercontrol::Hdcp, new QCheckBox(QStringLiteral("HDCP"), this),
                      "hdcp", QStringLiteral("HDCP"));
  auto* group = AddControl(manufacturercontrol::Capabilities,
                           new QGroupBox(QStringLiteral("Capabilities :"), this), "capabilities",
                           QStringLiteral("Capabilities"));
  m_capabilities = group;
  m_playRecord = AddControl(manufacturercontrol::PlayRecord,
                            new QCheckBox(QStringLiteral("Play/Rec USB"), group), "playRecordUsb",
                            QStringLiteral("Play/Rec USB"));
  m_infrared =
      AddControl(manufacturercontrol::Infrared, new QCheckBox(QStringLiteral("Infrared"), group),
                 "infrared", QStringLiteral("Infrared"));
  m_fourK = AddControl(manufacturercontrol::FourK, new QCheckBox(QStringLiteral("4K"), group),
                       "fourKCapability", QStringLiteral("4K"));
  auto* row = new QHBoxLayout(group);
  for (QCheckBox* box : {m_playRecord, m_infrared, m_fourK}) row->addWidget(box);
  row->addStretch(1);
}

void ManufacturerPage::BuildButtons() {
  m_save = AddButton(control::SaveButton, "SAVE", "saveConfiguration", "Save configuration",
                     [this] { SaveConfiguration(); });
  m_load = AddButton(control::LoadButton, "LOAD", "loadConfiguration", "Load configuration",
                     [this] { LoadConfiguration(); });
  m_factoryDefault =
      AddButton(control::FactoryDefaultButton, "SET FACTORY DEFAULT", "setFactoryDefault",
                "Set factory default", [this] { SetFactoryDefault(); });
  m_clockSet = AddButton(control::ClockSetButton, "Clock Set", "clockSet", "Set device clock",
                         [this] {
                           const QDateTime now = QDateTime::currentDateTime();
                           Host().RunOnDevice(
                               [now](OperationContext& ctx) { SetClockFromComputer(ctx, now); });
                         });
  m_firmwareReload = AddButton(control::FirmwareReloadButton, "Firm. Reload", "firmwareReload",
                               "Reload firmware", [this] { RequestFirmwareReload(Ctx()); });
  m_reset = AddButton(control::ResetButton, "Reset", "resetDevice", "Reset device",
                      [this] { Host().RunOnDevice([](OperationContext& ctx) { ResetDevice(ctx); }); });
  m_snapshot = AddButton(control::SnapshotButton, "Snapshot", "snapshot", "Save snapshot", [this] {
    // The save dialog is the window's: the device is polled meanwhile.
    auto picture = std::make_shared<QByteArray>();
    Host().RunOnDeviceThen(
        [picture](OperationContext& ctx) { *picture = RequestSnapshotData(ctx.link); },
        [this, picture] { SaveSnapshot(Ctx().prompts, *picture); });
  });
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

void ManufacturerPage::ArrangeLayout() {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(2);
  grid->addWidget(m_referenceLabel, 0, 0);
  grid->addWidget(m_countryLabel, 0, 1);
  grid->addWidget(m_hardwareLabel, 0, 2);
  grid->addWidget(m_reference, 1, 0);
  grid->addWidget(m_country, 1, 1);
  grid->addWidget(m_hardwareType, 1, 2);
  grid->setRowMinimumHeight(2, 8);
  grid->addWidget(m_logoLabel, 3, 0);
  grid->addWidget(m_macLabel, 3, 1, 1, 2);
  grid->addWidget(m_logo, 4, 0);
  auto* mac = new QHBoxLayout;
  mac->setSpacing(3);
  for (QLineEdit* edit : m_mac) mac->addWidget(edit);
  mac->addStretch(1);
  grid->addLayout(mac, 4, 1, 1, 2);
  grid->setRowMinimumHeight(5, 8);
  grid->addWidget(m_hdcp, 6, 0, Qt::AlignTop);
  grid->addWidget(m_capabilities, 6, 1, 1, 2);
  grid->setColumnStretch(3, 1);

  auto* buttons = new QHBoxLayout;
  for (QPushButton* button :
       {m_save, m_load, m_factoryDefault, m_clockSet, m_firmwareReload, m_reset, m_snapshot}) {
    buttons->addWidget(button);
  }
  buttons->addStretch(1);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addLayout(grid);
  column->addStretch(1);
  column->addLayout(buttons);
}

void ManufacturerPage::ConnectNotifications() {
  connect(m_reference, &QLineEdit::textChanged, this, [this] { PageRead(); });
  for (QLineEdit* edit : m_mac)
    connect(edit, &QLineEdit::textChanged, this, [this] { PageRead(); });
  connect(m_hardwareType, &QComboBox::activated, this, [this] { PageRead(); });
  connect(m_country, &QComboBox::activated, this, [this] { ChangeCountry(); });
  for (QCheckBox* box : {m_hdcp, m_playRecord, m_infrared, m_fourK}) {
    connect(box, &QCheckBox::toggled, this, [this] { PageRead(); });
  }
  // The field is the logo the next factory-default store sends; choosing one is not an edit.
  connect(m_logo, &QComboBox::editTextChanged, this,
          [this](const QString& text) { Ctx().panel.LogoFieldText = text; });
}

}  // namespace ostrivane
