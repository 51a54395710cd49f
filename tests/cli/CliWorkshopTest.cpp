// The command line as a workshop or a headend uses it: help, exit codes by cause, many devices,
// backups, diff, watch and traces.
#include <unistd.h>

#include <QRegularExpression>

#include "RackSupport.h"
#include "link/FrameCodec.h"

using namespace ostrivane;
using namespace ostrivane::sim;
using namespace ostrivane::clitest;

namespace {

quint16 DiscoveryPort(int offset) {
  return static_cast<quint16>(44000 + (QCoreApplication::applicationPid() % 1000) * 4 + offset);
}

// A simulated device on a loopback address of its own, announced under an identifier.
using AnnouncedDevice = RackDevice;

QStringList DiscoveryOptions(quint16 port, quint16 devicePort) {
  return {QStringLiteral("--discovery-interface"),
          QStringLiteral("127.0.0.1"),
          QStringLiteral("--discovery-port"),
          QString::number(port),
          QStringLiteral("--device-port"),
          QString::number(devicePort),
          QStringLiteral("--listen"),
          QStringLiteral("0.6")};
}

QList<QJsonObject> JsonLines(const QByteArray& text) {
  QList<QJsonObject> lines;
  for (const QByteArray& line : text.split('\n'))
    if (!line.trimmed().isEmpty()) lines.append(QJsonDocument::fromJson(line).object());
  return lines;
}

}  // namespace

TEST_F(CliTest, HelpAndVersion_PrintTheCommandsOwnUsage) {
  CliRun run = Cli({QStringLiteral("--version")}, false);
  EXPECT_EQ(run.code, cli::kExitOk);
  EXPECT_EQ(run.out.trimmed(), QByteArray("ostrivane-cli ") + OSTRIVANE_VERSION);

  for (const QStringList& line :
       {QStringList{QStringLiteral("help"), QStringLiteral("status")},
        QStringList{QStringLiteral("status"), QStringLiteral("--help")}}) {
    run = Cli(line, false);
    EXPECT_EQ(run.code, cli::kExitOk);
    EXPECT_TRUE(run.out.startsWith("usage: ostrivane-cli status")) << run.out.constData();
    EXPECT_TRUE(run.out.contains("--watch"));
    EXPECT_TRUE(run.out.contains("Example: ostrivane-cli status"));
    EXPECT_TRUE(run.out.contains("Exit codes"));
  }
  EXPECT_TRUE(Cli({QStringLiteral("help"), QStringLiteral("config"), QStringLiteral("diff")}, false)
                  .out.contains("5 the device differs"));

  run = Cli({QStringLiteral("help"), QStringLiteral("frobnicate")}, false);
  EXPECT_EQ(run.code, cli::kExitUsage);
  EXPECT_TRUE(run.err.startsWith("ostrivane-cli: unknown command \"frobnicate\"."))
      << run.err.constData();
  EXPECT_LT(run.err.indexOf("unknown command"), run.err.indexOf("usage:"));
}

TEST_F(CliTest, SurplusArgumentsAndForeignOptions_AreUsageErrors) {
  StartDevice(131);
  const QList<QStringList> lines = {
      {QStringLiteral("identify"), QStringLiteral("extra")},
      {QStringLiteral("snapshot"), QStringLiteral("a.bmp"), QStringLiteral("b.bmp")},
      {QStringLiteral("reset"), QStringLiteral("--store-default")},
      {QStringLiteral("firmware"), QStringLiteral("check"), QStringLiteral("--yes")},
      {QStringLiteral("status"), QStringLiteral("--count"), QStringLiteral("3")},
      {QStringLiteral("identify"), QStringLiteral("--json=yes")},
      {QStringLiteral("identify"), QStringLiteral("--frob")},
  };
  for (const QStringList& line : lines) {
    const CliRun run = Cli(line);
    EXPECT_EQ(run.code, cli::kExitUsage) << line.join(QLatin1Char(' ')).toStdString();
  }
  EXPECT_TRUE(m_device->Requests().isEmpty());
  const CliRun encode =
      Cli({QStringLiteral("record"), QStringLiteral("encode"), QStringLiteral("--type"),
           QStringLiteral("131"), QStringLiteral("--json"), QStringLiteral("x.json")},
          false);
  EXPECT_EQ(encode.code, cli::kExitUsage);
}

TEST_F(CliTest, LocalProblems_ExitFourBeforeAnyRequest) {
  StartDevice(131);
  const QString missing = Path(QStringLiteral("missing"));
  const QList<QStringList> lines = {
      {QStringLiteral("logs"), QStringLiteral("--out"), missing},
      {QStringLiteral("config"), QStringLiteral("get"), missing + QStringLiteral("/dev.itc")},
      {QStringLiteral("config"), QStringLiteral("put"), missing + QStringLiteral(".itc")},
      {QStringLiteral("config"), QStringLiteral("diff"), missing + QStringLiteral(".json")},
      {QStringLiteral("snapshot"), missing + QStringLiteral("/shot.bmp")},
      {QStringLiteral("firmware"), QStringLiteral("check"), QStringLiteral("--folder"), missing},
      {QStringLiteral("identify"), QStringLiteral("--trace"), missing + QStringLiteral("/t.jsonl")},
      {QStringLiteral("backup"), QStringLiteral("--all"), QStringLiteral("--into"), missing,
       QStringLiteral("--listen"), QStringLiteral("0")},
  };
  for (const QStringList& line : lines) {
    const CliRun run = Cli(line, !line.contains(QStringLiteral("backup")));
    EXPECT_EQ(run.code, cli::kExitLocal) << line.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(run.err.contains(missing.toUtf8())) << run.err.constData();
    EXPECT_EQ(run.err.count("ostrivane-cli:"), 1) << run.err.constData();
  }
  EXPECT_TRUE(m_device->Requests().isEmpty());
  EXPECT_EQ(Cli({QStringLiteral("record"), QStringLiteral("decode"), QStringLiteral("--type"),
                 QStringLiteral("131"), missing},
                false)
                .code,
            cli::kExitLocal);
}

TEST_F(CliTest, DeviceAndConnectionFailures_NameTheirCause) {
  StartDevice(131);
  SimFaults refuse;
  refuse.refuse = true;
  refuse.onlyCommand = 0x40;
  m_device->SetFaults(refuse);
  EXPECT_EQ(Cli({QStringLiteral("status")}).code, cli::kExitFailed);

  const quint16 closed = m_server->Port();
  m_server->Stop();
  const CliRun run = Cli({QStringLiteral("identify"), QStringLiteral("--tcp"),
                          QStringLiteral("127.0.0.1:%1").arg(closed)},
                         false);
  EXPECT_EQ(run.code, cli::kExitNoDevice);
  EXPECT_EQ(run.err, QStringLiteral("ostrivane-cli: no device found: connection refused by "
                                    "127.0.0.1:%1.\n")
                         .arg(closed)
                         .toUtf8());
  const CliRun serial =
      Cli({QStringLiteral("identify"), QStringLiteral("--serial"), Path(QStringLiteral("ttyACM9"))},
          false);
  EXPECT_EQ(serial.code, cli::kExitNoDevice);
  EXPECT_TRUE(serial.err.contains("cannot open " + Path(QStringLiteral("ttyACM9")).toUtf8()))
      << serial.err.constData();
}

TEST_F(CliTest, RecordEncode_StrictUnlessLenient) {
  StartDevice(131);
  ASSERT_EQ(
      Cli({QStringLiteral("config"), QStringLiteral("get"), Path(QStringLiteral("d.itc"))}).code,
      cli::kExitOk);
  const CliRun decoded =
      Cli({QStringLiteral("record"), QStringLiteral("decode"), QStringLiteral("--type"),
           QStringLiteral("131"), Path(QStringLiteral("d.itc"))},
          false);
  QJsonObject root = decoded.Json();
  root.insert(QStringLiteral("Colour"), 3);
  root.remove(QStringLiteral("NetworkId"));
  QFile file(Path(QStringLiteral("d.json")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QJsonDocument(root).toJson());
  file.close();
  const QStringList encode = {QStringLiteral("record"),       QStringLiteral("encode"),
                              QStringLiteral("--type"),       QStringLiteral("131"),
                              Path(QStringLiteral("d.json")), QStringLiteral("-o"),
                              Path(QStringLiteral("e.itc"))};
  CliRun run = Cli(encode, false);
  EXPECT_EQ(run.code, cli::kExitLocal);
  EXPECT_TRUE(run.err.contains("error: Colour: unknown key")) << run.err.constData();
  EXPECT_TRUE(run.err.contains("warning: NetworkId: missing")) << run.err.constData();
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("e.itc"))));
  run = Cli(encode + QStringList{QStringLiteral("--lenient")}, false);
  EXPECT_EQ(run.code, cli::kExitOk) << run.err.constData();
}

TEST_F(CliTest, DeviceOption_ChoosesBetweenTwoAnnouncedSimulators) {
  const quint16 discovery = DiscoveryPort(0);
  AnnouncedDevice first(131, QStringLiteral("127.0.0.1"), 0, QStringLiteral("HALLA"), discovery);
  ASSERT_TRUE(first.Start());
  const quint16 port = first.server.Port();
  AnnouncedDevice second(192, QStringLiteral("127.0.0.2"), port, QStringLiteral("HALLB"),
                         discovery);
  ASSERT_TRUE(second.Start());
  const QStringList options = DiscoveryOptions(discovery, port);
  const auto identify = [&](const QString& device) {
    return Cli(QStringList{QStringLiteral("identify"), QStringLiteral("--json"),
                           QStringLiteral("--device"), device} +
                   options,
               false);
  };
  CliRun run = identify(QStringLiteral("HALLB"));
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_EQ(run.Json().value(QStringLiteral("DeviceTypeCode")).toInt(), 192);
  run = identify(QStringLiteral("127.0.0.1"));
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_EQ(run.Json().value(QStringLiteral("DeviceTypeCode")).toInt(), 131);
  run = identify(QStringLiteral("HALLC"));
  EXPECT_EQ(run.code, cli::kExitNoDevice);
  EXPECT_TRUE(run.err.contains("device HALLC was not heard within")) << run.err.constData();

  run = Cli(QStringList{QStringLiteral("find"), QStringLiteral("--json")} + options, false);
  const QJsonArray network = run.Json().value(QStringLiteral("Network")).toArray();
  ASSERT_EQ(network.size(), 2);
  EXPECT_TRUE(network.at(0).toObject().contains(QStringLiteral("Identifier")));
  EXPECT_TRUE(network.at(0).toObject().contains(QStringLiteral("Address")));
}

TEST_F(CliTest, BackupAll_SavesEveryAnnouncedAndSerialDeviceAndReportsFailures) {
  const quint16 discovery = DiscoveryPort(1);
  AnnouncedDevice first(131, QStringLiteral("127.0.0.1"), 0, QStringLiteral("ROOF1"), discovery);
  ASSERT_TRUE(first.Start());
  AnnouncedDevice second(176, QStringLiteral("127.0.0.2"), first.server.Port(),
                         QStringLiteral("ROOF2"), discovery);
  ASSERT_TRUE(second.Start());
  SimOptions legacy;
  legacy.typeCode = 121;
  SimulatedModulator third(legacy);
  PtyServer pty(third);
  ASSERT_TRUE(pty.Start());
  QDir(m_data.path()).mkdir(QStringLiteral("saved"));
  const QStringList line = QStringList{QStringLiteral("backup"),   QStringLiteral("--all"),
                                       QStringLiteral("--into"),   Path(QStringLiteral("saved")),
                                       QStringLiteral("--serial"), pty.SlavePath()} +
                           DiscoveryOptions(discovery, first.server.Port());
  CliRun run = Cli(line, false);
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();

  const QDir saved(Path(QStringLiteral("saved")));
  const QString stamp = QStringLiteral("_[0-9]{8}_[0-9]{6}");
  const struct {
    QString pattern;
    const SimulatedModulator& device;
  } expected[] = {
      {QStringLiteral("ROOF1_UNIT131") + stamp + QStringLiteral("\\.itc"), first.device},
      {QStringLiteral("ROOF2_UNIT176") + stamp + QStringLiteral("\\.itc"), second.device},
      {QStringLiteral("pts-[0-9]+_UNIT121") + stamp + QStringLiteral("\\.tmc"), third}};
  const QStringList files = saved.entryList(QDir::Files, QDir::Name);
  EXPECT_EQ(files.size(), 6) << files.join(QLatin1Char(' ')).toStdString();
  for (const auto& e : expected) {
    const QStringList matches =
        files.filter(QRegularExpression(QStringLiteral("^") + e.pattern + QStringLiteral("$")));
    ASSERT_EQ(matches.size(), 1) << e.pattern.toStdString();
    EXPECT_EQ(ReadAll(saved.filePath(matches.first())), e.device.ConfigRecord());
    QString json = matches.first();
    json.replace(QRegularExpression(QStringLiteral("\\.(itc|tmc)$")), QStringLiteral(".json"));
    EXPECT_TRUE(QJsonDocument::fromJson(ReadAll(saved.filePath(json))).isObject())
        << json.toStdString();
  }

  // One device refusing its read does not stop the others.
  SimFaults refuse;
  refuse.refuse = true;
  refuse.onlyCommand = 0x70;
  second.device.SetFaults(refuse);
  QDir(m_data.path()).mkdir(QStringLiteral("again"));
  QStringList againLine = line;
  againLine[3] = Path(QStringLiteral("again"));
  run = Cli(againLine, false);
  EXPECT_EQ(run.code, cli::kExitFailed);
  EXPECT_TRUE(run.err.contains("ROOF2: the device did not return its configuration"))
      << run.err.constData();
  EXPECT_EQ(QDir(Path(QStringLiteral("again"))).entryList(QDir::Files).size(), 4);
}

TEST_F(CliTest, ConfigDiff_EqualExitsZeroDifferentExitsFive) {
  StartDevice(176);
  ASSERT_EQ(
      Cli({QStringLiteral("config"), QStringLiteral("get"), Path(QStringLiteral("d.itc"))}).code,
      cli::kExitOk);
  CliRun run =
      Cli({QStringLiteral("config"), QStringLiteral("diff"), Path(QStringLiteral("d.itc"))});
  EXPECT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();

  const CliRun decoded =
      Cli({QStringLiteral("record"), QStringLiteral("decode"), QStringLiteral("--type"),
           QStringLiteral("176"), Path(QStringLiteral("d.itc"))},
          false);
  QJsonObject root = decoded.Json();
  QJsonArray services = root.value(QStringLiteral("Services")).toArray();
  QJsonObject second = services.at(1).toObject();
  const int lcn = second.value(QStringLiteral("Lcn")).toInt();
  second.insert(QStringLiteral("Lcn"), 12);
  services.replace(1, second);
  root.insert(QStringLiteral("Services"), services);
  QFile file(Path(QStringLiteral("d.json")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QJsonDocument(root).toJson());
  file.close();
  run = Cli({QStringLiteral("config"), QStringLiteral("diff"), Path(QStringLiteral("d.json"))});
  EXPECT_EQ(run.code, cli::kExitDiffers) << run.err.constData();
  EXPECT_EQ(run.out, QStringLiteral("Services[1].Lcn: %1 -> 12\n").arg(lcn).toUtf8());
  run = Cli({QStringLiteral("config"), QStringLiteral("diff"), Path(QStringLiteral("d.json")),
             QStringLiteral("--json")});
  EXPECT_EQ(run.code, cli::kExitDiffers);
  const QJsonArray changes = QJsonDocument::fromJson(run.out).array();
  ASSERT_EQ(changes.size(), 1);
  EXPECT_EQ(changes.at(0).toObject().value(QStringLiteral("Field")).toString(),
            QStringLiteral("Services[1].Lcn"));
  EXPECT_EQ(changes.at(0).toObject().value(QStringLiteral("File")).toInt(), 12);
}

TEST_F(CliTest, StatusWatch_PrintsChangesUntilCountAndFailsWhenTheDeviceGoes) {
  StartDevice(178);
  CliRun run = Cli({QStringLiteral("status"), QStringLiteral("--watch"), QStringLiteral("--json"),
                    QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--interval"),
                    QStringLiteral("100")});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  const QList<QJsonObject> lines = JsonLines(run.out);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_NE(lines.at(0), lines.at(1));
  EXPECT_EQ(lines.at(1).value(QStringLiteral("Inputs")).toArray().size(), 2);

  SimFaults drop;
  drop.dropLinkAfterRequests = 3;
  m_device->SetFaults(drop);
  run = Cli({QStringLiteral("status"), QStringLiteral("--watch"), QStringLiteral("--interval"),
             QStringLiteral("50")});
  EXPECT_EQ(run.code, cli::kExitFailed);
  EXPECT_TRUE(run.err.contains("stopped answering")) << run.err.constData();
}

TEST_F(CliTest, Trace_HasALinePerRequestAndReplyMatchingTheSimulator) {
  StartDevice(131);
  SimFaults bad;
  bad.badChecksum = true;
  bad.onlyCommand = 0x70;
  bad.remaining = 1;
  m_device->SetFaults(bad);
  const QString trace = Path(QStringLiteral("trace.jsonl"));
  ASSERT_EQ(Cli({QStringLiteral("config"), QStringLiteral("get"), Path(QStringLiteral("d.itc")),
                 QStringLiteral("--trace"), trace})
                .code,
            cli::kExitOk);
  // After the run's header, the connection's steps and the frames, all of this device.
  const QList<QJsonObject> all = JsonLines(ReadAll(trace));
  ASSERT_FALSE(all.isEmpty());
  EXPECT_EQ(all[0].value(QStringLiteral("command")).toArray().at(1).toString(),
            QStringLiteral("config"));
  QList<QJsonObject> lines;
  QList<QJsonObject> sent;
  for (const QJsonObject& line : all.mid(1)) {
    EXPECT_EQ(line.value(QStringLiteral("device")).toString(),
              QStringLiteral("127.0.0.1:%1").arg(m_server->Port()));
    if (line.contains(QStringLiteral("dir"))) lines.append(line);
  }
  for (const QJsonObject& line : lines) {
    EXPECT_TRUE(line.value(QStringLiteral("t")).isDouble());
    if (line.value(QStringLiteral("dir")).toString() == QStringLiteral("tx")) sent.append(line);
  }
  const QVector<SimRequest> requests = m_device->Requests();
  ASSERT_EQ(sent.size(), requests.size());
  for (qsizetype i = 0; i < requests.size(); ++i) {
    EXPECT_EQ(sent[i].value(QStringLiteral("cmd")).toString(),
              QStringLiteral("0x%1").arg(requests[i].command, 2, 16, QLatin1Char('0')));
    EXPECT_EQ(sent[i].value(QStringLiteral("payload")).toString().toLatin1(),
              requests[i].payload.toHex());
  }
  // identify, then the configuration read answered with a bad checksum and its second attempt.
  ASSERT_EQ(lines.size(), 6);
  EXPECT_EQ(lines[3].value(QStringLiteral("status")).toString(), QStringLiteral("bad-frame"));
  // The damaged frame as it came: the good one but for its checksum.
  EncodedFrame good;
  ASSERT_TRUE(EncodeReply(
      LinkStatus::Accepted,
      std::span(reinterpret_cast<const std::uint8_t*>(m_device->ConfigRecord().constData()),
                static_cast<std::size_t>(m_device->ConfigRecord().size())),
      good));
  const QByteArray raw =
      QByteArray::fromHex(lines[3].value(QStringLiteral("raw")).toString().toLatin1());
  const QByteArray sentFrame(reinterpret_cast<const char*>(good.bytes.data()),
                             static_cast<qsizetype>(good.length));
  EXPECT_EQ(raw.left(sentFrame.size() - 2), sentFrame.left(sentFrame.size() - 2));
  EXPECT_NE(raw, sentFrame);
  EXPECT_EQ(lines[4].value(QStringLiteral("attempt")).toInt(), 2);
  EXPECT_EQ(lines[5].value(QStringLiteral("status")).toString(), QStringLiteral("accepted"));
  EXPECT_EQ(QByteArray::fromHex(lines[5].value(QStringLiteral("payload")).toString().toLatin1()),
            m_device->ConfigRecord());
}

TEST_F(CliTest, Trace_AppendsEachRunWithItsHeaderAndAFailedConnection) {
  StartDevice(131);
  const QString trace = Path(QStringLiteral("trace.jsonl"));
  ASSERT_EQ(Cli({QStringLiteral("identify"), QStringLiteral("--trace"), trace}).code, cli::kExitOk);
  const qsizetype first = JsonLines(ReadAll(trace)).size();
  const QString closed = QStringLiteral("127.0.0.1:%1").arg(m_server->Port());
  m_server.reset();
  EXPECT_EQ(Cli({QStringLiteral("identify"), QStringLiteral("--tcp"), closed,
                 QStringLiteral("--trace"), trace},
                false)
                .code,
            cli::kExitNoDevice);
  const QList<QJsonObject> lines = JsonLines(ReadAll(trace));
  ASSERT_EQ(lines.size(), first + 3);
  EXPECT_TRUE(lines[0].value(QStringLiteral("run")).isString());
  EXPECT_TRUE(lines[first].value(QStringLiteral("command")).toArray().contains(closed));
  EXPECT_EQ(lines[first + 1].value(QStringLiteral("event")).toString(), QStringLiteral("connect"));
  EXPECT_EQ(lines[first + 2].value(QStringLiteral("event")).toString(), QStringLiteral("failed"));
  EXPECT_EQ(lines[first + 2].value(QStringLiteral("device")).toString(), closed);
  EXPECT_FALSE(lines[first + 2].value(QStringLiteral("detail")).toString().isEmpty());
}

TEST_F(CliTest, EdidAndResults_ConfirmationAndPrintedOutcomes) {
  StartDevice(131);
  if (isatty(fileno(stdin)) == 0) {
    const CliRun run = Cli({QStringLiteral("edid")});
    EXPECT_EQ(run.code, cli::kExitUsage);
    EXPECT_TRUE(run.err.contains("--yes")) << run.err.constData();
    EXPECT_EQ(m_device->Counters().edidProgrammings, 0);
  }
  CliRun run = Cli({QStringLiteral("edid"), QStringLiteral("--yes"), QStringLiteral("--json")});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_TRUE(run.Json().value(QStringLiteral("EdidProgrammed")).toBool());
  run = Cli({QStringLiteral("clock"), QStringLiteral("set"), QStringLiteral("--at"),
             QStringLiteral("2024-03-05 14:07:09")});
  EXPECT_EQ(run.out, QByteArray("device clock set to 2024-03-05 14:07:09\n"));

  SimFaults refuse;
  refuse.refuse = true;
  refuse.onlyCommand = 0x20;
  m_device->SetFaults(refuse);
  run = Cli({QStringLiteral("reset")});
  EXPECT_EQ(run.code, cli::kExitFailed) << run.out.constData();
}

TEST_F(CliTest, SmallFaults_EachGetsItsOwnOutcome) {
  StartDevice(131);
  // A record that does not decode is no backup: config get writes nothing.
  const QByteArray held = m_device->ConfigRecord();
  m_device->SetConfigRecord(QByteArray("VEVE\x83", 5) + QByteArray(80, 'a'));
  CliRun run =
      Cli({QStringLiteral("config"), QStringLiteral("get"), Path(QStringLiteral("x.itc"))});
  EXPECT_EQ(run.code, cli::kExitFailed) << run.err.constData();
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("x.itc"))));
  m_device->SetConfigRecord(held);

  // firmware check --json; an upgrade from a folder without an image for the device.
  QDir(m_data.path()).mkdir(QStringLiteral("fw"));
  const QStringList folder = {QStringLiteral("--folder"), Path(QStringLiteral("fw"))};
  run = Cli(
      QStringList{QStringLiteral("firmware"), QStringLiteral("check"), QStringLiteral("--json")} +
      folder);
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  const QJsonObject main = run.Json().value(QStringLiteral("Main")).toObject();
  EXPECT_EQ(main.value(QStringLiteral("DeviceVersion")).toInt(), 20);
  EXPECT_FALSE(main.value(QStringLiteral("WouldInstall")).toBool());
  run = Cli(QStringList{QStringLiteral("firmware"), QStringLiteral("upgrade")} + folder);
  EXPECT_EQ(run.code, cli::kExitLocal);
  EXPECT_TRUE(run.err.contains("no firmware image for UNIT131")) << run.err.constData();

  // A data folder whose backups/ is a file: refused before the device is contacted.
  QFile blocker(Path(QStringLiteral("backups")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  ASSERT_EQ(
      Cli({QStringLiteral("config"), QStringLiteral("get"), Path(QStringLiteral("a.itc"))}).code,
      cli::kExitOk);
  m_device->ClearRequests();
  for (const QStringList& line :
       {QStringList{QStringLiteral("config"), QStringLiteral("put"), Path(QStringLiteral("a.itc"))},
        QStringList{QStringLiteral("firmware"), QStringLiteral("upgrade")} + folder}) {
    run = Cli(line);
    EXPECT_EQ(run.code, cli::kExitLocal) << run.err.constData();
    EXPECT_EQ(run.err.count("no backup"), 1) << run.err.constData();
  }
  EXPECT_TRUE(m_device->Requests().isEmpty());

  // help help is the overview; a damaged identify reply says so.
  run = Cli({QStringLiteral("help"), QStringLiteral("help")}, false);
  EXPECT_EQ(run.code, cli::kExitOk);
  EXPECT_TRUE(run.out.startsWith("usage: ostrivane-cli COMMAND"));
  SimFaults bad;
  bad.badChecksum = true;
  m_device->SetFaults(bad);
  run = Cli({QStringLiteral("identify")});
  EXPECT_EQ(run.code, cli::kExitNoDevice);
  EXPECT_TRUE(run.err.contains("bad checksum")) << run.err.constData();
}
