// Opening SRC for a command, and the filter options shared by commands.
#include <array>
#include <cstring>
#include <sstream>

#include "card/korax.h"
#include "cli/cli.h"

namespace quovil::cli {

namespace {

// The one candidate of the drive scan: the named image or device.
class OnePath : public DriveEnumerator {
 public:
  OnePath(std::string path, Access access) : path_(std::move(path)), access_(access) {}
  std::unique_ptr<BlockDevice> Open(int n) override {
    if (n != 0) return nullptr;
    return access_ == Access::Write ? OpenImageFile(path_) : OpenReadOnlyFile(path_);
  }
  int Count() override { return 1; }

 private:
  std::string path_;
  Access access_;
};

bool ArchiveHeader(const uint8_t* h) {
  if (GetU16(h) == 40 && h[2] == 3) return std::memcmp(h + 3, "KORAX-X ", 8) == 0 && ByteChecksum(h, 40) == 0;
  if (GetU16(h) == 39 && h[2] == 2) return std::memcmp(h + 3, "KORAX", 5) == 0 && ByteChecksum(h, 39) == 0;
  return false;
}

}  // namespace

bool LooksLikeArchive(const std::string& path) {
  auto file = OpenReadOnlyFile(path);
  std::array<uint8_t, 40> header{};
  if (!file || file->Length() < 39) return false;
  size_t n = file->Length() >= 40 ? 40 : 39;
  return file->Read(0, header.data(), n) && ArchiveHeader(header.data());
}

std::vector<Option> FilterOptions() {
  return {
      {"--kinds", "comma list among hand,external,motion,timer,sound; \"none\" for all unchecked", false, false},
      {"--marked", "view only the marked records", true, false},
      {"--archive-area", "view the archive area of a format-0 card", true, false},
  };
}

bool ApplyKindFilters(const Args& args, Viewer& viewer, std::string& error) {
  ActionState& a = viewer.actions;
  if (args.Has("--kinds")) {
    a.Hand = a.External = a.Motion = a.Timer = a.Sound = false;
    std::string list = args.Get("--kinds");
    if (list != "none") {
      std::stringstream in(list);
      std::string kind;
      while (std::getline(in, kind, ',')) {
        if (kind == "hand") a.Hand = true;
        else if (kind == "external") a.External = true;
        else if (kind == "motion") a.Motion = true;
        else if (kind == "timer") a.Timer = true;
        else if (kind == "sound") a.Sound = true;
        else {
          error = "unknown kind: " + kind;
          return false;
        }
      }
    }
  }
  a.Taget = args.Has("--marked");
  return true;
}

bool OpenSource(Context& ctx, const std::string& path, Access access, std::string& error) {
  Viewer& v = ctx.viewer;
  if (LooksLikeArchive(path)) {
    v.OpenArchive(path);
    if (!v.src.ArchiveOpen) {
      error = v.NoSourceText;
      return false;
    }
  } else {
    v.drives = std::make_unique<OnePath>(path, access);
    v.src.SourceIsCard = true;
    v.CheckTimerTimer();
    if (!v.src.CardOpen) {
      error = v.NoSourceText;
      return false;
    }
  }
  // The archive area is a view of the open card: the viewer's user chooses it
  // after the card has been found.
  if (ctx.args.Has("--archive-area") && !v.actions.Arhiv) {
    v.ActionFiltrChange(Viewer::Filter::Arhiv);
    v.ActionSelectAllExecute();
  }
  return true;
}

}  // namespace quovil::cli
