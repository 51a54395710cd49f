#pragma once

#include <initializer_list>

#include "ui/pages/PanelPage.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QMessageBox;
class QProgressBar;
class QRadioButton;
class QSlider;

namespace ostrivane {

class ColouredTabBar;
struct ModulatorSettings;

// Numbers of the MULTIPLEX page's controls.
namespace mpxcontrol {
// The device's own address.
inline constexpr int DeviceIpLabel = 1114, MaskLabel = 1115, GatewayLabel = 1116;
inline constexpr int Dhcp = 1112, DeviceIp = 1106, Mask = 1110, Gateway = 1111;
// The transport-stream network.
inline constexpr int VersionLabel = 1085, NetworkNameLabel = 1057, LcnCountryLabel = 1142,
                     NetworkIdLabel = 1056, OriginalIdLabel = 1080, LcnTypeLabel = 1083;
inline constexpr int NetworkLabel = 1055, NetworkVersion = 1084, NetworkName = 1046,
                     LcnCountry = 1059, NetworkId = 1045, OriginalNetworkId = 1079, LcnType = 1039;
// The output chosen on strip 1274.
inline constexpr int DvbT = 1094, DvbC = 1093, DvbS = 1257, Ip = 1095, IpLabel = 1293;
inline constexpr int TsIdLabel = 1047, FrequencyLabel = 1042, BandwidthLabel = 1050,
                     ConstellationLabel = 1049, SymbolRateLabel = 1070, ModeLabel = 1048,
                     CodeRateLabel = 1051, GuardLabel = 1052, LevelLabel = 1053;
inline constexpr int TsId = 1008, Frequency = 1007, Bandwidth = 1012, Constellation = 1011,
                     CableConstellation = 1017, SymbolRate = 1009, TransmissionMode = 1010,
                     CodeRate = 1013, GuardInterval = 1014, LevelPicture = 1277, Level = 1015,
                     LevelValue = 1054;
// The IP output and the bitrate meter.
inline constexpr int AddressLabel = 1072, PortLabel = 1074, TtlLabel = 1143;
inline constexpr int Protocol = 1019, DestAddress = 1026, DestPort = 1031, Ttl = 1146,
                     BitrateText = 1172, BitrateMeter = 1289;
}  // namespace mpxcontrol

// "MULTIPLEX": output modulation per modulator output (strip 1274), network identity, IP output
// and the device's own address.
class MultiplexPage final : public PanelPage {
  Q_OBJECT

 public:
  static constexpr int kIndex = 0;

  MultiplexPage(PanelHost& host, OperationContext& ctx, QWidget* parent);

  void PageLayout() override;
  void PageShow(bool flag) override;
  void PageEnable() override;

  // The protocols the connected model streams with; refilled each time the panel opens.
  void RefillProtocolList(std::uint8_t typeCode);
  // Output tab labels, with "(Init...)" while an output has no bitrate measurement, and the
  // meter of the output shown.
  void ShowBitrateMeter();
  void SelectModulatorTab(int index);
  ColouredTabBar* ModulatorTabs() const { return m_modulatorTabs; }

 protected:
  void FillValues() override;
  void ReadValues() override;

 private:
  // Building (MultiplexPage.cpp).
  QLayout* BuildAddressRows();
  QLayout* BuildNetworkRows();
  QLayout* BuildOutputRows();
  void BuildOutputTypes(QGridLayout* grid);
  void BuildModulationRow(QGridLayout* grid, int row);
  QLayout* BuildLevelControls();
  void BuildIpRows(QGridLayout* grid, int row);
  QLineEdit* AddEdit(int id, int digits, const char* objectName, const char* spoken);
  // The device's own address fields: read back when the edit is finished, whole addresses only.
  QLineEdit* AddAddressEdit(int id, const char* objectName, const char* spoken);
  QComboBox* AddList(int id, const QStringList& items, const char* objectName, const char* spoken);
  QRadioButton* AddOutputType(int id, const char* text, const char* objectName, std::int32_t mode);
  void LinkLabels();

  // The device's own address (MultiplexPageMove.cpp): over the network, a change that moves the
  // device is asked first (window-modal, answered by signal); then runs on yes, the page is
  // refilled from the model on no.
  void ConfirmDeviceMove(std::function<void()> then);
  QString MoveTarget() const;

  // Rules (MultiplexPageRules.cpp).
  void WatchFields();
  int OutputIndex() const;
  ModulatorSettings& Output();
  void ChooseOutputType(std::int32_t mode);
  void ShowConstellationList();
  void EnableDeviceAddress();
  void EnableOutputTypes();
  void EnableModulation(std::int32_t mode);
  void EnableIpOutput(std::int32_t mode);
  void EnableNetworkIdentity();
  void SetEnabled(std::initializer_list<int> ids, bool enabled);
  void SetVisible(std::initializer_list<int> ids, bool visible);
  void FillOutput();
  void ReadOutput();
  void SetLabelText(int id, const QString& text);

  ColouredTabBar* m_modulatorTabs = nullptr;
  QMessageBox* m_moveQuestion = nullptr;
  QCheckBox* m_dhcp = nullptr;
  QLineEdit* m_deviceIp = nullptr;
  QLineEdit* m_mask = nullptr;
  QLineEdit* m_gateway = nullptr;
  QLineEdit* m_networkVersion = nullptr;
  QLineEdit* m_networkName = nullptr;
  QComboBox* m_lcnCountry = nullptr;
  QLineEdit* m_networkId = nullptr;
  QLineEdit* m_originalNetworkId = nullptr;
  QComboBox* m_lcnType = nullptr;
  QButtonGroup* m_outputTypes = nullptr;
  QRadioButton* m_ip = nullptr;
  QRadioButton* m_dvbT = nullptr;
  QRadioButton* m_dvbC = nullptr;
  QRadioButton* m_dvbS = nullptr;
  QLabel* m_ipLabel = nullptr;
  QLineEdit* m_tsId = nullptr;
  QLineEdit* m_frequency = nullptr;
  QComboBox* m_bandwidth = nullptr;
  QComboBox* m_constellation = nullptr;
  QComboBox* m_cableConstellation = nullptr;
  QLineEdit* m_symbolRate = nullptr;
  QComboBox* m_transmissionMode = nullptr;
  QComboBox* m_codeRate = nullptr;
  QComboBox* m_guardInterval = nullptr;
  QSlider* m_level = nullptr;
  QLabel* m_levelValue = nullptr;
  QComboBox* m_protocols = nullptr;
  QLineEdit* m_destAddress = nullptr;
  QLineEdit* m_destPort = nullptr;
  QLineEdit* m_ttl = nullptr;
  QLabel* m_bitrateText = nullptr;
  QProgressBar* m_bitrateMeter = nullptr;
};

// "M1", "M2", ... ; with the meter, " (" text 39 ")" after an output that reports no capacity.
QStringList ModulatorTabLabels(int modulatorCount, const DeviceStatus* meter,
                               const QString& initText);

}  // namespace ostrivane
