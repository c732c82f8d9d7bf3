#!/usr/bin/env bash
# Takes the README's pictures from the real programs: the window under Xvfb
# with an example patch loaded (late inputs shown in the tables and the patch
# view), at normal size and at a scale factor of 2, and permuto-cli's drawing
# of the example with a feedback loop. Needs a release build (bash tools/dev.sh
# run builds one), xvfb, x11-utils and imagemagick.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=${PERMUTO:-$here/build/release/app/permuto}
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
cp "$here/examples/voice-against-the-flow.pch" "$work/voice.pch"

shoot() { # scale, screen size, output
    Xvfb :97 -screen 0 "$2x24" -nolisten tcp & xvfb=$!
    sleep 1
    (cd "$work" && DISPLAY=:97 QT_SCALE_FACTOR=$1 "$program" "$work/voice.pch" & echo $! > "$work/pid")
    sleep 3
    DISPLAY=:97 import -window root -crop "$(DISPLAY=:97 xwininfo -root -tree | awk '/"voice.pch - Permuto"/ {print $(NF-1)}' | head -1)" "$3" 2>/dev/null \
        || DISPLAY=:97 import -window root "$3"
    kill "$(cat "$work/pid")" 2>/dev/null || true
    kill $xvfb; wait $xvfb 2>/dev/null || true
}
shoot 1 1024x900 "$here/docs/screenshot.png"
shoot 2 1700x1700 "$here/docs/screenshot-2x.png"
"${PERMUTO_CLI:-$here/build/release/cli/permuto-cli}" draw "$here/examples/feedback-loop.pch" poly -o "$here/docs/feedback-loop.svg"
echo "written: docs/screenshot.png docs/screenshot-2x.png docs/feedback-loop.svg"
