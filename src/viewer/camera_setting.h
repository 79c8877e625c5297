// One camera's picture and sound settings, kept in the settings file.
#pragma once

namespace quovil {

struct CameraSetting {
  int Brightness = 100;  // 0..200
  int Contrast = 100;    // 0..200
  int Volume = 50;       // 0..100
};

}  // namespace quovil
