#!/usr/bin/env bash
# Installs what the build, the tests and the program need on Debian 12, only if something is missing.
# Further package names given as arguments are installed the same way (tools/package.sh gives the
# tools that check the package).
set -euo pipefail
packages=(cmake make g++ pkg-config qt6-base-dev libqt6serialport6-dev libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-noto-cjk xvfb xauth poppler-utils
          qt6-svg-dev librsvg2-bin clang libclang-rt-14-dev python3-numpy libxlsxwriter-dev
          python3-openpyxl clang-format libqt6sql6-sqlite libqt6sql6-psql postgresql-15 "$@")
# clang-format for .ci/run's formatting check; qt6-svg-dev for the SVG pictures; clang and its
# libFuzzer for tools/fuzz.sh; python3-numpy for bench/info_vs_numpy.sh; libxlsxwriter-dev for the
# workbooks, python3-openpyxl to read them back in the tests; the Qt SQL drivers for the surveys,
# postgresql-15 for the survey tests' throwaway server (initdb, pg_ctl)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
