#!/usr/bin/env bash
# The installed tree and the Debian package: the root's layout, the programs' version, a tree
# the programs never write to, the package's desktop entry, icon, maintainer scripts and
# dependencies.
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
  HOME=$tmp/home/tool QT_QPA_PLATFORM=offscreen "$tmp/inst/bin/model_varnix" >"$tmp/tool.out" 2>&1 &
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
for program in model_demo model_check model_table; do
  [ "$("$tmp/inst/bin/$program" --version)" = "$program $version" ] || fail "$program --version"
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
for f in ./opt/model_varnix/bin/model_varnix ./opt/model_varnix/data/demo.sqlite \
         ./opt/model_varnix/share/model_varnix/installed \
         ./opt/model_varnix/share/applications/model-varnix.desktop \
         ./opt/model_varnix/share/icons/hicolor/64x64/apps/model-varnix.png; do
  grep -q " $f\$" "$tmp/files" || fail "$f not in the package"
done
! grep -q ' ./opt/model_varnix/log/$' "$tmp/files" || fail "the package ships a log/ folder"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt5sql5-sqlite libqt5sql5-mysql libqt5sql5-psql liblog4cplus fonts-wqy-microhei libsodium; do
  case "$depends" in *"$dep"*) ;; *) fail "the package does not depend on $dep: $depends" ;; esac
done
dpkg-deb -x "$deb" "$tmp/x"
grep -qx 'Exec=/opt/model_varnix/bin/model_varnix' "$tmp/x/opt/model_varnix/share/applications/model-varnix.desktop" \
  || fail "desktop entry does not start the installed program"
grep -qx 'Name=设备建模' "$tmp/x/opt/model_varnix/share/applications/model-varnix.desktop" || fail "desktop entry name"
dpkg-deb -e "$deb" "$tmp/ctrl"
[ -x "$tmp/ctrl/postinst" ] && grep -q /usr/share/applications "$tmp/ctrl/postinst" || fail "postinst does not add the menu entry"
echo "package: $(basename "$deb") ok"
