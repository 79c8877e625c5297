// The selection as CSV (platform/csv_text.h), for the tables others read.
#pragma once

#include <string>
#include <vector>

namespace quovil {

class Viewer;

// The selection, position by position: pos,index,camera,kind,flag,time,
// interval,sectors (camera 1 or 2; interval and sectors from the long
// entries of format 2 and archive files, empty for the short entries).
std::string SelectionCsv(const Viewer& v);

// Writes a listing beside path and renames it over, then its ".sha256" when
// checksums are on. False with error.
bool WriteCsvFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace quovil
