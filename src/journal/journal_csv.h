// The journal's rows as CSV (platform/csv_text.h): date, time, code, data,
// text. The empty row the window shows before a power-on event is no event
// and is left out; the date loses the list's leading blank.
#pragma once

#include <string>
#include <vector>

#include "journal/event_rows.h"

namespace quovil {

std::string JournalCsv(const std::vector<EventRow>& rows);

// Writes JournalCsv beside path and renames it over, then its ".sha256" when
// checksums are on. False with error.
bool SaveJournalCsv(const std::string& path, const std::vector<EventRow>& rows, std::string* error = nullptr);

}  // namespace quovil
