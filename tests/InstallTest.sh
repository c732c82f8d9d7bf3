#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed program
# through its link in bin/: it must find its module library and keep running.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
for f in lib/permuto/permuto lib/permuto/permuto-cli lib/permuto/resources/patch303.txt lib/permuto/COPYING \
         share/applications/permuto.desktop share/icons/hicolor/128x128/apps/permuto.png \
         share/man/man1/permuto.1 share/man/man1/permuto-cli.1 share/mime/packages/permuto.xml; do
    [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
for program in permuto permuto-cli; do
    [ -L "$prefix/bin/$program" ] || { echo "bin/$program is no link"; exit 1; }
    [ "$(readlink -f "$prefix/bin/$program")" = "$(readlink -f "$prefix/lib/permuto/$program")" ] || { echo "bad link"; exit 1; }
done
grep -q '^Exec=.*/bin/permuto %f$' "$prefix/share/applications/permuto.desktop"
grep -q '^MimeType=application/x-permuto-patch;$' "$prefix/share/applications/permuto.desktop"
grep -q 'glob pattern="\*.pch"' "$prefix/share/mime/packages/permuto.xml"

# Started from elsewhere, with a display that needs none; timeout's 124 means still running.
status=0
(cd / && ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen timeout 5 "$prefix/bin/permuto") || status=$?
[ "$status" -eq 124 ] || { echo "installed program stopped with status $status"; exit 1; }

# The tool, started through its link, finds the library beside itself.
cp "$(dirname "$0")/data/full.pch" "$prefix/p.pch"
(cd / && ASAN_OPTIONS=detect_leaks=0 "$prefix/bin/permuto-cli" list "$prefix/p.pch" | grep -q "^poly	1	KeyVoice	Keys	0	0$") \
    || { echo "installed permuto-cli cannot list"; exit 1; }

# Without its library it must refuse to start (no display: the report goes to stderr alone).
rm "$prefix/lib/permuto/resources/patch303.txt"
status=0
(cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ASAN_OPTIONS=detect_leaks=0 timeout 5 "$prefix/bin/permuto" 2> "$prefix/err") || status=$?
[ "$status" -eq 1 ] || { echo "started without its library (status $status)"; exit 1; }
grep -q 'Cannot open file' "$prefix/err"
echo "install passed"
