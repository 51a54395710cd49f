#include "config/RecordShape.h"

#include "config/DeviceCodes.h"

namespace ostrivane {

namespace {

constexpr Limits kSatelliteFrequency{950000, 1150000, 960000};
constexpr Limits kSatelliteSymbolRate{2500, 22000, 22000};

}  // namespace

RecordLayout LayoutFor(std::uint8_t typeCode) {
  switch (typeCode) {
    case kLegacyType:
      return RecordLayout::LegacyLayout;
    case kFourKType:
      return RecordLayout::FourKLayout;
    case kMultiFourType:
    case kMultiTwoType:
      return RecordLayout::MultiLayout;
    default:
      return RecordLayout::StandardLayout;
  }
}

RecordShape RecordShape::ForType(std::uint8_t typeCode) {
  RecordShape shape;
  switch (typeCode) {
    case kMultiFourType:
      shape.ServiceCount = 4;
      shape.ModulatorCount = 2;
      break;
    case 142:
    case 154:
    case 157:
    case kMultiTwoType:
      shape.ServiceCount = 2;
      break;
    case kSatelliteType:
      shape.FrequencyLimits = kSatelliteFrequency;
      shape.SymbolRateLimits = kSatelliteSymbolRate;
      break;
    default:
      break;
  }
  return shape;
}

}  // namespace ostrivane
