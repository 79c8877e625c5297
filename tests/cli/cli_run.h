// Running a shell command (the built quovil-cli) and collecting what it prints.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace cli_test {

// Standard output of cmd; *rc gets the exit code (-1 when it did not exit).
inline std::string RunShell(const std::string& cmd, int* rc = nullptr) {
  std::string text;
  if (rc) *rc = -1;
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return text;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) text.append(buf, n);
  const int status = pclose(pipe);
  if (rc) *rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return text;
}

}  // namespace cli_test
