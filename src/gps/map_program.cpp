#include "gps/map_program.h"

#include <QFileInfo>
#include <QProcess>
#include <QThread>

#ifndef _WIN32
#include <signal.h>
#endif

#include "gps/map_rules.h"

namespace quovil {

bool MapProgramQt::Launch(const std::string& path) {
  const QString program = QString::fromStdString(path);
  qint64 pid = 0;
  if (!QProcess::startDetached(program, {}, QFileInfo(program).absolutePath(), &pid) || pid <= 0) return false;
  pid_ = pid;
  path_ = path;
  return true;
}

bool MapProgramQt::Running() {
  if (pid_ <= 0) return false;
#ifndef _WIN32
  return ::kill(pid_t(pid_), 0) == 0;
#else
  return true;
#endif
}

void MapProgramQt::WaitForEnd(int ms) {
  for (int waited = 0; waited < ms && Running(); waited += 20) QThread::msleep(20);
}

bool MapProgramQt::CloseMapWindow() {
#ifndef _WIN32
  if (!Running() || !IsSasPlanet(path_)) return false;
  return ::kill(pid_t(pid_), SIGTERM) == 0;
#else
  return false;
#endif
}

}  // namespace quovil
