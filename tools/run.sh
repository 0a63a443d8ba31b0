#!/usr/bin/env bash
# Installs what is missing, builds, creates the embedded demo database and starts the tool on it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
bash "$here/tools/build.sh"
root="$build/root"
[ -f "$root/data/demo.sqlite" ] || "$root/bin/model_demo" --database "$root/data/demo.sqlite"
cd "$root/bin"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display; starting the tool on a virtual one (xvfb-run)" >&2
  exec xvfb-run -a -s "-screen 0 1600x900x24" ./model_varnix "$@"
fi
exec ./model_varnix "$@"
