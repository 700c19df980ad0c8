#!/usr/bin/env bash
# Remakes the pictures of the user's manual (doc/manual/images): builds and runs the screens
# test, which draws every window of the program skinned, and copies the pictures the manual
# shows. Usage: scripts/manual-pictures.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

cmake --build "$build" --target screens_tests
# The ID3 editor browses from the test's folder and shows the folders beside it; a quiet
# temporary folder keeps strangers' files out of the picture.
quiet=$(mktemp -d /var/tmp/quillon-manual.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$quiet"' EXIT
(cd "$build/tests/app_screens" && TMPDIR=$quiet QT_QPA_PLATFORM=offscreen ./screens_tests >/dev/null)

pictures=(TMainForm TRipPropressForm Trename TCdMsgForm TOptions TOptions-2 TOptions-3 TOptions-4
    TOptions-5 TOptions-6 TAboutForm Twav2mp3 Twav2ogg Togg2wav Togg2mp3 TBatchConverterForm Toggplayer Trecorder
    Tmixer Tid3editormain MessageBox FileDialog)
mkdir -p "$root/doc/manual/images"
for picture in "${pictures[@]}"; do
    cp "$build/tests/app_screens/screens/$picture.png" "$root/doc/manual/images/$picture.png"
done
echo "${#pictures[@]} pictures in doc/manual/images"
