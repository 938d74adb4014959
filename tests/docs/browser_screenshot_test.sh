#!/usr/bin/env bash
# A page of the reference as a person sees it: opened from disk in a real browser (headless Chromium), its
# screenshot kept as an artefact and checked to show the page, not an error or a blank screen.
#   browser_screenshot_test.sh REFERENCE_HTML_DIR ARTIFACTS_DIR
set -euo pipefail
html=$1
artifacts=$2
mkdir -p "$artifacts"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
shot=$artifacts/reference-keys-page.png
rm -f "$shot"
# --no-sandbox: CI runs as root, where Chromium's sandbox refuses to start.
timeout 120 chromium --headless --no-sandbox --disable-gpu --user-data-dir="$profile" --hide-scrollbars \
  --window-size=1100,1400 --screenshot="$shot" "file://$html/keys.html#send" >"$profile/chromium.log" 2>&1 \
  || { cat "$profile/chromium.log"; exit 1; }
[ -s "$shot" ] || { echo "no screenshot"; cat "$profile/chromium.log"; exit 1; }
size=$(identify -format '%wx%h' "$shot")
[ "$size" = 1100x1400 ] || { echo "screenshot is $size"; exit 1; }
# A rendered page has text, the navigation bar and code boxes: many colours. A blank or error page has few.
colours=$(identify -format '%k' "$shot")
[ "$colours" -gt 40 ] || { echo "the screenshot shows only $colours colours"; exit 1; }
# The navigation bar's colour at the top left, the page background below it.
top=$(convert "$shot" -crop 1x1+5+5 -format '%[pixel:p]' info:)
[ "$top" = "srgb(39,70,90)" ] || { echo "no navigation bar at the top: $top"; exit 1; }
echo "browser screenshot test: 1 passed, 0 failed ($shot)"
