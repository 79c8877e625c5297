#include "gps/map_setup.h"

#include "gps/map_rules.h"
#include "card/korax.h"
#include "platform/translate.h"

namespace quovil {

namespace {

constexpr const char* kPortOptions = ",EmuBR=no,EmuOverrun=yes";
constexpr const char* kSupport = QUOVIL_TR_NOOP("Gps", "\rДальнейшая работа невозможна.\rОбратитесь в службу поддержки");

bool FinishStep1(SetupPlatform& p, SetupWizard& w, SetupState& st) {
  if (st.step[0]) return true;
  p.RunAndWait(p.InstallerPath(), "/S");
  if (p.FindSetupc().empty()) {
    w.Message(std::string(Tr("Gps", "При установке драйвера возникла ошибка!")) + Tr("Gps", kSupport), MsgKind::Error);
    return false;
  }
  st.step[0] = true;
  w.ShowStep(1, true);
  return true;
}

// Waits until the port shows up; false when the user cancelled meanwhile.
bool WaitForPort(SetupPlatform& p, SetupWizard& w, const std::string& name) {
  while (!p.PortExists(name))
    if (w.Wait(100) != 0) return false;
  return true;
}

bool FinishStep2(SetupPlatform& p, SetupWizard& w, SetupState& st, MapSettings& s) {
  if (st.step[1]) return true;
  s.MapComPort = p.FreeMapPort();
  if (s.MapComPort.empty()) {
    w.Message(std::string(Tr("Gps", "В системе не найден свободный порт!")) + Tr("Gps", kSupport), MsgKind::Error);
    return false;
  }
  w.ShowPortLabel(s.MapComPort);
  const std::string tool = p.FindSetupc();
  int result = 0;
  if (st.listing.empty()) {
    result = p.RunAndWait(tool, " install PortName=" + s.GpsPortName + kPortOptions + " PortName=" + s.MapComPort +
                                    kPortOptions);
  } else {
    result = p.RunAndWait(tool, " change CNCA0 PortName=" + s.GpsPortName + kPortOptions);
    if (result > 64) result = p.RunAndWait(tool, " change CNCB0 PortName=" + s.MapComPort + kPortOptions);
  }
  if (result < 64) {
    w.Message(std::string(Tr("Gps", "Ошибка настройки портов COM0COM!")) + Tr("Gps", kSupport), MsgKind::Error);
    return false;
  }
  if (!WaitForPort(p, w, s.GpsPortName) || !WaitForPort(p, w, s.MapComPort)) return false;
  st.step[1] = true;
  w.ShowStep(2, true);
  return true;
}

bool RunWizard(SetupPlatform& p, SetupWizard& w, SetupState& st, MapSettings& s, int& launchResult) {
  int command = 0;
  while ((command = w.Wait(200)) == 0) {
  }
  if (command != 1) return false;
  w.ResetCommand();
  w.EnableOk(false);
  if (!FinishStep1(p, w, st) || !FinishStep2(p, w, st, s)) return false;
  if (!st.step[2]) {
    std::string chosen;
    if (!w.ChooseMapProgram(s.MapProgramPath, chosen)) {
      launchResult = 0;
      return false;
    }
    s.MapProgramPath = chosen;
    st.step[2] = true;
    w.ShowStep(3, true);
  }
  if (IsSasPlanet(s.MapProgramPath) && WriteMapSettings(s.MapProgramPath, s.MapComPort, false)) w.ShowStep(4, true);
  w.Message(Format(Tr("Gps", "Настройка прошла успешно!\rИспользуйте порт %s для настройки GPS."), s.MapComPort.c_str()),
            MsgKind::Information);
  return true;
}

}  // namespace

bool SetupPlatform::MapPortNameOk(const std::string& n) {
  return n.size() > 3 && n.compare(0, 3, "COM") == 0 && n[3] >= '1' && n[3] <= '9';
}

std::string SetupPlatform::FreeMapPort() {
  for (int i = 1; i <= 99; ++i) {
    const std::string name = "COM" + std::to_string(i);
    if (!PortExists(name)) return name;
  }
  return {};
}

std::string PortNameOfLine(const std::string& line) {
  const size_t at = line.find("PortName=");
  if (at == std::string::npos) return {};
  const size_t from = at + 9;
  const size_t end = line.find_first_of(" ,\r\n", from);
  return line.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

SetupState CheckSteps(SetupPlatform& p, MapSettings& s) {
  SetupState st;
  const std::string tool = p.FindSetupc();
  st.step[0] = !tool.empty() && p.RunAndCapture(tool, " list", st.listing);
  if (!st.step[0]) st.listing.clear();
  s.MapComPort.clear();
  const auto& l = st.listing;
  if (p.PortExists(s.GpsPortName) && l.size() > 1 && l[0].find(s.GpsPortName) != std::string::npos &&
      l[1].find("PortName") != std::string::npos) {
    const std::string name = PortNameOfLine(l[1]);
    if (p.MapPortNameOk(name)) s.MapComPort = name, st.step[1] = true;
    // Nothing else shows the name of a B side that fails the rule.
  }
  if (p.FileExists(s.MapProgramPath)) {
    st.step[2] = true;
    if (IsSasPlanet(s.MapProgramPath) && st.step[1]) st.step[3] = WriteMapSettings(s.MapProgramPath, s.MapComPort, true);
    else st.step[3] = true;
  }
  return st;
}

bool CheckMapSetup(SetupPlatform& p, SetupWizard& w, MapSettings& s, int& launchResult) {
  SetupState st = CheckSteps(p, s);
  w.ShowPortLabel(s.MapComPort);
  if (st.step[0] && st.step[1] && st.step[2]) return true;
  for (int i = 0; i < 4; ++i) w.ShowStep(i + 1, st.step[size_t(i)]);
  w.Open();
  const bool ok = RunWizard(p, w, st, s, launchResult);
  w.Close();
  return ok;
}

}  // namespace quovil
