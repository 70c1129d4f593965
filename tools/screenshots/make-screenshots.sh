#!/bin/sh
# Renders the windows off screen into PNG files.
#   tools/screenshots/make-screenshots.sh [BUILD_DIR] [OUT_DIR]
set -e
build=${1:-build}
out=${2:-screenshots}
cmake --build "$build" -j2 --target zr5_screenshots
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/tools/screenshots/zr5_screenshots" "$out"
