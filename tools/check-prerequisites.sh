#!/usr/bin/env bash
# Checks that every command in tools/prerequisites.txt is there; names the package of each missing one.
set -euo pipefail
list=$(cd "$(dirname "$0")" && pwd)/prerequisites.txt
missing=()
while read -r command package _; do
  case $command in ''|'#'*) continue ;; esac
  name=${command%%@*}
  if [ "$name" != "$command" ]; then
    # name@glob: a program outside PATH, looked up in the folders the glob names
    found=$(compgen -G "${command#*@}/$name" || true)
  else
    found=$(command -v "$name" || true)
  fi
  [ -n "$found" ] || missing+=("$name (package $package)")
done <"$list"
if [ ${#missing[@]} -gt 0 ]; then
  echo "prerequisites: missing commands; run tools/install-deps.sh as root, or install:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi
echo "prerequisites: every command the build and the tests use is installed"
