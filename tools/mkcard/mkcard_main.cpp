// mkcard: writes a synthetic card image of the recorder.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mkcard/mkcard.h"

namespace {

const char kUsage[] =
    "usage: mkcard --format N --seed S --records R [--out PATH] [options]\n"
    "  --one-camera C         only camera C (0 or 1) records\n"
    "  --fps F                records per second (all cameras)\n"
    "  --start 'DD.MM.YYYY HH:MM:SS'\n"
    "  --kind K               every record of kind bits K (default: all kinds in turn)\n"
    "  --resolution I         formats 0/1: resolution row 0..2\n"
    "  --size WxH             format 2 picture size\n"
    "  --no-sound  --rate HZ  --stored-sound-bytes N (format 1 table value)\n"
    "  --group N  --long-groups     format 2 groups\n"
    "  --no-gps  --no-sensors       format 2 frame information\n"
    "  --info-gap-every N  --bad-checksum-every N  --invalid-fix-every N  --late-info\n"
    "  --gps-clock-offset S     GPS time = record time + S seconds (may be negative)\n"
    "  --main-wrapped  --archive N  format 0 rings\n"
    "  --ring-wrapped  --slots N    format 1 ring\n"
    "  --ring-wrapped  --ring-capacity N  --ring-head N  --scanless-wrap   format 2 ring\n"
    "  --bad-first-copy  --bad-both-copies  --different-copies  --table-version V  --bad-boot-checksum\n"
    "  --journal  --journal-wrapped  --journal-capacity N   format 2 journal\n";

bool ParseStart(const char* text, quovil::TimeStamp& t) {
  int d, mo, y, h, mi, s;
  if (std::sscanf(text, "%d.%d.%d %d:%d:%d", &d, &mo, &y, &h, &mi, &s) != 6) return false;
  if (d < 1 || d > 31 || mo < 1 || mo > 12 || y < 2000 || y > 2255 || h > 23 || mi > 59 || s > 59) return false;
  t = {uint8_t(d), uint8_t(mo), uint8_t(y - 2000), uint8_t(h), uint8_t(mi), uint8_t(s)};
  return true;
}

// Applies one option; returns false on an unknown option or a bad value.
bool Apply(mkcard::Options& o, std::string& out, const std::string& name, const char* value, bool& usedValue) {
  usedValue = false;
  const auto flag = [&](const char* n, bool& field) {
    if (name != n) return false;
    field = true;
    return true;
  };
  bool noSound = false, noGps = false, noSensors = false;
  if (flag("--long-groups", o.longGroups) || flag("--main-wrapped", o.mainWrapped) ||
      flag("--ring-wrapped", o.ringWrapped) || flag("--scanless-wrap", o.scanlessWrap) ||
      flag("--bad-first-copy", o.badFirstCopy) || flag("--bad-both-copies", o.badBothCopies) ||
      flag("--different-copies", o.differentCopies) || flag("--bad-boot-checksum", o.badBootChecksum) ||
      flag("--journal", o.journal) || flag("--journal-wrapped", o.journalWrapped) || flag("--late-info", o.lateInfo))
    return true;
  if (flag("--no-sound", noSound)) return o.sound = false, true;
  if (flag("--no-gps", noGps)) return o.gps = false, true;
  if (flag("--no-sensors", noSensors)) return o.sensors = false, true;
  if (!value) return false;
  usedValue = true;
  char* end = nullptr;
  const long v = std::strtol(value, &end, 0);
  const bool number = end && *end == '\0' && end != value;
  if (name == "--out") return out = value, true;
  if (name == "--start") return ParseStart(value, o.start);
  if (name == "--size") return std::sscanf(value, "%dx%d", &o.width, &o.height) == 2;
  if (!number) return false;
  if (name == "--format") return o.format = int(v), v >= 0 && v <= 2;
  if (name == "--seed") return o.seed = uint32_t(v), true;
  if (name == "--records") return o.records = int(v), v >= 0;
  if (name == "--one-camera") return o.bothCameras = false, o.camera = int(v) & 1, true;
  if (name == "--fps") return o.framesPerSecond = int(v), v > 0;
  if (name == "--kind") return o.allKinds = false, o.kind = uint8_t(v), true;
  if (name == "--resolution") return o.resolutionIndex = int(v), true;
  if (name == "--rate") return o.sampleRate = int(v), v > 0 && v < 65536;
  if (name == "--stored-sound-bytes") return o.storedSoundBytes = uint32_t(v), true;
  if (name == "--group") return o.groupLength = int(v), v > 0;
  if (name == "--archive") return o.archiveRecords = int(v), v >= 0;
  if (name == "--slots") return o.slotCount = int(v), v >= 0;
  if (name == "--ring-capacity") return o.ringCapacity = int(v), v >= 0;
  if (name == "--ring-head") return o.ringHead = int(v), true;
  if (name == "--table-version") return o.tableVersion = int(v), true;
  if (name == "--info-gap-every") return o.infoGapEvery = int(v), v >= 0;
  if (name == "--bad-checksum-every") return o.badChecksumEvery = int(v), v >= 0;
  if (name == "--invalid-fix-every") return o.invalidFixEvery = int(v), v >= 0;
  if (name == "--gps-clock-offset") return o.gpsClockOffset = int(v), v > -86400 * 366 && v < 86400 * 366;
  if (name == "--journal-capacity") return o.journalCapacity = int(v), v > 0;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  mkcard::Options o;
  std::string out = "card.img";
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    bool usedValue = false;
    if (!Apply(o, out, name, i + 1 < argc ? argv[i + 1] : nullptr, usedValue)) {
      std::fprintf(stderr, "mkcard: bad option %s\n%s", name.c_str(), kUsage);
      return 2;
    }
    if (usedValue) ++i;
  }
  const mkcard::Recorded r = mkcard::WriteCard(o, out);
  if (r.format < 0) {
    std::fprintf(stderr, "mkcard: cannot write %s\n", out.c_str());
    return 1;
  }
  std::printf("%s: format %d, %d entries, %dx%d, sound %d bytes at %d Hz\n", out.c_str(), r.format, r.entryCount,
              r.width, r.height, r.soundBytes, r.sampleRate);
  return 0;
}
