// firmware upgrade on a fleet: a rollout. Each device is backed up and upgraded like one device,
// then waited for through its restart, identified again and checked against the folder's images.
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include "cli/Cli.h"
#include "cli/CliFleet.h"
#include "operations/FirmwareImageStore.h"
#include "operations/FirmwareUpgrade.h"
#include "operations/ModelTable.h"

namespace ostrivane::cli {

namespace {

constexpr int kRestartWaitMs = 120000;  // a device back from a flash restart within this
constexpr int kReconnectPauseMs = 250;

// One row of the summary table.
struct RolloutRow {
  QString model;
  QString before;
  QString after;
  QString result;
};

// The versions the folder's images would leave on the device, -1 where none is expected.
struct Expected {
  int main = -1;
  int secondary = -1;
  bool found = false;  // the folder holds an image for this device at all
};

Expected ExpectedVersions(const DeviceIdentity& id, const QString& folder, const QString& model,
                          bool force) {
  Expected expected;
  const int main = ChooseFirmwareImageFile(folder, model).version;
  expected.found = main > 0;
  if (main > id.Version.main || (force && main > 0)) expected.main = main;
  if (UpgradeProfile(id.DeviceTypeCode).value_or(FirmwareUpgradeProfile{}).secondaryStartArea) {
    const int secondary =
        ChooseFirmwareImageFile(folder, FirmwareFamilyName(id.DeviceTypeCode)).version;
    expected.found = expected.found || secondary > 0;
    if (secondary > id.Version.secondary || (force && secondary > 0))
      expected.secondary = secondary;
  }
  return expected;
}

// Reconnects until the device identifies again or the wait is over.
bool WaitForRestart(CliSession& session, const Target& target) {
  for (int waited = 0; waited < kRestartWaitMs; waited += kReconnectPauseMs) {
    QThread::msleep(kReconnectPauseMs);
    if (session.ConnectTarget(target)) return true;
  }
  return false;
}

// After the flash: waits for the restart and checks the versions the device reports then.
int Verify(CommandIo& own, CliSession& session, const Target& target, const Expected& expected,
           RolloutRow& row) {
  session.link.CloseAll();
  if (!WaitForRestart(session, target)) {
    row.result = QStringLiteral("failed");
    row.after = QStringLiteral("-");
    return own.Fail(kExitFailed, QStringLiteral("the device did not come back after its restart."));
  }
  const DeviceIdentity& now = session.identity;
  row.after = FormatTitleVersion(now);
  const bool mainOk = expected.main < 0 || now.Version.main == expected.main;
  const bool secondaryOk = expected.secondary < 0 || now.Version.secondary == expected.secondary;
  if (!mainOk || !secondaryOk) {
    row.result = QStringLiteral("wrong version");
    return own.Fail(
        kExitFailed,
        QStringLiteral("after the restart the device reports main %1, "
                       "secondary %2; the folder's images are main %3, "
                       "secondary %4.")
            .arg(now.Version.main)
            .arg(now.Version.secondary)
            .arg(expected.main < 0 ? QStringLiteral("-") : QString::number(expected.main))
            .arg(expected.secondary < 0 ? QStringLiteral("-")
                                        : QString::number(expected.secondary)));
  }
  row.result = QStringLiteral("upgraded");
  own.out << "firmware upgraded and verified: " << row.after << '\n';
  return kExitOk;
}

int Upgrade(CommandIo& own, CliSession& session, const Target& target, RolloutRow& row) {
  const QString model = session.ModelName();
  row.model = model;
  row.before = FormatTitleVersion(session.identity);
  row.after = row.before;
  if (own.args.Has(QStringLiteral("--folder"))) {
    QString folder = own.args.Value(QStringLiteral("--folder"));
    if (!folder.endsWith(u'/')) folder += u'/';
    session.settings.SetFirmwareFolder(folder);
  }
  const bool force = own.args.Has(QStringLiteral("--force"));
  const Expected expected =
      ExpectedVersions(session.identity, session.settings.FirmwareFolder(), model, force);
  if (!expected.found) {
    row.result = QStringLiteral("no image");
    return own.Fail(kExitLocal, QStringLiteral("no firmware image for %1 in %2.")
                                    .arg(model, session.settings.FirmwareFolder()));
  }
  FirmwareCheckResult result;
  if (const QString why = RunUpgrade(own, session, result); !why.isEmpty()) {
    row.result = QStringLiteral("failed");
    return own.Fail(kExitFailed, why + u'.');
  }
  if (!result.written) {
    row.result = QStringLiteral("up to date");
    own.out << "firmware up to date; nothing written\n";
    return kExitOk;
  }
  return Verify(own, session, target, expected, row);
}

void PrintTable(CommandIo& io, const Fleet& fleet, const QList<RolloutRow>& rows) {
  QList<QStringList> lines = {{QStringLiteral("NAME"), QStringLiteral("MODEL"),
                               QStringLiteral("BEFORE"), QStringLiteral("AFTER"),
                               QStringLiteral("RESULT")}};
  for (qsizetype i = 0; i < rows.size(); ++i) {
    const RolloutRow& r = rows.at(i);
    const auto shown = [](const QString& text) {
      return text.isEmpty() ? QStringLiteral("-") : text;
    };
    lines << QStringList{fleet.members.at(i).name, shown(r.model), shown(r.before), shown(r.after),
                         shown(r.result)};
  }
  QList<qsizetype> widths(5, 0);
  for (const QStringList& line : lines)
    for (int c = 0; c < 5; ++c) widths[c] = std::max(widths[c], line.at(c).size());
  for (const QStringList& line : lines) {
    QString text;
    for (int c = 0; c < 5; ++c)
      text += c < 4 ? line.at(c).leftJustified(widths[c] + 2) : line.at(c);
    io.out << text << '\n';
  }
}

}  // namespace

int RunFirmwareRollout(CommandIo& io) {
  if (io.args.positional.value(0) != QStringLiteral("upgrade"))
    return RunOnFleet(io, *FindCommand({QStringLiteral("firmware")}));
  if (io.args.Has(QStringLiteral("--folder")) &&
      !QFileInfo(io.args.Value(QStringLiteral("--folder"))).isDir())
    return io.Fail(kExitLocal, QStringLiteral("the firmware folder %1 does not exist.")
                                   .arg(io.args.Value(QStringLiteral("--folder"))));
  Fleet fleet;
  if (const int code = LoadFleet(io, fleet)) return code;
  fleet.pool.stopOnFailure = !io.args.Has(QStringLiteral("--keep-going"));
  QList<RolloutRow> rows(fleet.members.size());
  const auto outcomes = RunFleet(io, fleet, [&](const FleetMember& member) {
    MemberJob job(io, member);
    RolloutRow& row = rows[IndexIn(fleet, member)];
    row.result = QStringLiteral("unreachable");
    if (!job.Connect()) return job.Finish(job.outcome.code);
    return job.Finish(Upgrade(job.own, job.session, member.target, row));
  });
  for (qsizetype i = 0; i < rows.size(); ++i)
    if (!outcomes[static_cast<std::size_t>(i)].started)
      rows[i].result = QStringLiteral("not started");
  PrintTable(io, fleet, rows);
  return FleetExit(outcomes);
}

}  // namespace ostrivane::cli
