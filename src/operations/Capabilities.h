#pragma once

namespace ostrivane {

// Panel rules that several pages (or other operations) consult, by type code. The rules that
// also involve the firmware version live with the model table (HasAudioDelay).
bool HasLcnCountry(unsigned typeCode);
bool HasAit(unsigned typeCode);
bool HasEdidRepair(unsigned typeCode);
bool HasBitrateMeter(unsigned typeCode);
bool HasSnapshot(unsigned typeCode);
bool HasGainField(unsigned typeCode);

}  // namespace ostrivane
