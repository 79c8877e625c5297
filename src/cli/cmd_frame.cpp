// `frame SRC --index I [--brightness B] [--contrast C] --out FILE.pgm`: the
// picture the viewer builds for a catalogue index, as a binary PGM.
#include <cstdio>
#include <memory>

#include "card/korax.h"
#include "cli/cli.h"
#include "platform/file_guard.h"

namespace quovil::cli {

namespace {

bool WritePgm(const Picture8& pic, const std::string& path, std::string& error) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(CreateOutputFile(path, error), std::fclose);
  if (!f) return false;
  error = "cannot write " + path;
  const std::string header = Format("P5\n%d %d\n255\n", pic.width, pic.height);
  bool ok = std::fwrite(header.data(), 1, header.size(), f.get()) == header.size();
  for (int y = 0; ok && y < pic.height; ++y)
    ok = std::fwrite(pic.Row(y), 1, size_t(pic.width), f.get()) == size_t(pic.width);
  return std::fclose(f.release()) == 0 && ok;
}

// A bar position option, 0..200 with the bars' centre as default.
bool BarOption(const Context& ctx, const std::string& name, int& value) {
  return ctx.args.GetInt(name, 100, value) && value >= 0 && value <= 200;
}

int Frame(Context& ctx) {
  int index = -1, brightness = 100, contrast = 100;
  if (!OpenAtIndex(ctx, index)) return 1;
  Viewer& v = ctx.viewer;
  if (!BarOption(ctx, "--brightness", brightness) || !BarOption(ctx, "--contrast", contrast))
    return ctx.Fail("brightness and contrast are bar positions 0..200");
  const int cam = v.source().CameraOf(index);
  if (cam < 0) return ctx.Fail(Format("entry %d belongs to no camera", index));

  auto settings = v.cameraSettings();
  settings[size_t(cam)].Brightness = brightness;
  settings[size_t(cam)].Contrast = contrast;
  v.SetCameraSettings(settings);
  Picture8 pic = v.bitmaps()[size_t(cam)];
  v.BuildPicture(index, pic);  // false also when only its frame information failed
  int slot = -1, pos = -1;
  if (!FindInCache(v.source(), v.cache(), index, &slot, &pos))
    return ctx.Fail(Format("the frame of entry %d cannot be decoded", index));
  std::string error;
  if (!WritePgm(pic, ctx.args.Get("--out"), error)) return ctx.Fail(error);
  ctx.out = {{"index", index}, {"camera", cam + 1}, {"slot", slot}, {"position", pos}};
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"frame",
                    "the picture of catalogue index I as a PGM file",
                    {"SRC"},
                    {{"--index", "catalogue index", false, true},
                     {"--brightness", "brightness bar position 0..200 (default 100)", false, false},
                     {"--contrast", "contrast bar position 0..200 (default 100)", false, false},
                     {"--out", "PGM file to write", false, true}},
                    false,
                    Frame});

}  // namespace quovil::cli
