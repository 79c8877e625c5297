#include "shell.h"

#include <cstdio>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace quovil::test {

std::string Shell(const std::string& cmd, int* rc) {
  std::string text;
  if (rc) *rc = -1;
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return text;
  char buf[65536];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) text.append(buf, n);
  const int status = pclose(pipe);
#ifdef _WIN32
  if (rc) *rc = status;  // the exit code itself there
#else
  if (rc) *rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return text;
}

}  // namespace quovil::test
