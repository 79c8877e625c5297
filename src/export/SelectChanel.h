// The camera choice of the archive save: camera 1, camera 2 or both.
#pragma once

#include <QDialog>

#include <cstdint>
#include <optional>

class QPushButton;

namespace quovil {

class TChanelForm : public QDialog {
 public:
  // preset: -1 both cameras, 0 camera 1, 1 camera 2; it also picks the
  // button that has the focus when the dialog shows.
  TChanelForm(QWidget* parent, int preset);

  int Chosen() const { return chosen_; }
  QPushButton* Button(int tag) const;

  // The pressed button's tag becomes the choice and the dialog closes with OK.
  void ButtonClick(int tag);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int32_t chosen_;
  QPushButton* camera1_ = nullptr;
  QPushButton* camera2_ = nullptr;
  QPushButton* both_ = nullptr;
};

// Shows the dialog modally, centred on parent: the chosen camera, or nothing
// when it was closed any other way than by one of its buttons.
std::optional<int> RunChanelForm(QWidget* parent, int preset);

}  // namespace quovil
