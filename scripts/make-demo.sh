#!/usr/bin/env bash
# Makes the demo card images the viewer is started on by `make run`:
#   card0.img  format 0, pictures only, with an archive area
#   card1.img  format 1, a wrapped ring with sound
#   card2.img  format 2, both cameras, sound, sensors, GPS and the journal
# usage: scripts/make-demo.sh <build-dir> <demo-dir>
set -euo pipefail

build=${1:?usage: make-demo.sh <build-dir> <demo-dir>}
demo=${2:?usage: make-demo.sh <build-dir> <demo-dir>}
mkcard="$build/tools/mkcard/mkcard"
if [[ ! -x $mkcard ]]; then
  echo "make-demo: $mkcard not built" >&2
  exit 1
fi
mkdir -p "$demo"

# The images depend only on the program and these lines: skip the work when
# both are older than what is there already.
stamp="$demo/.made"
if [[ -f $stamp && $stamp -nt $mkcard && $stamp -nt ${BASH_SOURCE[0]} ]]; then
  exit 0
fi

"$mkcard" --format 0 --seed 100 --records 1500 --fps 4 --resolution 2 --archive 200 \
  --start '14.06.2024 08:15:00' --out "$demo/card0.img"
"$mkcard" --format 1 --seed 101 --records 1500 --fps 4 --resolution 2 --ring-wrapped \
  --start '20.06.2024 23:40:00' --out "$demo/card1.img"
"$mkcard" --format 2 --seed 102 --records 4000 --fps 6 --size 352x256 --group 32 \
  --ring-wrapped --journal --start '30.06.2024 23:52:00' --out "$demo/card2.img"
touch "$stamp"
