#pragma once

#include <QString>

namespace ostrivane {

// "last_device.txt" in the data folder: the identifier of the networked modulator the installer
// chose last, so that the next run connects to it again without asking.
inline constexpr char kLastDeviceFile[] = "last_device.txt";

// The remembered identifier; empty when the file is missing, unreadable or holds anything that
// could not have come from an announcement (the file is not trusted).
QString LoadLastDevice(const QString& dataFolder);
// Replaces the file through a temporary one, so a failed write keeps the previous choice. False
// when the identifier is not one an announcement could carry, or the file cannot be written.
bool SaveLastDevice(const QString& dataFolder, const QString& identifier);
// True for a non-empty identifier of printable ASCII without "_" that fits an announcement.
bool IsAnnouncedIdentifier(const QString& identifier);

}  // namespace ostrivane
