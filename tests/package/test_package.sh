#!/usr/bin/env bash
# The installed tree and the Debian package: the root's layout, the programs' version, a tree
# the programs never write to; the package's files, conffiles, desktop entry, icons, metadata,
# dependencies and hardening, and what lintian says of it. test_package_install.sh installs it.
#   test_package.sh BUILD_DIR VERSION
set -euo pipefail
build=${1:?build directory}
version=${2:?version}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Every path with its kind, mode, time and link target, and every file's content.
snapshot() {
  (cd "$1" && find . -printf '%y %m %T@ %p -> %l\n' | LC_ALL=C sort \
     && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum)
}

# The programs find the tree from where they lie, and the user's folder from HOME alone; every
# run below has a HOME of its own.
unset MODEL_VARNIX_ROOT MODEL_VARNIX_PER_USER XDG_DATA_HOME
user_file() { echo "$tmp/home/$1/.local/share/model_varnix/$2"; }

# Starts the tool until its start-up has logged, then ends it: no one logs in on its screen.
start_tool() {
  local log pid
  log=$(user_file tool log/model_varnix.log)
  # The start-up record is a debug one.
  HOME=$tmp/home/tool QT_QPA_PLATFORM=offscreen MODEL_VARNIX_DEBUG=1 "$tmp/inst/bin/model_varnix" >"$tmp/tool.out" 2>&1 &
  pid=$!
  for _ in $(seq 600); do
    if grep -qs 'begin run' "$log" || ! kill -0 "$pid" 2>/dev/null; then break; fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" || true
  grep -qs 'begin run' "$log" || fail "model_varnix logged no start-up in the user's folder: $(cat "$tmp/tool.out")"
}

cmake --install "$build" --prefix "$tmp/inst" >/dev/null
snapshot "$tmp/inst" >"$tmp/tree.before"
for dir in bin config fileLogic tables etc style translations data; do
  [ -d "$tmp/inst/$dir" ] || fail "no $dir/ in the installed root"
done
[ ! -e "$tmp/inst/log" ] || fail "the installed root has a log/ of its own"
# Every file the build tree's root reads is installed at the same place.
(cd "$build/root" && find config fileLogic tables etc style translations -type f ! -name ModelConfig.ini | sort) >"$tmp/built"
(cd "$tmp/inst" && find config fileLogic tables etc style translations -type f | sort) >"$tmp/installed"
diff -u "$tmp/built" "$tmp/installed" || fail "the installed root differs from the build tree's"
for program in model_varnix model_check model_demo model_table model_waiting_dlg; do
  [ -x "$tmp/inst/bin/$program" ] || fail "bin/$program missing"
done
[ -s "$tmp/inst/data/demo.sqlite" ] || fail "no demo database"
# model_varnix answers --version without a display as well.
for program in model_demo model_check model_table model_varnix; do
  [ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tmp/inst/bin/$program" --version)" = "$program $version" ] \
    || fail "$program --version"
done

# The tree is the package's even for root, who could write to it: what the programs write goes
# to the user's folder.
start_tool
HOME=$tmp/home/demo "$tmp/inst/bin/model_demo" >/dev/null || fail "model_demo"
[ -s "$(user_file demo data/demo.sqlite)" ] || fail "model_demo wrote no demo database in the user's folder"
HOME=$tmp/home/check "$tmp/inst/bin/model_check" >/dev/null || fail "model_check on the shipped demo database"
[ -s "$(user_file check data/demo.sqlite)" ] || fail "model_check used no copy of the demo database in the user's folder"
HOME=$tmp/home/defects "$tmp/inst/bin/model_demo" --defects --database "$tmp/defects.sqlite" >/dev/null || fail "model_demo --defects"
status=0
HOME=$tmp/home/repair "$tmp/inst/bin/model_check" --type SQLite --database "$tmp/defects.sqlite" --repair --yes >/dev/null 2>&1 \
  || status=$?
[ "$status" = 1 ] || fail "model_check --repair ended with $status, not 1 (findings without a repair remain)"
grep -qs '"outcome":"committed"' "$(user_file repair log/audit.log)" || fail "no audit trail of the repair in the user's folder"
snapshot "$tmp/inst" >"$tmp/tree.after"
diff -u "$tmp/tree.before" "$tmp/tree.after" || fail "the programs wrote into the installed tree"

cpack -G DEB -B "$tmp/pkg" --config "$build/CPackConfig.cmake" >/dev/null
deb=$(ls "$tmp"/pkg/*.deb)
dpkg-deb -c "$deb" >"$tmp/files"
has() { grep -q " $1\$" "$tmp/files"; }
for f in ./opt/model_varnix/bin/model_varnix ./opt/model_varnix/data/demo.sqlite \
         ./opt/model_varnix/share/model_varnix/installed \
         ./usr/share/applications/model-varnix.desktop \
         ./usr/share/icons/hicolor/48x48/apps/model-varnix.png ./usr/share/icons/hicolor/64x64/apps/model-varnix.png \
         ./usr/share/icons/hicolor/128x128/apps/model-varnix.png ./usr/share/icons/hicolor/256x256/apps/model-varnix.png \
         ./usr/share/icons/hicolor/scalable/apps/model-varnix.svg \
         ./usr/share/metainfo/example.varnix_rail.model_varnix.metainfo.xml \
         ./usr/share/doc/model-varnix/copyright ./usr/share/doc/model-varnix/changelog.gz \
         ./etc/opt/model_varnix/database.ini ./etc/opt/model_varnix/ModelConfig.ini; do
  has "$f" || fail "$f not in the package"
done
for program in model_varnix model_check model_demo; do
  grep -q " ./usr/bin/$program -> /opt/model_varnix/bin/$program\$" "$tmp/files" || fail "no /usr/bin/$program"
  has "./usr/share/man/man1/$program.1.gz" || fail "no manual page of $program"
done
! has ./opt/model_varnix/log/ || fail "the package ships a log/ folder"
! has ./opt/ || fail "the package owns /opt"
! grep -q ' ./opt/model_varnix/etc/' "$tmp/files" || fail "the package ships configuration below /opt"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt5sql5-sqlite libqt5sql5-mysql libqt5sql5-psql liblog4cplus fonts-wqy-microhei libsodium libssl3 ca-certificates; do
  case "$depends" in *"$dep"*) ;; *) fail "the package does not depend on $dep: $depends" ;; esac
done
dpkg-deb -x "$deb" "$tmp/x"
desktop=$tmp/x/usr/share/applications/model-varnix.desktop
grep -qx 'Exec=/opt/model_varnix/bin/model_varnix' "$desktop" || fail "desktop entry does not start the installed program"
grep -qx 'Name=设备建模' "$desktop" || fail "desktop entry name"
# Docks match the window to its launcher by the class the window carries: the program's name.
grep -qx 'StartupWMClass=model_varnix' "$desktop" || fail "desktop entry without the window's class"
appstreamcli validate --no-net "$tmp/x/usr/share/metainfo/example.varnix_rail.model_varnix.metainfo.xml" >"$tmp/appstream" 2>&1 \
  || fail "AppStream metadata: $(cat "$tmp/appstream")"
dpkg-deb -e "$deb" "$tmp/ctrl"
diff <(printf '/etc/opt/model_varnix/database.ini\n/etc/opt/model_varnix/ModelConfig.ini\n') "$tmp/ctrl/conffiles" \
  || fail "conffiles"
# Menus and icon caches follow through the desktop's triggers; no maintainer script is needed.
for script in preinst postinst prerm postrm; do
  [ ! -e "$tmp/ctrl/$script" ] || fail "the package has a $script"
done

# The binaries as installed: stack protector, checked string and memory calls, read-only
# relocations bound at start, position-independent.
for program in "$tmp"/x/opt/model_varnix/bin/*; do
  name=$(basename "$program")
  readelf -h "$program" | grep -q 'Type: *DYN' || fail "$name is not position-independent"
  readelf -d "$program" | grep -q 'FLAGS_1.*PIE' || fail "$name is not a PIE"
  readelf -l "$program" | grep -q GNU_RELRO || fail "$name has no read-only relocations"
  readelf -d "$program" | grep -q 'BIND_NOW\|FLAGS.*NOW' || fail "$name is not bound at start"
  symbols=$(readelf --dyn-syms -W "$program")
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$name has no stack protector"
  # A binary shows checked calls only where a buffer's size is known when compiling, which the
  # tool's code seldom has: the flags it was compiled with say it.
  flags=$(cat "$build"/*/CMakeFiles/"$name".dir/flags.make "$build"/tools/*/CMakeFiles/"$name".dir/flags.make 2>/dev/null || true)
  grep -q -- '-D_FORTIFY_SOURCE=2' <<<"$flags" && grep -q -- '-O2' <<<"$flags" || fail "$name is not built with _FORTIFY_SOURCE=2"
done

lintian --pedantic --tag-display-limit 0 "$deb" >"$tmp/lintian" 2>&1 || true
! grep -q '^E: ' "$tmp/lintian" || fail "lintian reports errors: $(cat "$tmp/lintian")"
echo "package: $(basename "$deb") ok, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB; lintian: $(grep -c . "$tmp/lintian" || true) remarks"
sed 's/^/  /' "$tmp/lintian"
