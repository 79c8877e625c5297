#!/usr/bin/env bash
# Installs what the Windows cross-build and its Wine test run need, when missing:
# the mingw-w64 compilers (POSIX threads), Wine, and the GoogleTest sources that
# are built with the cross compilers. The header-only libraries the core and
# the tests include come from the ordinary dependencies.
set -euo pipefail

exec bash "$(dirname "$0")/install-deps.sh" \
  cmake ninja-build \
  g++-mingw-w64-x86-64-posix \
  wine64 \
  googletest \
  libsimpleini-dev nlohmann-json3-dev
