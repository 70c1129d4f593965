#!/usr/bin/env bash
# Times `zr5-tool info --json` against bench/info_numpy.py (the same row arithmetic, vectorised
# with numpy) on one 1,000,000-row synthetic recording, and prints both times and their ratio.
# The tool should take at most 0.3 of numpy's time. Each is run RUNS times (default 5); the best
# wall-clock time counts.
#
#   bench/info_vs_numpy.sh [BUILD_DIR]        # BUILD_DIR defaults to build
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-5}
python=${PYTHON:-/usr/bin/python3}
tool="$build/src/tool/zr5-tool"
[ -x "$tool" ] || { echo "no $tool: build first (tools/build.sh)" >&2; exit 1; }
"$python" -c 'import numpy' 2>/dev/null ||
    { echo "$python has no numpy: apt-get install python3-numpy" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
recording="$work/bench.MTR"
"$tool" synth "$recording" --rows 1000000 --duration 36000 --seed 1 >/dev/null

# Best wall-clock milliseconds of $runs runs of the command given.
best_ms() {
    local best="" start end ms
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        ms=$(((end - start) / 1000000))
        if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    done
    echo "$best"
}

tool_ms=$(best_ms "$tool" --data-dir "$work" info --json "$recording")
numpy_ms=$(best_ms "$python" bench/info_numpy.py "$recording")
echo "zr5-tool info --json: ${tool_ms} ms"
echo "numpy script:         ${numpy_ms} ms"
awk -v t="$tool_ms" -v n="$numpy_ms" 'BEGIN { printf "ratio tool/numpy:     %.2f (goal 0.30 or less)\n", t / n }'
