#pragma once

#include <QString>

namespace ostrivane {

inline constexpr int kTextEntries = 78;
inline constexpr int kLanguages = 6;  // 0 EN, 1 FR, 2 IT, 3 DE, 4 PO (Polish), 5 ES
inline constexpr int kWeekdays = 7;

// Flat tables: entry n in language l is element n * kLanguages + l.
extern const char16_t* const TextTable[kTextEntries * kLanguages];
extern const char16_t* const WeekdayLetters[kWeekdays * kLanguages];

// Entry numbers used by name in the code.
namespace text {
inline constexpr int WaitingConnection = 0;
inline constexpr int HardwareConnected = 1;
inline constexpr int ConfigurationError = 2;
inline constexpr int UpgradeToRelease = 3;
inline constexpr int WriteError = 4;
inline constexpr int Rebooting = 7;
inline constexpr int WaitDoNotPowerOff = 35;
inline constexpr int EdidConfirm1 = 36;
inline constexpr int EdidConfirm2 = 37;
inline constexpr int EdidProgramming = 38;
inline constexpr int Init = 39;
inline constexpr int ChooseModulator = 43;
inline constexpr int Connect = 44;
inline constexpr int ChangeDevice = 45;
inline constexpr int NetworkModulators = 46;
inline constexpr int FinishingFirmware = 47;
inline constexpr int FinishingFactoryDefault = 48;
inline constexpr int FinishingLogs = 49;
inline constexpr int FinishingSend = 50;
inline constexpr int AlreadyClosing = 51;
inline constexpr int BackupFailed = 52;
inline constexpr int UpgradeAnyway = 53;
inline constexpr int ConnectWithoutUpgrade = 54;
inline constexpr int ChangesPending = 55;
inline constexpr int Sending = 56;
inline constexpr int SentAt = 57;      // %1: the time of the acknowledgement
inline constexpr int NotApplied = 58;  // %1: one of the four reasons below
inline constexpr int ReasonRefused = 59;
inline constexpr int ReasonNoAnswer = 60;
inline constexpr int ReasonLinkLost = 61;
inline constexpr int ReasonInvalid = 62;
inline constexpr int SendAgain = 63;
inline constexpr int Activity = 64;
inline constexpr int SentAsRange = 65;  // %1 the value the device got, %2 to %3 the range
inline constexpr int AddressForm = 66;
inline constexpr int ConnectedTo = 67;
inline constexpr int LinkLost = 68;
inline constexpr int NoUsbPlayRecord = 69;
inline constexpr int ModesOnly = 70;
inline constexpr int EdidRepaired = 71;
inline constexpr int EdidFailed = 72;
inline constexpr int DeviceWillMove = 73;  // %1: the address (or DHCP)
inline constexpr int BackupSaved = 74;      // %1: the backup's path
inline constexpr int BackupNotWritten = 75;  // %1: why
// A dialog answered after the device it was opened for went (or another took its place).
inline constexpr int ConnectionChanged = 76;
// %1: the unit, %2: what differs, one line each.
inline constexpr int UnsentAfterLinkLoss = 77;
}  // namespace text

// Text entry in the given language (0..5); out-of-range arguments give an empty string.
QString LocalText(int entry, int languageIndex);
// Weekday letter, day 0 Monday .. 6 Sunday.
QString WeekdayLetter(int day, int languageIndex);

}  // namespace ostrivane
