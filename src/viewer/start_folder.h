// Where the file dialogs open: the folder last used for the kind of file,
// else the user's documents, never the program's own folder.
#pragma once

#include <string>

namespace quovil {

// remembered when it names a folder that is there; else the documents
// folder; else the home folder.
std::string StartFolder(const std::string& remembered);

}  // namespace quovil
