#pragma once

#include <QSet>
#include <QString>
#include <QVector>

#include "discovery/DiscoveryTable.h"
#include "link/Connection.h"

namespace ostrivane {

// Which networked modulator the window may connect to on its own. With one device on the network
// nothing changes: the announced device is tried, as always. Once a second one has been heard
// in this run, a rack is assumed and the window waits for the installer's pick (or connects to the
// remembered one when it is announced), even if the table later shrinks to one entry.
class DeviceChoice {
 public:
  // remembered: the identifier chosen in an earlier run (empty: none).
  explicit DeviceChoice(QString remembered = {});

  // The discovery table as it is now; every identifier in it counts as heard in this run.
  void Observe(const QVector<DiscoveredDevice>& announced);
  // The installer chose this device; it is also the one to remember.
  void Pick(const QString& identifier);
  // "Change device": forget the current choice and wait for a pick, whatever is announced.
  void Reopen();

  // What the next connection attempt may try over TCP. listened: the window has listened for one
  // announcement period, so a single device is not a rack whose other members are still silent.
  NetworkTarget Target(bool listened) const;
  // True while the list should be offered instead of the window connecting on its own.
  bool AwaitsPick() const { return m_chosen.isEmpty() && (m_reopened || m_heard.size() >= 2); }
  // True while the list is of use: several devices heard, or the installer asked for it.
  bool Rack() const { return m_reopened || m_heard.size() >= 2; }
  const QString& Chosen() const { return m_chosen; }
  const QString& Remembered() const { return m_remembered; }

 private:
  QSet<QString> m_heard;
  QString m_remembered;
  QString m_chosen;
  bool m_reopened = false;
};

}  // namespace ostrivane
