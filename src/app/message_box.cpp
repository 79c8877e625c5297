#include "app/message_box.h"

#include <QMessageBox>
#include <QWidget>

#include "card/korax.h"

namespace quovil {
namespace {

QMessageBox::Icon IconOf(MsgKind kind) {
  switch (kind) {
    case MsgKind::Warning: return QMessageBox::Warning;
    case MsgKind::Error: return QMessageBox::Critical;
    case MsgKind::Information: return QMessageBox::Information;
    case MsgKind::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QString MessageBoxText(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

MsgResult RunMessageBox(QWidget* owner, const std::string& text, MsgKind kind, MsgButtons buttons) {
  // A hidden owner (the window waits in the tray) would place the dialog off
  // to nowhere; then it goes to the middle of the screen instead.
  QWidget* parent = owner && owner->isVisible() && !owner->isMinimized() ? owner : nullptr;
  QMessageBox box(IconOf(kind), QString::fromUtf8(kAppCaption), MessageBoxText(text),
                  AsksYesNo(buttons) ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
  if (AsksYesNo(buttons)) {
    box.setDefaultButton(buttons == MsgButtons::YesNoDefaultNo ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  }
  const int answer = box.exec();
  if (AsksYesNo(buttons)) return answer == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
  return MsgResult::Ok;
}

}  // namespace quovil
