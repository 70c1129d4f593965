#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
if [ -x build/src/app/zr5 ]; then
    exec build/src/app/zr5 "$@"
fi
# Until the desktop program is built, show what the core makes of a freshly synthesised recording.
demo=$(mktemp -d)/demo.MTR
build/src/tool/zr5-tool synth "$demo" --rows 3600 --duration 3600 --seed 1
exec build/src/tool/zr5-tool info "$demo"
