#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed programs
# from elsewhere: they must find their module library under share/permuto and
# keep running; without it the window must refuse to start.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
id=org.example.permuto
for f in bin/permuto bin/permuto-cli share/permuto/resources/patch303.txt share/permuto/COPYING \
         share/permuto/examples/voice-against-the-flow.pch share/applications/$id.desktop \
         share/icons/hicolor/128x128/apps/$id.png share/man/man1/permuto.1.gz share/man/man1/permuto-cli.1.gz \
         share/mime/packages/$id.xml share/metainfo/$id.metainfo.xml share/doc/permuto/copyright; do
    [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done
grep -q "^Exec=.*/bin/permuto %f$" "$prefix/share/applications/$id.desktop"
grep -q '^MimeType=application/x-permuto-patch;$' "$prefix/share/applications/$id.desktop"
grep -q 'glob pattern="\*.pch"' "$prefix/share/mime/packages/$id.xml"

# Started from elsewhere, with a display that needs none; timeout's 124 means still running.
status=0
(cd / && ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen timeout 5 "$prefix/bin/permuto") || status=$?
[ "$status" -eq 124 ] || { echo "installed program stopped with status $status"; exit 1; }

# The tool finds the library in share/permuto.
(cd / && ASAN_OPTIONS=detect_leaks=0 "$prefix/bin/permuto-cli" list "$prefix/share/permuto/examples/voice-against-the-flow.pch" \
    | grep -q "^poly	7	KeyVoice	Keys	0	0$") || { echo "installed permuto-cli cannot list"; exit 1; }

# Without its library it must refuse to start (no display: the report goes to stderr alone).
rm "$prefix/share/permuto/resources/patch303.txt"
status=0
(cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ASAN_OPTIONS=detect_leaks=0 timeout 5 "$prefix/bin/permuto" 2> "$prefix/err") || status=$?
[ "$status" -eq 1 ] || { echo "started without its library (status $status)"; exit 1; }
grep -q 'Cannot open file' "$prefix/err"
echo "install passed"
