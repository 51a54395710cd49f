// The command line run in-process against simulated modulators on loopback.
#pragma once

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <memory>

#include "cli/Cli.h"
#include "sim/Announcer.h"
#include "sim/FirmwareImage.h"
#include "sim/PtyServer.h"
#include "sim/SimulatedModulator.h"
#include "sim/TcpServer.h"

namespace ostrivane::clitest {

using namespace ostrivane::sim;

struct CliRun {
  int code = -1;
  QByteArray out;
  QByteArray err;
  QJsonObject Json() const { return QJsonDocument::fromJson(out).object(); }
};

class CliTest : public ::testing::Test {
 protected:
  void StartDevice(std::uint8_t type, std::uint8_t main = 20, bool withLogs = true) {
    SimOptions options;
    if (!withLogs) options.logFile0Size = options.logFileSize = 0;
    options.typeCode = type;
    options.mainVersion = main;
    options.restartDuration = std::chrono::milliseconds(200);
    m_device = std::make_unique<SimulatedModulator>(options);
    m_server = std::make_unique<TcpServer>(*m_device, 0);
    ASSERT_TRUE(m_server->Start());
  }

  CliRun Cli(QStringList arguments, bool overTcp = true) {
    if (overTcp)
      arguments << QStringLiteral("--tcp") << QStringLiteral("127.0.0.1:%1").arg(m_server->Port());
    arguments << QStringLiteral("--data") << m_data.path();
    CliRun run;
    QBuffer out(&run.out);
    QBuffer err(&run.err);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    run.code = cli::RunCli(arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return run;
  }

  QString Path(const QString& name) const { return m_data.filePath(name); }

  QTemporaryDir m_data;
  std::unique_ptr<SimulatedModulator> m_device;
  std::unique_ptr<TcpServer> m_server;
};

inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace ostrivane::clitest
