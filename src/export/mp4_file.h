// An MP4 file of H.264 video (grey pictures in the video range) and, when asked
// for, AAC mono sound, written through the FFmpeg libraries. Pictures carry
// their own times in milliseconds (variable frame rate); sound is appended
// as 8-bit unsigned samples and cut into whole encoder frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "decode/picture.h"

namespace quovil {

class Mp4File {
 public:
  Mp4File();
  ~Mp4File();
  Mp4File(const Mp4File&) = delete;
  Mp4File& operator=(const Mp4File&) = delete;

  // Creates path for pictures of width x height (both even); sampleRate 0:
  // no sound track. creationTime: ISO 8601 ("2024-06-15T12:00:00Z") or empty.
  // False with error set when the file or an encoder cannot be set up.
  bool Open(const std::string& path, int width, int height, int sampleRate, const std::string& creationTime,
            std::string& error);
  // The video encoder in use ("libx264", "libopenh264" or "mpeg4").
  const std::string& Encoder() const;
  // The picture shown from ptsMs on (milliseconds from the start, rising).
  bool AddPicture(const Picture8& grey, int64_t ptsMs);
  // Sound samples (8-bit unsigned, 128 silence) following the ones before.
  bool AddSamples(const uint8_t* samples, int count);
  // Flushes the encoders and writes the index; endMs: where the last picture
  // ends. False when anything failed on the way.
  bool Finish(int64_t endMs, std::string& error);
  // About the size the file would have if it were finished now: the bytes
  // written, the pictures still inside the encoder (each as large as those
  // that came out, or pictureGuess while none has) and the index still to
  // come. The split rule of the export looks at it.
  int64_t ExpectedBytes(int64_t pictureGuess) const;

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace quovil
