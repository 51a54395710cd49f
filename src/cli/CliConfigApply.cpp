// config apply: a partial configuration (and per-device values) laid over what each device holds.
// Every device's plan is made and checked first; nothing is sent unless every plan holds.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTextStream>

#include "cli/Cli.h"
#include "cli/CliFleet.h"
#include "cli/fleet/ConfigTemplate.h"
#include "config/ConfigCodec.h"
#include "config/ConfigDiff.h"
#include "config/ConfigJson.h"
#include "link/Commands.h"
#include "operations/Backups.h"

namespace ostrivane::cli {

namespace {

constexpr int kWriteTimeout = 500;

// What one device is to receive, and the record it was planned from.
struct Plan {
  QByteArray heldRecord;
  QByteArray record;
  DeviceConfig wanted;
  QStringList changes;
};

int ReadFile(CommandIo& io, const QString& path, QByteArray& bytes) {
  if (const int code = CheckReadableFile(io, path)) return code;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return io.Fail(kExitLocal, QStringLiteral("cannot read %1: %2.").arg(path, file.errorString()));
  bytes = file.readAll();
  return kExitOk;
}

int ReadInputs(CommandIo& io, const Fleet& fleet, QJsonObject& overlay, ValuesTable& values) {
  const QString path = io.args.positional.first();
  QByteArray bytes;
  if (const int code = ReadFile(io, path, bytes)) return code;
  QJsonParseError parsed{};
  const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parsed);
  if (!doc.isObject())
    return io.Fail(kExitLocal, QStringLiteral("%1 is not a JSON object: %2.")
                                   .arg(path, doc.isNull() ? parsed.errorString()
                                                           : QStringLiteral("not an object")));
  overlay = doc.object();
  if (!io.args.Has(QStringLiteral("--values"))) return kExitOk;
  const QString csv = io.args.Value(QStringLiteral("--values"));
  if (const int code = ReadFile(io, csv, bytes)) return code;
  values = ParseValuesCsv(bytes);
  if (!values.error.isEmpty())
    return io.Fail(kExitLocal, QStringLiteral("%1: %2.").arg(csv, values.error));
  for (const auto& row : values.rows)
    if (!std::any_of(fleet.members.begin(), fleet.members.end(),
                     [&](const FleetMember& m) { return m.name == row.first; }))
      return io.Fail(
          kExitLocal,
          QStringLiteral("%1: %2 is not a listed device; nothing was sent.").arg(csv, row.first));
  for (const FleetMember& member : fleet.members)
    if (!values.Row(member.name))
      return io.Fail(
          kExitLocal,
          QStringLiteral("%1 has no row for %2; nothing was sent.").arg(csv, member.name));
  return kExitOk;
}

// Reads the device, lays the template and its row over it and checks the result as record encode
// does. kExitOk with plan filled, else the reason is printed on the job's stream.
int MakePlan(CommandIo& own, CliSession& session, const QJsonObject& overlay,
             const QStringList* row, const QStringList& paths, Plan& plan) {
  if (const QString why = session.FetchRecord(plan.heldRecord); !why.isEmpty())
    return own.Fail(kExitFailed, why + u'.');
  const LayoutContext context = session.Context().Layout();
  DeviceConfig held;
  PanelState panel;
  // Checked by the fetch. The template lands on the fields the model carries, as they are held.
  DecodeConfigImage(plan.heldRecord, context, held, panel, EmptyApplication::KeepEmpty);
  QJsonObject merged = QJsonDocument::fromJson(ConfigToJson(held, context)).object();
  QString why = ApplyTemplate(merged, overlay);
  for (qsizetype i = 0; why.isEmpty() && row && i < paths.size(); ++i)
    why = SetFieldPath(merged, paths.at(i), row->at(i));
  if (!why.isEmpty()) return own.Fail(kExitLocal, why + u'.');
  if (!ReadJsonConfig(own, QJsonDocument(merged).toJson(), context, plan.wanted)) return kExitLocal;
  panel.UsbFileNameText = plan.wanted.UsbFileName;
  panel.LogoFieldText = plan.wanted.LogoName;
  QString refusal;
  if (!EncodeConfigImage(plan.wanted, panel, context, plan.record, &refusal))
    return own.Fail(kExitLocal,
                    QStringLiteral("the configuration cannot be built: %1.").arg(refusal));
  // What the device will hold, read as the device's own record is.
  plan.wanted = DeviceConfig{};
  DecodeConfigImage(plan.record, context, plan.wanted, panel, EmptyApplication::KeepEmpty);
  plan.changes = ConfigDiffLines(held, plan.wanted);
  return kExitOk;
}

// Backs up, sends the planned record unless the device changed since, reads back and verifies.
int Carry(CommandIo& own, CliSession& session, const Plan& plan) {
  OperationContext ctx = session.Context();
  QByteArray now;
  if (own.args.Has(QStringLiteral("--no-backup"))) {
    if (const QString why = session.FetchRecord(now); !why.isEmpty())
      return own.Fail(kExitFailed, why + u'.');
  } else {
    const BackupResult backup = BackupDeviceConfig(ctx, session.clock.LocalTime());
    if (!backup.ok)
      return own.Fail(kExitFailed,
                      QStringLiteral("no backup, nothing written: %1.").arg(backup.error));
    own.out << "backup saved: " << QDir::toNativeSeparators(backup.path) << '\n';
    now = backup.record;
  }
  if (now != plan.heldRecord)
    return own.Fail(kExitFailed, QStringLiteral("the device's configuration changed since it was "
                                                "read; nothing was sent."));
  session.link.WriteIndicator = true;
  const auto* data = reinterpret_cast<const std::uint8_t*>(plan.record.constData());
  if (!session.link.Transact(cmd::WriteConfig, {data, static_cast<std::size_t>(plan.record.size())},
                             kWriteTimeout))
    return own.Fail(kExitFailed, QStringLiteral("the device did not accept the configuration."));
  QByteArray back;
  DeviceConfig held;
  PanelState panel;
  if (!session.FetchRecord(back).isEmpty() ||
      !DecodeConfigImage(back, ctx.Layout(), held, panel, EmptyApplication::KeepEmpty) ||
      !(held == plan.wanted))
    return own.Fail(kExitFailed, QStringLiteral("the device does not hold what was sent."));
  own.out << "configuration applied and verified (" << plan.changes.size() << " fields)\n";
  return kExitOk;
}

}  // namespace

int RunConfigApply(CommandIo& io) {
  Fleet fleet;
  if (const int code = LoadFleet(io, fleet)) return code;
  QJsonObject overlay;
  ValuesTable values;
  if (const int code = ReadInputs(io, fleet, overlay, values)) return code;
  const bool dryRun = io.args.Has(QStringLiteral("--dry-run"));
  QList<Plan> plans(fleet.members.size());
  const auto step = [&](const FleetMember& member, bool carry) {
    MemberJob job(io, member);
    Plan& plan = plans[IndexIn(fleet, member)];
    if (!job.Connect()) return job.Finish(job.outcome.code);
    if (carry) return job.Finish(Carry(job.own, job.session, plan));
    const int code =
        MakePlan(job.own, job.session, overlay, values.Row(member.name), values.paths, plan);
    for (const QString& line : plan.changes) job.out << line << '\n';
    return job.Finish(code);
  };
  const auto planned = RunFleet(io, fleet, [&](const FleetMember& m) { return step(m, false); });
  const int planCode = FleetExit(planned);
  if (dryRun) return planCode;
  for (const JobOutcome& outcome : planned)
    if (outcome.code != kExitOk && outcome.code != kExitNoDevice)
      return io.Fail(outcome.code,
                     QStringLiteral("not every device's plan holds: nothing was sent."));
  // The devices that could not be reached stay out; the others receive their plan.
  Fleet reachable = fleet;
  for (qsizetype i = 0; i < fleet.members.size(); ++i)
    if (planned[static_cast<std::size_t>(i)].code != kExitOk)
      reachable.members[i].failure = QStringLiteral("not reached when planning; nothing was sent");
  const auto carried = RunFleet(io, reachable, [&](const FleetMember& m) {
    return step(fleet.members.at(IndexIn(reachable, m)), true);
  });
  return FleetExit(carried);
}

}  // namespace ostrivane::cli
