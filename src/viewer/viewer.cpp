#include "viewer/viewer.h"

namespace quovil {

Viewer::Viewer(ViewerHost& h) : host(h) {
  ResetFrameCache(cache);
}

Viewer::~Viewer() = default;

}  // namespace quovil
