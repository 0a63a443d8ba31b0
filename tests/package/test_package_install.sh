#!/usr/bin/env bash
# The Debian package as a Debian user meets it: installed with apt into a fresh minimal Debian 12
# (debootstrap minbase), started by a normal user on a virtual display up to the login dialog,
# reinstalled with an edited conffile, removed and purged, and what is left looked at.
# Needs root and the Debian mirror; says why and ends with 77 (skipped) without them.
#   test_package_install.sh BUILD_DIR
# The minimal root and the packages apt fetched are kept in MODEL_PACKAGE_CACHE (default
# /var/cache/model_varnix) so that later runs download nothing; the root is made anew after a week.
set -euo pipefail
build=$(realpath "${1:?build directory}")
here=$(cd "$(dirname "$0")/../.." && pwd)
cache=${MODEL_PACKAGE_CACHE:-/var/cache/model_varnix}
skip() { echo "SKIP: package install test: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$(id -u)" = 0 ] || skip "needs root (debootstrap, chroot, mounts)"
command -v debootstrap >/dev/null || skip "no debootstrap (package debootstrap)"
work=$build/package-install
root=$work/root
# shellcheck source=../../tools/minroot.sh
source "$here/tools/minroot.sh"
mirror=$(minroot_mirror)
[ -n "$mirror" ] || skip "no Debian 12 mirror in the apt sources (set DEBIAN_MIRROR)"
host=$(echo "$mirror" | sed -E 's|^[a-z]+://([^/:]+).*|\1|')
port=80
case $mirror in https:*) port=443 ;; esac
timeout 20 bash -c "exec 3<>/dev/tcp/$host/$port" 2>/dev/null || skip "the mirror $mirror cannot be reached"

base=$cache/bookworm-minbase.tar.gz
trap minroot_release EXIT
minroot_release
rm -rf "$work"
mkdir -p "$root" "$cache/archives"
apt_in_root() {
  in_root env DEBIAN_FRONTEND=noninteractive timeout 600 apt-get -y -q -o Dpkg::Use-Pty=0 --no-install-recommends "$@" \
    >>"$work/apt.log" 2>&1
}

if [ -z "$(find "$base" -mtime -7 2>/dev/null)" ]; then
  echo "package install: making a minimal Debian 12 root (once a week)"
  timeout 600 debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 \
    || { tail -20 "$work/debootstrap.log" >&2; skip "debootstrap from $mirror failed"; }
  in_root apt-get clean
  tar -C "$root" -czf "$base.new" . && mv "$base.new" "$base"
  rm -rf "$root" && mkdir -p "$root"
fi
tar -C "$root" -xzf "$base"
minroot_enter
# What apt fetches is kept for the next run.
mounts+=(var/cache/apt/archives)
mount --bind "$cache/archives" "$root/var/cache/apt/archives"
apt_in_root update || fail "apt-get update in the minimal root: $(tail -5 "$work/apt.log")"

cpack -G DEB -B "$work/pkg" --config "$build/CPackConfig.cmake" >/dev/null
deb=$(ls "$work"/pkg/*.deb)
cp "$deb" "$root/tmp/model-varnix.deb"

# What a Debian user pays for the tool: packages pulled without Recommends, and the size.
pulled=$(in_root apt-get install -s --no-install-recommends /tmp/model-varnix.deb | grep -c '^Inst ')
apt_in_root install /tmp/model-varnix.deb || fail "apt-get install of the package: $(tail -20 "$work/apt.log")"
size=$(in_root dpkg-query -W -f '${Installed-Size}' model-varnix)
echo "package install: installs on a minimal Debian 12: $pulled packages installed without Recommends, itself included; installed size $size KiB"
in_root dpkg --audit | grep . && fail "dpkg reports half-installed packages"
for program in model_varnix model_check model_demo; do
  [ "$(in_root "$program" --version)" = "$program $(dpkg-deb -f "$deb" Version)" ] || fail "$program is not on PATH"
  [ -s "$root/usr/share/man/man1/$program.1.gz" ] || fail "no manual page of $program"
done
# Without a display, --help answers instead of aborting.
in_root model_varnix --help | grep -q -- '--version' || fail "model_varnix --help without a display"

# A normal user starts the tool on a virtual display, in each language, up to the login dialog;
# the window's class is the desktop entry's StartupWMClass.
apt_in_root install xvfb x11-utils || fail "installing Xvfb: $(tail -5 "$work/apt.log")"
in_root useradd -m engineer
wmclass=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/model-varnix.desktop")
[ -n "$wmclass" ] || fail "the desktop entry has no StartupWMClass"
# A display number no server on this machine uses (their abstract sockets are shared with the root).
display=70
while grep -q "@/tmp/.X11-unix/X$display\$" /proc/net/unix; do display=$((display + 1)); done
in_root Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
# On a busy machine the server takes a while to listen, and a tool started before gives up at once.
display_answers() { in_root env DISPLAY=":$display" xwininfo -root >/dev/null 2>&1; }
for _ in $(seq 150); do display_answers && break; sleep 0.2; done
display_answers || fail "Xvfb does not answer on :$display: $(cat "$work/xvfb.log")"
login_window() {
  local lang=$1 title=$2
  in_root timeout 90 runuser -u engineer -- env HOME=/home/engineer DISPLAY=":$display" LANG="$lang" model_varnix \
    >"$work/tool.out" 2>&1 &
  local found=
  for _ in $(seq 150); do
    # A window's line: 0x… "title — application": ("instance" "class") geometry
    found=$(in_root env DISPLAY=":$display" LANG=C.UTF-8 xwininfo -root -tree 2>/dev/null \
      | grep -F "\"$title" | grep -F "(\"$wmclass\" \"$wmclass\")" || true)
    [ -n "$found" ] && break
    sleep 0.2
  done
  minroot_kill model_varnix
  wait $! 2>/dev/null || true
  [ -n "$found" ] || fail "no login dialog \"$title\" of class $wmclass ($lang): $(cat "$work/tool.out")"
}
login_window C.UTF-8 平台用户登录
login_window en_US.UTF-8 "Platform user login"
[ -e "$root/home/engineer/.local/share/model_varnix/log/model_varnix.log" ] || fail "no log in the user's folder"
[ -z "$(find "$root/opt/model_varnix" -newer "$root/tmp/model-varnix.deb" ! -type d)" ] || fail "the tool wrote below /opt/model_varnix"

# An administrator's edit of a conffile survives a reinstall.
conf=/etc/opt/model_varnix/database.ini
echo '; edited by the administrator' >>"$root$conf"
apt_in_root install --reinstall /tmp/model-varnix.deb || fail "reinstall: $(tail -20 "$work/apt.log")"
grep -q 'edited by the administrator' "$root$conf" || fail "the reinstall overwrote $conf"

apt_in_root remove model-varnix || fail "remove: $(tail -20 "$work/apt.log")"
[ -d "$root/opt" ] || fail "removing the package removed /opt"
[ ! -e "$root/opt/model_varnix" ] || fail "/opt/model_varnix is left after remove: $(find "$root/opt/model_varnix" | head)"
[ -f "$root$conf" ] || fail "remove took the configuration, which only purge may"
apt_in_root purge model-varnix || fail "purge: $(tail -20 "$work/apt.log")"
[ ! -e "$root/etc/opt/model_varnix" ] || fail "/etc/opt/model_varnix is left after purge"
left=$(cd "$root" && find . -xdev \( -path ./proc -o -path ./home -o -path ./tmp -o -path ./var/cache/apt \) -prune -o \
  \( -iname '*model*varnix*' -o -name 'model_check*' -o -name 'model_demo*' \) -print)
[ -z "$left" ] || fail "left after purge: $left"
for cache_file in "$root"/usr/share/icons/hicolor/icon-theme.cache "$root"/usr/share/applications/mimeinfo.cache; do
  [ ! -f "$cache_file" ] || ! grep -q model-varnix "$cache_file" || fail "$cache_file still names the tool"
done
echo "package install: install, start as a user (Chinese and English), reinstall keeping a conffile, remove and purge ok"
