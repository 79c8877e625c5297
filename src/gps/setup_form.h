// TSetupForm: the map and GPS setup wizard window with its four steps.
#pragma once

#include <QDialog>

#include <array>
#include <functional>

#include "gps/map_setup.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace quovil {

class TSetupForm : public QDialog, public SetupWizard {
  Q_OBJECT

 public:
  // onOpen(true) before the wizard shows (stop playback, disable the main
  // window and card detection), onOpen(false) after it hides.
  TSetupForm(QWidget* owner, std::function<void(bool)> onOpen,
             std::function<MsgResult(const std::string&, MsgKind)> message);

  void ShowStep(int step, bool done) override;
  void ShowPortLabel(const std::string& text) override;
  void Open() override;
  void Close() override;
  int Wait(int ms) override;
  void ResetCommand() override { command_ = 0; }
  void EnableOk(bool on) override;
  bool ChooseMapProgram(const std::string& current, std::string& chosen) override;
  void Message(const std::string& text, MsgKind kind) override { message_(text, kind); }

  std::array<QCheckBox*, 4> CheckStep{};
  QLabel* PortLabel = nullptr;
  QPushButton* ButtonOK = nullptr;
  QPushButton* ButtonCancel = nullptr;

 protected:
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ButtonOKClick(int result) { command_ = result; }
  int command_ = 0;
  std::function<void(bool)> onOpen_;
  std::function<MsgResult(const std::string&, MsgKind)> message_;
};

}  // namespace quovil
