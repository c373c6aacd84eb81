#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only those that are
# missing), then configures the build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(cmake g++ make pkg-config libpugixml-dev libgtest-dev qt6-base-dev python3 python3-dbfread python3-dbf)
# Fuzzing (fuzz/run.sh) needs clang and its libFuzzer runtime: only on request.
[ "${ZI_FUZZ:-0}" = 1 ] && packages+=(clang-14 libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
