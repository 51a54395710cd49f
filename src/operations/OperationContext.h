#pragma once

#include <cstdint>

#include "common/Clock.h"
#include "common/Prompts.h"
#include "common/StatusSink.h"
#include "config/DeviceConfig.h"
#include "config/PanelState.h"
#include "config/RecordShape.h"
#include "files/ApplicationData.h"
#include "link/CXmit.h"
#include "link/DeviceIdentity.h"
#include "operations/DeviceStatus.h"

namespace ostrivane {

// The panel's displays that the status poll and the configuration read refresh. The window's pages
// implement them; the command-line tool and tests use NullPanelDisplays or a recorder.
class PanelDisplays {
 public:
  virtual ~PanelDisplays() = default;
  virtual void RefreshScheduleList() = 0;
  virtual void ShowUsbStatus() = 0;
  virtual void ShowServiceTabLabels() = 0;
  virtual void ShowBitrateMeter() = 0;
  // Text of the clock field ("%02d:%02d"); called only when it differs from the last one shown.
  virtual void SetClockText(const QString& text) = 0;
};

class NullPanelDisplays final : public PanelDisplays {
 public:
  void RefreshScheduleList() override {}
  void ShowUsbStatus() override {}
  void ShowServiceTabLabels() override {}
  void ShowBitrateMeter() override {}
  void SetClockText(const QString&) override {}
};

// Process-wide requests read by the connection loop.
struct ConnectionFlags {
  bool FirmwareReloadRequest = false;
  bool EdidRequest = false;
  std::int32_t RestartWaitTicks = 0;
  // The user chose to replace the device's configuration without keeping a copy of it first.
  bool BackupsDisabled = false;
  // The installer chose to connect without the upgrade whose backup failed: not asked again
  // until a firmware reload is requested.
  bool UpgradeWithoutBackupDeclined = false;
};

// The single instances an operation works on, owned by the application (or a test) and passed by
// reference. Nothing here is global.
struct OperationContext {
  CXmit& link;
  DeviceIdentity& identity;
  DeviceConfig& config;
  PanelState& panel;
  RecordShape& shape;
  DeviceStatusPair& deviceStatus;
  const ApplicationData& settings;
  ConnectionFlags& flags;
  StatusSink& status;
  Prompts& prompts;
  PanelDisplays& displays;
  Clock& clock;

  LayoutContext Layout() const {
    return LayoutContext{identity.DeviceTypeCode, identity.Version.main, shape};
  }
};

}  // namespace ostrivane
