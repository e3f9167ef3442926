#!/usr/bin/env bash
# Checks the Debian package: its file list and Depends; with --install also installs it on this
# machine, runs the installed program (--version and a short headless session) and removes it.
# Usage: scripts/package-check.sh [--install] [package.deb]   (builds it with `make package` when not given)
set -euo pipefail
cd "$(dirname "$0")/.."
install=0
if [ "${1:-}" = "--install" ]; then install=1; shift; fi
deb=${1:-}
if [ -z "$deb" ]; then
  make package >/dev/null
  deb=$(ls -t varnock_*_amd64.deb | head -1)
fi
fail() { echo "FAIL: $*" >&2; exit 1; }

files=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for f in /usr/bin/varnock /usr/bin/varnock-replay /usr/bin/varnock-synth \
         /usr/lib/varnock/libvarnock_simdongle.so /usr/share/varnock/help/varnock.html \
         /usr/share/man/man1/varnock.1.gz /usr/share/applications/varnock.desktop \
         /usr/share/icons/hicolor/scalable/apps/varnock.svg /usr/lib/systemd/system/varnock.service \
         /etc/default/varnock; do
  grep -qx "$f" <<<"$files" || fail "$f not in $deb"
done
# Nothing of the build or test tree may leak in.
if grep -E '/(test_|tests/|CMakeFiles)' <<<"$files"; then fail "build files in $deb"; fi

depends=$(dpkg-deb -f "$deb" Depends)
names=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
for d in libc6 libstdc++6 libqt6core6 libqt6network6 libqt6widgets6 libqt6gui6 librtlsdr0 fonts-liberation fonts-ocr-a; do
  grep -qxF "$d" <<<"$names" || fail "Depends lacks $d: $depends"
done
grep -q 'asan\|ubsan' <<<"$depends" && fail "sanitizer libraries in Depends: $depends"
[ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "not amd64"
echo "ok: $deb - $(wc -l <<<"$files") entries; Depends: $depends"

[ $install -eq 1 ] || exit 0
sudo_cmd=(); [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null
trap '"${sudo_cmd[@]}" apt-get purge -y -qq varnock >/dev/null' EXIT
getent passwd varnock >/dev/null || fail "no varnock user after install"
id -nG varnock | grep -qw plugdev || fail "varnock user not in plugdev"
/usr/bin/varnock --version | grep -q "^varnock " || fail "installed varnock --version"
# The headless session from the installed paths: the simulated dongle found by its bare name.
bash tests/system/headless_run.sh /usr/bin/varnock libvarnock_simdongle.so 5
echo "ok: installed, ran and removed"
