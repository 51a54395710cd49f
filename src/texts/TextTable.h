#pragma once

#include <QString>

namespace ostrivane {

inline constexpr int kTextEntries = 100;
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
inline constexpr int DeviceWillMove = 73;    // %1: the address (or DHCP)
inline constexpr int BackupSaved = 74;       // %1: the backup's path
inline constexpr int BackupNotWritten = 75;  // %1: why
inline constexpr int LoadedFrom = 76;        // %1: the file
inline constexpr int NotLoadedFrom = 77;     // %1: the file, %2: the status text shown
inline constexpr int SavedTo = 78;           // %1: the file
inline constexpr int NotSavedTo = 79;        // %1: the file, %2: the status text shown
inline constexpr int FirmwareWriting = 80;   // %1: the version installed, %2: the image's
inline constexpr int FirmwareCurrent = 81;   // %1: the version installed
inline constexpr int FirmwareUpgraded = 82;  // %1 -> %2: versions before and after
inline constexpr int UpgradeFailedAtBlock = 83;  // block %1 of %2, %3 reason, %4 version kept
inline constexpr int UpgradeFailed = 84;         // %1 image version, %2 reason, %3 version kept
inline constexpr int ClockSet = 85;              // %1: the time sent
inline constexpr int ClockNotSet = 86;           // %1: reason (refused, no answer)
inline constexpr int LogsSaved = 87;             // %1 the file, %2 of %3 device files received
inline constexpr int SearchTried = 88;           // %1: the ports and addresses, comma-separated
inline constexpr int PortPermission = 89;        // %1: the port, %2: the group to join
inline constexpr int PortMissing = 90;           // %1: the port
inline constexpr int PortFailed = 91;            // %1: the port or address, %2: the system's words
inline constexpr int TcpRefused = 92;            // %1: address:port
inline constexpr int TcpNoAnswer = 93;           // %1: address:port
inline constexpr int ListeningOn = 94;           // %1: the interface, %2: the port
inline constexpr int NotListening = 95;          // %1: the listener's start code
inline constexpr int UnsentKept = 96;            // %1: the file kept
inline constexpr int DevicesLeftOut = 97;    // the device list is full
// A dialog answered after the device it was opened for went (or another took its place).
inline constexpr int ConnectionChanged = 98;
// %1: the unit, %2: what differs, one line each.
inline constexpr int UnsentAfterLinkLoss = 99;
}  // namespace text

// Text entry in the given language (0..5); out-of-range arguments give an empty string.
QString LocalText(int entry, int languageIndex);
// Weekday letter, day 0 Monday .. 6 Sunday.
QString WeekdayLetter(int day, int languageIndex);

}  // namespace ostrivane
