// Fleet commands that read: which listed devices answer, one status scrape, the rack check.
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

#include "cli/Cli.h"
#include "cli/CliFleet.h"
#include "cli/CliOutput.h"
#include "cli/fleet/RackCheck.h"
#include "cli/fleet/StatusFormats.h"
#include "config/ConfigCodec.h"
#include "config/ConfigJson.h"

namespace ostrivane::cli {

namespace {

void PrintJson(CommandIo& io, const QJsonObject& object) {
  io.out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

// The identity of one found device over a session of its own, with its MAC address where its
// record carries one.
QJsonObject Described(CommandIo& io, const Target& target) {
  QString said;
  QTextStream err(&said);
  CliSession session(err, true, io.trace);
  QJsonObject entry;
  if (target.IsSerial())
    entry.insert(QStringLiteral("Port"), target.serialPath);
  else
    entry = QJsonObject{{QStringLiteral("Identifier"), target.identifier},
                        {QStringLiteral("Address"), target.host},
                        {QStringLiteral("Unique"), !target.shared}};
  if (!session.ConnectTarget(target)) {
    entry.insert(QStringLiteral("Error"), session.Failure());
    return entry;
  }
  const QJsonObject id = IdentityJson(session);
  for (const char* key : {"ModelName", "DeviceTypeCode", "Main", "Spare", "Secondary", "Version"})
    entry.insert(QLatin1String(key), id.value(QLatin1String(key)));
  QByteArray record;
  DeviceConfig config;
  PanelState panel;
  if (session.FetchRecord(record).isEmpty() &&
      DecodeConfigImage(record, session.Context().Layout(), config, panel)) {
    const QJsonArray mac = QJsonDocument::fromJson(ConfigToJson(config))
                               .object()
                               .value(QStringLiteral("MacAddress"))
                               .toArray();
    QStringList bytes;
    bool set = false;
    for (const QJsonValue& b : mac) {
      bytes << QStringLiteral("%1").arg(b.toInt() & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
      set = set || b.toInt() != 0;
    }
    if (set) entry.insert(QStringLiteral("MacAddress"), bytes.join(u':'));
  }
  return entry;
}

// The addresses a model's record does not carry are left out of what the rack check compares: a
// probe value that does not survive encoding and decoding is not stored by the device.
void DropUncarriedAddresses(QJsonObject& json, const DeviceConfig& config,
                            const LayoutContext& context) {
  const QString probe = QStringLiteral("239.254.253.252");
  DeviceConfig trial = config;
  trial.IpAddress = probe;
  for (ServiceSettings& service : trial.Services) service.DestAddress = probe;
  PanelState panel;
  panel.UsbFileNameText = trial.UsbFileName;
  panel.LogoFieldText = trial.LogoName;
  QByteArray record;
  DeviceConfig back;
  const bool kept = EncodeConfigImage(trial, panel, context, record) &&
                    DecodeConfigImage(record, context, back, panel);
  if (!kept || back.IpAddress != probe) json.remove(QStringLiteral("IpAddress"));
  QJsonArray services = json.value(QStringLiteral("Services")).toArray();
  for (qsizetype s = 0; s < services.size() && s < kServiceSlots; ++s) {
    if (kept && back.Services[static_cast<std::size_t>(s)].DestAddress == probe) continue;
    QJsonObject service = services.at(s).toObject();
    service.remove(QStringLiteral("DestAddress"));
    service.remove(QStringLiteral("DestPort"));
    services.replace(s, service);
  }
  json.insert(QStringLiteral("Services"), services);
}

}  // namespace

QJsonObject FoundJson(CommandIo& io, const QList<Target>& found) {
  QList<QJsonObject> described(found.size());
  RunJobsInOrder(
      static_cast<int>(found.size()), {kDefaultFleetJobs * 2, false},
      [&](int i) {
        described[i] = Described(io, found.at(i));
        return JobOutcome{};
      },
      [](int, const JobOutcome&) {});
  QJsonArray network;
  QJsonArray serial;
  QStringList ports;
  for (qsizetype i = 0; i < found.size(); ++i) {
    if (found.at(i).IsSerial()) {
      serial.append(described.at(i));
      ports << found.at(i).serialPath;
    } else {
      network.append(described.at(i));
    }
  }
  return QJsonObject{{QStringLiteral("Network"), network},
                     {QStringLiteral("Serial"), QJsonArray::fromStringList(ports)},
                     {QStringLiteral("SerialDevices"), serial}};
}

int RunStatusScrape(CommandIo& io) {
  const QString format = io.args.Value(QStringLiteral("--format"));
  if (!io.args.Has(QStringLiteral("--format")))
    return RunOnFleet(io, *FindCommand({QStringLiteral("status")}));
  if (format != QStringLiteral("json") && format != QStringLiteral("prometheus"))
    return io.Fail(kExitUsage, QStringLiteral("--format expects json or prometheus."));
  if (io.args.Has(QStringLiteral("--watch")) || io.args.Has(QStringLiteral("--json")))
    return io.Fail(kExitUsage, QStringLiteral("--format takes no --watch or --json."));
  Fleet fleet;
  if (const int code = LoadFleet(io, fleet)) return code;
  QList<DeviceScrape> scrape(fleet.members.size());
  for (qsizetype i = 0; i < scrape.size(); ++i) scrape[i].name = fleet.members.at(i).name;
  const auto outcomes = RunFleet(io, fleet, [&](const FleetMember& member) {
    MemberJob job(io, member);
    if (!job.Connect()) return job.Finish(job.outcome.code);
    DeviceScrape& mine = scrape[IndexIn(fleet, member)];
    mine.identity = IdentityJson(job.session);
    if (!ReadStatusJson(job.session, mine.status)) {
      job.err << "ostrivane-cli: the device did not return its status.\n";
      return job.Finish(kExitFailed);
    }
    mine.up = true;
    return job.Finish(kExitOk);
  });
  if (format == QStringLiteral("prometheus"))
    io.out << FormatPrometheus(scrape);
  else
    PrintJson(io, ScrapeJson(scrape));
  return FleetExit(outcomes);
}

int RunRackCheck(CommandIo& io) {
  Fleet fleet;
  if (const int code = LoadFleet(io, fleet)) return code;
  QList<RackDevice> read(fleet.members.size());
  QList<bool> held(fleet.members.size(), false);
  const auto outcomes = RunFleet(io, fleet, [&](const FleetMember& member) {
    MemberJob job(io, member);
    if (!job.Connect()) return job.Finish(job.outcome.code);
    QByteArray record;
    if (const QString why = job.session.FetchRecord(record); !why.isEmpty()) {
      job.err << "ostrivane-cli: " << why << ".\n";
      return job.Finish(kExitFailed);
    }
    DeviceConfig config;
    PanelState panel;
    DecodeConfigImage(record, job.session.Context().Layout(), config, panel);  // checked
    const qsizetype i = IndexIn(fleet, member);
    const RecordShape& shape = job.session.shape;
    QJsonObject json = QJsonDocument::fromJson(ConfigToJson(config)).object();
    DropUncarriedAddresses(json, config, job.session.Context().Layout());
    read[i] = RackDevice{member.name, json, shape.ModulatorCount, shape.ServiceCount};
    held[i] = true;
    return job.Finish(kExitOk);
  });
  QList<RackDevice> devices;
  for (qsizetype i = 0; i < read.size(); ++i)
    if (held[i]) devices << read[i];
  const QList<Clash> clashes = FindClashes(devices);
  QJsonArray list;
  for (const Clash& clash : clashes) {
    list.append(clash.Json());
    if (!io.args.Has(QStringLiteral("--json"))) io.out << clash.Line() << '\n';
  }
  if (io.args.Has(QStringLiteral("--json")))
    PrintJson(io, QJsonObject{{QStringLiteral("Clashes"), list},
                              {QStringLiteral("DevicesRead"), static_cast<int>(devices.size())}});
  else if (clashes.isEmpty())
    io.out << "no clash between the " << devices.size() << " devices read\n";
  std::vector<int> codes{clashes.isEmpty() ? kExitOk : kExitDiffers};
  codes.push_back(FleetExit(outcomes));
  return WorstExit(codes);
}

int RunFindInventory(CommandIo& io) {
  Fleet fleet;
  if (const int code = LoadFleet(io, fleet)) return code;
  const auto outcomes = RunFleet(io, fleet, [&](const FleetMember& member) {
    MemberJob job(io, member);
    if (!job.Connect()) return job.Finish(job.outcome.code);
    const QJsonObject id = IdentityJson(job.session);
    job.out << "answers: " << id.value(QStringLiteral("ModelName")).toString() << ' '
            << id.value(QStringLiteral("Version")).toString() << " at " << member.target.Where()
            << '\n';
    return job.Finish(kExitOk);
  });
  // Announced devices that the inventory does not list, by identifier or by address.
  LinkRequest request;
  CliArgs listen = io.args;
  listen.options.remove(QStringLiteral("--devices"));
  listen.ToLinkRequest(request);  // already checked by LoadFleet
  CliSession listener(io.err, true, io.trace);
  listener.Listen(request);
  for (const DiscoveredDevice& d : listener.discovery.Copy()) {
    const bool listed = std::any_of(fleet.members.begin(), fleet.members.end(), [&](const auto& m) {
      return m.target.identifier == d.identifier || m.target.host == d.address;
    });
    if (!listed) io.out << "not in the inventory: " << d.identifier << " at " << d.address << '\n';
  }
  return FleetExit(outcomes);
}

}  // namespace ostrivane::cli
