#include "export/mp4_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <map>
#include <vector>

namespace quovil {

namespace {

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// The sample rate closest to want that the encoder takes (0: any).
int NearestRate(const AVCodec* codec, int want) {
  if (!codec->supported_samplerates) return want;
  int best = codec->supported_samplerates[0];
  for (const int* r = codec->supported_samplerates; *r; ++r)
    if (std::abs(*r - want) < std::abs(best - want)) best = *r;
  return best;
}

}  // namespace

struct Mp4File::State {
  AVFormatContext* oc = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  AVStream* videoStream = nullptr;
  AVStream* audioStream = nullptr;
  AVFrame* picture = nullptr;
  AVFrame* sound = nullptr;
  AVPacket* packet = nullptr;
  SwrContext* swr = nullptr;
  AVAudioFifo* fifo = nullptr;
  std::string encoder;
  bool headerWritten = false;
  bool failed = false;
  // The picture waiting for its duration: it is encoded once the next one
  // (or the end) says how long it lasts.
  bool pending = false;
  int64_t pendingPts = 0;
  std::map<int64_t, int64_t> durations;  // pts -> duration, of pictures sent
  int64_t lastPts = -1;
  int64_t samplesOut = 0;
  // What the size estimate needs: pictures given to the encoder, and the
  // packets (and their bytes) that came back.
  int64_t picturesSent = 0, videoPackets = 0, videoBytes = 0, soundPackets = 0;
  // Grey 0..255 to the video range 16..235.
  std::array<uint8_t, 256> luma{};

  ~State() {
    av_audio_fifo_free(fifo);
    swr_free(&swr);
    av_packet_free(&packet);
    av_frame_free(&sound);
    av_frame_free(&picture);
    avcodec_free_context(&audio);
    avcodec_free_context(&video);
    if (oc) {
      if (oc->pb) avio_closep(&oc->pb);
      avformat_free_context(oc);
    }
  }

  bool Drain(AVCodecContext* c, AVStream* st, bool isVideo) {
    for (;;) {
      const int rc = avcodec_receive_packet(c, packet);
      if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
      if (rc < 0) return false;
      if (isVideo) {
        const auto it = durations.find(packet->pts);
        if (it != durations.end()) {
          packet->duration = it->second;
          durations.erase(it);
        }
        ++videoPackets;
        videoBytes += packet->size;
      } else {
        ++soundPackets;
      }
      av_packet_rescale_ts(packet, c->time_base, st->time_base);
      packet->stream_index = st->index;
      const int w = av_interleaved_write_frame(oc, packet);
      av_packet_unref(packet);
      if (w < 0) return false;
    }
  }

  bool EncodePicture(int64_t duration) {
    picture->pts = pendingPts;
    durations[pendingPts] = std::max<int64_t>(duration, 1);
    pending = false;
    ++picturesSent;
    return avcodec_send_frame(video, picture) >= 0 && Drain(video, videoStream, true);
  }

  bool EncodeSound(int count) {
    if (av_frame_make_writable(sound) < 0) return false;
    sound->nb_samples = count;
    if (av_audio_fifo_read(fifo, reinterpret_cast<void**>(sound->data), count) < count) return false;
    sound->pts = samplesOut;
    samplesOut += count;
    return avcodec_send_frame(audio, sound) >= 0 && Drain(audio, audioStream, false);
  }
};

Mp4File::Mp4File() : s_(std::make_unique<State>()) {}
Mp4File::~Mp4File() = default;

const std::string& Mp4File::Encoder() const { return s_->encoder; }

int64_t Mp4File::ExpectedBytes(int64_t pictureGuess) const {
  const State& s = *s_;
  if (!s.oc || !s.oc->pb) return 0;
  // The pictures still inside the encoder come out about as large as those
  // before them; the index at the end takes some bytes per packet (size, time,
  // chunk offset) besides its boxes.
  const int64_t held = s.picturesSent - s.videoPackets + (s.pending ? 1 : 0);
  const int64_t average = s.videoPackets > 0 ? s.videoBytes / s.videoPackets : pictureGuess;
  constexpr int64_t kIndexBytesPerPacket = 24, kIndexBoxes = 4096;
  return avio_tell(s.oc->pb) + std::max<int64_t>(held, 0) * average +
         (s.videoPackets + s.soundPackets + std::max<int64_t>(held, 0)) * kIndexBytesPerPacket + kIndexBoxes;
}

bool Mp4File::Open(const std::string& path, int width, int height, int sampleRate, const std::string& creationTime,
                   std::string& error) {
  State& s = *s_;
  if (width <= 0 || height <= 0 || width % 2 || height % 2) {
    error = "picture size must be even";
    return false;
  }
  // The libraries speak only of errors; the export reports its own.
  av_log_set_level(AV_LOG_ERROR);
  // The name also serves the second pass that moves the index to the front.
  int rc = avformat_alloc_output_context2(&s.oc, nullptr, "mp4", path.c_str());
  if (rc < 0 || !s.oc) {
    error = "mp4 output: " + AvError(rc);
    return false;
  }
  const AVCodec* codec = nullptr;
  for (const char* name : {"libx264", "libopenh264"}) {
    if ((codec = avcodec_find_encoder_by_name(name))) break;
  }
  if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (!codec) {
    error = "no video encoder";
    return false;
  }
  s.encoder = codec->name;
  s.video = avcodec_alloc_context3(codec);
  s.videoStream = avformat_new_stream(s.oc, nullptr);
  if (!s.video || !s.videoStream) {
    error = "out of memory";
    return false;
  }
  AVCodecContext* v = s.video;
  v->width = width;
  v->height = height;
  v->pix_fmt = AV_PIX_FMT_YUV420P;
  v->time_base = AVRational{1, 1000};
  v->framerate = AVRational{0, 1};  // variable: every picture has its own time
  v->max_b_frames = 0;
  v->gop_size = 250;
  // Grey levels scaled to the video range, tagged as such: every player shows
  // black as black and white as white.
  v->color_range = AVCOL_RANGE_MPEG;
  v->colorspace = AVCOL_SPC_BT709;
  v->color_primaries = AVCOL_PRI_BT709;
  v->color_trc = AVCOL_TRC_BT709;
  if (s.oc->oformat->flags & AVFMT_GLOBALHEADER) v->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  AVDictionary* opts = nullptr;
  if (s.encoder == "libx264") {
    av_dict_set(&opts, "preset", "veryfast", 0);
    av_dict_set(&opts, "crf", "23", 0);
  } else if (s.encoder == "mpeg4") {
    v->flags |= AV_CODEC_FLAG_QSCALE;
    v->global_quality = FF_QP2LAMBDA * 3;
  } else {
    v->bit_rate = int64_t(width) * height * 3;
  }
  rc = avcodec_open2(v, codec, &opts);
  av_dict_free(&opts);
  if (rc < 0) {
    error = "video encoder " + s.encoder + ": " + AvError(rc);
    return false;
  }
  avcodec_parameters_from_context(s.videoStream->codecpar, v);
  s.videoStream->time_base = v->time_base;

  if (sampleRate > 0) {
    const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!aac) {
      error = "no AAC encoder";
      return false;
    }
    s.audio = avcodec_alloc_context3(aac);
    s.audioStream = avformat_new_stream(s.oc, nullptr);
    if (!s.audio || !s.audioStream) {
      error = "out of memory";
      return false;
    }
    AVCodecContext* a = s.audio;
    a->sample_fmt = AV_SAMPLE_FMT_FLTP;
    a->sample_rate = NearestRate(aac, sampleRate);
    av_channel_layout_default(&a->ch_layout, 1);
    a->bit_rate = 48000;
    a->time_base = AVRational{1, a->sample_rate};
    if (s.oc->oformat->flags & AVFMT_GLOBALHEADER) a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    rc = avcodec_open2(a, aac, nullptr);
    if (rc < 0) {
      error = "AAC encoder: " + AvError(rc);
      return false;
    }
    avcodec_parameters_from_context(s.audioStream->codecpar, a);
    s.audioStream->time_base = a->time_base;
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    if (swr_alloc_set_opts2(&s.swr, &a->ch_layout, AV_SAMPLE_FMT_FLTP, a->sample_rate, &mono, AV_SAMPLE_FMT_U8,
                            sampleRate, 0, nullptr) < 0 ||
        swr_init(s.swr) < 0) {
      error = "sound conversion could not be set up";
      return false;
    }
    s.fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 1, 4 * std::max(1, a->frame_size));
    s.sound = av_frame_alloc();
    if (!s.fifo || !s.sound) {
      error = "out of memory";
      return false;
    }
    s.sound->format = AV_SAMPLE_FMT_FLTP;
    s.sound->sample_rate = a->sample_rate;
    av_channel_layout_copy(&s.sound->ch_layout, &a->ch_layout);
    s.sound->nb_samples = a->frame_size > 0 ? a->frame_size : 1024;
    if (av_frame_get_buffer(s.sound, 0) < 0) {
      error = "out of memory";
      return false;
    }
  }

  s.picture = av_frame_alloc();
  s.packet = av_packet_alloc();
  if (!s.picture || !s.packet) {
    error = "out of memory";
    return false;
  }
  s.picture->format = AV_PIX_FMT_YUV420P;
  s.picture->width = width;
  s.picture->height = height;
  s.picture->color_range = AVCOL_RANGE_MPEG;
  if (av_frame_get_buffer(s.picture, 0) < 0) {
    error = "out of memory";
    return false;
  }
  for (int i = 0; i < 256; ++i) s.luma[size_t(i)] = uint8_t(16 + (i * 219 + 127) / 255);

  if (!creationTime.empty()) av_dict_set(&s.oc->metadata, "creation_time", creationTime.c_str(), 0);
  rc = avio_open(&s.oc->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (rc < 0) {
    error = "cannot create " + path + ": " + AvError(rc);
    return false;
  }
  AVDictionary* mux = nullptr;
  av_dict_set(&mux, "movflags", "+faststart", 0);
  rc = avformat_write_header(s.oc, &mux);
  av_dict_free(&mux);
  if (rc < 0) {
    error = "mp4 header: " + AvError(rc);
    return false;
  }
  s.headerWritten = true;
  return true;
}

bool Mp4File::AddPicture(const Picture8& grey, int64_t ptsMs) {
  State& s = *s_;
  if (s.failed || !s.headerWritten) return false;
  // Times rise by at least a millisecond.
  if (ptsMs <= s.lastPts) ptsMs = s.lastPts + 1;
  if (s.pending && !s.EncodePicture(ptsMs - s.pendingPts)) return !(s.failed = true);
  if (av_frame_make_writable(s.picture) < 0) return !(s.failed = true);
  AVFrame* f = s.picture;
  const int w = f->width, h = f->height;
  for (int y = 0; y < h; ++y) {
    uint8_t* out = f->data[0] + size_t(y) * size_t(f->linesize[0]);
    if (y < grey.height && grey.width > 0) {
      const uint8_t* in = grey.Row(y);
      const int n = std::min(w, grey.width);
      for (int x = 0; x < n; ++x) out[x] = s.luma[in[x]];
      if (n < w) std::memset(out + n, 16, size_t(w - n));
    } else {
      std::memset(out, 16, size_t(w));
    }
  }
  for (int plane = 1; plane < 3; ++plane)
    for (int y = 0; y < h / 2; ++y) std::memset(f->data[plane] + size_t(y) * size_t(f->linesize[plane]), 128, size_t(w / 2));
  s.pending = true;
  s.pendingPts = ptsMs;
  s.lastPts = ptsMs;
  return true;
}

bool Mp4File::AddSamples(const uint8_t* samples, int count) {
  State& s = *s_;
  if (!s.audio) return true;
  if (s.failed || count < 0) return false;
  if (count == 0) return true;
  const int room = swr_get_out_samples(s.swr, count);
  if (room < 0) return !(s.failed = true);
  std::vector<float> converted(size_t(room) + 16);
  uint8_t* out = reinterpret_cast<uint8_t*>(converted.data());
  const uint8_t* in = samples;
  const int got = swr_convert(s.swr, &out, room + 16, &in, count);
  if (got < 0) return !(s.failed = true);
  void* planes[1] = {converted.data()};
  if (av_audio_fifo_write(s.fifo, planes, got) < got) return !(s.failed = true);
  const int frame = s.sound->nb_samples;
  while (av_audio_fifo_size(s.fifo) >= frame)
    if (!s.EncodeSound(frame)) return !(s.failed = true);
  return true;
}

bool Mp4File::Finish(int64_t endMs, std::string& error) {
  State& s = *s_;
  if (!s.headerWritten) {
    error = "not open";
    return false;
  }
  bool ok = !s.failed;
  if (ok && s.pending) ok = s.EncodePicture(std::max<int64_t>(endMs - s.pendingPts, 1));
  if (ok) ok = avcodec_send_frame(s.video, nullptr) >= 0 && s.Drain(s.video, s.videoStream, true);
  if (ok && s.audio) {
    // What the converter still holds, then the last, shorter frame.
    std::vector<float> rest(4096);
    uint8_t* out = reinterpret_cast<uint8_t*>(rest.data());
    const int got = swr_convert(s.swr, &out, int(rest.size()), nullptr, 0);
    void* planes[1] = {rest.data()};
    if (got > 0) av_audio_fifo_write(s.fifo, planes, got);
    const int frame = s.sound->nb_samples;
    while (ok && av_audio_fifo_size(s.fifo) > 0) ok = s.EncodeSound(std::min(frame, av_audio_fifo_size(s.fifo)));
    if (ok) ok = avcodec_send_frame(s.audio, nullptr) >= 0 && s.Drain(s.audio, s.audioStream, false);
  }
  const int rc = av_write_trailer(s.oc);
  if (rc < 0) ok = false;
  if (avio_closep(&s.oc->pb) < 0) ok = false;
  s.headerWritten = false;
  if (!ok) error = "the MP4 file could not be written";
  return ok;
}

}  // namespace quovil
