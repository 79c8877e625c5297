#include "gps/map_control.h"

#include "platform/map_process.h"
#include "gps/map_rules.h"
#include "viewer/viewer.h"
#include "platform/translate.h"

namespace quovil {

void MapControl::ActionMAPExecute() {
  if (v_.actions().MAP) StopMapProgram();
  else StartMapProgram();
}

void MapControl::StartMapProgram() {
  StopMapProgram();
  if (!checkMapSetup_ || !checkMapSetup_()) return;
  if (!process_.Launch(s_.MapProgramPath)) {
    v_.SetMapLaunch(0);
    v_.ShowMessageBox(Format(Tr("Gps", "При запуске приложения \"%s\"\rпроизошла ошибка!\r\r"
                                     "Попробуйте переустановить приложение."),
                             s_.MapProgramPath.c_str()),
                      MsgKind::Error);
    StopMapProgram();
    return;
  }
  v_.SetMapLaunch(33);  // a launch the viewer watches
  SerialPort* port = v_.COMM1;
  if (port && port->IsOpen()) port->Close();
  if (!port || (port->SetPortName(MapPortName(s_.GpsPortName)), !port->Open())) {
    v_.ShowMessageBox(Format(Tr("Gps", "Не могу открыть порт %s для передачи GPS данных!\r"
                                     "Для работы с картой необходим драйвер \"COM0COM\".\r\rПопробуйте переустановить приложение."),
                             s_.GpsPortName.c_str()),
                      MsgKind::Error);
    StopMapProgram();
    return;
  }
  v_.SetMapOutput(true);
}

void MapControl::StopMapProgram() {
  if (!IsSasPlanet(s_.MapProgramPath)) return;
  if (!process_.CloseMapWindow()) return;
  if (v_.gps().MapLaunchResult > 32) {
    process_.WaitForEnd(1000);
    process_.Release();
    v_.SetMapLaunch(0);
  }
  if (v_.COMM1 && v_.COMM1->IsOpen()) v_.COMM1->Close();
  v_.SetMapOutput(false);
}

}  // namespace quovil
