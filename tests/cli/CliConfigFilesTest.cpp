// Configuration files on the command line: the JSON form the tool writes goes back as it came,
// carries where it was read, and a file of another model never reaches a device.
#include <cstdio>

#include "CliTestSupport.h"

using namespace ostrivane;
using namespace ostrivane::clitest;

namespace {

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

bool SentARecord(const SimulatedModulator& device) {
  for (const SimRequest& r : device.Requests())
    if (r.command == 0x50) return true;
  return false;
}

}  // namespace

TEST_F(CliTest, JsonForm_CarriesOnlyTheModelsFieldsAndComesBackAsTheSameRecord) {
  StartDevice(131);
  const QByteArray held = m_device->ConfigRecord();
  CliRun run =
      Cli({QStringLiteral("config"), QStringLiteral("get"), Path(QStringLiteral("d.json"))});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  QJsonObject root = QJsonDocument::fromJson(ReadAll(Path(QStringLiteral("d.json")))).object();
  EXPECT_EQ(root.value(QStringLiteral("DeviceTypeCode")).toInt(), 131);
  EXPECT_EQ(root.value(QStringLiteral("FirmwareVersion")).toInt(), 20);
  EXPECT_FALSE(root.contains(QStringLiteral("IpAddress")));
  const QJsonArray services = root.value(QStringLiteral("Services")).toArray();
  ASSERT_EQ(services.size(), 1);
  // The device holds no application: none is made up on the way.
  EXPECT_EQ(services.at(0).toObject().value(QStringLiteral("AitRootUrl")).toString(), QString());

  // record encode gives back the bytes the device holds; config get - writes them to stdout.
  run = Cli({QStringLiteral("record"), QStringLiteral("encode"), QStringLiteral("--type"),
             QStringLiteral("131"), QStringLiteral("--firmware"), QStringLiteral("20"),
             Path(QStringLiteral("d.json"))},
            false);
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_EQ(run.out, held);
  run = Cli({QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("-")});
  EXPECT_EQ(run.out, held);

  // An edited file goes back whole, also from standard input.
  QJsonObject service = services.at(0).toObject();
  service.insert(QStringLiteral("Lcn"), 42);
  root.insert(QStringLiteral("Services"), QJsonArray{service});
  Write(Path(QStringLiteral("e.json")), QJsonDocument(root).toJson());
  run = Cli({QStringLiteral("config"), QStringLiteral("put"), Path(QStringLiteral("e.json")),
             QStringLiteral("--json")});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  run = Cli({QStringLiteral("config"), QStringLiteral("get"), QStringLiteral("-"),
             QStringLiteral("--format"), QStringLiteral("json")});
  EXPECT_EQ(run.Json()
                .value(QStringLiteral("Services"))
                .toArray()
                .at(0)
                .toObject()
                .value(QStringLiteral("Lcn"))
                .toInt(),
            42);
  service.insert(QStringLiteral("Lcn"), 43);
  root.insert(QStringLiteral("Services"), QJsonArray{service});
  Write(Path(QStringLiteral("f.json")), QJsonDocument(root).toJson());
  ASSERT_NE(std::freopen(Path(QStringLiteral("f.json")).toLocal8Bit().constData(), "r", stdin),
            nullptr);
  run = Cli({QStringLiteral("config"), QStringLiteral("put"), QStringLiteral("-"),
             QStringLiteral("--no-backup")});
  ASSERT_EQ(run.code, cli::kExitOk) << run.err.constData();
  EXPECT_TRUE(run.out.contains("standard input")) << run.out.constData();
  run = Cli({QStringLiteral("config"), QStringLiteral("diff"), Path(QStringLiteral("f.json"))});
  EXPECT_EQ(run.code, cli::kExitOk) << run.out.constData() << run.err.constData();
}

TEST_F(CliTest, FilesOfAnotherModel_RefusedWithNothingSentUnlessForced) {
  StartDevice(131);
  const QByteArray held = m_device->ConfigRecord();
  const QString other = Path(QStringLiteral("other.json"));
  QJsonObject root =
      QJsonDocument::fromJson(
          Cli({QStringLiteral("config"), QStringLiteral("get"), other}).code == 0 ? ReadAll(other)
                                                                                  : QByteArray())
          .object();
  root.insert(QStringLiteral("DeviceTypeCode"), 132);
  Write(other, QJsonDocument(root).toJson());
  Write(Path(QStringLiteral("long.itc")), held + QByteArray(40, '\0'));
  Write(Path(QStringLiteral("d.tmc")), held);
  struct Case {
    QStringList line;
    QString said;
  };
  const QString lengths = QStringLiteral(
                              "is %1 bytes long where a record of type 131 (firmware 20) "
                              "takes %2 bytes")
                              .arg(held.size() + 40)
                              .arg(held.size());
  const QList<Case> cases = {
      {{QStringLiteral("config"), QStringLiteral("put"), Path(QStringLiteral("long.itc"))},
       lengths},
      {{QStringLiteral("config"), QStringLiteral("diff"), Path(QStringLiteral("long.itc"))},
       lengths},
      {{QStringLiteral("config"), QStringLiteral("put"), Path(QStringLiteral("d.tmc"))},
       "is a .tmc file, a record of type 131 is a .itc file"},
      {{QStringLiteral("config"), QStringLiteral("put"), other},
       "error: DeviceTypeCode: the file holds a configuration of UNIT132 (type 132), not of "
       "UNIT131 (type 131)"},
      {{QStringLiteral("config"), QStringLiteral("diff"), other}, "UNIT132 (type 132)"},
  };
  for (const Case& c : cases) {
    m_device->ClearRequests();
    const CliRun run = Cli(c.line);
    EXPECT_EQ(run.code, cli::kExitLocal) << c.said.toStdString();
    EXPECT_TRUE(run.err.contains(c.said.toUtf8())) << run.err.constData();
    EXPECT_FALSE(SentARecord(*m_device)) << c.said.toStdString();
  }
  const CliRun encode = Cli({QStringLiteral("record"), QStringLiteral("encode"),
                             QStringLiteral("--type"), QStringLiteral("131"), other},
                            false);
  EXPECT_EQ(encode.code, cli::kExitLocal);
  const CliRun decode =
      Cli({QStringLiteral("record"), QStringLiteral("decode"), QStringLiteral("--type"),
           QStringLiteral("131"), Path(QStringLiteral("long.itc"))},
          false);
  EXPECT_EQ(decode.code, cli::kExitLocal);

  // The installer may insist: the file goes as it is.
  const CliRun forced = Cli({QStringLiteral("config"), QStringLiteral("put"),
                             Path(QStringLiteral("d.tmc")), QStringLiteral("--force-model")});
  EXPECT_EQ(forced.code, cli::kExitOk) << forced.err.constData();
  EXPECT_TRUE(SentARecord(*m_device));
}
