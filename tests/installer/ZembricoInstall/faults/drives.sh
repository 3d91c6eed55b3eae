#!/usr/bin/env bash
# Maps three small file systems to free drive letters of the Wine prefix and runs the drive
# fault tests of the Windows test program on them:
#   small     32 KiB, empty: the payload does not fit
#   full      8 KiB, filled up before the test
#   readonly  mounted read-only, holding one folder "existing"
# Mounting needs root: where it is not allowed the test is reported as skipped (exit 77).
set -u
tests_exe=$1
root=$(cd "$(dirname "$0")/../../../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wine}
base=$(mktemp -d /tmp/zb-fault-drives.XXXXXX)
links=()

cleanup() {
  local link m
  for link in "${links[@]}"; do rm -f "$link"; done
  for m in small full readonly; do
    mountpoint -q "$base/$m" && umount "$base/$m"
  done
  rm -rf "$base"
}
trap cleanup EXIT

for m in small full readonly; do mkdir -p "$base/$m"; done
if ! mount -t tmpfs -o size=32k tmpfs "$base/small" 2>/dev/null ||
   ! mount -t tmpfs -o size=8k tmpfs "$base/full" ||
   ! mount -t tmpfs -o size=64k tmpfs "$base/readonly"; then
  echo "skipped: this machine does not allow mounting a tmpfs (needs root)"
  exit 77
fi
dd if=/dev/zero of="$base/full/filler" bs=4k 2>/dev/null
mkdir "$base/readonly/existing"
mount -o remount,ro "$base/readonly"

# Free drive letters: the prefix is shared, so take ones nobody has mapped.
declare -A drive
for m in small full readonly; do
  for letter in m n o p q r s t u v w x y; do
    link="$WINEPREFIX/dosdevices/$letter:"
    [ -e "$link" ] || [ -L "$link" ] && continue
    ln -s "$base/$m" "$link" && links+=("$link") && drive[$m]="${letter^^}:" && break
  done
  [ -n "${drive[$m]:-}" ] || { echo "no free drive letter in $WINEPREFIX"; exit 1; }
done
echo "drives: small ${drive[small]}, full ${drive[full]}, read-only ${drive[readonly]}"

ZB_FAULT_SMALL_DRIVE=${drive[small]} ZB_FAULT_FULL_DRIVE=${drive[full]} \
ZB_FAULT_READONLY_DRIVE=${drive[readonly]} \
  "$root/cmake/wine-run" "$tests_exe" --gtest_filter="${ZB_FAULT_FILTER:-DriveFaultTest.*}" --gtest_brief=1
