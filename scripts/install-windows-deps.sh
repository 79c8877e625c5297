#!/usr/bin/env bash
# Installs what the Windows cross-build and its Wine test run need, when missing:
# the mingw-w64 compilers (POSIX threads), Wine, and the GoogleTest sources that
# are built with the cross compilers. The header-only libraries the core and
# the tests include come from the ordinary dependencies.
set -euo pipefail

PACKAGES=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix
  wine64
  googletest
  libsimpleini-dev nlohmann-json3-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
