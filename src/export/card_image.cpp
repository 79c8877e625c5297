#include "export/card_image.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "card/korax.h"
#include "export/evidence_text.h"
#include "platform/checksum_file.h"
#include "platform/digest.h"
#include "platform/file_guard.h"
#include "platform/translate.h"
#include "platform/utf8_file.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace quovil {

namespace {

constexpr uint64_t kSector = 512;
// A block that cannot be read whole is read again in pieces of this size,
// and a piece that fails sector by sector.
constexpr std::size_t kPieceBytes = 65536;

// One worker that takes the blocks in turn: the SHA-256, the MD5 and the
// write each run on one, so that the next block is read meanwhile.
class Stage {
 public:
  explicit Stage(std::function<void(const uint8_t*, std::size_t)> work)
      : work_(std::move(work)), thread_([this] { Loop(); }) {}
  ~Stage() {
    {
      std::lock_guard<std::mutex> lock(m_);
      quit_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  void Post(const uint8_t* data, std::size_t n) {
    {
      std::lock_guard<std::mutex> lock(m_);
      data_ = data;
      n_ = n;
      ++posted_;
    }
    cv_.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [this] { return done_ == posted_; });
  }

 private:
  void Loop() {
    std::unique_lock<std::mutex> lock(m_);
    for (;;) {
      cv_.wait(lock, [this] { return quit_ || done_ != posted_; });
      if (done_ == posted_) return;  // quit with nothing left
      const uint8_t* data = data_;
      const std::size_t n = n_;
      lock.unlock();
      work_(data, n);
      lock.lock();
      ++done_;
      cv_.notify_all();
    }
  }

  std::function<void(const uint8_t*, std::size_t)> work_;
  std::mutex m_;
  std::condition_variable cv_;
  const uint8_t* data_ = nullptr;
  std::size_t n_ = 0;
  uint64_t posted_ = 0, done_ = 0;
  bool quit_ = false;
  std::thread thread_;
};

void AddBad(std::vector<SectorRange>& ranges, uint64_t sector) {
  if (!ranges.empty() && ranges.back().first + ranges.back().count == sector) {
    ++ranges.back().count;
  } else {
    ranges.push_back({sector, 1});
  }
}

// Reads n bytes at offset into buf; what cannot be read after a second try
// is zero and listed. False when the device has gone or the user cancelled.
bool ReadCarefully(BlockDevice& src, uint64_t offset, uint8_t* buf, std::size_t n, std::vector<SectorRange>& bad,
                   WorkProgress& progress) {
  if (src.Read(offset, buf, n)) return true;
  for (std::size_t at = 0; at < n; at += kPieceBytes) {
    if (!src.Present() || progress.Cancelled()) return false;
    const std::size_t piece = std::min(kPieceBytes, n - at);
    if (src.Read(offset + at, buf + at, piece)) continue;
    for (std::size_t s = 0; s < piece; s += kSector) {
      const std::size_t len = std::size_t(std::min<uint64_t>(kSector, piece - s));
      uint8_t* p = buf + at + s;
      if (src.Read(offset + at + s, p, len) || src.Read(offset + at + s, p, len)) continue;
      std::memset(p, 0, len);
      AddBad(bad, (offset + at + s) / kSector);
    }
  }
  return true;
}

bool SyncFile(std::FILE* f) {
  if (std::fflush(f) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(f)) == 0;
#else
  return fdatasync(fileno(f)) == 0;
#endif
}

std::string MapText(const std::vector<SectorRange>& bad) {
  std::string text = "# sectors of 512 bytes that could not be read, written as zeros: first count\n";
  for (const SectorRange& r : bad) text += Format("%llu %llu\n", (unsigned long long)r.first, (unsigned long long)r.count);
  return text;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ReportText(const CardImageResult& r, const DeviceIdentity& id, const std::string& image) {
  std::string bad = "[";
  for (std::size_t i = 0; i < r.badRanges.size(); ++i) {
    bad += Format("%s[%llu, %llu]", i ? ", " : "", (unsigned long long)r.badRanges[i].first,
                  (unsigned long long)r.badRanges[i].count);
  }
  bad += "]";
  return "{\n"
         "  \"image\": " + JsonQuote(FileNameOf(image)) + ",\n"
         "  \"device\": " + JsonQuote(id.device) + ",\n"
         "  \"vendor\": " + JsonQuote(id.vendor) + ",\n"
         "  \"model\": " + JsonQuote(id.model) + ",\n"
         "  \"serial\": " + JsonQuote(id.serial) + ",\n"
         "  \"bytes\": " + std::to_string(r.bytes) + ",\n"
         "  \"sectorBytes\": 512,\n"
         "  \"started\": " + JsonQuote(r.started) + ",\n"
         "  \"ended\": " + JsonQuote(r.ended) + ",\n"
         "  \"sha256\": " + JsonQuote(r.sha256) + ",\n"
         "  \"md5\": " + JsonQuote(r.md5) + ",\n"
         "  \"badRanges\": " + bad + "\n"
         "}\n";
}

CardImageResult Refuse(CardImageResult r, std::string message) {
  r.status = CardImageResult::Status::Refused;
  r.message = std::move(message);
  return r;
}

}  // namespace

std::string ImageMapName(const std::string& image) { return image + ".map"; }
std::string ImageReportName(const std::string& image) { return image + ".json"; }

CardImageResult WriteCardImage(BlockDevice& src, const std::string& path, const DeviceIdentity& identity,
                               WorkProgress& progress, const CardImageOptions& options) {
  CardImageResult r;
  const std::string temp = path + ".part";
  for (const std::string& name : {path, temp, Sha256SidecarName(path), ImageMapName(path), ImageReportName(path)}) {
    if (const OutputProblem p = CheckOutputTarget(name); p != OutputProblem::None)
      return Refuse(r, OutputProblemText(p));
  }
  const int64_t length = src.Length();
  if (length <= 0) return Refuse(r, Tr("Export", "Карта памяти отсутствует!"));
  const std::size_t block = std::max<std::size_t>(options.blockBytes / kSector, 1) * kSector;
  const uint64_t blocks = (uint64_t(length) + block - 1) / block;
  std::string error;
  std::FILE* out = CreateOutputFile(temp, error);
  if (!out) return Refuse(r, error);
  std::setvbuf(out, nullptr, _IONBF, 0);

  r.started = UtcNowText();
  progress.Begin(Tr("Export", "Сохранение образа карты"), Tr("Export", "Чтение карты памяти"), int(std::min<uint64_t>(blocks, INT32_MAX)));
  Digest sha(DigestKind::Sha256), md5(DigestKind::Md5);
  bool writeOk = true;
  {
    Stage hashSha([&](const uint8_t* p, std::size_t n) { sha.Update(p, n); });
    Stage hashMd5([&](const uint8_t* p, std::size_t n) { md5.Update(p, n); });
    Stage write([&](const uint8_t* p, std::size_t n) {
      if (writeOk) writeOk = std::fwrite(p, 1, n, out) == n;
    });
    std::vector<uint8_t> buffers[2] = {std::vector<uint8_t>(block), std::vector<uint8_t>(block)};
    bool posted = false;
    for (uint64_t k = 0; k < blocks; ++k) {
      const uint64_t offset = k * block;
      const std::size_t n = std::size_t(std::min<uint64_t>(block, uint64_t(length) - offset));
      uint8_t* buf = buffers[k % 2].data();
      const bool readOk = ReadCarefully(src, offset, buf, n, r.badRanges, progress);
      if (posted) {
        hashSha.Wait();
        hashMd5.Wait();
        write.Wait();
      }
      if (!readOk || progress.Cancelled() || !writeOk) {
        posted = false;
        r.status = !readOk && !progress.Cancelled() ? CardImageResult::Status::Failed
                   : writeOk                        ? CardImageResult::Status::Cancelled
                                                    : CardImageResult::Status::Failed;
        r.message = r.status == CardImageResult::Status::Cancelled ? Tr("Export", "Сохранение прервано пользователем!")
                    : writeOk ? Tr("Export", "Карта памяти отсутствует!") : Tr("Export", "Ошибка записи файла!");
        break;
      }
      hashSha.Post(buf, n);
      hashMd5.Post(buf, n);
      write.Post(buf, n);
      posted = true;
      r.bytes += n;
      progress.Step(int(std::min<uint64_t>(k + 1, INT32_MAX)));
    }
    if (posted) {
      hashSha.Wait();
      hashMd5.Wait();
      write.Wait();
      if (!writeOk) {
        r.status = CardImageResult::Status::Failed;
        r.message = Tr("Export", "Ошибка записи файла!");
      } else {
        r.status = CardImageResult::Status::Done;
      }
    } else if (blocks == 0) {
      r.status = CardImageResult::Status::Done;
    }
  }
  // The image reaches the disk before it takes its name.
  const bool closed = r.status == CardImageResult::Status::Done ? SyncFile(out) : true;
  const bool flushed = std::fclose(out) == 0 && closed;
  progress.End();
  if (r.status == CardImageResult::Status::Done && !flushed) {
    r.status = CardImageResult::Status::Failed;
    r.message = Tr("Export", "Ошибка записи файла!");
  }
  if (r.status != CardImageResult::Status::Done) {
    RemoveFileUtf8(temp);
    r.bytes = 0;
    return r;
  }
  std::error_code ec;
  std::filesystem::rename(PathFromUtf8(temp), PathFromUtf8(path), ec);
  if (ec) {
    RemoveFileUtf8(temp);
    r.status = CardImageResult::Status::Failed;
    r.message = path + ": " + ec.message();
    return r;
  }
  r.sha256 = sha.FinishHex();
  r.md5 = md5.FinishHex();
  r.ended = UtcNowText();
  // The digests are those of the bytes written: the image is not read again.
  if (!WriteSha256Sidecar(path, &error, r.sha256) || !WriteTextFile(ImageMapName(path), MapText(r.badRanges), error) ||
      !WriteTextFile(ImageReportName(path), ReportText(r, identity, path), error)) {
    r.status = CardImageResult::Status::Failed;
    r.message = error;
  }
  return r;
}

std::string ImageDoneText(const CardImageResult& r) {
  std::string text = Format(Tr("Export", "Образ карты сохранён: %llu байт.\rSHA-256: %s\rMD5: %s"),
                            static_cast<unsigned long long>(r.bytes), r.sha256.c_str(), r.md5.c_str());
  if (!r.badRanges.empty()) {
    uint64_t sectors = 0;
    for (const SectorRange& b : r.badRanges) sectors += b.count;
    text += Format(Tr("Export", "\rНе прочитано секторов: %llu (записаны нулями, список в файле .map)"),
                   static_cast<unsigned long long>(sectors));
  }
  return text;
}

}  // namespace quovil
