#pragma once

#include <QList>
#include <array>

#include "ui/pages/PanelPage.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QTimeEdit;
class QToolButton;

namespace ostrivane {

class ScheduleList;

// Numbers of the USB page's controls.
namespace usbcontrol {
inline constexpr int UsbFiles = 1137;
inline constexpr int StartDate = 1151, StopDate = 1152, StartTime = 1153, StopTime = 1154;
inline constexpr int FirstWeekday = 1155;  // Monday; Sunday is 1161
inline constexpr int AddPlay = 1147, AddRecord = 1150, Remove = 1148;
inline constexpr int FileName = 1097;
inline constexpr int Record = 1135, Play = 1134, Stop = 1136;
inline constexpr int ClockPicture = 1173, Schedule = 1165, ClockField = 1311;
inline constexpr int ModeLabel = 1149, PlayLabel = 1139, RecordLabel = 1140, HdmiLabel = 1141;
inline constexpr int FirstPositionBox = 1302;  // position 1 (top left); position 9 is 1310
inline constexpr int OverlayX = 1300, OverlayY = 1301, OverlayFile = 1299;
}  // namespace usbcontrol

// "USB (M1A)": USB player, play/record schedule, logo overlay and the device clock field.
class UsbPage final : public PanelPage {
  Q_OBJECT

 public:
  static constexpr int kIndex = 2;

  UsbPage(PanelHost& host, OperationContext& ctx, QWidget* parent);

  void PageLayout() override;
  void PageEnable() override;

  // The schedule of the model in list 1165 (and the file fields as the last decode left them).
  void RefreshScheduleList();
  // Lamps, mode text, file lists and player buttons from the current device status.
  void ShowUsbStatus();
  void SetClockText(const QString& text);
  QString ClockText() const;
  // The clock dialog on the device's clock; a changed time is sent at once.
  void EditClock();

 protected:
  void FillValues() override;
  void ReadValues() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildFileRow(QGridLayout* grid);
  void BuildEntryRow(QGridLayout* grid);
  QWidget* BuildClockAndLamps();
  QHBoxLayout* BuildWeekdays();
  QWidget* BuildOverlay();
  void AddPositionBox(int p, QGridLayout* grid);
  QLabel* AddLamp(int frameId, int labelId, const QString& text, const char* name,
                  const QString& spoken, QWidget* column);
  void ConnectNotifications();

  void AddScheduleEntry(int action);
  void RemoveSelectedEntries();
  void UpdateRemoveButton();
  void ChooseOverlayPosition(int position);
  void ShowOverlayPosition();
  void ChooseUsbFile(int index);
  void ChooseOverlayFile(int index);
  void RefillNameList(QComboBox* list, const QStringList& names, const QString& current);
  void SyncFieldTexts();
  bool HasSchedule() const;
  bool HasOverlay() const;

  QComboBox* m_usbFiles = nullptr;
  QDateEdit* m_startDate = nullptr;
  QTimeEdit* m_startTime = nullptr;
  QDateEdit* m_stopDate = nullptr;
  QTimeEdit* m_stopTime = nullptr;
  std::array<QToolButton*, 7> m_weekdays{};
  QToolButton* m_addPlay = nullptr;
  QToolButton* m_addRecord = nullptr;
  QToolButton* m_remove = nullptr;
  QLineEdit* m_fileName = nullptr;
  QToolButton* m_record = nullptr;
  QToolButton* m_play = nullptr;
  QToolButton* m_stop = nullptr;
  QToolButton* m_clockPicture = nullptr;
  ScheduleList* m_schedule = nullptr;
  QLineEdit* m_clock = nullptr;
  QLabel* m_modeLabel = nullptr;
  QLabel* m_playLabel = nullptr;
  QLabel* m_recordLabel = nullptr;
  QLabel* m_hdmiLabel = nullptr;
  std::array<QCheckBox*, 9> m_positions{};
  QLineEdit* m_overlayX = nullptr;
  QLineEdit* m_overlayY = nullptr;
  QComboBox* m_overlayFile = nullptr;
};

}  // namespace ostrivane
