#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVector>

#include "files/ApplicationData.h"

namespace ostrivane {

// Readers for the small text files of the data folder. Each takes the file's bytes as they are on
// disk: a byte is one character (Latin-1), a line ends at LF and a CR right before it is dropped.
namespace datafiles {

// The first line of a text file, without its line end.
QString FirstLine(QByteArrayView bytes);

// Language index from the first two characters of "pref.txt"; anything unknown gives 0 (English).
int ParseLanguagePreference(QByteArrayView bytes);

// "setup_version.txt": six characters of any kind, then the decimal version. A first line too
// short to hold a digit after those six characters gives 0.
int ParseSetupVersion(QByteArrayView bytes);

// One line of "channel.csv" ("id,name,lcn"); false when the line is to be skipped.
bool ParseChannelLine(const QString& line, ChannelEntry& entry);

// Every accepted line of "channel.csv", in file order, at most maxEntries of them.
QVector<ChannelEntry> ParseChannelList(QByteArrayView bytes,
                                       int maxEntries = ApplicationData::kMaxChannels);

}  // namespace datafiles
}  // namespace ostrivane
