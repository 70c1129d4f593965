#!/usr/bin/env bash
# Configures and builds everything in build/ (release build with debug information).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZR5_BUILD_TESTS=ON -DZR5_BUILD_BENCH=ON
cmake --build build -j"$(nproc)"
