#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# Runs as root, or through sudo when started by another user. Packages named as
# arguments are installed instead of the build's own list.
set -euo pipefail

if [ $# -gt 0 ]; then
  PACKAGES=("$@")
else
PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libqt6svg6 libqt6sql6-sqlite
  libgl1-mesa-dev libxkbcommon-dev
  libsdl2-dev libsimpleini-dev nlohmann-json3-dev libcli11-dev
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev
  libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core
  ffmpeg imagemagick poppler-utils socat gpsbabel
  dbus-daemon python3-dbus python3-gi
  clang libclang-rt-14-dev
  librsvg2-bin
  desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl libglib2.0-bin
  man-db groff-base dpkg-dev file
)
fi

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
