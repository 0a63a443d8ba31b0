#!/usr/bin/env bash
# Runs the README's two commands on a fresh minimal Debian 12 (debootstrap minbase), as root:
# tools/test.sh must pass and tools/run.sh must bring the tool up on its virtual display.
# Run it before a release; it downloads about 600 MB and takes 20 to 40 minutes.
#   fresh-root-check.sh [ROOT_DIR]     (default /var/tmp/model_fresh_root, made anew)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-/var/tmp/model_fresh_root}
[ "$(id -u)" = 0 ] || { echo "fresh-root-check: run as root" >&2; exit 1; }
command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap; }
# shellcheck source=minroot.sh
source "$here/tools/minroot.sh"
mirror=$(minroot_mirror)
[ -n "$mirror" ] || { echo "fresh-root-check: no Debian 12 mirror in the apt sources; set DEBIAN_MIRROR" >&2; exit 1; }
trap minroot_release EXIT

minroot_release
rm -rf "$root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 \
  || { tail -20 "$root.debootstrap.log" >&2; exit 1; }
minroot_enter

mkdir -p "$root/src"
git -C "$here" archive HEAD | tar -x -C "$root/src"

echo "fresh-root-check: bash tools/test.sh"
in_root bash -c 'cd /src && bash tools/test.sh'
echo "fresh-root-check: bash tools/run.sh (must still run after 60 s)"
set +e
in_root bash -c 'cd /src && timeout 60 bash tools/run.sh'
status=$?
set -e
[ "$status" = 124 ] || { echo "fresh-root-check: run.sh ended with $status before the timeout" >&2; exit 1; }
echo "fresh-root-check: both commands work on a fresh Debian 12"
