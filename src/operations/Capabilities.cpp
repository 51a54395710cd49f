#include "operations/Capabilities.h"

#include <algorithm>
#include <initializer_list>

namespace ostrivane {

namespace {

bool OneOf(unsigned code, std::initializer_list<unsigned> codes) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

bool HasLcnCountry(unsigned typeCode) {
  return OneOf(typeCode, {158, 159, 176, 178, 192});
}

bool HasAit(unsigned typeCode) {
  return !OneOf(typeCode, {121, 128, 131, 142, 154, 157, 176, 178, 192});
}

bool HasEdidRepair(unsigned typeCode) {
  return !OneOf(typeCode, {121, 128, 131, 158, 159, 176, 178, 192});
}

bool HasBitrateMeter(unsigned typeCode) {
  return typeCode == 176 || typeCode == 178;
}

bool HasSnapshot(unsigned typeCode) {
  return OneOf(typeCode, {159, 176, 178, 192});
}

bool HasGainField(unsigned typeCode) {
  return OneOf(typeCode, {142, 154, 157});
}

}  // namespace ostrivane
