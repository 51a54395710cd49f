#include "link/LinkTrace.h"

#include <QByteArray>

namespace ostrivane {

namespace {

constexpr double kMillisPerSecond = 1000.0;

QString ReplyStatusText(LinkObserver::ReplyOutcome outcome, LinkStatus status) {
  switch (outcome) {
    case LinkObserver::ReplyOutcome::BadFrame:
      return QStringLiteral("\"bad-frame\"");
    case LinkObserver::ReplyOutcome::NoReply:
      return QStringLiteral("\"no-reply\"");
    case LinkObserver::ReplyOutcome::Good:
      break;
  }
  return status == LinkStatus::Accepted  ? QStringLiteral("\"accepted\"")
         : status == LinkStatus::Refused ? QStringLiteral("\"refused\"")
                                         : QStringLiteral("\"unknown\"");
}

}  // namespace

bool LinkTrace::Open(const QString& path, QString* error) {
  std::lock_guard lock(m_mutex);
  m_file.setFileName(path);
  if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
    if (error) *error = m_file.errorString();
    return false;
  }
  m_started.start();
  return true;
}

void LinkTrace::OnRequest(std::uint8_t command, std::span<const std::uint8_t> payload,
                          int attempt) {
  WriteLine("tx", command, QStringLiteral("null"), payload, attempt);
}

void LinkTrace::OnReply(std::uint8_t command, ReplyOutcome outcome, LinkStatus status,
                        std::span<const std::uint8_t> payload, int attempt) {
  WriteLine("rx", command, ReplyStatusText(outcome, status), payload, attempt);
}

void LinkTrace::WriteLine(const char* direction, std::uint8_t command, const QString& status,
                          std::span<const std::uint8_t> payload, int attempt) {
  std::lock_guard lock(m_mutex);
  if (!m_file.isOpen()) return;
  const QByteArray hex = QByteArray(reinterpret_cast<const char*>(payload.data()),
                                    static_cast<qsizetype>(payload.size()))
                             .toHex();
  const QString line =
      QStringLiteral(R"({"t":%1,"dir":"%2","cmd":"0x%3","status":%4,"payload":"%5","attempt":%6})")
          .arg(static_cast<double>(m_started.elapsed()) / kMillisPerSecond, 0, 'f', 3)
          .arg(QLatin1String(direction))
          .arg(command, 2, 16, QLatin1Char('0'))
          .arg(status, QString::fromLatin1(hex))
          .arg(attempt);
  m_file.write(line.toUtf8() + '\n');
  m_file.flush();
}

}  // namespace ostrivane
