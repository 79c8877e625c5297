#include "platform/checksum_file.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/digest.h"
#include "platform/file_guard.h"
#include "platform/utf8_file.h"

namespace quovil {

namespace {

std::atomic<bool> checksumsOn{true};

// A backslash is a folder separator only on Windows.
std::string BaseName(const std::string& path) {
#ifdef _WIN32
  const std::size_t slash = path.find_last_of("/\\");
#else
  const std::size_t slash = path.find_last_of('/');
#endif
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// sha256sum's reading of an escaped name: "\\" and "\n" (and "\r").
std::string Unescape(const std::string& name) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 1 < name.size()) {
      const char c = name[++i];
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    } else {
      out += name[i];
    }
  }
  return out;
}

bool IsHex64(const std::string& s) {
  if (s.size() != 64) return false;
  for (char c : s) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

void SetExportChecksums(bool on) { checksumsOn = on; }
bool ExportChecksums() { return checksumsOn; }

std::string Sha256SidecarName(const std::string& path) { return path + ".sha256"; }

std::string Sha256Line(const std::string& hex, const std::string& fileName) {
  if (fileName.find_first_of("\\\n\r") == std::string::npos) return hex + "  " + fileName + "\n";
  std::string escaped;
  for (char c : fileName) {
    if (c == '\\') escaped += "\\\\";
    else if (c == '\n') escaped += "\\n";
    else if (c == '\r') escaped += "\\r";
    else escaped += c;
  }
  return "\\" + hex + "  " + escaped + "\n";
}

bool WriteSha256Sidecar(const std::string& path, std::string* error, const std::string& hex) {
  std::string why;
  const std::string digest = hex.empty() ? Sha256OfFile(path, why) : hex;
  const std::string sidecar = Sha256SidecarName(path);
  const std::string temp = sidecar + ".part";
  bool ok = !digest.empty();
  if (ok) {
    std::FILE* f = CreateOutputFile(temp, why);
    ok = f != nullptr;
    if (ok) {
      const std::string line = Sha256Line(digest, BaseName(path));
      ok = std::fwrite(line.data(), 1, line.size(), f) == line.size();
      ok = std::fclose(f) == 0 && ok;
      if (!ok) why = temp + ": " + std::strerror(errno ? errno : EIO);
    }
  }
  // The sidecar itself may not replace a file that is read from.
  if (ok && CheckOutputTarget(sidecar) != OutputProblem::None) {
    why = OutputProblemText(CheckOutputTarget(sidecar));
    ok = false;
  }
  if (ok) {
    std::error_code ec;
    std::filesystem::rename(PathFromUtf8(temp), PathFromUtf8(sidecar), ec);
    if (ec) {
      why = sidecar + ": " + ec.message();
      ok = false;
    }
  }
  if (!ok) {
    RemoveFileUtf8(temp);
    if (error) *error = why;
  }
  return ok;
}

bool SealExport(const std::string& path, std::string* error) {
  return !ExportChecksums() || WriteSha256Sidecar(path, error);
}

SidecarCheck VerifySha256Sidecar(const std::string& path) {
  SidecarCheck r;
  std::ifstream in(PathFromUtf8(Sha256SidecarName(path)), std::ios::binary);
  if (!in) {
    r.problem = "no " + Sha256SidecarName(path);
    return r;
  }
  const std::string name = BaseName(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const bool escaped = !line.empty() && line[0] == '\\';
    if (escaped) line.erase(0, 1);
    // "<hex>  <name>" (text mode) or "<hex> *<name>" (binary mode).
    if (line.size() < 67 || line[64] != ' ' || (line[65] != ' ' && line[65] != '*')) continue;
    const std::string hex = line.substr(0, 64);
    std::string named = line.substr(66);
    if (escaped) named = Unescape(named);
    if (!IsHex64(hex) || BaseName(named) != name) continue;
    r.expected = Lower(hex);
    break;
  }
  if (r.expected.empty()) {
    r.problem = "no line for " + name + " in " + Sha256SidecarName(path);
    return r;
  }
  std::string why;
  r.actual = Sha256OfFile(path, why);
  if (r.actual.empty()) {
    r.problem = why;
    return r;
  }
  r.ok = r.actual == r.expected;
  if (!r.ok) r.problem = "digest differs";
  return r;
}

}  // namespace quovil
