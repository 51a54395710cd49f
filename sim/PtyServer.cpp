#include "sim/PtyServer.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ostrivane::sim {

namespace {

constexpr std::size_t kReceiveChunk = 4096;
constexpr std::size_t kPathCapacity = 128;
// While no slave is open the master reports hang-up at once; retry at this pace, not in a loop.
constexpr Nanos kNoSlaveBackoff = std::chrono::milliseconds(20);

}  // namespace

PtyServer::PtyServer(SimulatedModulator& device) : SimServer(device, "pty") {}

PtyServer::~PtyServer() {
  Stop();
}

bool PtyServer::Start(QString* error) {
  if (IsRunning()) return true;
  if (!OpenMaster(error)) return false;
  if (StartThread(error)) return true;
  CloseMaster();
  return false;
}

void PtyServer::Stop() {
  StopThread();
  CloseMaster();
}

void PtyServer::CloseMaster() {
  if (m_masterFd >= 0) ::close(m_masterFd);
  m_masterFd = -1;
  m_slavePath.clear();
}

bool PtyServer::OpenMaster(QString* error) {
  const auto fail = [&](const char* what) {
    if (error) *error = QStringLiteral("pty: %1: %2").arg(what, std::strerror(errno));
    CloseMaster();
    return false;
  };
  m_masterFd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (m_masterFd < 0) return fail("posix_openpt");
  if (::grantpt(m_masterFd) != 0) return fail("grantpt");
  if (::unlockpt(m_masterFd) != 0) return fail("unlockpt");
  char path[kPathCapacity] = {};
  if (::ptsname_r(m_masterFd, path, sizeof path) != 0) return fail("ptsname");
  m_slavePath = QString::fromLocal8Bit(path);
  const int flags = ::fcntl(m_masterFd, F_GETFL);
  if (flags < 0 || ::fcntl(m_masterFd, F_SETFL, flags | O_NONBLOCK) != 0) return fail("fcntl");
  return MakeRaw(error);
}

bool PtyServer::MakeRaw(QString* error) {
  // Set through the slave itself: a tool that does not configure the line (or a plain `cat`)
  // must still see binary frames unaltered and no echo of its own requests.
  const QByteArray path = m_slavePath.toLocal8Bit();
  const int slave = ::open(path.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios settings{};
  const bool ok = slave >= 0 && ::tcgetattr(slave, &settings) == 0;
  if (ok) {
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B115200);
  }
  const bool set = ok && ::tcsetattr(slave, TCSANOW, &settings) == 0;
  const int savedErrno = errno;
  if (slave >= 0) ::close(slave);
  if (set) return true;
  if (error) *error = QStringLiteral("pty: raw mode: %1").arg(std::strerror(savedErrno));
  CloseMaster();
  return false;
}

void PtyServer::Serve() {
  while (!Stopping()) {
    std::array<pollfd, 1> fds{pollfd{m_masterFd, POLLIN, 0}};
    if (Poll(fds, nullptr) == Wait::Stopping) break;
    if (fds[0].revents & POLLIN) {
      ReadAndAnswer();
    } else if (fds[0].revents != 0 && !SleepFor(kNoSlaveBackoff)) {
      break;
    }
  }
}

void PtyServer::ReadAndAnswer() {
  char buffer[kReceiveChunk];
  const ssize_t n = ::read(m_masterFd, buffer, sizeof buffer);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  if (n <= 0) {
    // EIO: the tool has closed the slave. Wait for it to come back.
    ForgetPartialInput();
    SleepFor(kNoSlaveBackoff);
    return;
  }
  AccountReceived(static_cast<std::size_t>(n));
  // A serial line cannot be unplugged here: a dropped link and a failed write both mean the
  // answer is lost, and the next request is served as usual.
  Answer(m_masterFd, QByteArray(buffer, static_cast<qsizetype>(n)));
}

}  // namespace ostrivane::sim
