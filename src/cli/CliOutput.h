#pragma once

#include <QJsonObject>
#include <QTextStream>

#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "config/RecordShape.h"
#include "operations/DeviceStatus.h"

namespace ostrivane::cli {

QJsonObject StatusJson(const DeviceStatus& status, const RecordShape& shape, bool hasMeter);
void PrintStatusText(QTextStream& out, const QJsonObject& status);
// 0x40 and its reading; false when the device gave no status.
bool ReadStatusJson(CliSession& session, QJsonObject& json);
// The identity of the connected device, keyed like the status.
QJsonObject IdentityJson(CliSession& session);

// status --watch
int WatchStatus(CommandIo& io, CliSession& session);

}  // namespace ostrivane::cli
