#include "card/card_regions.h"

#include "card/state_tables.h"

namespace quovil {

CardIdentityRegions IdentityRegionsOf(const Source& src) {
  CardIdentityRegions r;
  r.boot = {0, kSectorSize};
  const uint8_t* t = src.StateTable.data();
  if (src.CardFormat == 0) {
    r.stateTables = {{state0::kFirstCopy, kSectorSize}, {state0::kSecondCopy, kSectorSize}};
    r.catalogue = {{state0::kIndexTable, state0::kSecondCopy - state0::kIndexTable},
                   {state0::kCatalogue, uint64_t(kCatalogue0Entries) * sizeof(ShortEntry)}};
    return r;
  }
  const uint64_t state = uint64_t(src.StateSector) * kSectorSize;
  r.stateTables = {{state, kSectorSize}, {state + kSectorSize, kSectorSize}};
  const uint64_t entries = src.CardFormat == 1 ? uint64_t(state1::SlotCount.Get(t)) * sizeof(ShortEntry)
                                               : uint64_t(state2::RingCapacity.Get(t)) * sizeof(LongEntry);
  r.catalogue = {{uint64_t(src.CatalogueSector) * kSectorSize, uint64_t(RoundToSector(int64_t(entries)))}};
  return r;
}

}  // namespace quovil
