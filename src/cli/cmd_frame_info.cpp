// `frame-info SRC --index I`: the sensor and GPS state once the viewer has
// shown catalogue index I, starting from a fresh state.
#include "card/korax.h"
#include "cli/cli.h"

namespace quovil::cli {

namespace {

int FrameInfo(Context& ctx) {
  int index = -1;
  if (!OpenAtIndex(ctx, index)) return 1;
  Viewer& v = ctx.viewer;
  // Opening showed the first record already; the state asked for is that of
  // this record alone.
  v.ForgetFrameInfo();
  const int cam = v.source().CameraOf(index);
  if (cam >= 0) {
    Picture8 pic = v.bitmaps()[size_t(cam)];
    v.BuildPicture(index, pic);
  }
  const FrameInfoState& i = v.info();
  nlohmann::json labels = nlohmann::json::array();
  if (i.SensorIndex >= 0)
    for (const std::string& l : i.Labels) labels.push_back(l);
  ctx.out = {{"sensorIndex", i.SensorIndex}, {"gpsIndex", i.GpsIndex}, {"gps", i.GpsSentence},
             {"speed", i.GpsSpeedText},      {"labels", std::move(labels)}};
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"frame-info",
                    "sensor and GPS information shown with catalogue index I",
                    {"SRC"},
                    {{"--index", "catalogue index", false, true}},
                    false,
                    FrameInfo});

}  // namespace quovil::cli
