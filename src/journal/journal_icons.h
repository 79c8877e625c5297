// The small pictures of the journal window, drawn rather than loaded so the
// window needs no resource files.
#pragma once

#include <QIcon>

namespace quovil {

// Image index of an event row (0..12, see EventTable); an empty icon for -1.
QIcon JournalEventIcon(int image);

// The three tool bar buttons.
enum class JournalTool { ReadCard, OpenFile, SaveFile };
QIcon JournalToolIcon(JournalTool tool);

}  // namespace quovil
