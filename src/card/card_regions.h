// Where on a card the parts that identify it lie: the boot sector, the two
// state-table copies and the catalogue (format 0: with its index table).
#pragma once

#include <cstdint>
#include <vector>

#include "card/source.h"

namespace quovil {

struct CardRegion {
  uint64_t offset = 0;
  uint64_t bytes = 0;
};

struct CardIdentityRegions {
  CardRegion boot;
  std::vector<CardRegion> stateTables;
  std::vector<CardRegion> catalogue;
};

// The regions of the card recognised in src (CardFormat 0, 1 or 2), in whole
// sectors as the card holds them.
CardIdentityRegions IdentityRegionsOf(const Source& src);

}  // namespace quovil
