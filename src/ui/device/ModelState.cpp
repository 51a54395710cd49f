#include "ui/device/ModelState.h"

namespace ostrivane {

namespace {

template <class T>
void TakeChange(const T& base, const T& result, T& target) {
  if (!(result == base) && target == base) target = result;
}

void MergePanel(const PanelState& base, const PanelState& result, PanelState& target) {
  TakeChange(base.SendCountdown, result.SendCountdown, target.SendCountdown);
  TakeChange(base.FactoryDefaultRequest, result.FactoryDefaultRequest,
             target.FactoryDefaultRequest);
  TakeChange(base.PanelActive, result.PanelActive, target.PanelActive);
  TakeChange(base.PlayerCommand, result.PlayerCommand, target.PlayerCommand);
  TakeChange(base.FourKChanged, result.FourKChanged, target.FourKChanged);
  TakeChange(base.UsbFileNameText, result.UsbFileNameText, target.UsbFileNameText);
  TakeChange(base.OverlayFileText, result.OverlayFileText, target.OverlayFileText);
  TakeChange(base.LogoFieldText, result.LogoFieldText, target.LogoFieldText);
  TakeChange(base.DeviceRecordRead, result.DeviceRecordRead, target.DeviceRecordRead);
  // UpdatingGuard belongs to the window's page fills alone.
}

void MergeFlags(const ConnectionFlags& base, const ConnectionFlags& result,
                ConnectionFlags& target) {
  TakeChange(base.FirmwareReloadRequest, result.FirmwareReloadRequest,
             target.FirmwareReloadRequest);
  TakeChange(base.EdidRequest, result.EdidRequest, target.EdidRequest);
  TakeChange(base.RestartWaitTicks, result.RestartWaitTicks, target.RestartWaitTicks);
  TakeChange(base.BackupsDisabled, result.BackupsDisabled, target.BackupsDisabled);
}

}  // namespace

ModelState ModelState::Take(const OperationContext& ctx) {
  return ModelState{ctx.identity, ctx.config, ctx.panel, ctx.shape, ctx.deviceStatus, ctx.flags};
}

void MergeJobResult(OperationContext& ctx, const ModelState& base, const ModelState& result) {
  TakeChange(base.identity, result.identity, ctx.identity);
  TakeChange(base.config, result.config, ctx.config);
  MergePanel(base.panel, result.panel, ctx.panel);
  TakeChange(base.shape, result.shape, ctx.shape);
  TakeChange(base.deviceStatus, result.deviceStatus, ctx.deviceStatus);
  MergeFlags(base.flags, result.flags, ctx.flags);
}

void RecordedDisplays::RefreshScheduleList() {
  m_calls.emplace_back([](PanelDisplays& d) { d.RefreshScheduleList(); });
}
void RecordedDisplays::ShowUsbStatus() {
  m_calls.emplace_back([](PanelDisplays& d) { d.ShowUsbStatus(); });
}
void RecordedDisplays::ShowServiceTabLabels() {
  m_calls.emplace_back([](PanelDisplays& d) { d.ShowServiceTabLabels(); });
}
void RecordedDisplays::ShowBitrateMeter() {
  m_calls.emplace_back([](PanelDisplays& d) { d.ShowBitrateMeter(); });
}
void RecordedDisplays::SetClockText(const QString& text) {
  m_calls.emplace_back([text](PanelDisplays& d) { d.SetClockText(text); });
}

void RecordedDisplays::Replay(PanelDisplays& target) const {
  for (const auto& call : m_calls) call(target);
}

}  // namespace ostrivane
