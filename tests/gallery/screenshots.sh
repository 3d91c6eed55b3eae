#!/usr/bin/env bash
# Takes a screenshot of each gallery form: screenshots.sh GALLERY.EXE OUTPUT-FOLDER
# Needs DISPLAY (a virtual one: Xvfb) and ImageMagick's import.
set -euo pipefail
gallery=$1 out=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wine} WINEDEBUG=${WINEDEBUG:--all}
[ -n "${DISPLAY:-}" ] || { echo "screenshots: no DISPLAY" >&2; exit 1; }
mkdir -p "$out"
for form in controls box-two box-one box-cross; do
  ready=$out/$form.ready done=$out/$form.done
  rm -f "$ready" "$done" "$out/$form.png"
  "$root/cmake/wine-run" "$gallery" "$form" "$(winepath -w "$ready")" "$(winepath -w "$done")" &
  pid=$!
  for _ in $(seq 600); do [ -e "$ready" ] && break; sleep 0.1; done
  [ -e "$ready" ] || { echo "screenshots: $form never became ready" >&2; kill "$pid"; exit 1; }
  import -window root "$out/$form.png"
  touch "$done"
  wait "$pid"
  rm -f "$ready" "$done"
  echo "screenshots: $out/$form.png"
done
