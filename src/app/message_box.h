// The one message dialog of the viewer: caption "KORAX-X CARD VIEWER", an icon
// by kind, OK or Yes/No, centred on its owner.
#pragma once

#include <QString>

#include <string>

#include "platform/host.h"

class QWidget;

namespace quovil {

// The viewer's texts end lines with "\r"; the dialog wants "\n".
QString MessageBoxText(const std::string& text);

// Shows the dialog modally over owner and returns the answer. Closing it
// without a button counts as No for a question and OK otherwise.
MsgResult RunMessageBox(QWidget* owner, const std::string& text, MsgKind kind, MsgButtons buttons);

}  // namespace quovil
