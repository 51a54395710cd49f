// Fleet runs: the devices of an inventory file (or every device found), worked on several at a
// time, their results printed in inventory order, each line started by the device's NAME.
#include "cli/CliFleet.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

#include "cli/Cli.h"
#include "cli/fleet/Inventory.h"

namespace ostrivane::cli {

namespace {

constexpr int kMaxJobs = 256;

const QStringList kSingleTargets = {QStringLiteral("--tcp"), QStringLiteral("--serial"),
                                    QStringLiteral("--device"), QStringLiteral("--all")};

// The identifiers an inventory lists, resolved to announced addresses with one listening pass.
int ResolveIdentifiers(CommandIo& io, const LinkRequest& request, QList<FleetMember>& members) {
  QStringList wanted;
  for (const FleetMember& m : members)
    if (!m.target.identifier.isEmpty()) wanted << m.target.identifier;
  if (wanted.isEmpty()) return kExitOk;
  CliSession listener(io.err, true, io.trace);
  // An identifier counts once heard twice: a second device using it would have spoken by then.
  listener.Listen(request, [&wanted](const QVector<DiscoveredDevice>& heard) {
    for (const QString& id : wanted) {
      const bool twice = std::any_of(heard.begin(), heard.end(), [&](const DiscoveredDevice& d) {
        return d.identifier == id && d.heard >= 2;
      });
      if (!twice) return false;
    }
    return true;
  });
  const QVector<DiscoveredDevice> heard = listener.discovery.Copy();
  for (FleetMember& member : members) {
    if (member.target.identifier.isEmpty()) continue;
    QStringList addresses;
    for (const DiscoveredDevice& d : heard)
      if (d.identifier == member.target.identifier) addresses << d.address;
    if (addresses.size() > 1)
      return io.Fail(kExitUsage, QStringLiteral("%1: the identifier %2 is not unique: announced by "
                                                "%3; list one of them as tcp:ADDRESS.")
                                     .arg(member.name, member.target.identifier,
                                          addresses.join(QStringLiteral(", "))));
    if (addresses.isEmpty())
      member.failure = QStringLiteral("no device found: %1 was not announced within %2 s")
                           .arg(member.target.identifier)
                           .arg(request.listenSeconds);
    else
      member.target.host = addresses.first();
  }
  return kExitOk;
}

int ReadInventory(CommandIo& io, const LinkRequest& request, QList<FleetMember>& members) {
  const QString path = io.args.Value(QStringLiteral("--devices"));
  for (const QString& single : kSingleTargets)
    if (io.args.Has(single))
      return io.Fail(kExitUsage, QStringLiteral("--devices and %1 exclude each other: name the "
                                                "devices one way.")
                                     .arg(single));
  if (const int code = CheckReadableFile(io, path)) return code;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return io.Fail(kExitLocal, QStringLiteral("cannot read %1: %2.").arg(path, file.errorString()));
  const Inventory inventory = ParseInventory(file.readAll());
  if (!inventory.error.isEmpty())
    return io.Fail(kExitUsage, QStringLiteral("%1: %2.").arg(path, inventory.error));
  if (inventory.entries.isEmpty())
    return io.Fail(kExitUsage, QStringLiteral("%1 lists no device.").arg(path));
  for (const InventoryEntry& entry : inventory.entries) {
    FleetMember member;
    member.name = entry.name;
    member.target.host = entry.host;
    member.target.port = entry.port ? entry.port : request.tcpPort;
    member.target.serialPath = entry.path;
    member.target.identifier = entry.identifier;
    members << member;
  }
  return ResolveIdentifiers(io, request, members);
}

int FindEveryDevice(CommandIo& io, const LinkRequest& request, QList<FleetMember>& members) {
  CliSession listener(io.err, true, io.trace);
  const Targets targets = ResolveTargets(listener, request);
  for (const QString& note : targets.notes) io.err << "ostrivane-cli: " << note << ".\n";
  if (!targets.failure.isEmpty()) return io.Fail(targets.code, targets.failure + u'.');
  if (targets.list.isEmpty())
    return io.Fail(kExitNoDevice, QStringLiteral("no device found: nothing announced within %1 s "
                                                 "and no USB serial port.")
                                      .arg(request.listenSeconds));
  for (const Target& target : targets.list) members << FleetMember{target.Label(), target, {}};
  return kExitOk;
}

}  // namespace

bool NamesFleet(const CliArgs& args) {
  return args.Has(QStringLiteral("--devices")) || args.Has(QStringLiteral("--all"));
}

int LoadFleet(CommandIo& io, Fleet& fleet) {
  fleet.pool.jobs = kDefaultFleetJobs;
  if (!io.args.IntValue(QStringLiteral("--jobs"), 1, kMaxJobs, fleet.pool.jobs))
    return io.Fail(kExitUsage, io.args.error + u'.');
  if (!NamesFleet(io.args))
    return io.Fail(kExitUsage, QStringLiteral("name the devices with --devices FILE or --all."));
  const bool listed = io.args.Has(QStringLiteral("--devices"));
  CliArgs linkArgs = io.args;
  linkArgs.options.remove(QStringLiteral("--devices"));
  LinkRequest request;
  if (!linkArgs.ToLinkRequest(request)) return io.Fail(kExitUsage, linkArgs.error + u'.');
  return listed ? ReadInventory(io, request, fleet.members)
                : FindEveryDevice(io, request, fleet.members);
}

CliArgs MemberArgs(const CliArgs& args, const FleetMember& member) {
  CliArgs own = args;
  for (const QString& name :
       kSingleTargets + QStringList{QStringLiteral("--devices"), QStringLiteral("--jobs")})
    own.options.remove(name);
  if (member.target.IsSerial())
    own.options[QStringLiteral("--serial")] = QStringList{member.target.serialPath};
  else
    own.options[QStringLiteral("--tcp")] =
        QStringList{QStringLiteral("%1:%2").arg(member.target.host).arg(member.target.port)};
  return own;
}

std::vector<JobOutcome> RunFleet(CommandIo& io, const Fleet& fleet,
                                 const std::function<JobOutcome(const FleetMember&)>& job,
                                 bool print) {
  const auto run = [&](int i) {
    const FleetMember& member = fleet.members.at(i);
    if (!member.failure.isEmpty())
      return JobOutcome{
          kExitNoDevice, {}, QStringLiteral("ostrivane-cli: %1.\n").arg(member.failure)};
    return job(member);
  };
  const auto report = [&](int i, const JobOutcome& outcome) {
    const QString& name = fleet.members.at(i).name;
    if (!outcome.started) {
      io.err << name << ": not started: the rollout stopped after a failure\n" << Qt::flush;
      return;
    }
    if (!print) return;
    io.out << PrefixLines(name, outcome.out) << Qt::flush;
    io.err << PrefixLines(name, outcome.err) << Qt::flush;
  };
  return RunJobsInOrder(static_cast<int>(fleet.members.size()), fleet.pool, run, report);
}

int FleetExit(const std::vector<JobOutcome>& outcomes) {
  std::vector<int> codes;
  for (const JobOutcome& outcome : outcomes)
    if (outcome.started) codes.push_back(outcome.code);
  return WorstExit(codes);
}

int RunOnFleet(CommandIo& io, const CommandSpec& entry) {
  if (entry.words.first() == QStringLiteral("edid") && !io.args.Has(QStringLiteral("--yes")))
    return io.Fail(kExitUsage, QStringLiteral("edid on several devices needs --yes."));
  Fleet fleet;
  if (const int code = LoadFleet(io, fleet)) return code;
  const bool json = io.args.Has(QStringLiteral("--json"));
  const auto outcomes = RunFleet(
      io, fleet,
      [&](const FleetMember& member) {
        MemberJob job(io, member);
        return job.Finish(entry.handler(job.own));
      },
      !json);
  if (json) {
    // One document: each device's own JSON result under its NAME.
    QJsonArray results;
    for (qsizetype i = 0; i < fleet.members.size(); ++i) {
      const JobOutcome& outcome = outcomes[static_cast<std::size_t>(i)];
      QJsonObject result{{QStringLiteral("Device"), fleet.members.at(i).name},
                         {QStringLiteral("ExitCode"), outcome.code}};
      const QJsonDocument doc = QJsonDocument::fromJson(outcome.out.toUtf8());
      if (!doc.isNull())
        result.insert(QStringLiteral("Result"),
                      doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object()));
      io.err << PrefixLines(fleet.members.at(i).name, outcome.err);
      results.append(result);
    }
    io.out << QString::fromUtf8(QJsonDocument(results).toJson(QJsonDocument::Indented));
  }
  return FleetExit(outcomes);
}

}  // namespace ostrivane::cli
