#pragma once

#include <initializer_list>

#include "ui/pages/PanelPage.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLayout;
class QLineEdit;

namespace ostrivane {

class ColouredTabBar;
struct ServiceSettings;

// Numbers of the SERVICE page's controls.
namespace svccontrol {
inline constexpr int IdLabel = 1060, NameLabel = 1061, LcnLabel = 1062, HdLcnLabel = 1082;
inline constexpr int ServiceId = 1020, ServiceName = 1021, Lcn = 1029, HdLcn = 1037;
inline constexpr int PidLabel = 1066, PmtLabel = 1064, PmtPid = 1027;
inline constexpr int VideoLabel = 1077, VideoPid = 1022, VideoCodec = 1133, VideoSource = 1033,
                     BitrateLabel = 1280, VideoBitrate = 1024, GainPicture = 1219, Gain = 1218;
inline constexpr int AudioLabel = 1081, AudioPid = 1023, AudioCodec = 1129, AudioSource = 1035,
                     AudioBitrate = 1028, DelayLabel = 1211, Delay = 1212, DelayUnit = 1213;
inline constexpr int EitNameLabel = 1128, EitTextLabel = 1131, EitLabel = 1126, EitName = 1127,
                     EitText = 1130;
inline constexpr int AitPidLabel = 1248, AitControlLabel = 1249, AitOrganisationLabel = 1250,
                     AitNameLabel = 1251, AitRootLabel = 1252, AitPathLabel = 1253;
inline constexpr int AitLabel = 1247, AitEnabled = 1232, AitPid = 1226, AitControl = 1228,
                     AitOrganisation = 1227, AitName = 1229, AitRoot = 1230, AitPath = 1231;
}  // namespace svccontrol

// "SERVICE": the services of the multiplex, one tab of strip 1271 per service entry: identity,
// PIDs, codecs, bitrates, audio delay, the present EIT event and the HbbTV application (AIT).
class ServicePage final : public PanelPage {
  Q_OBJECT

 public:
  static constexpr int kIndex = 1;

  ServicePage(PanelHost& host, OperationContext& ctx, QWidget* parent);

  void PageLayout() override;
  void PageShow(bool flag) override;
  void PageEnable() override;

  // Tab labels with the input format the device reports for each service.
  void ShowServiceTabLabels();
  void SelectServiceTab(int index);
  ColouredTabBar* ServiceTabs() const { return m_serviceTabs; }

 protected:
  void FillValues() override;
  void ReadValues() override;

 private:
  // Building (ServicePage.cpp).
  QLayout* BuildIdentityRows();
  QLayout* BuildCodingRows();
  void BuildVideoRow(QGridLayout* grid, int row);
  void BuildAudioRow(QGridLayout* grid, int row);
  QLayout* BuildEventRows();
  void BuildAitRows(QGridLayout* grid, int row);
  // Validators and marks of the number fields (ServicePageRules.cpp).
  void WatchFields();
  QLineEdit* AddEdit(int id, int chars, const char* objectName, const char* spoken);
  QLineEdit* AddAitEdit(int id, int chars, const char* objectName, const char* spoken);
  QComboBox* AddList(int id, const QStringList& items, const char* objectName, const char* spoken);
  QLabel* AddNamedLabel(int id, const QString& text, const char* objectName, const QString& spoken);
  void LinkLabels();

  // Rules (ServicePageRules.cpp).
  int ServiceIndex() const;
  ServiceSettings& Service();
  void RebuildCodecLists();
  void PickChannel(int index);
  void AitEdit();
  void CountAitChange();
  void FillAit(const ServiceSettings& service);
  void ReadAit(ServiceSettings& service);
  void SetEnabled(std::initializer_list<int> ids, bool enabled);

  ColouredTabBar* m_serviceTabs = nullptr;
  QLineEdit* m_serviceId = nullptr;
  QComboBox* m_name = nullptr;
  QLineEdit* m_lcn = nullptr;
  QLineEdit* m_hdLcn = nullptr;
  QLineEdit* m_pmtPid = nullptr;
  QLineEdit* m_videoPid = nullptr;
  QComboBox* m_videoCodec = nullptr;
  QComboBox* m_videoSource = nullptr;
  QLineEdit* m_videoBitrate = nullptr;
  QLineEdit* m_gain = nullptr;
  QLineEdit* m_audioPid = nullptr;
  QComboBox* m_audioCodec = nullptr;
  QComboBox* m_audioSource = nullptr;
  QComboBox* m_audioBitrate = nullptr;
  QLineEdit* m_delay = nullptr;
  QLineEdit* m_eitName = nullptr;
  QLineEdit* m_eitText = nullptr;
  QCheckBox* m_aitEnabled = nullptr;
  QLineEdit* m_aitPid = nullptr;
  QComboBox* m_aitControl = nullptr;
  QLineEdit* m_aitOrganisation = nullptr;
  QLineEdit* m_aitName = nullptr;
  QLineEdit* m_aitRoot = nullptr;
  QLineEdit* m_aitPath = nullptr;
};

// "M1A", "M1B", "M2A", "M2B", each followed by the format of the last service up to it that has
// an input signal (" 1080i50 PCM").
QStringList ServiceTabLabels(const DeviceStatus& status, int serviceCount);

}  // namespace ostrivane
