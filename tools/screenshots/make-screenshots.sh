#!/bin/sh
# Renders every window off screen into PNG files: the main window in each of its states, the
# settings dialog, the help and about windows, the motor parameter dialog and the analysis window
# after the analysis of a synthesised recording, and the main window during a reception from the
# simulated instrument.
#   tools/screenshots/make-screenshots.sh [BUILD_DIR] [OUT_DIR]
set -e
build=${1:-build}
out=${2:-screenshots}
cmake --build "$build" -j2 --target zr5_screenshots zr5-motor-screenshots analysiswindow_screenshots \
    zr5_reception_screenshots
mkdir -p "$out/main" "$out/motor" "$out/analysis"
export QT_QPA_PLATFORM=offscreen
"$build/tools/screenshots/zr5_screenshots" "$out/main"
"$build/tests/motor/zr5-motor-screenshots" "$out/motor"
"$build/tests/analysiswindow/analysiswindow_screenshots" "$out/analysis"
"$build/tools/screenshots/zr5_reception_screenshots" "$out/main"
echo "PNG files in $out/main, $out/motor and $out/analysis"
