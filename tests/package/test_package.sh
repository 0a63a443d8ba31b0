#!/usr/bin/env bash
# The installed tree and the Debian package: the root's layout, the programs' version, the
# package's desktop entry, icon, maintainer scripts and dependencies.
#   test_package.sh BUILD_DIR VERSION
set -euo pipefail
build=${1:?build directory}
version=${2:?version}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/inst" >/dev/null
for dir in bin config fileLogic tables etc style translations data log; do
  [ -d "$tmp/inst/$dir" ] || fail "no $dir/ in the installed root"
done
# Every file the build tree's root reads is installed at the same place.
(cd "$build/root" && find config fileLogic tables etc style translations -type f ! -name ModelConfig.ini | sort) >"$tmp/built"
(cd "$tmp/inst" && find config fileLogic tables etc style translations -type f | sort) >"$tmp/installed"
diff -u "$tmp/built" "$tmp/installed" || fail "the installed root differs from the build tree's"
for program in model_varnix model_check model_demo model_waiting_dlg; do
  [ -x "$tmp/inst/bin/$program" ] || fail "bin/$program missing"
done
[ -s "$tmp/inst/data/demo.sqlite" ] || fail "no demo database"
for program in model_demo model_check; do
  [ "$("$tmp/inst/bin/$program" --version)" = "$program $version" ] || fail "$program --version"
done

cpack -G DEB -B "$tmp/pkg" --config "$build/CPackConfig.cmake" >/dev/null
deb=$(ls "$tmp"/pkg/*.deb)
dpkg-deb -c "$deb" >"$tmp/files"
for f in ./opt/model_varnix/bin/model_varnix ./opt/model_varnix/data/demo.sqlite \
         ./opt/model_varnix/share/applications/model-varnix.desktop \
         ./opt/model_varnix/share/icons/hicolor/64x64/apps/model-varnix.png; do
  grep -q " $f\$" "$tmp/files" || fail "$f not in the package"
done
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
