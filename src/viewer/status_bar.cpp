// The status bar panels and the tool-bar items that depend on the source.
#include "card/source_format.h"
#include "viewer/viewer.h"
#include "platform/translate.h"

namespace quovil {

namespace {

std::string DecimalSize(int64_t size) {
  if (size < 1000) return std::to_string(size) + " bytes";
  if (size < 1000000) return std::to_string(size / 1000) + " Kb";
  if (size < 1000000000) return std::to_string(size / 1000000) + " Mb";
  return std::to_string(size / 1000000000) + " Gb";
}

std::string BinarySize(int64_t size) {
  if (size < 1024) return std::to_string(size) + " bytes";
  if (size < 1048576) return std::to_string(size / 1024) + " Kb";
  return std::to_string(size / 1048576) + " Mb";
}

std::string ResolutionName(int64_t index) {
  if (index >= 0 && index < int64_t(ResolutionTable.size())) return ResolutionTable[size_t(index)].name;
  return Tr("Viewer", "нет данных");
}

// A card with no slots at all counts as empty rather than dividing by zero.
std::string Percent(double part, double whole) {
  return Format("%.0f%%", whole > 0 ? part / whole * 100.0 : 0.0);
}

// Mean of PictureBytes / PictureSectors / 512 over the entries; entries that
// claim no picture sectors are left out. False when no entry counts.
bool MeanCompression(const Source& src, double& mean) {
  size_t n = std::min(size_t(std::max(src.EntryCount, 0)), src.LongCatalogue.size());
  double sum = 0;
  size_t counted = 0;
  for (size_t i = 0; i < n; ++i) {
    int sectors = src.LongCatalogue[i].PictureSectors();
    if (sectors == 0) continue;
    sum += double(src.PictureBytes) / sectors / 512.0;
    ++counted;
  }
  if (counted == 0) return false;
  mean = sum / double(counted);
  return true;
}

}  // namespace

void Viewer::UpdateStatusBar() {
  actions_.DeleteAllVisible = src_.SourceIsCard;
  const SourceFormat& format = FormatOf(src_);
  std::string size, quality, written, fragment;
  if (src_.SourceIsCard && src_.CardOpen) {
    actions_.ArhivVisible = actions_.TagetVisible = actions_.ViewAllSeparatorVisible = format.HasArchiveArea();
    size = src_.SourceSize < 0 ? Tr("Viewer", "Карта памяти пуста!") : DecimalSize(src_.SourceSize);
    if (!format.ShowsCompression()) quality = ResolutionName(src_.ResolutionIndex);
    const SourceFormat::Fill fill = format.Written(src_);
    written = Percent(fill.part, fill.whole);
  } else if (src_.SourceSize > 0 && src_.ArchiveOpen) {
    actions_.TagetVisible = actions_.ViewAllSeparatorVisible = false;
    size = BinarySize(src_.SourceSize);
    quality = ResolutionName(src_.Archive.CardFormat);
    written = Format(Tr("Viewer", "%d кадров"), int(src_.Archive.EntryCount));
  } else {
    actions_.ArhivVisible = actions_.TagetVisible = actions_.ViewAllSeparatorVisible = false;
  }
  if (src_.CardOpen || src_.ArchiveOpen) {
    fragment = fragStart_.empty() && fragEnd_.empty() ? Tr("Viewer", "не задан") : fragStart_ + " - " + fragEnd_;
  }
  statusPanels_[0] = Format(Tr("Viewer", " Размер: %s"), size.c_str());
  if (format.ShowsCompression()) {
    double mean = 0;
    if (MeanCompression(src_, mean)) statusPanels_[1] = Format(Tr("Viewer", " Сжатие: %.2f"), mean);
  } else {
    statusPanels_[1] = Format(Tr("Viewer", " Качество: %s"), quality.c_str());
  }
  statusPanels_[2] = Format(Tr("Viewer", " Записано: %s"), written.c_str());
  statusPanels_[4] = Format(Tr("Viewer", " Фрагмент: %s"), fragment.c_str());
  Repaint(kRepaintStatus | kRepaintActions);
}

}  // namespace quovil
