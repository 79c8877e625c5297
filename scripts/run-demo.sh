#!/usr/bin/env bash
# Starts the viewer on the format-2 demo card: the card is the only drive the
# scan sees, so the viewer finds it on its first check, a second after start.
# usage: scripts/run-demo.sh <build-dir> <demo-dir>
set -euo pipefail

build=${1:?usage: run-demo.sh <build-dir> <demo-dir>}
demo=${2:?usage: run-demo.sh <build-dir> <demo-dir>}
viewer="$build/src/app/quovil"
card="$demo/card2.img"

if [[ ! -x $viewer ]]; then
  echo "run-demo: $viewer not built" >&2
  exit 1
fi
if [[ ! -f $card ]]; then
  echo "run-demo: $card missing (scripts/make-demo.sh makes it)" >&2
  exit 1
fi
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} && -z ${QT_QPA_PLATFORM:-} ]]; then
  echo "run-demo: no display to show the window on (set DISPLAY, or QT_QPA_PLATFORM=offscreen)" >&2
  exit 1
fi

export QUOVIL_DRIVES
QUOVIL_DRIVES=$(realpath "$card")
echo "run-demo: starting the viewer on $QUOVIL_DRIVES"
exec "$viewer"
