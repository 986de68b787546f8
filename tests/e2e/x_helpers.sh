# Helpers of the end-to-end scripts, which drive real programs under Wine on
# an X display with xdotool; source this file. It keeps the counts of the
# checks in `passed` and `failed`.

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
# The program's registry key, under both roots.
key='Software\Pellmora\Orvanta\1.x'

# Ends the program with File > Exit from the keyboard, after a click on the
# main window's Range group has brought it to the front; true when the
# process PID is gone within 10 s.
exit_program() { # exit_program WINDOW PID
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --sync $((X + WIDTH * 5 / 100)) $((Y + HEIGHT * 60 / 100)) click 1
  sleep 0.3
  xdotool key --window "$1" alt+f
  sleep 0.3
  xdotool key x
  for _ in $(seq 1 50); do
    kill -0 "$2" 2>/dev/null || return 0
    sleep 0.2
  done
  return 1
}

# The X window whose title is exactly TITLE, once it is on the screen,
# waiting up to 20 s for it; nothing when it does not appear. Wine creates
# a window's X window, title and all, with the Windows window, which a
# program shows only when it is ready; until then the X window is unmapped,
# and a click or a key meant for it goes to the root window and is lost.
find_window() { # find_window TITLE
  local id=""
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [[ -n $id ]] && break
    sleep 0.2
  done
  echo "$id"
}

