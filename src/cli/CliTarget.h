#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace ostrivane::cli {

struct LinkRequest;
class CliSession;

// One device a command can reach: an announced or named network device, or a serial port.
struct Target {
  QString identifier;  // as announced; empty for --tcp and serial ports
  QString host;        // the announced address or the --tcp host
  quint16 port = 0;    // TCP port
  QString serialPath;
  QString model;        // when already known (a serial port that answered)
  bool shared = false;  // another device announces the same identifier

  bool IsSerial() const { return !serialPath.isEmpty(); }
  // "127.0.0.2", "127.0.0.1:6666" or "/dev/ttyACM0".
  QString Where() const;
  // A name that is also a file name: the identifier (with the address when it is shared), else
  // the address, else the port.
  QString Label() const;
  // "1A2B3C4D at 127.0.0.2", "/dev/ttyACM0 (UNIT131)".
  QString Describe() const;
};

// Which devices a command line names. --tcp, --serial, --device and --all exclude each other
// (--all takes --serial paths as extra ports to include).
enum class TargetSelector { Unnamed, Tcp, Serial, Device, All };

// The devices a command works on, or why there are none it may use.
struct Targets {
  QList<Target> list;
  int code = 0;       // an exit code when failure is set
  QString failure;    // a sentence without its full stop
  QStringList notes;  // what the caller should say besides (identifiers heard twice)
};

// Resolves the request's targets. A selector naming one device gives one target or a failure;
// Unnamed gives the only candidate, or refuses (usage) listing them when there are several; All
// gives every announced device and serial port. Nothing is sent to a network device; serial
// ports are asked to identify only when no target was named (a port that does not answer is no
// candidate).
Targets ResolveTargets(CliSession& session, const LinkRequest& request);

}  // namespace ostrivane::cli
