// Bringing sound up at start-up and down at close.
#include "viewer/viewer.h"
#include "platform/translate.h"

namespace quovil {

namespace {

constexpr int kStreamRate = 11025;

}  // namespace

Viewer::SoundInit Viewer::InitSound() {
  if (!soundSystem) return SoundInit::Ok;  // no sound at all: the viewer runs silently
  if ((soundSystem->GetVersion() >> 16) != (kSoundVersion >> 16)) {
    ShowMessageBox(Tr("Viewer", "ОШИБКА! Библиотека BASS.DLL неправильной версии."), MsgKind::Error);
    return SoundInit::EndProgram;
  }
  if (!soundSystem->Init(-1, kStreamRate)) {
    ShowMessageBox(Tr("Viewer", "Не могу проинициализировать драйвер звука!"), MsgKind::Error);
    return SoundInit::EndProgram;
  }
  for (int cam = 0; cam < 2; ++cam) {
    sound_.Users[size_t(cam)] = {&sound_, cam};
    play_.SoundStream[size_t(cam)] =
        soundSystem->StreamCreate(kStreamRate, 1, &Viewer::StreamProcedure, &sound_.Users[size_t(cam)]);
  }
  if (play_.SoundStream[0] == 0 || play_.SoundStream[1] == 0) {
    ShowMessageBox(Tr("Viewer", "Проблема создания звукового потока!"), MsgKind::Error, MsgButtons::Ok);
    return SoundInit::NoStreams;
  }
  return SoundInit::Ok;
}

void Viewer::FreeSound() {
  if (!soundSystem) return;
  // Free returns once the audio thread has stopped, so the rings and locks are
  // no longer in use after this.
  soundSystem->Free();
  play_.SoundStream = {0, 0};
}

}  // namespace quovil
