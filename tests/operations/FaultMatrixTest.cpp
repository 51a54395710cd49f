// Every writing operation against every fault the simulated modulator can inject: when the device
// did not do it, the operation says so, and the device holds either its old configuration or the
// new one, never a third.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "OpsTestSupport.h"
#include "config/ConfigCodec.h"
#include "files/ConfigurationFiles.h"
#include "operations/DeviceActions.h"
#include "operations/FirmwareUpgrade.h"
#include "operations/Transfer.h"
#include "sim/FirmwareImage.h"

namespace ostrivane {
namespace {

enum class Operation { SendConfig, FactoryDefault, Load, Firmware, FourK, Clock };

struct Fault {
  const char* name;
  sim::SimFaults faults;
};

std::vector<Fault> Faults() {
  std::vector<Fault> all;
  sim::SimFaults f;
  f.silence = true;
  all.push_back({"silence", f});
  f = {};
  f.badChecksum = true;
  all.push_back({"bad checksum", f});
  f = {};
  f.refuse = true;
  all.push_back({"refusal", f});
  f = {};
  f.splitReplies = true;
  all.push_back({"split replies", f});
  for (const int n : {1, 2, 3, 4, 6, 9}) {
    f = {};
    f.dropLinkAfterRequests = n;
    all.push_back({"drop", f});
  }
  return all;
}

struct Outcome {
  bool reported = false;  // what the operation said
  bool done = false;      // what the device did
};

class Matrix : public opstest::SimHarness {
 public:
  Matrix(Operation operation, std::uint8_t type)
      : SimHarness(Options(type)), m_operation(operation) {
    settings.LoadApplicationData(folder.path(), folder.path());
    settings.SetFirmwareFolder(folder.path() + QStringLiteral("/fw/"));
    QDir().mkpath(settings.FirmwareFolder());
    EXPECT_TRUE(ReadDeviceConfig(ctx));
    old = device.ConfigRecord();
    Prepare();
    device.ClearRequests();
  }

  Outcome Perform(const sim::SimFaults& faults) {
    device.SetFaults(faults);
    Outcome run;
    switch (m_operation) {
      case Operation::Firmware: {
        const FirmwareCheckResult result = RunHardwareCheck(ctx);
        run.reported = result.written && result.failure.isEmpty();
        run.done = !device.FlashTransfers().isEmpty() && device.FlashTransfers().last().accepted;
        break;
      }
      case Operation::Clock:
        run.reported = SetClockFromComputer(ctx, m_clock);
        run.done = device.DeviceClock() == m_clock;
        break;
      default:
        run.reported = SendDeviceConfig(ctx);
        run.done = device.ConfigRecord() == fresh && Counters() > m_countersBefore;
    }
    device.SetFaults({});
    return run;
  }

  QByteArray old;
  QByteArray fresh;

 private:
  int Counters() const {
    const auto c = device.Counters();
    switch (m_operation) {
      case Operation::FactoryDefault:
      case Operation::Load:
        return c.factoryDefaults;
      case Operation::FourK:
        return c.restarts;
      default:
        return 1;
    }
  }

  void Prepare() {
    m_countersBefore = m_operation == Operation::SendConfig ? 0 : Counters();
    config.Services[0].ServiceName = QStringLiteral("Matrix");
    if (m_operation == Operation::FourK) {
      config.FourKMode = config.FourKMode == 0 ? 1 : 0;
      panel.FourKChanged = 1;
    }
    if (m_operation == Operation::FactoryDefault) panel.FactoryDefaultRequest = 1;
    if (m_operation == Operation::Load) LoadFile();
    DeviceConfig copy = config;
    PanelState copyPanel = panel;
    EXPECT_TRUE(EncodeConfigImage(copy, copyPanel, ctx.Layout(), fresh));
    if (m_operation == Operation::Firmware) {
      EXPECT_FALSE(
          sim::WriteFirmwareImage(settings.FirmwareFolder(), QStringLiteral("UNIT131"), 21, 3000)
              .isEmpty());
    }
  }

  // The edited model saved as a file, then LOADed as the manufacturer page does.
  void LoadFile() {
    const QString path = folder.filePath(QStringLiteral("edited.itc"));
    ConfigurationFiles files(settings, prompts, status);
    DeviceConfig copy = config;
    PanelState copyPanel = panel;
    EXPECT_EQ(files.SaveConfigurationTo(path, copy, copyPanel, ctx.Layout()), SaveOutcome::Saved);
    EXPECT_EQ(files.LoadConfigurationFrom(path, config, panel, ctx.Layout()).outcome,
              LoadOutcome::Loaded);
  }

  Operation m_operation;
  int m_countersBefore = 0;
  const QDateTime m_clock{QDate(2024, 3, 5), QTime(14, 7, 9)};
};

TEST(FaultMatrix, EveryFaultOnEveryWrite_FailureReportedAndConfigurationOldOrNew) {
  const std::pair<Operation, std::uint8_t> operations[] = {
      {Operation::SendConfig, 131}, {Operation::FactoryDefault, 131}, {Operation::Load, 158},
      {Operation::Firmware, 131},   {Operation::FourK, 192},          {Operation::Clock, 178}};
  int failuresSeen = 0;
  for (const auto& [operation, type] : operations) {
    for (const Fault& fault : Faults()) {
      SCOPED_TRACE(::testing::Message() << "operation " << static_cast<int>(operation) << ", "
                                        << fault.name << " " << fault.faults.dropLinkAfterRequests);
      Matrix m(operation, type);
      const Outcome run = m.Perform(fault.faults);
      if (!run.done) {
        EXPECT_FALSE(run.reported) << "reported success, device did not do it";
      }
      if (fault.faults.splitReplies) {
        EXPECT_TRUE(run.reported && run.done);
      }
      const QByteArray now = m.device.ConfigRecord();
      EXPECT_TRUE(now == m.old || now == m.fresh) << "a third configuration";
      failuresSeen += run.reported ? 0 : 1;
    }
  }
  EXPECT_GT(failuresSeen, 0);
}

}  // namespace
}  // namespace ostrivane
