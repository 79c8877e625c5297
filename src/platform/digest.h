// SHA-256 and MD5 over data that arrives in pieces: the card image, the
// export files read back, the regions of a card that identify it. The system's
// own implementations do the work (OpenSSL's libcrypto on Linux, which uses
// the processor's SHA instructions; the Cryptography API: Next Generation on
// Windows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quovil {

enum class DigestKind { Sha256, Md5 };

class Digest {
 public:
  explicit Digest(DigestKind kind);
  ~Digest();
  Digest(const Digest&) = delete;
  Digest& operator=(const Digest&) = delete;
  Digest(Digest&&) noexcept;
  Digest& operator=(Digest&&) noexcept;

  void Update(const void* data, std::size_t n);
  // The digest in lower-case hexadecimal; the object starts afresh after it.
  std::string FinishHex();
  // False when the system refused to set the algorithm up (then every digest
  // comes out empty).
  bool Ready() const;

 private:
  struct State;
  DigestKind kind_;
  std::unique_ptr<State> state_;
};

// The digest of one block of bytes, hexadecimal.
std::string DigestHex(DigestKind kind, const void* data, std::size_t n);

// The SHA-256 of a whole file read in large blocks; empty with error set when
// it cannot be read.
std::string Sha256OfFile(const std::string& path, std::string& error);

}  // namespace quovil
