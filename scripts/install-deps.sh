#!/usr/bin/env bash
# Installs the Debian packages the build needs; quiet and quick when all are present.
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config
  qt6-base-dev qt6-httpserver-dev qt6-websockets-dev
  librtlsdr-dev librtlsdr0 libusb-1.0-0-dev zlib1g-dev
  xvfb xauth fonts-liberation fonts-ocr-a netcat-openbsd dpkg-dev
  libgtest-dev libbenchmark-dev
  libjs-leaflet chromium python3
)
# The benchmarks also load the HTTP server with wrk.
if [ "${1:-}" = "--bench" ]; then packages+=(wrk); fi
# The fuzz targets need clang and its libFuzzer and sanitizer runtimes.
if [ "${1:-}" = "--fuzz" ]; then packages+=(clang-14 libclang-rt-14-dev); fi
# The soak draws its plot with gnuplot.
if [ "${1:-}" = "--soak" ]; then packages+=(gnuplot-nox); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then sudo_cmd=(sudo); else
    echo "install-deps: missing packages (${missing[*]}) and not root; install them and retry" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
