#pragma once

#include <QByteArray>
#include <QString>

namespace ostrivane {

// Longest announcement the listener accepts; longer datagrams are dropped unread.
inline constexpr int kMaxAnnouncementBytes = 255;

// Reads "VERUV_c0_<identifier>_<address>[_...]". Separators may repeat or lead; the text ends at
// the first zero byte. True only when the first two tokens match exactly and both the identifier
// and the address are present; identifier and address are written only then.
bool ParseAnnouncement(const QByteArray& datagram, QString& identifier, QString& address);

}  // namespace ostrivane
