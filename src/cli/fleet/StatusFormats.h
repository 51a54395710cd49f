#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

namespace ostrivane::cli {

// One device's part of a status scrape. identity and status are keyed as identify --json and
// status --json print them; both are empty when the device could not be reached.
struct DeviceScrape {
  QString name;
  bool up = false;
  QJsonObject identity;
  QJsonObject status;
};

// The Prometheus text exposition format: each metric family once (HELP, TYPE, then one series per
// device labelled device="NAME"), so that promtool check metrics finds nothing to lint.
QString FormatPrometheus(const QList<DeviceScrape>& devices);

// The same scrape as one JSON document: {"Devices": [{"Device", "Up", "Identity", "Status"}]}.
QJsonObject ScrapeJson(const QList<DeviceScrape>& devices);

}  // namespace ostrivane::cli
