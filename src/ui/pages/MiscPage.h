#pragma once

#include "ui/pages/PanelPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QToolButton;

namespace ostrivane {

// Numbers of the MISC. page's controls.
namespace misccontrol {
inline constexpr int FourKLabel = 1223, FourK = 1224;
inline constexpr int IrLabel = 1168, IrCarrier = 1170;
inline constexpr int VolumeLabel = 1100, ProfileLabel = 1122;
inline constexpr int PcmVolume = 1041, H264Profile = 1124, AllowVbr = 1121, StrictCbr = 1098;
inline constexpr int Edid = 1162;
}  // namespace misccontrol

// "MISC.": encoder options and the EDID repair button.
class MiscPage final : public PanelPage {
  Q_OBJECT

 public:
  static constexpr int kIndex = 3;

  MiscPage(PanelHost& host, OperationContext& ctx, QWidget* parent);

  void PageLayout() override;
  void PageEnable() override;

 protected:
  void FillValues() override;
  void ReadValues() override;

 private:
  QComboBox* AddList(int id, const char* objectName, const QString& spoken,
                     const QStringList& items);
  void ChangeFourK(int index);
  void RepairEdid();

  QLabel* m_fourKLabel = nullptr;
  QComboBox* m_fourK = nullptr;
  QLabel* m_irLabel = nullptr;
  QComboBox* m_irCarrier = nullptr;
  QLabel* m_volumeLabel = nullptr;
  QComboBox* m_pcmVolume = nullptr;
  QComboBox* m_profile = nullptr;
  QCheckBox* m_allowVbr = nullptr;
  QCheckBox* m_strictCbr = nullptr;
  QToolButton* m_edidButton = nullptr;
};

// A list choice back into its field; a list showing no choice (the field held a value the list
// does not have) leaves the field as it was.
void ReadListIndex(const QComboBox* list, std::int32_t& field);
// The field's item, or no choice at all for a value the list does not have.
void ShowListIndex(QComboBox* list, std::int32_t field);

}  // namespace ostrivane
