#pragma once

#include <functional>
#include <vector>

#include "operations/OperationContext.h"

namespace ostrivane {

// The part of the window's model that a device job may read and change. A job works on a copy
// taken when it starts; when it ends the window takes back what the job changed.
struct ModelState {
  DeviceIdentity identity;
  DeviceConfig config;
  PanelState panel;
  RecordShape shape;
  DeviceStatusPair deviceStatus;
  ConnectionFlags flags;

  static ModelState Take(const OperationContext& ctx);
};

// Field by field: the window takes the job's value where the job changed the field and the window
// did not change it meanwhile. An edit made while the job ran wins; it is sent by its own
// countdown. The user's requests (send, factory default, player, 4K) merge by their counts, not
// their values: one made while the job ran is never taken back by the job's older copy.
void MergeJobResult(OperationContext& ctx, const ModelState& base, const ModelState& result);

// The panel displays a job asked for, kept until the window has merged the job's model.
class RecordedDisplays final : public PanelDisplays {
 public:
  void RefreshScheduleList() override;
  void ShowUsbStatus() override;
  void ShowServiceTabLabels() override;
  void ShowBitrateMeter() override;
  void SetClockText(const QString& text) override;

  void Replay(PanelDisplays& target) const;

 private:
  std::vector<std::function<void(PanelDisplays&)>> m_calls;
};

}  // namespace ostrivane
