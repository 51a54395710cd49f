#include "config/RecordShape.h"

namespace ostrivane {

namespace {

constexpr std::uint8_t kLegacyType = 121;
constexpr std::uint8_t kFourKType = 192;
constexpr std::uint8_t kMultiFourType = 176;
constexpr std::uint8_t kMultiTwoType = 178;
constexpr std::uint8_t kSatelliteType = 156;

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
