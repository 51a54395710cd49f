#include "operations/FieldWidths.h"

#include <limits>

#include "config/ConfigCodec.h"
#include "config/FieldPaths.h"

namespace ostrivane {

namespace {

// The configuration as the device would give it back; false when no record can be built.
bool RoundTrip(const DeviceConfig& config, const LayoutContext& context, DeviceConfig& back) {
  DeviceConfig copy = config;
  PanelState panel;
  panel.UsbFileNameText = copy.UsbFileName;
  panel.LogoFieldText = copy.LogoName;
  QByteArray record;
  if (!EncodeConfigImage(copy, panel, context, record)) return false;
  back = DeviceConfig{};
  PanelState decodedPanel;
  return DecodeConfigImage(record, context, back, decodedPanel, EmptyApplication::KeepEmpty);
}

bool Fits(DeviceConfig& work, const LayoutContext& context, int field, std::int32_t value) {
  *NumberFields(work)[field].value = value;
  DeviceConfig back;
  return RoundTrip(work, context, back) && *NumberFields(back)[field].value == value;
}

}  // namespace

QVector<NumberField> NumberFields(DeviceConfig& config) {
  QVector<NumberField> fields;
  VisitFieldPaths(
      config,
      [&](const QString& path, std::int32_t& value) {
        fields.append({path, &value});
      },
      [](const QString&, QString&) {});
  return fields;
}

bool KeepsValue(const DeviceConfig& config, const LayoutContext& context, int field) {
  DeviceConfig work = config;
  return Fits(work, context, field, *NumberFields(work)[field].value);
}

FieldWidth WidthOf(const DeviceConfig& config, const LayoutContext& context, int field) {
  DeviceConfig work = config;
  FieldWidth width;
  // A field the record does not hold comes back as its default whatever was put in; a coded one
  // keeps a few values (an output's mode: 1 and 2).
  std::int64_t smallest = 1;
  std::int64_t largest = 0;
  for (const std::int32_t probe : {0, 1, 2}) {
    if (!Fits(work, context, field, probe)) continue;
    smallest = std::min<std::int64_t>(smallest, probe);
    largest = std::max<std::int64_t>(largest, probe);
  }
  width.carried = largest > smallest || Fits(work, context, field, 1000);
  if (!width.carried) return width;
  // The values kept form one span (a clamp, or the width of the record's item): its ends are
  // found by halving.
  std::int64_t in = largest;
  std::int64_t out = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  while (out - in > 1) {
    const std::int64_t mid = in + (out - in) / 2;
    (Fits(work, context, field, static_cast<std::int32_t>(mid)) ? in : out) = mid;
  }
  width.high = in;
  in = smallest;
  out = std::int64_t{std::numeric_limits<std::int32_t>::min()} - 1;
  while (in - out > 1) {
    const std::int64_t mid = in - (in - out) / 2;
    (Fits(work, context, field, static_cast<std::int32_t>(mid)) ? in : out) = mid;
  }
  width.low = in;
  return width;
}

bool StoredWrapped(std::int32_t sent, std::int32_t kept) {
  constexpr std::int64_t kByte = 256;
  const std::int64_t change = std::int64_t{kept} - sent;
  return change != 0 && change % kByte == 0;
}

void CheckFieldWidths(const DeviceConfig& config, const LayoutContext& context, QStringList& errors,
                      WidthCheck check, const QStringList& skip) {
  DeviceConfig given = config;
  DeviceConfig back;
  if (!RoundTrip(given, context, back)) return;  // the encoder says why elsewhere
  const QVector<NumberField> sent = NumberFields(given);
  const QVector<NumberField> kept = NumberFields(back);
  for (int i = 0; i < sent.size(); ++i) {
    if (*sent[i].value == *kept[i].value || skip.contains(sent[i].path)) continue;
    if (check == WidthCheck::Wrapped && !StoredWrapped(*sent[i].value, *kept[i].value)) continue;
    const FieldWidth width = WidthOf(config, context, i);
    if (!width.carried) continue;
    errors << QStringLiteral("%1: %2 does not fit the field (%3 to %4)")
                  .arg(sent[i].path)
                  .arg(*sent[i].value)
                  .arg(width.low)
                  .arg(width.high);
  }
}

}  // namespace ostrivane
