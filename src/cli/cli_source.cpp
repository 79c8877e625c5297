// Opening SRC for a command, and the filter options shared by commands.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "card/korax.h"
#include "cli/cli.h"
#include "platform/utf8_file.h"

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

// The length field and the magic say "archive file"; the checksum is left to
// OpenArchive, so that a damaged archive gets its "Ошибка чтения файла!"
// rather than being taken for a card.
bool ArchiveHeader(const uint8_t* h) {
  const uint16_t length = GetU16(h);
  return (length == 39 || length == 40) && std::memcmp(h + 3, "KORAX", 5) == 0;
}

}  // namespace

bool LooksLikeArchive(const std::string& path) {
  auto file = OpenReadOnlyFile(path);
  std::array<uint8_t, 40> header{};
  if (!file || file->Length() < 8) return false;
  size_t n = size_t(std::min<int64_t>(file->Length(), 40));
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
  KindChoice a;
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
  viewer.SetKindFilters(a);
  return true;
}

std::string CannotOpenText(const std::string& path) {
  errno = 0;
  if (OpenReadOnlyFile(path)) return {};
  const int why = errno ? errno : EIO;
  std::error_code ec;
  const auto status = std::filesystem::status(PathFromUtf8(path), ec);
  std::string reason = std::strerror(why);
  if (!ec && !std::filesystem::is_directory(status) && !std::filesystem::is_regular_file(status) &&
      !std::filesystem::is_block_file(status))
    reason = "not a regular file or block device";
  return "cannot open " + path + ": " + reason;
}

bool OpenSource(Context& ctx, const std::string& path, Access access, std::string& error) {
  Viewer& v = ctx.viewer;
  // A file that cannot be opened at all is no card problem: say why.
  error = CannotOpenText(path);
  if (!error.empty()) return false;
  if (LooksLikeArchive(path)) {
    v.OpenArchive(path);
    if (!v.source().ArchiveOpen) {
      error = v.noSourceText();
      return false;
    }
  } else {
    // A fresh viewer is in card mode: the path is the drive scan's one candidate.
    v.drives = std::make_unique<OnePath>(path, access);
    if (!v.FindCard()) {
      error = v.noSourceText();
      return false;
    }
  }
  // The archive area is a view of the open card: the viewer's user chooses it
  // after the card has been found.
  if (ctx.args.Has("--archive-area") && !v.actions().Arhiv) {
    v.ActionFiltrChange(Viewer::Filter::Arhiv);
    v.ActionSelectAllExecute();
  }
  return true;
}

bool OpenAtIndex(Context& ctx, int& index) {
  std::string error;
  if (!OpenSource(ctx, ctx.args.positional[0], Access::ReadOnly, error)) {
    ctx.Fail(error);
    return false;
  }
  index = -1;
  if (!ctx.args.GetInt("--index", -1, index) || !ctx.viewer.source().ValidIndex(index)) {
    ctx.Fail("no catalogue entry " + ctx.args.Get("--index"));
    return false;
  }
  return true;
}

}  // namespace quovil::cli
