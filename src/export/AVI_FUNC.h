// A small AVI (RIFF "AVI ") writer: one video stream of uncompressed 8-bit
// DIB frames and optionally one PCM sound stream, chunks in the order they are
// written, an idx1 index at the end. Errors are returned, never thrown.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace quovil {

inline constexpr uint32_t kAviKeyFrame = 0x10;  // AVIIF_KEYFRAME, the flags of every write

// The stream header fields a caller sets; lengths are counted by the writer.
struct AviStreamHeader {
  char type[4] = {0, 0, 0, 0};  // "vids" or "auds"
  uint32_t handler = 0;
  uint32_t scale = 1;
  uint32_t rate = 1;
  uint32_t start = 0;
  uint32_t suggestedBufferSize = 0;
  uint32_t sampleSize = 0;  // bytes per sample for sound, 0 for video
  int16_t frame[4] = {0, 0, 0, 0};  // left, top, right, bottom
};

// The 1064-byte video format: BITMAPINFOHEADER (8 bits, no compression) and
// 256 grey colour entries.
std::vector<uint8_t> GreyDibFormat(int width, int height);
// The 16-byte PCM WAVEFORMAT of 8-bit mono sound.
std::vector<uint8_t> PcmU8MonoFormat(uint32_t sampleRate);

class AviFile {
 public:
  AviFile() = default;
  ~AviFile();  // releases (finishes) an open file
  AviFile(const AviFile&) = delete;
  AviFile& operator=(const AviFile&) = delete;

  // Creates (truncates) the file. microsPerFrame goes into the main header.
  bool Open(const std::string& path, uint32_t microsPerFrame);
  // A new stream; its number (0, 1) or -1 once data was written or on misuse.
  int CreateStream(const AviStreamHeader& header);
  bool SetFormat(int stream, const std::vector<uint8_t>& format);
  // One chunk of stream data ("00db" video, "01wb" sound); odd sizes padded.
  bool WriteSample(int stream, const uint8_t* data, uint32_t size, uint32_t flags);
  // Writes the index, patches the lengths and closes. False when any write failed.
  bool Release();
  bool IsOpen() const { return file_ != nullptr; }
  // Bytes of chunk data written so far (headers and pads not counted).
  uint64_t DataBytes() const { return dataBytes_; }

 private:
  struct Stream {
    AviStreamHeader header;
    std::vector<uint8_t> format;
    uint32_t chunks = 0;
    uint64_t bytes = 0;
    uint32_t maxChunk = 0;
  };
  struct IndexEntry {
    uint32_t id, flags, offset, size;
  };
  std::vector<uint8_t> Headers() const;
  bool BeginMovi();
  bool Put(const void* p, size_t n);

  FILE* file_ = nullptr;
  std::vector<char> fileBuffer_;
  uint32_t microsPerFrame_ = 0;
  std::vector<Stream> streams_;
  std::vector<IndexEntry> index_;
  bool moviStarted_ = false;
  bool failed_ = false;
  uint64_t moviStart_ = 0;  // file offset of the "movi" fourcc
  uint64_t offset_ = 0;     // current write offset
  uint64_t dataBytes_ = 0;
};

}  // namespace quovil
