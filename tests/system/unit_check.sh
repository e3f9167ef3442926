#!/usr/bin/env bash
# Checks the service unit with systemd-analyze against the built program; skipped without systemd-analyze.
# Usage: unit_check.sh UNIT_FILE VARNOCK_BIN   (exit 77: skipped)
set -eu
unit=$1 bin=$2
command -v systemd-analyze >/dev/null 2>&1 || { echo "systemd-analyze not found: skipped"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# The installed path is not there before installing; the built program stands in for it.
sed "s|/usr/bin/varnock|$bin|" "$unit" > "$dir/varnock.service"
# The man page is not installed either.
out=$(systemd-analyze verify --man=no "$dir/varnock.service" 2>&1) || { echo "$out"; exit 1; }
[ -z "$out" ] || { echo "$out"; exit 1; }
echo "ok: $unit"
