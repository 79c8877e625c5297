#include "viewer/viewer.h"

namespace quovil {

Viewer::Viewer(ViewerHost& h) : host(h) {
  ResetFrameCache(cache_);
}

Viewer::~Viewer() = default;

}  // namespace quovil
