#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds into build/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
