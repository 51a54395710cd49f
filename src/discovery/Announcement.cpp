#include "discovery/Announcement.h"

#include <QList>

namespace ostrivane {

namespace {

constexpr char kSeparator = '_';
constexpr char kZero = '\0';
constexpr int kRequiredTokens = 4;

}  // namespace

bool ParseAnnouncement(const QByteArray& datagram, QString& identifier, QString& address) {
  const qsizetype end = datagram.indexOf(kZero);
  const QByteArray text = end < 0 ? datagram : datagram.left(end);
  if (text.size() > kMaxAnnouncementBytes) return false;

  const QList<QByteArray> tokens = text.split(kSeparator);
  QList<QByteArray> present;
  for (const QByteArray& token : tokens) {
    if (!token.isEmpty()) present.append(token);
    if (present.size() == kRequiredTokens) break;
  }
  if (present.size() < 1 || present[0] != "VERUV") return false;
  if (present.size() < 2 || present[1] != "c0") return false;
  // Without both fields there is nothing to connect to; such a datagram is dropped like any other
  // that fails the check.
  if (present.size() < kRequiredTokens) return false;
  // Latin-1 maps every byte to one character, so distinct identifiers stay distinct.
  identifier = QString::fromLatin1(present[2]);
  address = QString::fromLatin1(present[3]);
  return true;
}

}  // namespace ostrivane
