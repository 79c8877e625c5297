// The colour of each record kind, shared by the route's markers and the
// telemetry graphs' ticks.
#pragma once

#include "card/catalogue.h"
#include "viewer/layout.h"

namespace quovil {

inline Rgb KindColour(RecordKind kind) {
  switch (kind) {
    case RecordKind::Manual: return {30, 110, 230};
    case RecordKind::External: return {220, 30, 30};
    case RecordKind::Motion: return {240, 140, 0};
    case RecordKind::Timer: return {120, 120, 120};
    case RecordKind::Sound: return {150, 40, 200};
    default: return {0, 0, 0};
  }
}

}  // namespace quovil
