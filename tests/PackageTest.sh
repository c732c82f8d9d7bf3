#!/usr/bin/env bash
# Checks the Debian package: lintian finds no error or warning, the desktop entry and the
# AppStream metadata validate, and the programs unpacked into a folder of
# their own (not installed) run from there, finding their module library and
# the example patches under the unpacked /usr/share/permuto.
#   bash tests/PackageTest.sh PACKAGE.deb
set -euo pipefail
deb=$(readlink -f "$1")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
id=org.example.permuto

# Errors and warnings fail the test; the notes of lintian's lowest level are
# printed (the README says why each stays).
lintian --fail-on error,warning --suppress-tags-from-file /dev/null "$deb"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"

example="$root/usr/share/permuto/examples/voice-against-the-flow.pch"
(cd / && "$root/usr/bin/permuto-cli" list "$example" | grep -q "^poly	7	KeyVoice	Keys	0	0$") \
    || { echo "the unpacked permuto-cli does not list the example"; exit 1; }
status=0
(cd / && "$root/usr/bin/permuto-cli" late "$example" > /dev/null) || status=$?
[ "$status" -eq 1 ] || { echo "the example has no late connections to fix (status $status)"; exit 1; }

# The window, offscreen, with the example: still running after 5 s (timeout's 124).
status=0
(cd / && HOME="$root" QT_QPA_PLATFORM=offscreen timeout 5 "$root/usr/bin/permuto" "$example" 2> "$root/err") || status=$?
[ "$status" -eq 124 ] || { echo "the unpacked window stopped with status $status"; cat "$root/err"; exit 1; }
echo "package passed: $(basename "$deb")"
