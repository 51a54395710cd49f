#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QUdpSocket>

#include "link/CXmit.h"
#include "link/SerialChannel.h"
#include "link/TcpChannel.h"

namespace ostrivane::sim {
namespace {

constexpr std::uint8_t kIdentify = 0x10;
constexpr int kWait1s = 200;  // in 5 ms units

// The binary sits beside the test executable's folder in the build tree.
QString SimBinary() {
  const QFileInfo self(QStringLiteral("/proc/self/exe"));
  return QFileInfo(self.canonicalPath() + QStringLiteral("/../sim/ostrivane-sim")).filePath();
}

// A port number nobody listens on, for the announcements of the process under test.
QString UnusedUdpPort() {
  QUdpSocket socket;
  socket.bind(QHostAddress::LocalHost, 0);
  return QString::number(socket.localPort());
}

QString ReadLine(QProcess& process) {
  while (!process.canReadLine() && process.waitForReadyRead(3000)) {
  }
  return QString::fromLocal8Bit(process.readLine()).trimmed();
}

bool IdentifiesAs(std::unique_ptr<Channel> channel, std::uint8_t type) {
  if (!channel) return false;
  SteadyClock clock;
  NullStatusSink status;
  CXmit link(clock, status);
  link.Attach(std::move(channel));
  return link.Transact(kIdentify, {}, kWait1s) && link.Reply().size() == 4 &&
         link.Reply()[0] == type;
}

TEST(TransportBinary, FullCommandLine_PrintsListenersServesBothAndExitsZeroOnSigterm) {
  if (!QFileInfo(SimBinary()).isExecutable()) GTEST_SKIP() << "ostrivane-sim not built";
  QProcess sim;
  sim.start(SimBinary(), {"--type", "150", "--main", "0x15", "--tcp-port", "0", "--pty",
                          "--announce", "--announce-id", "T1", "--discovery-port", UnusedUdpPort(),
                          "--announce-interval", "100"});
  const QString tcp = ReadLine(sim);
  const QString pty = ReadLine(sim);
  EXPECT_EQ(ReadLine(sim), QStringLiteral("announce: VERUV_c0_T1_127.0.0.1"));
  ASSERT_TRUE(tcp.startsWith(QStringLiteral("tcp: 127.0.0.1:"))) << tcp.toStdString();
  ASSERT_TRUE(pty.startsWith(QStringLiteral("pty: /dev/pts/"))) << pty.toStdString();

  const auto port = static_cast<quint16>(tcp.section(QLatin1Char(':'), -1).toUInt());
  EXPECT_TRUE(IdentifiesAs(TcpChannel::Connect(QStringLiteral("127.0.0.1"), port, 1000), 150));
  EXPECT_TRUE(IdentifiesAs(SerialChannel::Open(pty.mid(5)), 150));

  sim.terminate();  // SIGTERM
  ASSERT_TRUE(sim.waitForFinished(2000));
  EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(sim.exitCode(), 0);
}

TEST(TransportBinary, BadOptions_ExitWithUsageErrorBeforeServing) {
  if (!QFileInfo(SimBinary()).isExecutable()) GTEST_SKIP() << "ostrivane-sim not built";
  const QList<QStringList> bad = {
      {"--type", "300"},
      {"--tcp-port", "0", "--announce", "--announce-address", "10.1.2.3"},
      {"--no-tcp"},
      {"--tcp-port", "0", "--delay", "soon"},
  };
  for (const QStringList& args : bad) {
    QProcess sim;
    sim.start(SimBinary(), args);
    ASSERT_TRUE(sim.waitForFinished(2000)) << args.join(' ').toStdString();
    EXPECT_EQ(sim.exitCode(), 2) << args.join(' ').toStdString();
  }
}

}  // namespace
}  // namespace ostrivane::sim
