#include "export/csv_listing.h"

#include "export/evidence_text.h"
#include "platform/checksum_file.h"
#include "platform/csv_text.h"
#include "viewer/viewer.h"

namespace quovil {

std::string SelectionCsv(const Viewer& v) {
  const Source& s = v.source();
  std::string text = CsvRecord({"pos", "index", "camera", "kind", "flag", "time", "interval", "sectors"});
  const bool longEntries = !s.ShortEntries();
  for (int32_t p = 0; p < v.selection().Count(); ++p) {
    const int32_t i = v.IndexAtPos(p);
    std::string interval, sectors;
    if (longEntries && i >= 0 && size_t(i) < s.LongCatalogue.size()) {
      const LongEntry& e = s.LongCatalogue[size_t(i)];
      interval = std::to_string(e.FrameInterval());
      sectors = std::to_string(e.RecordSectors());
    }
    text += CsvRecord({std::to_string(p), std::to_string(i), std::to_string(s.CameraOf(i) + 1), s.KindTextOf(i),
                       std::to_string(s.FlagOf(i)), TimeStampText(s.TimeOf(i)), interval, sectors});
  }
  return text;
}

bool WriteCsvFile(const std::string& path, const std::string& text, std::string& error) {
  return WriteTextFile(path, text, error) && SealExport(path, &error);
}

}  // namespace quovil
