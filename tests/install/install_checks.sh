#!/usr/bin/env bash
# The installation as a desktop sees it, checked with the desktop's own tools.
#
#   install_checks.sh stage        BUILD STAGE   install BUILD into STAGE (prefix /usr): exactly the files below
#   install_checks.sh desktop      BUILD STAGE   the menu entry: valid, its icon, program and file types installed
#   install_checks.sh appstream    BUILD STAGE   the metadata: valid, naming the entry, the types and the version
#   install_checks.sh mime         BUILD STAGE   ".kif" found by name and by header, ".klf" by name
#   install_checks.sh man          BUILD STAGE   the manual page renders without a warning, names every command
#   install_checks.sh settings     BUILD STAGE   the installed viewer writes its settings in ~/.config/quovil
#   install_checks.sh package      BUILD STAGE   the Debian package of BUILD: its files, fields and dependencies
#   install_checks.sh package-file DEB           the same checks on a package built elsewhere (`make package`)
#
# Environment: MKCARD, the card maker (for the mime check).
# Exit code 77: a tool the check needs is missing (the test counts as skipped).
set -euo pipefail

what=${1:?usage: install_checks.sh CHECK BUILD STAGE}
SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
QUOVIL_VERSION=$(sed -n 's/^project(quovil VERSION \([0-9.]*\).*/\1/p' "$SOURCE_DIR/CMakeLists.txt")

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
skip() {
  echo "SKIPPED: $*" >&2
  exit 77
}
need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
  done
}

ICON_SIZES=(16 32 48 64 128 256)
# Everything an installation holds, below its root, with its mode.
expected_files() {
  cat <<'EOF'
755 usr/bin/quovil
755 usr/bin/quovil-cli
644 usr/share/applications/quovil.desktop
644 usr/share/doc/quovil/LICENSE
644 usr/share/doc/quovil/copyright
644 usr/share/icons/hicolor/scalable/apps/quovil.svg
644 usr/share/icons/hicolor/scalable/mimetypes/application-x-quovil-archive.svg
644 usr/share/icons/hicolor/scalable/mimetypes/application-x-quovil-journal.svg
644 usr/share/man/man1/quovil-cli.1.gz
644 usr/share/metainfo/ru.korax.quovil.metainfo.xml
644 usr/share/mime/packages/quovil.xml
644 usr/share/quovil/translations/quovil_en.qm
EOF
  for size in "${ICON_SIZES[@]}"; do
    echo "644 usr/share/icons/hicolor/${size}x${size}/apps/quovil.png"
  done
}

# The values of one key of the desktop entry's main group, one a line.
desktop_list() {
  sed -n "s/^$1=//p" "$2" | tr ';' '\n' | sed '/^$/d'
}

check_stage() {
  local build=$1 stage=$2
  rm -rf "$stage"
  DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
  diff -u <(expected_files | sort -k 2) \
    <(cd "$stage" && find . -type f -printf '%m %P\n' | sort -k 2) ||
    fail "the installed files differ from the list above (- expected, + installed)"
  need identify
  for size in "${ICON_SIZES[@]}"; do
    local png=$stage/usr/share/icons/hicolor/${size}x${size}/apps/quovil.png
    [[ $(identify -format '%m %wx%h' "$png") == "PNG ${size}x${size}" ]] || fail "$png is not a ${size}x${size} PNG"
  done
  cmp -s "$stage/usr/share/doc/quovil/LICENSE" "$SOURCE_DIR/LICENSE" || fail "the installed licence differs"
  # The installed programs run from where they were put.
  "$stage/usr/bin/quovil-cli" --help | grep -q save-kif || fail "the installed quovil-cli does not run"
}

check_desktop() {
  local stage=$2 share=$2/usr/share
  need desktop-file-validate
  local entry=$share/applications/quovil.desktop
  desktop-file-validate "$entry" || fail "desktop-file-validate refuses $entry"
  grep -qx 'Exec=quovil %f' "$entry" || fail "Exec does not start quovil with the file"
  [[ -x $stage/usr/bin/$(sed -n 's/^TryExec=//p' "$entry") ]] || fail "TryExec names no installed program"
  local icon
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [[ -f $share/icons/hicolor/scalable/apps/$icon.svg ]] || fail "no scalable icon $icon"
  for size in "${ICON_SIZES[@]}"; do
    [[ -f $share/icons/hicolor/${size}x${size}/apps/$icon.png ]] || fail "no ${size}x${size} icon $icon"
  done
  # Every type the entry opens is one the installation defines.
  local types
  types=$(desktop_list MimeType "$entry")
  [[ -n $types ]] || fail "the entry names no file type"
  for type in $types; do
    grep -q "<mime-type type=\"$type\">" "$share/mime/packages/quovil.xml" || fail "$type is not defined"
  done
}

check_appstream() {
  local share=$2/usr/share
  need appstreamcli
  local info=$share/metainfo/ru.korax.quovil.metainfo.xml
  appstreamcli validate --no-net "$info" || fail "appstreamcli refuses $info"
  # The metadata together with the entry and the icons it leads to.
  appstreamcli validate-tree --no-net "$2/usr" || fail "appstreamcli refuses the installed tree"
  local entry desktop_id
  desktop_id=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$info")
  entry=$share/applications/$desktop_id
  [[ -f $entry ]] || fail "the launchable $desktop_id is not installed"
  diff <(sed -n 's|.*<mediatype>\(.*\)</mediatype>.*|\1|p' "$info" | sort) \
    <(desktop_list MimeType "$entry" | sort) || fail "the metadata's media types differ from the entry's"
  grep -q "<release version=\"$QUOVIL_VERSION\"" "$info" || fail "no release $QUOVIL_VERSION in $info"
}

# The type the desktop gives a file: the generic way (File::MimeInfo) and the
# GNOME way (GLib), both reading the installation's database only.
file_type() {
  local share=$1 file=$2 desktop=$3
  env -u DE -u KDE_SESSION_VERSION XDG_CURRENT_DESKTOP="$desktop" \
    XDG_DATA_HOME="$share" XDG_DATA_DIRS="$share:/usr/share" xdg-mime query filetype "$file"
}

check_mime() {
  local share=$2/usr/share
  need update-mime-database xdg-mime mimetype gio
  XDG_DATA_DIRS="$share:/usr/share" update-mime-database "$share/mime"
  local dir=$2/../files
  rm -rf "$dir"
  mkdir -p "$dir"
  # An archive saved by the installed program from a made-up card, its
  # journal saved from the same card.
  "$MKCARD" --format 2 --seed 7 --records 40 --journal --out "$dir/card.img" >/dev/null
  "$2/usr/bin/quovil-cli" save-kif "$dir/card.img" "$dir/saved.kif" >/dev/null
  "$2/usr/bin/quovil-cli" journal "$dir/card.img" --save "$dir/events.klf" >/dev/null 2>"$dir/journal.txt"
  cp "$dir/saved.kif" "$dir/saved-without-extension"
  cp "$dir/saved.kif" "$dir/saved.bin"
  # The header of version 2 (39 bytes) starts the same way; a header of
  # another length is no archive, "KORAX" at 3 or not.
  { printf '\x27\x00\x02KORAX-X '; head -c 200 /dev/zero; } >"$dir/version2"
  { printf '\x29\x00\x03KORAX-X '; head -c 200 /dev/zero; } >"$dir/other-length"
  { printf '\x28\x00\x03KORAK-X '; head -c 200 /dev/zero; } >"$dir/other-name"

  local desktop
  for desktop in "" GNOME; do
    local expect=(
      "saved.kif application/x-quovil-archive"
      "saved-without-extension application/x-quovil-archive"
      "saved.bin application/x-quovil-archive"
      "version2 application/x-quovil-archive"
      "events.klf application/x-quovil-journal"
    )
    local line name type got
    for line in "${expect[@]}"; do
      read -r name type <<<"$line"
      got=$(file_type "$share" "$dir/$name" "$desktop")
      [[ $got == "$type" ]] || fail "${desktop:-generic}: $name is $got, not $type"
    done
    for name in other-length other-name card.img; do
      got=$(file_type "$share" "$dir/$name" "$desktop")
      [[ $got != application/x-quovil-* ]] || fail "${desktop:-generic}: $name taken for $got"
    done
  done
}

check_man() {
  local stage=$2
  need man groff
  local page=$stage/usr/share/man/man1/quovil-cli.1.gz
  local warnings text
  warnings=$(zcat "$page" | LC_ALL=C.UTF-8 groff -k -man -Tutf8 -ww -z 2>&1)
  [[ -z $warnings ]] || fail "groff warns: $warnings"
  text=$(LC_ALL=C.UTF-8 MANWIDTH=100 man --warnings -l "$page" 2>"$stage/../man-warnings.txt")
  [[ ! -s $stage/../man-warnings.txt ]] || fail "man warns: $(cat "$stage/../man-warnings.txt")"
  grep -q "QUOVIL $QUOVIL_VERSION" <<<"$text" || fail "the page is not of version $QUOVIL_VERSION"
  # Each command the program offers has its paragraph, and each option its mention.
  local help commands options
  help=$("$stage/usr/bin/quovil-cli" --help)
  commands=$(sed -n '/^Subcommands:/,$ s/^  \([a-z-]*\) .*/\1/p' <<<"$help")
  [[ -n $commands ]] || fail "no commands in quovil-cli --help"
  for command in $commands; do
    grep -Eq "^       $command (SRC|FILE)" <<<"$text" || fail "the page has no paragraph on $command"
    options=$("$stage/usr/bin/quovil-cli" "$command" --help | grep -o '^  --[a-z-]*' || true)
    for option in $options; do
      grep -q -- "$option" <<<"$text" || fail "the page does not mention $option of $command"
    done
  done
}

# The installed viewer keeps its settings among the user's, in a folder of
# its own made at its first close, even where it could write its own folder
# (as root, or in a staged root like this one).
check_settings() {
  local stage=$2
  local home=$stage/../home
  rm -rf "$home"
  mkdir -p "$home"
  printf 'leak:libfontconfig.so\n' >"$home/lsan.supp"  # fontconfig keeps its caches on purpose
  local instance=install-check-$$
  viewer() {
    env -u QUOVIL_SETTINGS HOME="$home" XDG_CONFIG_HOME="$home/config" QT_QPA_PLATFORM=offscreen \
      SDL_AUDIODRIVER=dummy QUOVIL_DRIVES="$home/no-card.img" QUOVIL_INSTANCE="$instance" \
      LSAN_OPTIONS="suppressions=$home/lsan.supp" "$stage/usr/bin/quovil" "$@"
  }
  viewer >"$home/viewer.txt" 2>&1 &
  local pid=$! _
  # Once it listens for later copies, a later one with "e" closes it.
  for _ in $(seq 300); do
    grep -q "@KORAX_CARD_VIEWER-$(id -u)-$instance\$" /proc/net/unix && break
    sleep 0.1
  done
  viewer e
  for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    fail "the installed viewer did not close: $(cat "$home/viewer.txt")"
  fi
  wait "$pid" || fail "the installed viewer ended with $?: $(cat "$home/viewer.txt")"
  [[ -f $home/config/quovil/quovil.INI ]] || fail "no settings in $home/config/quovil"
  [[ $(stat -c %a "$home/config/quovil") == 700 ]] || fail "the settings folder is not the user's alone"
  [[ ! -e $stage/usr/bin/quovil.INI ]] || fail "the installed viewer wrote its settings beside itself"
}

# The checks on a package file; allow_sanitizers for a package of the test
# build, whose programs link the sanitizer libraries.
check_package_file() {
  local deb=$1 allow_sanitizers=${2:-no}
  local info
  info=$(dpkg-deb -I "$deb")
  field() { sed -n "s/^ $1: //p" <<<"$info"; }
  [[ $(field Package) == quovil ]] || fail "Package is not quovil"
  [[ $(field Version) == "$QUOVIL_VERSION-1" ]] || fail "Version is $(field Version)"
  [[ $(field Section) == video ]] || fail "Section is $(field Section)"
  [[ -n $(field Maintainer) ]] || fail "no Maintainer"
  grep -A1 '^ Description: ' <<<"$info" | diff - <(printf ' %s\n' 'Description: viewer for the memory cards of KORAX recorders' \
    ' QUOVIL reads the raw memory card of a KORAX recorder (two cameras, grey') || fail "the Description differs"
  local depends names
  depends=$(field Depends)
  names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
  # The libraries the programs link, and the SVG plugins nothing links.
  for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6serialport6 \
    libqt6network6 libsdl2-2.0-0 libqt6svg6 libssl3; do
    grep -qxF "$lib" <<<"$names" || fail "Depends lacks $lib: $depends"
  done
  if [[ $allow_sanitizers != yes ]] && grep -Eq '^(libasan|libubsan)' <<<"$names"; then
    fail "a package of a sanitizer build: $depends"
  fi
  diff -u <(expected_files | sed 's/^\(...\) /\1 .\//' | sort -k 2) \
    <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { printf "%s %s\n", $1, $6 }' |
      sed 's/^-rwxr-xr-x/755/; s/^-rw-r--r--/644/' | sort -k 2) ||
    fail "the package's files or modes differ (- expected, + packaged)"
  dpkg-deb -c "$deb" | awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' ||
    fail "files not owned by root"
  echo "$deb: $(stat -c %s "$deb") bytes; Depends: $depends"
}

check_package() {
  local build=$1
  command -v dpkg-deb >/dev/null || skip "dpkg-deb is missing"
  need cpack dpkg-shlibdeps file
  local out=$build/package-check
  rm -rf "$out"
  # The test build's own installation, quickly compressed.
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >/dev/null ||
    fail "cpack failed"
  local debs=("$out"/quovil_*.deb)
  [[ -f ${debs[0]} ]] || fail "cpack made no package"
  check_package_file "${debs[0]}" yes
}

case $what in
  package-file)
    check_package_file "${2:?usage: install_checks.sh package-file DEB}"
    ;;
  stage | desktop | appstream | mime | man | settings | package)
    build=${2:?usage: install_checks.sh $what BUILD STAGE}
    stage=${3:?usage: install_checks.sh $what BUILD STAGE}
    "check_$what" "$build" "$stage"
    ;;
  *)
    fail "unknown check $what"
    ;;
esac
