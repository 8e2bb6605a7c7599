#!/usr/bin/env bash
# Takes the README's pictures from the program's own windows, drawn offscreen
# against the simulated motor bus, and writes them into docs/:
#   docs/main-window.png      the main window, Simplified Chinese
#   docs/settings-window.png  the feature settings window (curtain functions), Simplified Chinese
#   docs/main-window-en.png   the main window, English
#   docs/bus-monitor.png      the bus monitor beside the main window during a settings read, English
# Every window in all three languages is left in build/screenshots/.
#   scripts/screenshots.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"   # fonts-noto-cjk draws the Chinese texts
BUILD_TARGETS="tavik-screenshots" "$root/scripts/build.sh" "$root/build"

shots="$root/build/screenshots"
rm -rf "$shots"
# 100 % scaling whatever the desktop says: the pictures keep the window's own size.
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 QT_ENABLE_HIGHDPI_SCALING=0 \
  "$root/build/tests/main/tavik-screenshots" "$shots" 2>/dev/null
install -m 644 "$shots/main-zh_CN.png" "$root/docs/main-window.png"
install -m 644 "$shots/settings-zh_CN-tab4.png" "$root/docs/settings-window.png"
install -m 644 "$shots/main-en.png" "$root/docs/main-window-en.png"
install -m 644 "$shots/monitor-en.png" "$root/docs/bus-monitor.png"
echo "docs/main-window.png, docs/settings-window.png, docs/main-window-en.png, docs/bus-monitor.png (all windows: $shots)"
