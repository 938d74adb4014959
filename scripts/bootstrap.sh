#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking need.
# Idempotent; run as root on Debian 12.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  # tests, fuzzing, sanitizers
  googletest libgtest-dev libgmock-dev clang-14 libclang-rt-14-dev
  # peers the benchmarks and interoperability tests compare against
  lua5.4 python3 lhasa jlha-utils
)

if [ "$(id -u)" -ne 0 ]; then
  echo "bootstrap: run as root (sudo bash scripts/bootstrap.sh)" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: all packages present"
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
