#!/usr/bin/env bash
# End to end: the real Orvanta.exe under Wine on an X display, driven by real
# X input, checked by screenshots and by the registry afterwards.
#   tests/e2e/e2e.sh ORVANTA_EXE OUTPUT_DIR
# Needs DISPLAY and the Wine environment (scripts/wine-env). Prints one line
# per check and, last, "N passed, N failed"; exits non-zero on any failure.
set -uo pipefail
exe=$1
out=$2
mkdir -p "$out"
passed=0
failed=0
check() { # check NAME CONDITION-COMMAND...
  local name=$1
  shift
  if "$@"; then
    echo "  ok: $name"
    passed=$((passed + 1))
  else
    echo "  FAILED: $name"
    failed=$((failed + 1))
  fi
}
key='Software\Pellmora\Orvanta\1.x'

# A first run with nothing stored.
wine reg delete "HKCU\\$key" /f >/dev/null 2>&1
wine reg delete "HKLM\\$key" /f >/dev/null 2>&1

wine "$exe" >"$out/orvanta.log" 2>&1 &
pid=$!
window=""
for _ in $(seq 1 100); do
  window=$(xdotool search --name '^Orvanta$' 2>/dev/null | head -n 1)
  [[ -n $window ]] && break
  sleep 0.2
done
check "the main window appears" test -n "$window"
if [[ -z $window ]]; then
  kill "$pid" 2>/dev/null
  echo "$passed passed, $failed failed"
  exit 1
fi
sleep 1
import -window root "$out/start.png"

# The first equation field has the focus at start-up; click it anyway, as a
# user would: it is the first edit field, left of the graph, near the top.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --sync $((X + WIDTH * 21 / 100)) $((Y + HEIGHT * 10 / 100)) click 1
sleep 0.3
xdotool type --delay 40 'sin(x)'
xdotool key Return
sleep 1.5
import -window root "$out/plotted.png"

# Pixels of the first curve colour (pure red) in the screenshot.
red=$(convert "$out/plotted.png" -fill black +opaque '#FF0000' -fill white -opaque '#FF0000' \
  -colorspace gray -format '%[fx:round(mean*w*h)]' info:)
check "typing sin(x) and Return draws the first curve ($red red pixels)" test "${red:-0}" -gt 200

# File > Exit through the keyboard; the preferences are written on the way out.
xdotool key --window "$window" alt+f
sleep 0.3
xdotool key x
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
check "File > Exit ends the program" bash -c "! kill -0 $pid 2>/dev/null"
kill "$pid" 2>/dev/null
wine reg query "HKCU\\$key" >"$out/registry.txt" 2>&1
check "preferences are in the registry" grep -q 'Graph_Mode' "$out/registry.txt"
check "the window placement is saved" grep -q 'Main_Window_Dim_dx' "$out/registry.txt"
check "the mode is stored as 4 bytes of type 0" grep -qE 'Graph_Mode +REG_NONE +00000000' "$out/registry.txt"

echo "$passed passed, $failed failed"
((failed == 0))
