#include "card_source.h"
#include "pictures.h"

#include "viewer/viewer.h"

namespace quovil::test {

namespace {

std::unique_ptr<BlockDevice> OpenImage(const std::string& path, Access access) {
  return access == Access::ReadOnly ? OpenReadOnlyFile(path) : OpenImageFile(path);
}

}  // namespace

std::unique_ptr<DriveEnumerator> ImageDrive(const std::string& path, Access access) {
  return std::make_unique<OneDrive>([path, access] { return OpenImage(path, access); });
}

std::unique_ptr<DriveEnumerator> FaultyImageDrive(const std::string& path, std::shared_ptr<FaultPlan> plan,
                                                  Access access) {
  return std::make_unique<OneDrive>([path, plan, access]() -> std::unique_ptr<BlockDevice> {
    if (plan->vanished) return nullptr;
    auto inner = OpenImage(path, access);
    if (!inner) return nullptr;
    return std::make_unique<FaultyDevice>(std::move(inner), plan);
  });
}

std::unique_ptr<DriveEnumerator> MemoryDrive(std::vector<uint8_t> bytes) {
  return std::make_unique<OneDrive>([bytes = std::move(bytes)] { return MemoryDevice(bytes); });
}

std::unique_ptr<DriveEnumerator> FaultyMemoryDrive(std::vector<uint8_t> bytes, std::shared_ptr<FaultPlan> plan) {
  return std::make_unique<OneDrive>([bytes = std::move(bytes), plan]() -> std::unique_ptr<BlockDevice> {
    if (plan->vanished) return nullptr;
    return std::make_unique<FaultyDevice>(MemoryDevice(bytes), plan);
  });
}

bool OpenCardThroughWatch(Viewer& v, std::unique_ptr<DriveEnumerator> drives) {
  v.drives = std::move(drives);
  if (!v.source().SourceIsCard) v.ActionOpenCARDExecute();
  v.CheckTimerTimer();
  return v.source().CardOpen;
}

bool OpenCardImage(Viewer& v, const std::string& path, Access access) {
  return OpenCardThroughWatch(v, ImageDrive(path, access));
}

bool OpenCardBytes(Viewer& v, std::vector<uint8_t> bytes) { return OpenCardThroughWatch(v, MemoryDrive(std::move(bytes))); }

bool OpenArchiveFile(Viewer& v, const std::string& path) {
  v.OpenArchive(path);
  return v.source().ArchiveOpen;
}

std::vector<uint8_t> PictureOf(Viewer& v, int index) {
  Picture8 pic;
  pic.Resize(v.source().PictureWidth, v.source().PictureHeight);
  if (!v.BuildPicture(index, pic)) return {};
  return Rows(pic);
}

}  // namespace quovil::test
