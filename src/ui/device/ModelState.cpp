#include "ui/device/ModelState.h"

#include <algorithm>

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

// One request: its value and how many times it was made (base, result and target alike).
struct Request {
  std::uint8_t PanelState::*value;
  std::uint32_t PanelState::RequestCounts::*count;
  // Both the window and the job asked: the value that keeps both requests.
  std::uint8_t (*join)(std::uint8_t window, std::uint8_t job);
};

std::uint8_t Sooner(std::uint8_t window, std::uint8_t job) {
  return window == 0 || (job != 0 && job < window) ? job : window;
}
std::uint8_t Either(std::uint8_t window, std::uint8_t job) {
  return std::max(window, job);
}
std::uint8_t Newer(std::uint8_t window, std::uint8_t) {
  return window;
}

// A request the window made while the job ran (its count moved on) stands, whatever the job did
// with the older one; a request the job made itself (a file it loaded) joins it.
void MergeRequest(const Request& r, const PanelState& base, const PanelState& result,
                  PanelState& target) {
  const std::uint32_t baseCount = base.Requests.*r.count;
  const std::uint32_t jobCount = result.Requests.*r.count;
  std::uint32_t& windowCount = target.Requests.*r.count;
  const std::uint8_t job = result.*r.value;
  std::uint8_t& window = target.*r.value;
  if (windowCount == baseCount) {
    if (job != base.*r.value) window = job;
    windowCount = jobCount;
  } else if (jobCount != baseCount) {
    window = r.join(window, job);
    windowCount += jobCount - baseCount;
  }
}

void MergePanel(const PanelState& base, const PanelState& result, PanelState& target) {
  static constexpr Request kRequests[] = {
      {&PanelState::SendCountdown, &PanelState::RequestCounts::send, Sooner},
      {&PanelState::FactoryDefaultRequest, &PanelState::RequestCounts::factoryDefault, Either},
      {&PanelState::PlayerCommand, &PanelState::RequestCounts::player, Newer},
      {&PanelState::FourKChanged, &PanelState::RequestCounts::fourK, Either},
  };
  for (const Request& request : kRequests) MergeRequest(request, base, result, target);
  // Only the device thread acknowledges, and acknowledgements only move forward.
  target.SentRequest = std::max(target.SentRequest, result.SentRequest);
  // UpdatingGuard belongs to the window's page fills alone. Without DeviceRecordRead a record
  // read on the device thread would never permit a send.
  TakeChanges(base, result, target, &PanelState::PanelActive, &PanelState::UsbFileNameText,
              &PanelState::OverlayFileText, &PanelState::LogoFieldText,
              &PanelState::DeviceRecordRead);
}

void MergeFlags(const ConnectionFlags& base, const ConnectionFlags& result,
                ConnectionFlags& target) {
  TakeChanges(base, result, target, &ConnectionFlags::FirmwareReloadRequest,
              &ConnectionFlags::EdidRequest, &ConnectionFlags::RestartWaitTicks,
              &ConnectionFlags::BackupsDisabled, &ConnectionFlags::UpgradeWithoutBackupDeclined);
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
