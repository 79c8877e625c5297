// Internals of the synthetic recorder shared by its per-format writers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mkcard/mkcard.h"

namespace mkcard::detail {

// Small deterministic generator (splitmix64), identical on every platform.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {}
  uint32_t Next();
  int Below(int n) { return n <= 0 ? 0 : int(Next() % uint32_t(n)); }

 private:
  uint64_t state_;
};

// A card image that grows as the writers place data in it.
class Image {
 public:
  // Bytes [offset, offset + n), zero-filled when new.
  uint8_t* At(uint64_t offset, std::size_t n);
  void Fill(uint64_t offset, std::size_t n, uint8_t value);
  // Room for the final size, so that growing does not copy the image again and again.
  void Reserve(uint64_t n) { bytes_.reserve(n); }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

quovil::TimeStamp AddSeconds(const quovil::TimeStamp& t, int64_t seconds);

// One picture the recorder takes, in recording order.
struct Shot {
  int camera = 0;
  uint8_t kind = 0;     // kind bits of the FlagByte (no camera, no delta bit)
  quovil::TimeStamp time;
  int second = 0;       // seconds since the start
  int interval = 50;    // 10 ms units to this camera's next picture
  bool firstOfSecond = false;
  bool lastOfSecond = false;
};

std::vector<Shot> PlanShots(const Options& o, int count, const quovil::TimeStamp& start, bool longKinds);

// Moving grey scene of each camera: gradient, moving object, clock digits.
class Scene {
 public:
  Scene(int width, int height);
  // Draws the picture of `camera`'s frameNo-th frame, rows top to bottom.
  void Draw(int camera, int frameNo, const quovil::TimeStamp& time, uint8_t* out) const;

 private:
  void DrawClock(const quovil::TimeStamp& time, int camera, uint8_t* out) const;
  int w_, h_;
  std::vector<uint8_t> background_[2];
};

// Formats 0/1 keep the odd rows first, then the even rows.
void Interlace(const uint8_t* picture, int width, int height, uint8_t* stored);

// Tone whose pitch depends on the camera and the second; phase runs on per camera.
class ToneGenerator {
 public:
  std::vector<uint8_t> Samples(int camera, int second, int count);

 private:
  uint32_t phase_[2] = {0, 0};
};

// Sound block: 16-bit sample count, then the samples, zero-padded to `bytes`.
std::vector<uint8_t> SoundBlock(const std::vector<uint8_t>& samples, std::size_t bytes);

// Frame information of one second: sensor values and GPS sentences, and the
// stored block (whole sectors).
struct InfoBlock {
  std::vector<uint8_t> bytes;
  bool hasSensor = false;
  uint8_t status = 0;
  uint16_t uin = 0, uakb = 0;
  std::string gps, speed;
  bool position = false, speedValid = false, courseValid = false;
  double lat = 0, lon = 0, kmh = 0, course = 0;
};
// Whether the recorder writes an information block for this second, and on
// which of its records.
bool CarriesInfo(const Options& o, const Shot& shot);
InfoBlock MakeInfoBlock(const Options& o, const Shot& shot, uint32_t seed);

void WriteBootSector(Image& img, int format, uint32_t stateSector, bool badChecksum);
void WriteJournal(const Options& o, Image& img, Recorded& truth);

void MakeFormat0(const Options& o, Image& img, Recorded& truth);
void MakeFormat1(const Options& o, Image& img, Recorded& truth);
void MakeFormat2(const Options& o, Image& img, Recorded& truth);

// Fills a Frame's common fields from a shot and its picture/sound.
void FillFrame(Frame& f, const Shot& s, uint8_t flag);

}  // namespace mkcard::detail
