#!/usr/bin/env bash
# Pictures of the program's icon: the PNGs of 16, 48 and 256 px as the package installs them
# (with 16 and 48 px also magnified, pixel for pixel, to judge them), and the main window with
# its icon in the title bar under a real window manager (Xvfb and openbox).
#   tools/screenshots/icon-screenshots.sh [BUILD_DIR] [OUT_DIR]
# Needs openbox, xdotool and imagemagick besides the build's packages.
set -euo pipefail
build=${1:-build}
out=${2:-screenshots}/icon
cmake --build "$build" -j2 --target zr5
mkdir -p "$out"
icons=$build/src/ui/icons
for size in 16 48 256; do
    cp "$icons/$size/zr5.png" "$out/icon-$size.png"
done
convert \( "$icons/16/zr5.png" -filter point -resize 800% \) \
    \( "$icons/48/zr5.png" -filter point -resize 400% \) "$icons/256/zr5.png" \
    "$icons/48/zr5.png" "$icons/16/zr5.png" \
    -background white -gravity center +append -alpha remove "$out/icon-sizes.png"

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
export out build ZR5_DATA_DIR=$data QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1366x768x24" bash -c '
    openbox & wm=$!
    sleep 1
    "$build/src/app/zr5" & program=$!
    id=$(timeout 20 xdotool search --sync --onlyvisible --pid $program | head -1)
    sleep 1
    import -window root "$out/titlebar-screen.png"
    # The title bar and the window'"'"'s top left, magnified twice.
    eval "$(xdotool getwindowgeometry --shell "$id")"
    convert "$out/titlebar-screen.png" -crop 420x90+$((X - 10))+$((Y - 40)) +repage \
        -filter point -resize 200% "$out/titlebar.png"
    kill $program $wm
    wait 2>/dev/null || true'
echo "PNG files in $out"
