// ostrivane-cli end to end against the simulated modulator on loopback.
#include "CliTestSupport.h"

using namespace ostrivane;
using namespace ostrivane::sim;
using namespace ostrivane::clitest;

TEST_F(CliTest, Identify_OverTcpAndOverPty_ReportsTheDevice) {
  StartDevice(132, 37);
  CliRun run = Cli({QStringLiteral("identify"), QStringLiteral("--json")});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  const QJsonObject id = run.Json();
  EXPECT_EQ(id.value(QStringLiteral("DeviceTypeCode")).toInt(), 132);
  EXPECT_EQ(id.value(QStringLiteral("ModelName")).toString(), QStringLiteral("UNIT132"));
  EXPECT_EQ(id.value(QStringLiteral("Main")).toInt(), 37);
  EXPECT_EQ(id.value(QStringLiteral("Version")).toString(), QStringLiteral("3.7"));
  EXPECT_EQ(id.value(QStringLiteral("Link")).toString(),
            QStringLiteral("tcp:127.0.0.1:%1").arg(m_server->Port()));

  PtyServer pty(*m_device);
  ASSERT_TRUE(pty.Start());
  run = Cli({QStringLiteral("identify"), QStringLiteral("--json"), QStringLiteral("--serial"),
             pty.SlavePath()},
            false);
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_EQ(run.Json().value(QStringLiteral("Link")).toString(),
            QStringLiteral("serial:") + pty.SlavePath());
}

TEST_F(CliTest, Identify_ThroughAnnouncementOnLoopback_ConnectsOverTcp) {
  StartDevice(192, 15);
  const quint16 discoveryPort =
      static_cast<quint16>(42000 + QCoreApplication::applicationPid() % 2000);
  AnnouncerOptions options;
  options.identifier = QStringLiteral("SIMTEST");
  options.port = discoveryPort;
  options.interval = std::chrono::milliseconds(100);
  Announcer announcer(options);
  ASSERT_TRUE(announcer.Start());
  const CliRun run = Cli({QStringLiteral("identify"), QStringLiteral("--json"),
                          QStringLiteral("--discovery-interface"), QStringLiteral("127.0.0.1"),
                          QStringLiteral("--discovery-port"), QString::number(discoveryPort),
                          QStringLiteral("--device-port"), QString::number(m_server->Port()),
                          QStringLiteral("--listen"), QStringLiteral("0.6")},
                         false);
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_EQ(run.Json().value(QStringLiteral("DeviceTypeCode")).toInt(), 192);
  // The only device heard is the one used, and the command says which.
  EXPECT_TRUE(run.err.contains("using SIMTEST at 127.0.0.1\n")) << run.err.constData();
}

TEST_F(CliTest, BadCommandLinesAndMissingDevices_GetTheirExitCodes) {
  EXPECT_EQ(Cli({QStringLiteral("frobnicate")}, false).code, cli::kExitUsage);
  EXPECT_EQ(Cli({}, false).code, cli::kExitUsage);
  EXPECT_EQ(
      Cli({QStringLiteral("identify"), QStringLiteral("--tcp"), QStringLiteral("host:0")}, false)
          .code,
      cli::kExitUsage);
  EXPECT_EQ(
      Cli({QStringLiteral("record"), QStringLiteral("decode"), QStringLiteral("x")}, false).code,
      cli::kExitUsage);
  EXPECT_EQ(Cli({QStringLiteral("record"), QStringLiteral("decode"), QStringLiteral("--type"),
                 QStringLiteral("129"), QStringLiteral("x")},
                false)
                .code,
            cli::kExitUsage);
  // A closed port: nothing answers.
  StartDevice(131);
  const quint16 closed = m_server->Port();
  m_server->Stop();
  const CliRun run = Cli({QStringLiteral("identify"), QStringLiteral("--tcp"),
                          QStringLiteral("127.0.0.1:%1").arg(closed)},
                         false);
  EXPECT_EQ(run.code, cli::kExitNoDevice);
  EXPECT_TRUE(run.err.contains("no device")) << run.err.constData();
}

TEST_F(CliTest, ConfigGetDecodeEncode_RoundTripsTheDeviceRecord) {
  StartDevice(176);
  ASSERT_EQ(
      Cli({QStringLiteral("config"), QStringLiteral("get"), Path(QStringLiteral("dev.itc"))}).code,
      cli::kExitOk);
  const QByteArray record = ReadAll(Path(QStringLiteral("dev.itc")));
  EXPECT_EQ(record, m_device->ConfigRecord());

  CliRun decoded =
      Cli({QStringLiteral("record"), QStringLiteral("decode"), QStringLiteral("--type"),
           QStringLiteral("176"), Path(QStringLiteral("dev.itc"))},
          false);
  ASSERT_EQ(decoded.code, cli::kExitOk) << decoded.err.constData();
  EXPECT_EQ(decoded.Json().value(QStringLiteral("Services")).toArray().size(), 4);
  QFile json(Path(QStringLiteral("dev.json")));
  ASSERT_TRUE(json.open(QIODevice::WriteOnly));
  json.write(decoded.out);
  json.close();

  const CliRun encoded =
      Cli({QStringLiteral("record"), QStringLiteral("encode"), QStringLiteral("--type"),
           QStringLiteral("176"), Path(QStringLiteral("dev.json")), QStringLiteral("-o"),
           Path(QStringLiteral("again.itc"))},
          false);
  ASSERT_EQ(encoded.code, cli::kExitOk) << encoded.err.constData();
  EXPECT_EQ(ReadAll(Path(QStringLiteral("again.itc"))), record);

  // The same record on a device of the other multi-output type is turned down with the reason.
  const CliRun rejected =
      Cli({QStringLiteral("record"), QStringLiteral("decode"), QStringLiteral("--type"),
           QStringLiteral("178"), Path(QStringLiteral("dev.itc"))},
          false);
  EXPECT_EQ(rejected.code, cli::kExitLocal);
  EXPECT_TRUE(rejected.err.contains("VEVE")) << rejected.err.constData();
}

TEST_F(CliTest, ConfigPut_SendsChecksAndStoresTheDefault) {
  StartDevice(131);
  ASSERT_EQ(
      Cli({QStringLiteral("config"), QStringLiteral("get"), Path(QStringLiteral("a.itc"))}).code,
      cli::kExitOk);
  QByteArray record = ReadAll(Path(QStringLiteral("a.itc")));
  record.replace("Ostrivane", "Renamed!!");
  QFile edited(Path(QStringLiteral("b.itc")));
  ASSERT_TRUE(edited.open(QIODevice::WriteOnly));
  edited.write(record);
  edited.close();

  ASSERT_EQ(
      Cli({QStringLiteral("config"), QStringLiteral("put"), Path(QStringLiteral("b.itc"))}).code,
      cli::kExitOk);
  EXPECT_TRUE(m_device->ConfigRecord().contains("Renamed!!"));
  EXPECT_EQ(m_device->Counters().factoryDefaults, 0);

  ASSERT_EQ(Cli({QStringLiteral("config"), QStringLiteral("put"), Path(QStringLiteral("a.itc")),
                 QStringLiteral("--store-default")})
                .code,
            cli::kExitOk);
  EXPECT_EQ(m_device->Counters().factoryDefaults, 1);

  QFile multi(Path(QStringLiteral("multi.itc")));
  ASSERT_TRUE(multi.open(QIODevice::WriteOnly));
  multi.write(QByteArray("VEVE\xb0", 5) + QByteArray(60, '\0'));
  multi.close();
  const QByteArray before = m_device->ConfigRecord();
  const CliRun rejected =
      Cli({QStringLiteral("config"), QStringLiteral("put"), Path(QStringLiteral("multi.itc"))});
  EXPECT_EQ(rejected.code, cli::kExitLocal);
  EXPECT_TRUE(rejected.err.contains("Config. file not compatible !")) << rejected.err.constData();
  EXPECT_EQ(m_device->ConfigRecord(), before);
}

TEST_F(CliTest, DeviceCommands_StatusLogsClockSnapshotEdidReset) {
  StartDevice(178);
  CliRun status = Cli({QStringLiteral("status"), QStringLiteral("--json")});
  ASSERT_EQ(status.code, cli::kExitOk) << status.err.constData();
  EXPECT_EQ(status.Json().value(QStringLiteral("Inputs")).toArray().size(), 2);
  EXPECT_EQ(status.Json().value(QStringLiteral("Bitrates")).toArray().size(), 1);

  QDir(m_data.path()).mkdir(QStringLiteral("logs"));
  CliRun logs =
      Cli({QStringLiteral("logs"), QStringLiteral("--out"), Path(QStringLiteral("logs"))});
  ASSERT_EQ(logs.code, cli::kExitOk) << logs.err.constData();
  EXPECT_EQ(ReadAll(QString::fromUtf8(logs.out.trimmed())).size(), 5000 + 3000);

  m_device->ClearRequests();
  ASSERT_EQ(Cli({QStringLiteral("clock"), QStringLiteral("set"), QStringLiteral("--at"),
                 QStringLiteral("2024-03-05 14:07:09")})
                .code,
            cli::kExitOk);
  bool clockSent = false;
  for (const SimRequest& r : m_device->Requests())
    clockSent |= r.command == 0xD0 && r.payload == QByteArray::fromHex("00e80703050e0709");
  EXPECT_TRUE(clockSent);
  EXPECT_EQ(Cli({QStringLiteral("clock"), QStringLiteral("set"), QStringLiteral("--at"),
                 QStringLiteral("yesterday")})
                .code,
            cli::kExitUsage);

  CliRun shot = Cli({QStringLiteral("snapshot"), Path(QStringLiteral("shot"))});
  ASSERT_EQ(shot.code, cli::kExitOk) << shot.err.constData();
  EXPECT_EQ(ReadAll(Path(QStringLiteral("shot.bmp"))).size(), 1086);

  ASSERT_EQ(Cli({QStringLiteral("edid"), QStringLiteral("--yes")}).code, cli::kExitOk);
  EXPECT_EQ(m_device->Counters().edidProgrammings, 1);
  ASSERT_EQ(Cli({QStringLiteral("reset")}).code, cli::kExitOk);
  EXPECT_EQ(m_device->Counters().restarts, 1);
}

TEST_F(CliTest, Firmware_CheckReportsAndUpgradeWritesANewerImage) {
  StartDevice(131, 20);
  // The window's language preference leaves the command line English.
  QFile preference(Path(QStringLiteral("pref.txt")));
  ASSERT_TRUE(preference.open(QIODevice::WriteOnly) && preference.write("FR") == 2);
  preference.close();
  const QString folder = Path(QStringLiteral("fw"));
  QDir().mkpath(folder);
  ASSERT_FALSE(WriteFirmwareImage(folder, QStringLiteral("UNIT131"), 21, 4096).isEmpty());
  CliRun check = Cli(
      {QStringLiteral("firmware"), QStringLiteral("check"), QStringLiteral("--folder"), folder});
  ASSERT_EQ(check.code, cli::kExitOk) << check.err.constData();
  EXPECT_TRUE(check.out.contains("would be installed")) << check.out.constData();
  EXPECT_TRUE(m_device->FlashTransfers().isEmpty());

  CliRun upgrade = Cli(
      {QStringLiteral("firmware"), QStringLiteral("upgrade"), QStringLiteral("--folder"), folder});
  ASSERT_EQ(upgrade.code, cli::kExitOk) << upgrade.err.constData();
  EXPECT_TRUE(upgrade.out.contains("restarting")) << upgrade.out.constData();
  EXPECT_TRUE(upgrade.err.contains("upgrade to release")) << upgrade.err.constData();
  EXPECT_FALSE(m_device->FlashTransfers().isEmpty());
  EXPECT_EQ(m_device->Counters().restarts, 1);
}

TEST_F(CliTest, Logs_DeviceWithEmptyLogs_IsAFailureNotASavedFile) {
  StartDevice(131, 20, false);
  QDir(m_data.path()).mkdir(QStringLiteral("logs"));
  const CliRun run =
      Cli({QStringLiteral("logs"), QStringLiteral("--out"), Path(QStringLiteral("logs"))});
  EXPECT_EQ(run.code, cli::kExitFailed);
  EXPECT_TRUE(run.err.contains("no log data")) << run.err.constData();
}

TEST_F(CliTest, LogsQuiet_PrintsOnlyErrors) {
  StartDevice(178);
  QDir(m_data.path()).mkdir(QStringLiteral("logs"));
  const CliRun quiet = Cli({QStringLiteral("logs"), QStringLiteral("--quiet"),
                            QStringLiteral("--out"), Path(QStringLiteral("logs"))});
  ASSERT_EQ(quiet.code, cli::kExitOk);
  EXPECT_TRUE(quiet.out.isEmpty()) << quiet.out.constData();
  EXPECT_TRUE(quiet.err.isEmpty()) << quiet.err.constData();
  EXPECT_EQ(QDir(Path(QStringLiteral("logs"))).entryList(QDir::Files).size(), 1);
  const CliRun failed = Cli({QStringLiteral("logs"), QStringLiteral("--quiet"),
                             QStringLiteral("--out"), Path(QStringLiteral("none"))});
  EXPECT_EQ(failed.code, cli::kExitLocal);
  EXPECT_FALSE(failed.err.isEmpty());
}

TEST_F(CliTest, ConfigPut_BacksUpFirstAndWritesNothingWithoutAReadableRecord) {
  StartDevice(131);
  ASSERT_EQ(
      Cli({QStringLiteral("config"), QStringLiteral("get"), Path(QStringLiteral("a.itc"))}).code,
      cli::kExitOk);
  const QByteArray held = m_device->ConfigRecord();
  const CliRun put =
      Cli({QStringLiteral("config"), QStringLiteral("put"), Path(QStringLiteral("a.itc"))});
  ASSERT_EQ(put.code, cli::kExitOk) << put.err.constData();
  const QString backup =
      QString::fromUtf8(put.out).section(QLatin1Char('\n'), 0, 0).section(QStringLiteral(": "), 1);
  EXPECT_TRUE(backup.contains(QStringLiteral("/backups/127.0.0.1_UNIT131_")))
      << put.out.constData();
  EXPECT_EQ(ReadAll(backup), held);
  // With --json the backup's path is part of the result.
  const CliRun json = Cli({QStringLiteral("config"), QStringLiteral("put"),
                           Path(QStringLiteral("a.itc")), QStringLiteral("--json")});
  ASSERT_EQ(json.code, cli::kExitOk) << json.err.constData();
  EXPECT_TRUE(QFile::exists(json.Json().value(QStringLiteral("Backup")).toString()))
      << json.out.constData();

  // The device's own record no longer decodes: nothing is written unless the user accepts it.
  const QByteArray broken = QByteArray("VEVE\x83", 5) + QByteArray(80, 'a');
  m_device->SetConfigRecord(broken);
  m_device->ClearRequests();
  for (const bool storeDefault : {false, true}) {
    QStringList args{QStringLiteral("config"), QStringLiteral("put"),
                     Path(QStringLiteral("a.itc"))};
    if (storeDefault) args << QStringLiteral("--store-default");
    const CliRun refused = Cli(args);
    EXPECT_EQ(refused.code, cli::kExitFailed);
    EXPECT_TRUE(refused.err.contains("does not decode")) << refused.err.constData();
    EXPECT_EQ(m_device->ConfigRecord(), broken);
  }
  for (const SimRequest& r : m_device->Requests()) EXPECT_NE(r.command, 0x50);
  EXPECT_EQ(m_device->Counters().factoryDefaults, 0);

  const CliRun restored = Cli({QStringLiteral("config"), QStringLiteral("put"),
                               Path(QStringLiteral("a.itc")), QStringLiteral("--no-backup")});
  ASSERT_EQ(restored.code, cli::kExitOk) << restored.err.constData();
  EXPECT_EQ(m_device->ConfigRecord(), held);
}

TEST_F(CliTest, ConfigPut_FileThatWillNotBeWritten_TouchesNothingAndMakesNoBackup) {
  StartDevice(131);
  ASSERT_EQ(
      Cli({QStringLiteral("config"), QStringLiteral("get"), Path(QStringLiteral("a.itc"))}).code,
      cli::kExitOk);
  // A full 1024-byte file whose USB file name lacks ".ts": it decodes, but the record made from
  // it is three bytes longer than a record can be.
  QByteArray big = ReadAll(Path(QStringLiteral("a.itc")));
  const qsizetype ts = big.indexOf(QByteArray(".ts\0", 4));
  ASSERT_GT(ts, 0);
  big.remove(ts, 3);
  ASSERT_LT(big.size(), 1024);
  big.prepend(QByteArray(1024 - big.size(), 'x'));
  QFile file(Path(QStringLiteral("big.itc")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(big);
  file.close();
  QFile multi(Path(QStringLiteral("multi.itc")));
  ASSERT_TRUE(multi.open(QIODevice::WriteOnly));
  multi.write(QByteArray("VEVE\xb0", 5) + QByteArray(60, '\0'));
  multi.close();

  const QByteArray held = m_device->ConfigRecord();
  m_device->ClearRequests();
  const CliRun tooBig = Cli({QStringLiteral("config"), QStringLiteral("put"),
                             Path(QStringLiteral("big.itc")), QStringLiteral("--store-default")});
  EXPECT_EQ(tooBig.code, cli::kExitFailed);
  EXPECT_TRUE(tooBig.err.contains("does not fit in a 1024-byte record")) << tooBig.err.constData();
  const CliRun foreign =
      Cli({QStringLiteral("config"), QStringLiteral("put"), Path(QStringLiteral("multi.itc")),
           QStringLiteral("--store-default")});
  EXPECT_EQ(foreign.code, cli::kExitLocal);

  EXPECT_EQ(m_device->ConfigRecord(), held);
  EXPECT_EQ(m_device->Counters().factoryDefaults, 0);
  for (const SimRequest& r : m_device->Requests()) {
    EXPECT_NE(r.command, 0x50);
    EXPECT_NE(r.command, 0x70);
  }
  EXPECT_FALSE(QDir(Path(QStringLiteral("backups"))).exists());
}

TEST_F(CliTest, FirmwareUpgrade_RefusedStepExitsThreeNamingIt) {
  StartDevice(131, 20);
  const QString folder = Path(QStringLiteral("fw"));
  QDir().mkpath(folder);
  ASSERT_FALSE(WriteFirmwareImage(folder, QStringLiteral("UNIT131"), 21, 4096).isEmpty());
  SimFaults refuse;
  refuse.refuse = true;
  refuse.onlyCommand = 0xB0;
  m_device->SetFaults(refuse);
  const CliRun run = Cli(
      {QStringLiteral("firmware"), QStringLiteral("upgrade"), QStringLiteral("--folder"), folder});
  EXPECT_EQ(run.code, cli::kExitFailed);
  EXPECT_TRUE(run.err.contains("the device refused the begin step of the main image"))
      << run.err.constData();
  EXPECT_FALSE(run.out.contains("firmware")) << run.out.constData();
  EXPECT_TRUE(run.out.contains("backup saved")) << run.out.constData();
}
