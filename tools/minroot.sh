# Sourced by tools/fresh-root-check.sh and the package install test: a minimal Debian 12 root made
# by debootstrap and entered with chroot. The caller sets root (its folder) and may append to
# mounts what it mounts below the root itself; minroot_release undoes them in reverse order.
mounts=(proc sys dev dev/pts)

# The machine's own Debian 12 mirror as apt knows it, unless DEBIAN_MIRROR names another; empty
# when apt has none.
minroot_mirror() {
  [ -z "${DEBIAN_MIRROR:-}" ] || { echo "$DEBIAN_MIRROR"; return; }
  apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' 2>/dev/null \
    | awk '$2 == "bookworm" { print $1; exit }'
}

# Ends the processes running in the root: all of them, or those of one program name.
minroot_kill() {
  local proc
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] || continue
    [ -z "${1:-}" ] || [ "$(cat "$proc/comm" 2>/dev/null)" = "$1" ] || continue
    kill -9 "${proc#/proc/}" 2>/dev/null
  done
  return 0
}

# Whatever a run left behind: its processes (the tool, a virtual display, a test server), then
# its mounts.
minroot_release() {
  minroot_kill
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    mountpoint -q "$root/${mounts[i]}" && umount -l "$root/${mounts[i]}"
  done
  return 0
}

minroot_enter() {
  mount -t proc proc "$root/proc"
  mount -t sysfs sys "$root/sys"
  mount --bind /dev "$root/dev"
  mount --bind /dev/pts "$root/dev/pts"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # A chroot is no machine: packaged services must not start on the host's ports.
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d" && chmod 755 "$root/usr/sbin/policy-rc.d"
}

# A command in the root, with a clean environment.
in_root() { chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
