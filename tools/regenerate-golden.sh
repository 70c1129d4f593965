#!/usr/bin/env bash
# Rewrites the printed pages' golden dumps (tests/data/golden-*-report.txt, -curves.txt) from what
# the reports print now. Run it after a deliberate change of layout and review the diff
# (git diff tests/data) before committing it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target printing_tests
ZR5_REGENERATE_GOLDEN=1 "$build/tests/printing/printing_tests" --gtest_filter='GoldenPages.*'
git --no-pager diff --stat -- tests/data
