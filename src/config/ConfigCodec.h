#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "config/DeviceConfig.h"
#include "config/PanelState.h"
#include "config/RecordShape.h"

namespace ostrivane {

// Sets every field whose decode default is not "kept".
void ApplyDecodeDefaults(DeviceConfig& config, std::uint8_t typeCode, std::uint8_t mainVersion);

// What a decode does with the HbbTV application of a service whose record leaves it empty: the
// window shows its test application there; a file or script gets the record as it is.
enum class EmptyApplication { ShowDefault, KeepEmpty };

// Checks the header against the connected type, then fills config. A rejected record (wrong
// header, shorter than its mandatory items, longer than 1024 bytes) changes nothing.
bool DecodeConfigImage(const std::uint8_t* bytes, std::size_t length, const LayoutContext& context,
                       DeviceConfig& config, PanelState& panel,
                       EmptyApplication empty = EmptyApplication::ShowDefault);
inline bool DecodeConfigImage(const QByteArray& record, const LayoutContext& context,
                              DeviceConfig& config, PanelState& panel,
                              EmptyApplication empty = EmptyApplication::ShowDefault) {
  return DecodeConfigImage(reinterpret_cast<const std::uint8_t*>(record.constData()),
                           static_cast<std::size_t>(record.size()), context, config, panel, empty);
}

// The bytes of record that the layout's items take (optional parts included as far as they go);
// 0 when the record does not decode. A longer record carries bytes the layout never reads.
std::size_t DecodedLength(const QByteArray& record, const LayoutContext& context);

// The paths of the JSON form ("Services[0].Lcn") of every field the record of the context's
// layout carries, with the schedule entries config has in use.
QSet<QString> CarriedFieldPaths(const DeviceConfig& config, const LayoutContext& context);

// Whether both contexts lay their records out item for item alike (a firmware upgrade that kept
// the layout, or one that added items).
bool SameRecordLayout(const LayoutContext& a, const LayoutContext& b);

// The name the USB file field's text is sent as: cut before its first full stop, at most 28
// characters, then ".ts".
QString NormaliseUsbFileName(const QString& fieldText);

// Clamps, normalises and writes the record. Returns false (out left empty, the reason in *refusal
// when given) when the record would exceed 1024 bytes or would begin with the multi-output mark
// on another layout, which every later read would reject; the model changes of the preparation
// steps still apply.
bool EncodeConfigImage(DeviceConfig& config, PanelState& panel, const LayoutContext& context,
                       QByteArray& out, QString* refusal = nullptr);

}  // namespace ostrivane
