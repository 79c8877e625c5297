// Saving records of the open source into a new archive file: the header, the
// copy through one buffer with progress and Cancel, then the catalogue.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "card/source.h"
#include "platform/host.h"

namespace quovil {

class Viewer;

inline constexpr std::size_t kArchiveCopyBuffer = 524288;

enum class ArchiveSaveStatus {
  Nothing,       // nothing to save, or the user stopped at a dialog
  Saved,         // "Файл создан успешно!"
  Cancelled,     // the file was deleted
  OpenFailed,    // the file could not be created
  WriteFailed,   // a read or write failed; what was written stays
  Refused,       // a refusal message was shown before anything was written
};

struct ArchiveSaveResult {
  ArchiveSaveStatus status = ArchiveSaveStatus::Nothing;
  int entries = 0;
  std::string message;  // the text shown at the end, if any
};

// Writes the records of the catalogue indices, in that order, to path as a
// version-3 archive file, reporting to progress; shows no message box (the
// caller does, from the result). Reads only the source.
ArchiveSaveResult WriteArchiveFile(const Source& src, const std::vector<int32_t>& indices, const std::string& path,
                                   WorkProgress& progress);

// The "save to archive" command: the marked fragment of the chosen camera (or
// both) into a file the save dialog names. Shows the messages through the
// viewer's host and returns what happened.
ArchiveSaveResult ActionSaveFileExecute(Viewer& v);

// "CAM" + camera digit (single camera) + "_" + the start mark with the
// characters a file name cannot hold replaced by "_".
std::string SuggestedArchiveName(int camera, const std::string& fragStart);

// The name with its extension (after the last dot of the last path part)
// replaced by ".kif", or ".kif" appended when it has none. A name of a
// folder stays as it is.
std::string WithKifExtension(const std::string& name);

}  // namespace quovil
