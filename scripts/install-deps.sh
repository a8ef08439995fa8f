#!/usr/bin/env bash
# Installs every Debian package the build, the tool and the tests need.
# Idempotent: packages already present are skipped, and the package lists are
# refreshed at most once per run. Quiet on success; prints apt's output on failure.
set -euo pipefail

packages=(
  # Toolchain.
  build-essential cmake ninja-build pkg-config clang-14 libclang-rt-14-dev
  # Libraries the design names.
  libcurl4-openssl-dev libjsoncpp-dev zlib1g-dev libminizip-dev libstb-dev
  # The web view engine and drawing.
  duktape-dev liblitehtml-dev libcairo2-dev libpixman-1-dev libfreetype-dev
  libfontconfig-dev fonts-noto-cjk fonts-dejavu-core libx11-dev
  # Tests and benchmarks.
  libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev
  python3 curl iproute2 xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
export DEBIAN_FRONTEND=noninteractive
if ! { $SUDO apt-get update -qq && \
       $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "install-deps: could not install: ${missing[*]}" >&2
  exit 1
fi
