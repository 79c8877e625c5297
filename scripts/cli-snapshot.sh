#!/usr/bin/env bash
# Runs the command-line tool over every card image and archive of a folder and
# records what each command prints (stdout, stderr, exit code) and the digest
# of every file it writes, one file per call. Two snapshots taken before and
# after a change to the code behind the tool are compared with `diff -r`.
#   cli-snapshot.sh CLI SOURCES_DIR OUT_DIR
# The sources are read only; outputs go to a scratch folder inside OUT_DIR.
set -uo pipefail
cli=${1:?usage: cli-snapshot.sh CLI SOURCES_DIR OUT_DIR}
sources=${2:?usage: cli-snapshot.sh CLI SOURCES_DIR OUT_DIR}
out=${3:?usage: cli-snapshot.sh CLI SOURCES_DIR OUT_DIR}
mkdir -p "$out"
scratch=$(mktemp -d "$out/.scratch.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# call NAME ARGS...: one recorded call; files the call wrote into the scratch
# folder are digested and removed.
call() {
  local name=$1
  shift
  {
    echo "\$ quovil-cli $*"
    "$cli" "$@" 2>"$scratch/.err"
    echo "rc=$?"
    echo "stderr:"
    cat "$scratch/.err"
    for f in "$scratch"/*; do
      [[ -e $f ]] || continue
      echo "wrote $(basename "$f") $(md5sum <"$f" | cut -d' ' -f1)"
    done
  } 2>&1 | sed "s|$scratch/||g; s|$sources/||g; s|$(dirname "$scratch")/||g" >"$out/$name.txt"
  rm -f "$scratch"/* "$scratch/.err"
}

for src in "$sources"/*; do
  [[ -f $src ]] || continue
  s=$(basename "$src")
  count=$("$cli" info "$src" 2>/dev/null | python3 -c 'import json,sys; print(json.load(sys.stdin).get("entryCount", 0))' 2>/dev/null)
  [[ $count =~ ^[0-9]+$ ]] || count=0
  last=$((count > 0 ? count - 1 : 0))
  call "$s.info" info "$src"
  call "$s.info-second" info --second-copy "$src"
  call "$s.list" list "$src"
  call "$s.list-motion" list "$src" --kinds motion
  call "$s.list-none" list "$src" --kinds none
  call "$s.list-marked" list "$src" --marked
  call "$s.list-archive" list "$src" --archive-area
  for i in 0 1 5 $((count / 2)) $last; do
    call "$s.frame-$i" frame "$src" --index "$i" --out "$scratch/f.pgm"
    call "$s.frame-bc-$i" frame "$src" --index "$i" --brightness 150 --contrast 40 --out "$scratch/f.pgm"
    call "$s.frame-info-$i" frame-info "$src" --index "$i"
    call "$s.sound-$i" sound "$src" --index "$i" --out "$scratch/s.raw"
    call "$s.snapshot-$i" snapshot "$src" "$scratch/s.bmp" --index "$i"
  done
  call "$s.save-kif" save-kif "$src" "$scratch/a.kif"
  call "$s.save-kif-cam1" save-kif "$src" "$scratch/a.kif" --camera 1
  call "$s.save-kif-motion" save-kif "$src" "$scratch/a.kif" --kinds motion
  call "$s.export-avi" export-avi "$src" "$scratch/a.avi"
  call "$s.export-avi-cam2" export-avi "$src" "$scratch/a.avi" --camera 2
  call "$s.journal" journal "$src"
  call "$s.journal-save" journal "$src" --save "$scratch/j.klf"
  call "$s.gpx" gpx "$src" "$scratch/r.gpx"
  # The archive saved from the source, read back through the same commands.
  "$cli" save-kif "$src" "$scratch/../$s.kif" >/dev/null 2>&1
  if [[ -f "$scratch/../$s.kif" ]]; then
    kif="$scratch/../$s.kif"
    call "$s.kif.info" info "$kif"
    call "$s.kif.list" list "$kif"
    call "$s.kif.frame-1" frame "$kif" --index 1 --out "$scratch/f.pgm"
    call "$s.kif.export-avi" export-avi "$kif" "$scratch/a.avi"
    rm -f "$kif"
  fi
done
