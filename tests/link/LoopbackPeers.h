// The far ends the channel tests talk to: a loopback TCP listener and a pseudo-terminal, with the
// identify exchange of a type 131 device.
#pragma once

#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/link/LinkFakes.h"

namespace ostrivane::test {

inline const QByteArray kIdentifyRequest = Hex("021010");
// Type 131, main 5, spare 0, secondary 2 (the 02 doubled on the wire).
inline const QByteArray kIdentifyReply = Hex("02f404830500020274");

// Reads from fd until the whole request has arrived; false when the line closed or stayed quiet
// for waitMs.
inline bool AwaitRequest(int fd, const QByteArray& expected, int waitMs) {
  QByteArray got;
  while (!got.contains(expected)) {
    pollfd entry{fd, POLLIN, 0};
    char buffer[256];
    if (::poll(&entry, 1, waitMs) <= 0) return false;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    got.append(buffer, n);
  }
  return true;
}

// A listening socket on a free loopback port.
inline int ListenOnLoopback(quint16& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  ::listen(fd, 1);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  port = ntohs(address.sin_port);
  return fd;
}

// The device side of a serial line; path stays empty when no terminal could be made.
struct PseudoTerminal {
  PseudoTerminal() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
      path = QString::fromLocal8Bit(::ptsname(master));
  }
  ~PseudoTerminal() { CloseMaster(); }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;
  void CloseMaster() {
    if (master >= 0) ::close(master);
    master = -1;
  }
  int master = -1;
  QString path;
};

}  // namespace ostrivane::test
