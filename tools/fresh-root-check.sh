#!/usr/bin/env bash
# Runs the README's two commands on a fresh minimal Debian 12 (debootstrap minbase), as root:
# tools/test.sh must pass and tools/run.sh must bring the tool up on its virtual display.
# Run it before a release; it downloads about 600 MB and takes 20 to 40 minutes.
#   fresh-root-check.sh [ROOT_DIR]     (default /var/tmp/model_fresh_root, made anew)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
target=${1:-/var/tmp/model_fresh_root}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
[ "$(id -u)" = 0 ] || { echo "fresh-root-check: run as root" >&2; exit 1; }
command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap; }

mounts=(proc sys dev dev/pts)
cleanup() {
  # whatever the run left behind (the tool, its virtual display, a test server)
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/root" 2>/dev/null)" = "$target" ] && kill -9 "${proc#/proc/}" 2>/dev/null
  done
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    mountpoint -q "$target/${mounts[i]}" && umount -l "$target/${mounts[i]}"
  done
  return 0
}
trap cleanup EXIT

cleanup
rm -rf "$target"
debootstrap --variant=minbase bookworm "$target" "$mirror" >"$target.debootstrap.log" 2>&1 \
  || { tail -20 "$target.debootstrap.log" >&2; exit 1; }
mount -t proc proc "$target/proc"
mount -t sysfs sys "$target/sys"
mount --bind /dev "$target/dev"
mount --bind /dev/pts "$target/dev/pts"
cp /etc/resolv.conf "$target/etc/resolv.conf"
# A chroot is no machine: packaged services must not start on the host's ports.
printf '#!/bin/sh\nexit 101\n' >"$target/usr/sbin/policy-rc.d" && chmod 755 "$target/usr/sbin/policy-rc.d"

mkdir -p "$target/src"
git -C "$here" archive HEAD | tar -x -C "$target/src"
in_root() { chroot "$target" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

echo "fresh-root-check: bash tools/test.sh"
in_root bash -c 'cd /src && bash tools/test.sh'
echo "fresh-root-check: bash tools/run.sh (must still run after 60 s)"
set +e
in_root bash -c 'cd /src && timeout 60 bash tools/run.sh'
status=$?
set -e
[ "$status" = 124 ] || { echo "fresh-root-check: run.sh ended with $status before the timeout" >&2; exit 1; }
echo "fresh-root-check: both commands work on a fresh Debian 12"
