// The core's texts in the user's language. The core has no Qt: the window
// (or the command-line tool) hands it a function that looks a text up, and
// until then every text stays the Russian one it was written as.
//
// A text is looked up whole, with its printf placeholders, under a context
// naming the part of the program it belongs to:
//   Format(Tr("Viewer", "%d кадров"), n)
// A text kept in a table or a constant is marked where it is written and
// looked up where it is shown:
//   const char* const kText = QUOVIL_TR_NOOP("Viewer", "Карта памяти пуста!");
//   Show(Tr("Viewer", kText));
// The translation files are made from both spellings (lupdate reads Tr as
// translate and QUOVIL_TR_NOOP as QT_TRANSLATE_NOOP).
#pragma once

#include <string>

#define QUOVIL_TR_NOOP(context, text) text

namespace quovil {

// Returns the text in the user's language; the Russian text when none is set.
using TranslateFunction = std::string (*)(const char* context, const char* text);

// Sets the function (nullptr: back to the Russian texts). Texts looked up
// before stay valid; later lookups use the new function.
void SetTranslateFunction(TranslateFunction f);

// The text in the user's language. The pointer stays valid for the life of the
// program; safe from any thread.
const char* Tr(const char* context, const char* text);

}  // namespace quovil
