#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Arguments go to the program
# (tools/run.sh --demo starts it with the simulated instrument on the configured port).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
exec build/src/app/zr5 "$@"
