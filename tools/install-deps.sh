#!/usr/bin/env bash
# Installs what building, running and testing the tool needs on Debian 12. Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# Libraries, drivers and fonts; the packages of the commands come from prerequisites.txt.
PACKAGES=(
  qtbase5-dev qttools5-dev
  libqt5sql5-sqlite libqt5sql5-mysql libqt5sql5-psql
  liblog4cplus-dev libnsl-dev libboost-dev libsodium-dev libsqlite3-dev libpq-dev libmariadb-dev libssl-dev libxlsxwriter-dev
  fonts-wqy-microhei ca-certificates
)
while read -r command package _; do
  case $command in ''|'#'*) continue ;; esac
  PACKAGES+=("$package")
done <"$here/prerequisites.txt"

missing=()
for p in $(printf '%s\n' "${PACKAGES[@]}" | sort -u); do
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
