// The digests through the platform's cryptography library.
#include "platform/digest.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/utf8_file.h"

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#else
#include <openssl/evp.h>
#endif

namespace quovil {

namespace {

std::string Hex(const unsigned char* bytes, std::size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string out(n * 2, '0');
  for (std::size_t i = 0; i < n; ++i) {
    out[2 * i] = digits[bytes[i] >> 4];
    out[2 * i + 1] = digits[bytes[i] & 15];
  }
  return out;
}

}  // namespace

#ifdef _WIN32

struct Digest::State {
  BCRYPT_ALG_HANDLE alg = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  DWORD length = 0;

  explicit State(DigestKind kind) {
    const wchar_t* name = kind == DigestKind::Sha256 ? BCRYPT_SHA256_ALGORITHM : BCRYPT_MD5_ALGORITHM;
    if (BCryptOpenAlgorithmProvider(&alg, name, nullptr, 0) != 0) {
      alg = nullptr;
      return;
    }
    DWORD got = 0;
    if (BCryptGetProperty(alg, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&length), sizeof length, &got, 0) != 0)
      length = 0;
    Start();
  }
  ~State() {
    if (hash) BCryptDestroyHash(hash);
    if (alg) BCryptCloseAlgorithmProvider(alg, 0);
  }
  void Start() {
    if (hash) BCryptDestroyHash(hash);
    hash = nullptr;
    if (alg && BCryptCreateHash(alg, &hash, nullptr, 0, nullptr, 0, 0) != 0) hash = nullptr;
  }
  bool Ready() const { return hash != nullptr && length > 0 && length <= 64; }
  void Update(const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (Ready() && n > 0) {
      const ULONG chunk = n > 0x40000000 ? 0x40000000 : ULONG(n);
      BCryptHashData(hash, const_cast<PUCHAR>(p), chunk, 0);
      p += chunk;
      n -= chunk;
    }
  }
  std::string Finish() {
    unsigned char out[64];
    std::string hex;
    if (Ready() && BCryptFinishHash(hash, out, length, 0) == 0) hex = Hex(out, length);
    Start();
    return hex;
  }
};

#else

struct Digest::State {
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  const EVP_MD* md;
  bool ok = false;

  explicit State(DigestKind kind) : md(kind == DigestKind::Sha256 ? EVP_sha256() : EVP_md5()) { Start(); }
  ~State() { EVP_MD_CTX_free(ctx); }
  void Start() { ok = ctx && md && EVP_DigestInit_ex(ctx, md, nullptr) == 1; }
  bool Ready() const { return ok; }
  void Update(const void* data, std::size_t n) {
    if (ok && n > 0) ok = EVP_DigestUpdate(ctx, data, n) == 1;
  }
  std::string Finish() {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    std::string hex;
    if (ok && EVP_DigestFinal_ex(ctx, out, &length) == 1) hex = Hex(out, length);
    Start();
    return hex;
  }
};

#endif

Digest::Digest(DigestKind kind) : kind_(kind), state_(std::make_unique<State>(kind)) {}
Digest::~Digest() = default;
Digest::Digest(Digest&&) noexcept = default;
Digest& Digest::operator=(Digest&&) noexcept = default;

void Digest::Update(const void* data, std::size_t n) { state_->Update(data, n); }
std::string Digest::FinishHex() { return state_->Finish(); }
bool Digest::Ready() const { return state_->Ready(); }

std::string DigestHex(DigestKind kind, const void* data, std::size_t n) {
  Digest d(kind);
  d.Update(data, n);
  return d.FinishHex();
}

std::string Sha256OfFile(const std::string& path, std::string& error) {
  errno = 0;
  std::FILE* f = OpenFileUtf8(path, "rb");
  if (!f) {
    error = path + ": " + std::strerror(errno ? errno : ENOENT);
    return {};
  }
  std::setvbuf(f, nullptr, _IONBF, 0);
  Digest d(DigestKind::Sha256);
  std::vector<unsigned char> block(std::size_t(4) << 20);
  std::size_t got = 0;
  while ((got = std::fread(block.data(), 1, block.size(), f)) > 0) d.Update(block.data(), got);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    error = path + ": " + std::strerror(EIO);
    return {};
  }
  std::string hex = d.FinishHex();
  if (hex.empty()) error = "SHA-256 unavailable";
  return hex;
}

}  // namespace quovil
