#include "export/evidence_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "platform/file_guard.h"
#include "platform/utf8_file.h"

namespace quovil {

std::string JsonQuote(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += char(c);
        }
    }
  }
  return out + "\"";
}

std::string UtcNowText() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
#ifdef _WIN32
  gmtime_s(&t, &now);
#else
  gmtime_r(&now, &t);
#endif
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &t);
  return buf;
}

bool WriteTextFile(const std::string& path, const std::string& text, std::string& error) {
  if (const OutputProblem p = CheckOutputTarget(path); p != OutputProblem::None) {
    error = OutputProblemText(p);
    return false;
  }
  const std::string temp = path + ".part";
  std::FILE* f = CreateOutputFile(temp, error);
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = std::fclose(f) == 0 && ok;
  std::error_code ec;
  if (ok) std::filesystem::rename(PathFromUtf8(temp), PathFromUtf8(path), ec);
  if (!ok || ec) {
    error = path + ": " + (ec ? ec.message() : std::string(std::strerror(errno ? errno : EIO)));
    RemoveFileUtf8(temp);
    return false;
  }
  return true;
}

}  // namespace quovil
