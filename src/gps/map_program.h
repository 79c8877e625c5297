// The map program launched by path through QProcess and watched by its
// process id. It runs on by itself: closing the viewer does not end it.
#pragma once

#include <QtGlobal>

#include <string>

#include "platform/map_process.h"

namespace quovil {

class MapProgramQt : public MapProcess {
 public:
  bool Launch(const std::string& path) override;
  bool Running() override;
  void WaitForEnd(int ms) override;
  void Release() override { pid_ = 0; }
  // There is no window class or title to find here: SAS.Planet is closed when
  // it is the program the viewer started and still runs (it is asked to end).
  bool CloseMapWindow() override;

 private:
  qint64 pid_ = 0;
  std::string path_;
};

}  // namespace quovil
