#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>

#include "cli/CliStatus.h"
#include "cli/CliTarget.h"
#include "common/Clock.h"
#include "config/DeviceConfig.h"
#include "config/PanelState.h"
#include "config/RecordShape.h"
#include "discovery/DiscoveryTable.h"
#include "files/ApplicationData.h"
#include "link/CXmit.h"
#include "link/Connection.h"
#include "link/DeviceIdentity.h"
#include "link/LinkTrace.h"
#include "operations/DeviceStatus.h"
#include "operations/OperationContext.h"

namespace ostrivane::cli {

// How the command line asked to reach the device.
struct LinkRequest {
  QString tcpHost;  // --tcp HOST[:PORT]
  quint16 tcpPort = kDeviceTcpPort;
  QStringList serialPaths;  // --serial PATH...
  QString discoveryInterface;
  quint16 discoveryPort = 1900;
  double listenSeconds = 3.0;
  QString device;  // --device ID|ADDRESS: one announced device
  TargetSelector selector = TargetSelector::Unnamed;
};

// Passes every frame on to the trace (when there is one), tagged with the device it belongs to,
// and remembers how the last reply ended, so that a failure can say what happened.
class ReplyWatch final : public LinkObserver {
 public:
  explicit ReplyWatch(LinkTrace* trace) : m_trace(trace) {}
  void OnRequest(std::uint8_t command, std::span<const std::uint8_t> payload,
                 int attempt) override {
    if (m_trace) m_trace->Request(m_device, command, payload, attempt);
  }
  void OnReply(std::uint8_t command, ReplyOutcome outcome, LinkStatus status,
               std::span<const std::uint8_t> payload, int attempt) override {
    m_last = outcome;
    if (m_trace) m_trace->Reply(m_device, command, outcome, status, payload, attempt);
  }
  void OnRefused(std::uint8_t command, std::span<const std::uint8_t> payload,
                 Refusal why) override {
    if (m_trace) m_trace->NotSent(m_device, command, payload, why);
  }
  // A connection step of the device, for the trace.
  void Note(const QString& event, const QString& detail) const {
    if (m_trace) m_trace->Event(m_device, event, detail);
  }
  void SetDevice(const QString& device) { m_device = device; }
  ReplyOutcome Last() const { return m_last; }

 private:
  LinkTrace* m_trace;
  QString m_device;
  ReplyOutcome m_last = ReplyOutcome::NoReply;
};

// The single instances one command works on, wired together like the window wires them.
class CliSession {
 public:
  CliSession(QTextStream& err, bool quiet, LinkTrace* trace = nullptr);

  // Resolves the request's one target (listening for announcements when needed) and connects.
  // False: nothing identified, and Failure() says why with FailureCode() as the exit code.
  bool Connect(const LinkRequest& request);
  // Connects to one target over its own link and identifies what answers there.
  bool ConnectTarget(const Target& target);
  bool ConnectTcpDevice(const QString& host, quint16 port);
  bool ConnectSerialDevice(const QString& path);
  const QString& Failure() const { return m_failure; }
  int FailureCode() const { return m_failureCode; }
  // The device Connect chose, and what it noticed on the way (identifiers heard twice).
  const Target& Chosen() const { return m_chosen; }
  const QStringList& Notes() const { return m_notes; }
  // The connected device's model name.
  QString ModelName();
  // Collects announcements for the requested time, or until enough says the table holds what
  // the caller waits for.
  using HeardEnough = std::function<bool(const QVector<DiscoveredDevice>&)>;
  void Listen(const LinkRequest& request, const HeardEnough& enough = {});
  // Whether the last Listen ended because enough was heard, before its time was up.
  bool ListenEndedEarly() const { return m_listenEndedEarly; }

  OperationContext Context();
  // The device's record (0x70), checked against its layout: empty when record holds it, else
  // why not, as a sentence without its full stop.
  QString FetchRecord(QByteArray& record);

  SteadyClock clock;
  CliStatusSink status;
  CliPrompts prompts;
  NullPanelDisplays displays;
  CXmit link;
  DeviceIdentity identity;
  DeviceConfig config;
  PanelState panel;
  RecordShape shape;
  DeviceStatusPair deviceStatus;
  ReplyWatch watch;  // the link reports every reply to it
  ApplicationData settings;
  ConnectionFlags flags;
  DiscoveryTable discovery{DiscoveryBounds{0, true}};  // every device, duplicates apart

 private:
  bool IdentifyAttached(const QString& where);
  // The connections, their trace lines tagged with device.
  bool ConnectTcpAs(const QString& device, const QString& host, quint16 port);
  bool ConnectSerialAs(const QString& device, const QString& path);
  bool Finish(bool connected);

  QString m_failure;
  int m_failureCode = 1;
  bool m_listenEndedEarly = false;
  Target m_chosen;
  QStringList m_notes;
};

}  // namespace ostrivane::cli
