#pragma once

#include <QString>

#include "sim/SimServer.h"

namespace ostrivane::sim {

// The simulated device's USB serial port: a pseudo-terminal whose slave side (/dev/pts/N) the
// tool opens like a serial port. The master stays open for the server's whole life, so the tool
// may close and reopen the slave as often as it likes.
class PtyServer final : public SimServer {
 public:
  explicit PtyServer(SimulatedModulator& device);
  ~PtyServer() override;

  bool Start(QString* error = nullptr);
  void Stop();
  // The path the tool opens; empty until started.
  QString SlavePath() const { return m_slavePath; }

 protected:
  void Serve() override;

 private:
  bool OpenMaster(QString* error);
  bool MakeRaw(QString* error);
  void ReadAndAnswer();
  void CloseMaster();

  int m_masterFd = -1;
  QString m_slavePath;
};

}  // namespace ostrivane::sim
