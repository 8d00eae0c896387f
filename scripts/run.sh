#!/usr/bin/env bash
# Installs what is missing, builds Tabulon and starts it from its build folder (portable
# use: the settings files live beside the executable).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release --target tabulon tabulon-cli -j"$(nproc)"
exec build/release/tabulon "$@"
