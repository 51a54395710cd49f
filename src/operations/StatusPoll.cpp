#include "operations/StatusPoll.h"

#include "link/Commands.h"

namespace ostrivane {

namespace {

bool HasBitrateMeter(std::uint8_t type) {
  return type == 176 || type == 178;
}

void ShowClock(OperationContext& ctx) {
  const DeviceClockTime& clock = ctx.deviceStatus.current.DeviceClock;
  const QString text = QString::asprintf("%02d:%02d", clock.hour, clock.minute);
  if (text == ctx.deviceStatus.ClockText) return;
  ctx.deviceStatus.ClockText = text;
  ctx.displays.SetClockText(text);
}

}  // namespace

void PollStatus(OperationContext& ctx) {
  if (!ctx.link.Transact(cmd::ReadStatus, {}, timeout::Normal)) return;
  const auto reply = ctx.link.Reply();
  if (reply.empty()) return;

  DeviceStatusPair& pair = ctx.deviceStatus;
  ReadDeviceStatus(reply, ctx.identity.DeviceTypeCode, ctx.identity.Version.main,
                   ctx.shape.ServiceCount, ctx.shape.ModulatorCount, pair.current);
  ShowClock(ctx);
  if (!SameDisplayedStatus(pair.current, pair.previous)) {
    CopyDisplayedStatus(pair.current, pair.previous);
    ctx.displays.ShowUsbStatus();
  }
  ctx.displays.ShowServiceTabLabels();
  if (HasBitrateMeter(ctx.identity.DeviceTypeCode)) ctx.displays.ShowBitrateMeter();
}

}  // namespace ostrivane
