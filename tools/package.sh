#!/usr/bin/env bash
# Builds the Debian package build/zr5_<version>_amd64.deb with CPack and checks it: the desktop
# entry, the AppStream metainfo and the MIME type against their validators, the dependencies, an
# install into a scratch root whose programs run, and the desktop entry opening a recording whose
# name has blanks and Chinese characters.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh dpkg-dev desktop-file-utils appstream libxml2-utils shared-mime-info xdotool \
    file
tools/build.sh
(cd build && cpack -G DEB)

version=$(build/src/tool/zr5-tool --version | cut -d' ' -f2)
deb=build/zr5_${version}_amd64.deb
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg-deb -x "$deb" "$root"
fail() { echo "package.sh: $*" >&2; exit 1; }

echo "== contents"
share=$root/usr/share
for f in usr/bin/zr5 usr/bin/zr5-tool usr/bin/zr5-sim usr/share/applications/zr5.desktop \
         usr/share/mime/packages/zr5-recording.xml usr/share/metainfo/zr5.metainfo.xml \
         usr/share/man/man1/zr5.1.gz usr/share/man/man1/zr5-tool.1.gz \
         usr/share/icons/hicolor/scalable/apps/zr5.svg; do
    [ -s "$root/$f" ] || fail "$f is missing from $deb"
done
for size in 16 22 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/zr5.png
    [ "$(file -b "$png" | cut -d, -f2)" = " $size x $size" ] || fail "$png is not $size px"
done
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "no dependencies from shlibdeps"
dpkg-deb -f "$deb" Depends | grep -q 'fonts-noto-cjk' || fail "fonts-noto-cjk is not a dependency"

echo "== desktop-file-validate"
desktop-file-validate "$share/applications/zr5.desktop"
echo "== appstreamcli validate"
# The component is called zr5, as the program, its menu entry and its icon are: the project has no
# internet domain of its own to build a reverse-domain name from.
appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
    "$share/metainfo/zr5.metainfo.xml"
echo "== xmllint (the schema of shared-mime-info, as its own database file carries it)"
sed -n '/^<!DOCTYPE mime-info \[/,/^\]>/p' /usr/share/mime/packages/freedesktop.org.xml |
    sed '1d;$d' > "$scratch/shared-mime-info.dtd"
[ -s "$scratch/shared-mime-info.dtd" ] || fail "no schema in the shared-mime-info database file"
xmllint --noout --dtdvalid "$scratch/shared-mime-info.dtd" \
    "$share/mime/packages/zr5-recording.xml"
echo "valid"
XDG_DATA_DIRS=$share update-mime-database "$share/mime"
grep -q '^50:application/x-zr5-recording:\*\.mtr$' "$share/mime/globs2" ||
    fail "the MIME database does not map *.MTR to application/x-zr5-recording"

echo "== the installed programs"
for program in zr5 zr5-tool zr5-sim; do
    answer=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version)
    echo "$answer"
    [ "$answer" = "$program $version" ] || fail "$program --version says '$answer'"
done

echo "== the desktop entry opens a recording"
recording="$scratch/一号 电动机 2024年 数据.MTR"
"$root/usr/bin/zr5-tool" synth "$recording" --rows 120 --duration 60 --seed 7 > /dev/null
# Exec as a desktop launcher runs it: the words of the line, %f replaced by the file as one word.
read -ra words <<< "$(sed -n 's/^Exec=//p' "$share/applications/zr5.desktop")"
command=()
for w in "${words[@]}"; do
    if [ "$w" = "%f" ]; then command+=("$recording"); else command+=("$w"); fi
done
export PATH="$root/usr/bin:$PATH" ZR5_DATA_DIR="$scratch/data" QT_QPA_PLATFORM=xcb
export RECORDING=$recording
xvfb-run -a -s "-screen 0 1366x768x24" bash -c '
    "$@" & program=$!
    title=
    for _ in $(seq 100); do
        for id in $(xdotool search --pid $program 2>/dev/null); do
            name=$(xdotool getwindowname "$id")
            [[ $name == *"[$RECORDING]"* ]] && title=$name
        done
        [ -n "$title" ] && break
        sleep 0.2
    done
    kill $program
    wait $program 2>/dev/null || true
    [ -n "$title" ] || { echo "package.sh: no window shows $RECORDING" >&2; exit 1; }
    echo "window: $title"' zr5-open "${command[@]}"

echo "== $deb: $(du -h "$deb" | cut -f1) ($(stat -c %s "$deb") bytes)"
