#include "link/LinkTrace.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

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

// A JSON string (quoted and escaped) or array, for text that may hold anything.
QString Json(const QJsonArray& array) {
  return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}
QString JsonString(const QString& text) {
  const QString array = Json(QJsonArray{text});
  return array.mid(1, array.size() - 2);
}

QString Hex(std::span<const std::uint8_t> bytes) {
  return QString::fromLatin1(
      QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))
          .toHex());
}

QString FrameBody(const char* direction, std::uint8_t command, const QString& status,
                  const QString& payload, int attempt) {
  return QStringLiteral(R"("dir":"%1","cmd":"0x%2","status":%3,"payload":"%4","attempt":%5)")
      .arg(QLatin1String(direction))
      .arg(command, 2, 16, QLatin1Char('0'))
      .arg(status, payload)
      .arg(attempt);
}

}  // namespace

bool LinkTrace::Open(const QString& path, QString* error) {
  return Open(path, QCoreApplication::arguments(), error);
}

bool LinkTrace::Open(const QString& path, const QStringList& commandLine, QString* error) {
  std::lock_guard lock(m_mutex);
  m_file.setFileName(path);
  if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
    if (error) *error = m_file.errorString();
    return false;
  }
  m_started.start();
  const QString header =
      QStringLiteral(R"({"run":"%1","version":"%2","command":%3})")
          .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate),
               QStringLiteral(OSTRIVANE_VERSION), Json(QJsonArray::fromStringList(commandLine)));
  m_file.write(header.toUtf8() + '\n');
  m_file.flush();
  return true;
}

void LinkTrace::Request(const QString& device, std::uint8_t command,
                        std::span<const std::uint8_t> payload, int attempt) {
  WriteLine(device, FrameBody("tx", command, QStringLiteral("null"), Hex(payload), attempt));
}

void LinkTrace::Reply(const QString& device, std::uint8_t command, ReplyOutcome outcome,
                      LinkStatus status, std::span<const std::uint8_t> payload, int attempt) {
  // A reply that did not decode has no payload, only the bytes that came.
  const bool good = outcome == ReplyOutcome::Good;
  QString body = FrameBody("rx", command, ReplyStatusText(outcome, status),
                           good ? Hex(payload) : QString(), attempt);
  if (!good) body += QStringLiteral(R"(,"raw":"%1")").arg(Hex(payload));
  WriteLine(device, body);
}

void LinkTrace::NotSent(const QString& device, std::uint8_t command,
                        std::span<const std::uint8_t> payload, Refusal why) {
  const char* reason = why == Refusal::NotConnected ? "no link"
                       : why == Refusal::Cancelled  ? "cancelled"
                                                    : "too long";
  WriteLine(device, FrameBody("tx", command, QStringLiteral("\"not-sent\""), Hex(payload), 0) +
                        QStringLiteral(R"(,"reason":"%1")").arg(QLatin1String(reason)));
}

void LinkTrace::Event(const QString& device, const QString& event, const QString& detail) {
  WriteLine(device,
            QStringLiteral(R"("event":%1,"detail":%2)").arg(JsonString(event), JsonString(detail)));
}

void LinkTrace::WriteLine(const QString& device, const QString& body) {
  std::lock_guard lock(m_mutex);
  if (!m_file.isOpen()) return;
  QString line = QStringLiteral(R"({"t":%1,)")
                     .arg(static_cast<double>(m_started.elapsed()) / kMillisPerSecond, 0, 'f', 3);
  if (!device.isEmpty()) line += QStringLiteral(R"("device":%1,)").arg(JsonString(device));
  line += body + QStringLiteral("}\n");
  m_file.write(line.toUtf8());
  m_file.flush();
}

}  // namespace ostrivane
