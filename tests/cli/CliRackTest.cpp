// The command line in a rack: every device seen, the right one reached, nothing sent when the
// target is ambiguous.
#include <QRegularExpression>
#include <mutex>

#include "RackSupport.h"
#include "cli/CliArgs.h"
#include "cli/CliJobs.h"
#include "cli/CliTarget.h"

using namespace ostrivane;
using namespace ostrivane::sim;
using namespace ostrivane::clitest;

namespace {

// How backups and traces name a rack device: by identifier, with the address when it is shared.
QString RackLabel(RackDevice& d) {
  return d.identifier == QStringLiteral("RACKDUP") ? QStringLiteral("RACKDUP-") + d.server.Address()
                                                   : d.identifier;
}

}  // namespace

TEST_F(RackTest, FindAndBackupAll_CoverEveryDeviceAndBothSharingAnIdentifier) {
  CliRun run = RackCli({QStringLiteral("find"), QStringLiteral("--json")});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  const QJsonArray network = run.Json().value(QStringLiteral("Network")).toArray();
  EXPECT_EQ(network.size(), Rack::kSize);
  QStringList shared;
  for (const QJsonValue& entry : network) {
    const QJsonObject d = entry.toObject();
    if (!d.value(QStringLiteral("Unique")).toBool())
      shared << d.value(QStringLiteral("Address")).toString();
  }
  shared.sort();
  EXPECT_EQ(shared, QStringList({QStringLiteral("127.0.0.3"), QStringLiteral("127.0.0.4")}));
  EXPECT_TRUE(run.err.contains("RACKDUP is not unique")) << run.err.constData();

  QDir(m_data.path()).mkdir(QStringLiteral("rack"));
  run = RackCli({QStringLiteral("backup"), QStringLiteral("--all"), QStringLiteral("--json"),
                 QStringLiteral("--into"), Path(QStringLiteral("rack"))});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_EQ(QJsonDocument::fromJson(run.out).array().size(), Rack::kSize);
  const QDir saved(Path(QStringLiteral("rack")));
  for (int i = 0; i < Rack::kSize; ++i) {
    RackDevice& d = s_rack->At(i);
    const QString label = RackLabel(d);
    const QStringList files = saved.entryList({label + QStringLiteral("_UNIT*.itc")}, QDir::Files);
    ASSERT_EQ(files.size(), 1) << label.toStdString();
    EXPECT_EQ(ReadAll(saved.filePath(files.first())), d.device.ConfigRecord());
  }
}

TEST_F(RackTest, BackupAllTrace_EveryLineWholeAndTaggedWithItsDevice) {
  QDir(m_data.path()).mkdir(QStringLiteral("rack"));
  const QString trace = Path(QStringLiteral("rack.jsonl"));
  const CliRun run =
      RackCli({QStringLiteral("backup"), QStringLiteral("--all"), QStringLiteral("--into"),
               Path(QStringLiteral("rack")), QStringLiteral("--trace"), trace});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  const QList<QByteArray> lines = ReadAll(trace).trimmed().split('\n');
  ASSERT_GT(lines.size(), 1);
  QMap<QString, qsizetype> sent;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QJsonParseError error{};
    const QJsonObject line = QJsonDocument::fromJson(lines[i], &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << lines[i].constData();
    if (i == 0) {
      EXPECT_TRUE(line.contains(QStringLiteral("run"))) << lines[i].constData();
      continue;
    }
    const QString device = line.value(QStringLiteral("device")).toString();
    ASSERT_FALSE(device.isEmpty()) << lines[i].constData();
    if (line.value(QStringLiteral("dir")).toString() == QStringLiteral("tx")) ++sent[device];
  }
  for (int i = 0; i < Rack::kSize; ++i) {
    RackDevice& d = s_rack->At(i);
    EXPECT_EQ(sent.value(RackLabel(d)), d.device.Requests().size()) << RackLabel(d).toStdString();
  }
}

TEST_F(RackTest, NoTargetNamed_RefusesListingTheCandidatesAndSendsNothing) {
  const CliRun run = RackCli({QStringLiteral("identify")});
  EXPECT_EQ(run.code, cli::kExitUsage) << run.err.constData();
  EXPECT_TRUE(run.err.contains("60 devices found and none named")) << run.err.constData();
  EXPECT_TRUE(run.err.contains("\n  RACK00 at 127.0.0.2\n")) << run.err.constData();
  EXPECT_TRUE(run.err.contains("RACKDUP at 127.0.0.4")) << run.err.constData();
  EXPECT_EQ(s_rack->RequestCount(), 0);
}

TEST_F(RackTest, DeviceOption_AddressPicksOneOfASharedIdentifierWhichItselfIsRefused) {
  CliRun run =
      RackCli({QStringLiteral("identify"), QStringLiteral("--device"), QStringLiteral("RACKDUP")});
  EXPECT_EQ(run.code, cli::kExitUsage) << run.err.constData();
  EXPECT_TRUE(run.err.contains("RACKDUP is not unique: announced by 127.0.0."))
      << run.err.constData();
  EXPECT_TRUE(run.err.contains("127.0.0.3") && run.err.contains("127.0.0.4"));
  EXPECT_EQ(s_rack->RequestCount(), 0);

  run = RackCli({QStringLiteral("identify"), QStringLiteral("--json"), QStringLiteral("--device"),
                 QStringLiteral("127.0.0.4")});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_EQ(run.Json().value(QStringLiteral("DeviceTypeCode")).toInt(), Rack::kModels[2]);
  EXPECT_EQ(s_rack->RequestCount(), s_rack->At(2).device.Requests().size());
}

TEST_F(RackTest, DeviceOption_StopsListeningOnceTheDeviceIsHeard) {
  cli::CliArgs args =
      cli::ParseCliArgs(QStringList{QStringLiteral("--device"), QStringLiteral("RACK42")} +
                        s_rack->Options(QStringLiteral("30")));
  cli::LinkRequest request;
  ASSERT_TRUE(args.ToLinkRequest(request)) << args.error.toStdString();
  QString said;
  QTextStream err(&said);
  cli::CliSession session(err, true, nullptr);
  const cli::Targets targets = cli::ResolveTargets(session, request);
  ASSERT_EQ(targets.list.size(), 1) << targets.failure.toStdString();
  EXPECT_EQ(targets.list.first().host, s_rack->At(42).server.Address());
  EXPECT_TRUE(session.ListenEndedEarly());
}

TEST_F(CliTest, TargetNamedTwiceOrTwoWays_IsAUsageErrorAndSendsNothing) {
  StartDevice(131);
  const QString tcp = QStringLiteral("127.0.0.1:%1").arg(m_server->Port());
  const QList<QStringList> lines = {
      {QStringLiteral("identify"), QStringLiteral("--device"), QStringLiteral("X"),
       QStringLiteral("--tcp"), tcp},
      {QStringLiteral("identify"), QStringLiteral("--tcp"), tcp, QStringLiteral("--tcp"), tcp},
      {QStringLiteral("identify"), QStringLiteral("--serial"), QStringLiteral("/dev/a"),
       QStringLiteral("--serial"), QStringLiteral("/dev/b")},
      {QStringLiteral("identify"), QStringLiteral("--serial"), QStringLiteral("/dev/a"),
       QStringLiteral("--tcp"), tcp},
      {QStringLiteral("backup"), QStringLiteral("--all"), QStringLiteral("--tcp"), tcp},
  };
  for (const QStringList& line : lines) {
    const CliRun run = Cli(line, false);
    EXPECT_EQ(run.code, cli::kExitUsage) << line.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(run.err.contains("exclude each other") || run.err.contains("given once"))
        << run.err.constData();
  }
  EXPECT_TRUE(m_device->Requests().isEmpty());
}

TEST(RunJobs, BoundedPool_RunsThatManyJobsSideBySideAndEveryJobOnce) {
  constexpr int kJobs = 20;
  constexpr int kParallel = 4;
  std::mutex mutex;
  std::condition_variable changed;
  int running = 0;
  int most = 0;
  std::vector<int> runs(kJobs, 0);
  cli::RunJobs(kJobs, kParallel, [&](int i) {
    std::unique_lock lock(mutex);
    ++runs[static_cast<std::size_t>(i)];
    most = std::max(most, ++running);
    changed.notify_all();
    // The first jobs wait until the whole pool is busy: a pool that ran them one by one would
    // never get there.
    changed.wait_for(lock, std::chrono::seconds(5), [&] { return most == kParallel; });
    --running;
  });
  EXPECT_EQ(most, kParallel);
  EXPECT_EQ(runs, std::vector<int>(kJobs, 1));
}
