#!/bin/sh
# Renders every window off screen into PNG files: the main window in each of its states, the
# settings dialog, the help and about windows, the motor parameter dialog and the analysis window
# after the analysis of a synthesised recording, and the main window during a reception from the
# simulated instrument; the print dialog and both printed reports of a synthesised recording,
# rendered from their PDFs with pdftoppm.
#   tools/screenshots/make-screenshots.sh [BUILD_DIR] [OUT_DIR]
set -e
build=${1:-build}
out=${2:-screenshots}
cmake --build "$build" -j2 --target zr5_main_screenshots zr5_motor_screenshots \
    zr5_analysis_screenshots zr5_reception_screenshots zr5_print_screenshots \
    zr5_assessment_screenshots zr5_compare_screenshots zr5_survey_screenshots zr5-tool
mkdir -p "$out/main" "$out/motor" "$out/analysis" "$out/print"
export QT_QPA_PLATFORM=offscreen
shots="$build/tools/screenshots"
"$shots/zr5_main_screenshots" "$out/main"
"$shots/zr5_motor_screenshots" "$out/motor"
"$shots/zr5_analysis_screenshots" "$out/analysis"
"$shots/zr5_reception_screenshots" "$out/main"
"$shots/zr5_print_screenshots" "$out/print"
"$shots/zr5_assessment_screenshots" "$out/assessment"
"$shots/zr5_compare_screenshots" "$out/compare"
"$shots/zr5_survey_screenshots" "$out/survey"
"$build/src/tool/zr5-tool" synth "$out/print/sample.MTR" --rows 3000 --duration 3600 --seed 7 --overwrite
"$build/src/tool/zr5-tool" report "$out/print/sample.MTR" --curves "$out/print/curves.pdf" \
    --data "$out/print/data.pdf" --to 130 --date 2002-08-05T09:07 --overwrite
pdftoppm -png -r 60 "$out/print/curves.pdf" "$out/print/curves"
pdftoppm -png -r 60 "$out/print/data.pdf" "$out/print/data"
rm -f "$out/print/sample.MTR"
echo "PNG files in $out/main, $out/motor, $out/analysis, $out/print, $out/assessment, $out/compare and $out/survey"
