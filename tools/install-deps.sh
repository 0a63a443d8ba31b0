#!/usr/bin/env bash
# Installs what building, running and testing the tool needs on Debian 12. Safe to run again.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config dpkg-dev
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools
  libqt5sql5-sqlite libqt5sql5-mysql libqt5sql5-psql
  liblog4cplus-dev libnsl-dev libboost-dev libsodium-dev
  sqlite3 libsqlite3-dev mariadb-server mariadb-client postgresql postgresql-client
  xvfb xauth fonts-wqy-microhei imagemagick
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  [ "$(id -u)" = 0 ] || { echo "install-deps: run as root to install: ${missing[*]}" >&2; exit 1; }
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The packaged services must not hold the ports or data the test servers use.
for svc in mariadb postgresql; do
  if command -v systemctl >/dev/null 2>&1 && systemctl is-active --quiet "$svc" 2>/dev/null; then
    systemctl stop "$svc" || true
  fi
done
exit 0
