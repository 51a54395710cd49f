#include "ui/device/ModelState.h"

namespace ostrivane {

namespace {

template <class T>
void TakeChange(const T& base, const T& result, T& target) {
  if (!(result == base) && target == base) target = result;
}

// TakeChange for each named member of a state.
template <class State, class... Field>
void TakeChanges(const State& base, const State& result, State& target, Field State::*... fields) {
  (TakeChange(base.*fields, result.*fields, target.*fields), ...);
}

void MergePanel(const PanelState& base, const PanelState& result, PanelState& target) {
  // UpdatingGuard belongs to the window's page fills alone. Without DeviceRecordRead a record
  // read on the device thread would never permit a send.
  TakeChanges(base, result, target, &PanelState::SendCountdown, &PanelState::FactoryDefaultRequest,
              &PanelState::PanelActive, &PanelState::PlayerCommand, &PanelState::FourKChanged,
              &PanelState::UsbFileNameText, &PanelState::OverlayFileText,
              &PanelState::LogoFieldText, &PanelState::DeviceRecordRead);
}

void MergeFlags(const ConnectionFlags& base, const ConnectionFlags& result,
                ConnectionFlags& target) {
  TakeChanges(base, result, target, &ConnectionFlags::FirmwareReloadRequest,
              &ConnectionFlags::EdidRequest, &ConnectionFlags::RestartWaitTicks,
              &ConnectionFlags::BackupsDisabled);
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
