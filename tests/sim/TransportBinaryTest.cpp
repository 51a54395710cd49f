#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/CXmit.h"
#include "link/SerialChannel.h"
#include "link/TcpChannel.h"

extern char** environ;

namespace ostrivane::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr std::uint8_t kIdentify = 0x10;
constexpr int kWait1s = 200;  // in 5 ms units

// The binary sits beside the test executable's folder in the build tree.
std::string SimBinary() {
  char self[4096] = {};
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  std::string path(self, static_cast<std::size_t>(n));
  path.erase(path.rfind('/'));
  return path + "/../sim/ostrivane-sim";
}

// A port number nobody listens on for the announcements of the process under test.
std::uint16_t UnusedUdpPort() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

class SimProcess {
 public:
  ~SimProcess() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
    if (m_out >= 0) ::close(m_out);
  }

  bool Spawn(std::vector<std::string> args) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    args.insert(args.begin(), SimBinary());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int rc = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    m_out = pipeFds[0];
    if (rc != 0) m_pid = -1;
    return rc == 0;
  }

  std::optional<std::string> ReadLine(milliseconds wait) {
    const auto deadline = steady_clock::now() + wait;
    for (;;) {
      if (const auto end = m_buffer.find('\n'); end != std::string::npos) {
        std::string line = m_buffer.substr(0, end);
        m_buffer.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<milliseconds>(deadline - steady_clock::now());
      pollfd in{m_out, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&in, 1, static_cast<int>(left.count())) != 1) return {};
      char chunk[256];
      const ssize_t n = ::read(m_out, chunk, sizeof chunk);
      if (n <= 0) return {};
      m_buffer.append(chunk, static_cast<std::size_t>(n));
    }
  }

  // Exit code, or -1 when the process did not end normally within the wait.
  int WaitForExit(milliseconds wait) {
    const auto deadline = steady_clock::now() + wait;
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
      if (steady_clock::now() > deadline) return -1;
      std::this_thread::sleep_for(milliseconds{10});
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  pid_t pid() const { return m_pid; }

 private:
  pid_t m_pid = -1;
  int m_out = -1;
  std::string m_buffer;
};

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
  if (::access(SimBinary().c_str(), X_OK) != 0) GTEST_SKIP() << "ostrivane-sim not built";
  SimProcess sim;
  ASSERT_TRUE(sim.Spawn({"--type", "150", "--main", "0x15", "--tcp-port", "0", "--pty",
                         "--announce", "--announce-id", "T1", "--discovery-port",
                         std::to_string(UnusedUdpPort()), "--announce-interval", "100"}));
  const auto tcp = sim.ReadLine(milliseconds{3000});
  const auto pty = sim.ReadLine(milliseconds{1000});
  const auto announce = sim.ReadLine(milliseconds{1000});
  ASSERT_TRUE(tcp && pty && announce);
  ASSERT_EQ(tcp->rfind("tcp: 127.0.0.1:", 0), 0u) << *tcp;
  ASSERT_EQ(pty->rfind("pty: /dev/pts/", 0), 0u) << *pty;
  EXPECT_EQ(*announce, "announce: VERUV_c0_T1_127.0.0.1");

  const auto port = static_cast<quint16>(std::stoi(tcp->substr(tcp->rfind(':') + 1)));
  EXPECT_TRUE(IdentifiesAs(TcpChannel::Connect(QStringLiteral("127.0.0.1"), port, 1000), 150));
  EXPECT_TRUE(IdentifiesAs(SerialChannel::Open(QString::fromStdString(pty->substr(5))), 150));

  ::kill(sim.pid(), SIGTERM);
  EXPECT_EQ(sim.WaitForExit(milliseconds{2000}), 0);
}

TEST(TransportBinary, BadOptions_ExitWithUsageErrorBeforeServing) {
  if (::access(SimBinary().c_str(), X_OK) != 0) GTEST_SKIP() << "ostrivane-sim not built";
  const std::vector<std::vector<std::string>> bad = {
      {"--type", "300"},
      {"--tcp-port", "0", "--announce", "--announce-address", "10.1.2.3"},
      {"--no-tcp"},
      {"--tcp-port", "0", "--delay", "soon"},
  };
  for (const auto& args : bad) {
    SimProcess sim;
    ASSERT_TRUE(sim.Spawn(args));
    EXPECT_EQ(sim.WaitForExit(milliseconds{2000}), 2) << args[0] << " " << args[1 % args.size()];
  }
}

}  // namespace
}  // namespace ostrivane::sim
