// The ".sha256" file beside an export, in the format `sha256sum -c` reads
// ("<hex>  <name>" with the name relative to the file's folder), and checking
// a file against it. Writing them is on by default; the window's settings
// and the command line's --no-checksum switch it for the whole program.
#pragma once

#include <string>

namespace quovil {

// Whether finished exports get their ".sha256" file (default: yes).
void SetExportChecksums(bool on);
bool ExportChecksums();

// path + ".sha256".
std::string Sha256SidecarName(const std::string& path);

// The sidecar's line for a file name and its digest, with sha256sum's escape
// for names holding a backslash or a line break.
std::string Sha256Line(const std::string& hex, const std::string& fileName);

// Writes path's ".sha256" (hex: the digest when already known, else the file
// is read back). False with error set when it could not be written; the
// sidecar then does not exist.
bool WriteSha256Sidecar(const std::string& path, std::string* error = nullptr, const std::string& hex = {});

// The end of every export: the sidecar when checksums are on. False only
// when it was wanted and could not be written.
bool SealExport(const std::string& path, std::string* error = nullptr);

struct SidecarCheck {
  bool ok = false;
  std::string expected;  // the digest the sidecar gives for the file (empty: none)
  std::string actual;    // the file's digest (empty: not readable)
  std::string problem;   // why it is not ok
};

// Checks path against path + ".sha256": the line naming the file (by its
// name without folder) must give the file's digest.
SidecarCheck VerifySha256Sidecar(const std::string& path);

}  // namespace quovil
