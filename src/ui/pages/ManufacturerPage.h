#pragma once

#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

#include "ui/pages/PanelPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ostrivane {

// Numbers of the MANUFACTURER page's controls (the buttons are in ControlIds.h).
namespace manufacturercontrol {
inline constexpr int Reference = 1078, Country = 1086, HardwareType = 1119;
inline constexpr int HardwareLabel = 1117, LogoLabel = 1102, MacLabel = 1113, Logo = 1103;
inline constexpr int MacBytes[] = {1044, 1104, 1105, 1107, 1108, 1109};
inline constexpr int Hdcp = 1255, Capabilities = 1290;
inline constexpr int PlayRecord = 1144, Infrared = 1176, FourK = 1178;
}  // namespace manufacturercontrol

// A MAC address byte as typed: every character is a hexadecimal digit ("0"-"9", "A"-"F", "a"-"f",
// taken by the low 8 bits of its code) or counts as 0; the byte is what the last two digits make.
std::int32_t ReadMacByte(const QString& text);
// "%02x".
QString MacByteText(std::int32_t value);
// Names of the "*.dg1" files of the folder (no folders), sorted without regard to case.
QStringList LogoFileNames(const QString& logoFolder);

// "MANUFACTURER": device identity, capabilities, and the whole-device operations.
class ManufacturerPage final : public PanelPage {
  Q_OBJECT

 public:
  static constexpr int kIndex = 4;

  ManufacturerPage(PanelHost& host, OperationContext& ctx, QWidget* parent);

  void PageLayout() override;
  void PageShow(bool flag) override;
  void PageEnable() override;
  void PageRead() override;

 protected:
  void FillValues() override;
  void ReadValues() override;

 private:
  void BuildIdentityRows();
  void BuildCapabilityRow();
  void BuildButtons();
  void ArrangeLayout();
  void ConnectNotifications();
  QPushButton* AddButton(int id, const char* text, const char* objectName, const char* spoken,
                         std::function<void()> action);
  QComboBox* AddList(int id, const char* objectName, const QString& spoken,
                     const QStringList& items);
  void ChangeCountry();
  void ShowCapabilityChange();
  void SaveConfiguration();
  void LoadConfiguration();
  void SetFactoryDefault();

  QLabel* m_referenceLabel = nullptr;
  QLabel* m_countryLabel = nullptr;
  QLabel* m_hardwareLabel = nullptr;
  QLineEdit* m_reference = nullptr;
  QComboBox* m_country = nullptr;
  QComboBox* m_hardwareType = nullptr;
  QLabel* m_logoLabel = nullptr;
  QLabel* m_macLabel = nullptr;
  QComboBox* m_logo = nullptr;
  std::array<QLineEdit*, 6> m_mac{};
  QCheckBox* m_hdcp = nullptr;
  QWidget* m_capabilities = nullptr;
  QCheckBox* m_playRecord = nullptr;
  QCheckBox* m_infrared = nullptr;
  QCheckBox* m_fourK = nullptr;
  QPushButton* m_save = nullptr;
  QPushButton* m_load = nullptr;
  QPushButton* m_factoryDefault = nullptr;
  QPushButton* m_clockSet = nullptr;
  QPushButton* m_firmwareReload = nullptr;
  QPushButton* m_reset = nullptr;
  QPushButton* m_snapshot = nullptr;
};

}  // namespace ostrivane
