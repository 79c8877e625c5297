#include "export/SelectChanel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include "platform/translate.h"

namespace quovil {

namespace {

// Two small camera bodies with their lenses: the 32 x 32 picture of the dialog.
QPixmap CamerasPicture() {
  QPixmap pix(32, 32);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 40, 40), 1));
  for (int k = 0; k < 2; ++k) {
    const int y = 3 + 15 * k;
    p.setBrush(QColor(90, 110, 140));
    p.drawRoundedRect(QRectF(2 + 4 * k, y, 20, 11), 2, 2);
    p.setBrush(QColor(200, 220, 240));
    p.drawEllipse(QRectF(8 + 4 * k, y + 2, 7, 7));
    p.setBrush(QColor(90, 110, 140));
    p.drawPolygon(QPolygonF({QPointF(22 + 4 * k, y + 3), QPointF(29, y), QPointF(29, y + 11), QPointF(22 + 4 * k, y + 8)}));
  }
  return pix;
}

QFont Bold(QFont f) {
  f.setBold(true);
  return f;
}

}  // namespace

TChanelForm::TChanelForm(QWidget* parent, int preset) : QDialog(parent), chosen_(preset) {
  setWindowTitle(Tr("Export", "Выбор камер для сохранения"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setModal(true);

  auto* picture = new QLabel(this);
  picture->setPixmap(CamerasPicture());
  picture->setFixedSize(32, 32);
  auto* question = new QLabel(Tr("Export", "Данные с каких\nкамер сохранять?"), this);
  question->setFont(Bold(font()));
  auto* top = new QHBoxLayout;
  top->addWidget(picture, 0, Qt::AlignTop);
  top->addWidget(question, 1);

  auto makeButton = [this](const char* text, const char* hint, int tag) {
    auto* b = new QPushButton(text, this);
    b->setFont(Bold(font()));
    b->setToolTip(hint);
    // Return presses the button that has the focus.
    b->setAutoDefault(true);
    b->setProperty("tag", tag);
    connect(b, &QPushButton::clicked, this, [this, tag] { ButtonClick(tag); });
    return b;
  };
  camera1_ = makeButton(Tr("Export", "Камера 1"), Tr("Export", "Сохранить видео только с камеры 1"), 0);
  camera2_ = makeButton(Tr("Export", "Камера 2"), Tr("Export", "Сохранить видео только с камеры 2"), 1);
  both_ = makeButton(Tr("Export", "Обе камеры"), Tr("Export", "Сохранить видео с обеих камер в одном файле"), -1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(camera1_);
  buttons->addWidget(camera2_);
  buttons->addWidget(both_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QPushButton* TChanelForm::Button(int tag) const {
  if (tag < 0) return both_;
  return tag == 0 ? camera1_ : camera2_;
}

void TChanelForm::ButtonClick(int tag) {
  chosen_ = tag;
  accept();
}

void TChanelForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (parentWidget()) {
    const QRect frame = parentWidget()->window()->frameGeometry();
    move(frame.center() - rect().center());
  }
  // Given as a keyboard move, so the style draws the focus at once.
  setAttribute(Qt::WA_KeyboardFocusChange);
  Button(chosen_)->setFocus(Qt::TabFocusReason);
}

void TChanelForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  QDialog::keyPressEvent(event);
}

std::optional<int> RunChanelForm(QWidget* parent, int preset) {
  TChanelForm form(parent, preset);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.Chosen();
}

}  // namespace quovil
