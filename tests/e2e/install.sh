#!/usr/bin/env bash
# The installer end to end, in a Wine prefix made for the run: folders
# outside Program Files refused, a silent install, the installed program
# started from its Start-menu folder's target, a silent uninstall, and what
# is left afterwards.
#   tests/e2e/install.sh SETUP_EXE PREFIX_DIR OUTPUT_DIR
# Needs DISPLAY. PREFIX_DIR is deleted and made anew. Prints one line per
# check and, last, "N passed, N failed"; exits non-zero on any failure.
set -uo pipefail
setup=$(realpath "$1")
prefix=$(realpath -m "$2")
out=$3
# shellcheck source=tests/e2e/x_helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/x_helpers.sh"

export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
mkdir -p "$out"
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
trap 'wineserver -k >/dev/null 2>&1' EXIT
wineboot -i </dev/null >"$out/wineboot.log" 2>&1
wineserver -p </dev/null >/dev/null 2>&1

folder="$prefix/drive_c/Program Files/Orvanta"
shortcut="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Orvanta.lnk"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanta'
files=(Orvanta.exe orvanta-cli.exe README.txt LICENSE.txt Uninstall.exe)

# The value NAME of the uninstall entry, as `reg query` prints it.
entry() { wine reg query "$uninstall" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
all_present() { local f; for f in "${files[@]}"; do [[ -f $folder/$f ]] || return 1; done; }
none_present() { local f; for f in "${files[@]}"; do [[ ! -e $folder/$f ]] || return 1; done; }
equals() { [[ $1 == "$2" ]]; }
has_entry() { wine reg query "$uninstall" >/dev/null 2>&1; }

# Only a folder inside Program Files is accepted, since any other may be
# writable by every user. A silent install into another one fails and
# writes nothing: neither the folder named (under drive_c) nor an uninstall
# entry. NSIS reads /D= only last and unquoted, so cmd passes the command
# line on as it is written.
nothing_installed() { [[ ! -e $prefix/drive_c/$1 ]] && ! has_entry; } # FOLDER
refused() { [[ $1 != 0 ]] && nothing_installed "$2"; }                 # EXIT_CODE FOLDER
setup_w=$(winepath -w "$setup" 2>/dev/null)
while IFS="|" read -r given absent; do
  timeout 120 wine cmd /c "$setup_w /S /D=$given" </dev/null >>"$out/refused.log" 2>&1
  rc=$?
  check "a silent install into $given fails ($rc) and installs nothing" refused "$rc" "$absent"
done <<'END'
C:\Orvanta|Orvanta
C:\Program Files\..\Orvanta|Orvanta
C:\Program FilesX\a|Program FilesX
C:\Program Files\|Program Files/Uninstall.exe
END

# The directory page refuses such a folder with a message and stays.
# Return presses each page's default button, and OK in the message.
press_return() { # press_return WINDOW: once the window has settled and has the focus
  [[ -n $1 ]] || return
  sleep 1
  timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool key Return
}
wine "$setup" '/D=C:\Orvanta' </dev/null >"$out/interactive.log" 2>&1 &
pid=$!
page=$(find_window 'Orvanta 1.1 Setup: License Agreement')
check "the installer shows its licence" test -n "$page"
press_return "$page"
page=$(find_window 'Orvanta 1.1 Setup: Installation Folder')
check "the directory page shows C:\Orvanta" test -n "$page"
press_return "$page"
message=$(find_window 'Orvanta 1.1 Setup')
check "installing there brings a message" test -n "$message"
import -window root "$out/refused.png"
press_return "$message"
check "the directory page stays" test -n "$(find_window 'Orvanta 1.1 Setup: Installation Folder')"
check "nothing is installed" nothing_installed Orvanta
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null

# An earlier install outside Program Files left its folder in the uninstall
# entry, where a later install would look first: the default folder instead.
wine reg add "$uninstall" /v InstallLocation /d 'C:\Orvanta' /f >/dev/null 2>&1
timeout 120 wine "$setup" /S </dev/null >"$out/setup.log" 2>&1
check "silent install exits with 0" equals "$?" 0
check "the files are in Program Files" all_present
check "not in the earlier install's C:\\Orvanta" test ! -e "$prefix/drive_c/Orvanta"
check "the Start-menu shortcut exists" test -f "$shortcut"
check "Add/Remove Programs lists it" equals "$(entry DisplayName)" "Orvanta 1.1"
check "with its version" equals "$(entry DisplayVersion)" "1.1"
check "with its publisher" equals "$(entry Publisher)" "Pellmora"
check "with its icon" equals "$(entry DisplayIcon)" 'C:\Program Files\Orvanta\Orvanta.exe,0'
size=$(($(entry EstimatedSize)))
check "with its size in KiB ($size)" test "$size" -gt 500 -a "$size" -lt 20000
check "with an uninstaller" equals "$(entry UninstallString)" '"C:\Program Files\Orvanta\Uninstall.exe"'

# The installed program starts and shows its window; File > Exit stores the
# preferences, which the uninstaller must leave alone.
wine 'C:\Program Files\Orvanta\Orvanta.exe' >"$out/orvanta.log" 2>&1 &
pid=$!
window=$(find_window Orvanta)
check "the installed program shows its window" test -n "$window"
if [[ -n $window ]]; then
  sleep 1
  import -window root "$out/installed.png"
  check "it ends with File > Exit" exit_program "$window" "$pid"
fi
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
has_preferences() { wine reg query "HKCU\\$key" /v Graph_Mode >/dev/null 2>&1; }
check "its preferences are stored" has_preferences

# Graph documents, registered for all users: the default value of each key.
classes='HKLM\Software\Classes'
progid=Pellmora.Orvanta.Graph
class_value() {
  wine reg query "$classes\\$1" /ve </dev/null 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *(Default) *REG_SZ *//p'
}
no_class_key() { ! wine reg query "$classes\\$1" </dev/null >/dev/null 2>&1; }
while IFS='|' read -r subkey value; do
  check "$subkey is $value" equals "$(class_value "$subkey")" "$value"
done <<'END'
.orv|Pellmora.Orvanta.Graph
Pellmora.Orvanta.Graph|Orvanta Graph
Pellmora.Orvanta.Graph\DefaultIcon|"C:\Program Files\Orvanta\Orvanta.exe",1
Pellmora.Orvanta.Graph\shell\open\command|"C:\Program Files\Orvanta\Orvanta.exe" "%1"
END

# A graph in a folder whose name has a space, opened the way a double-click
# opens it: `start` hands it to ShellExecute, which runs the open command.
graph='C:\users\Public\Documents\My Graphs\graph.orv'
mkdir -p "$prefix/drive_c/users/Public/Documents/My Graphs"
cat >"$prefix/drive_c/users/Public/Documents/My Graphs/graph.orv" <<'END'
{
  "orvanta": 1,
  "mode": "rectangular",
  "x": [-10, 10],
  "y": [-10, 10],
  "t": [-10, 10],
  "equations": ["sin(x)", "x/2", "", "", "", "", "", ""],
  "colors": ["#FF0000", "#00FF00", "#0000FF", "#FF00FF", "#00FFFF", "#FFFF00", "#007FFF", "#FF7F00"],
  "background": "#FFFFFF",
  "axisColor": "#000000",
  "showAxes": true
}
END

# The pids of this prefix's processes started with ARG... first (Wine gives a
# program's process its Windows arguments as argv).
prefix_pids() { # prefix_pids ARG...
  local want p
  want=$(printf '%s\n' "$@")
  for p in /proc/[0-9]*; do
    [[ $(tr '\0' '\n' <"$p/cmdline" 2>/dev/null | head -n $#) == "$want" ]] || continue
    tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" && echo "${p#/proc/}"
  done
}

wine start "$graph" </dev/null >"$out/start.log" 2>&1
check "start opens the graph" equals "$?" 0
exe='C:\Program Files\Orvanta\Orvanta.exe'
for _ in $(seq 1 100); do
  pid=$(prefix_pids "$exe" "$graph" | head -n 1)
  [[ -n $pid ]] && break
  sleep 0.2
done
check "the association runs Orvanta.exe with the graph's path as one argument" test -n "$pid"
window=$(find_window 'graph\.orv - Orvanta')
check "the graph opens in a window titled graph.orv - Orvanta" test -n "$window"
if [[ -n $window ]]; then
  sleep 1
  import -window root "$out/document.png"
  red=$(convert "$out/document.png" -fill black +opaque '#FF0000' -fill white -opaque '#FF0000' \
    -colorspace gray -format '%[fx:round(mean*w*h)]' info:)
  check "it shows the graph's red curve ($red red pixels)" test "${red:-0}" -gt 200
  check "it ends with File > Exit" exit_program "$window" "$pid"
fi
# Nothing of it left running for the uninstaller, whatever happened above.
for _ in $(seq 1 50); do
  running=$(prefix_pids "$exe")
  [[ -z $running ]] && break
  # shellcheck disable=SC2086 # one pid per word
  kill $running 2>/dev/null
  sleep 0.2
done

# The uninstaller copies itself to the temporary folder and returns at once;
# the copy does the work.
timeout 60 wine 'C:\Program Files\Orvanta\Uninstall.exe' /S </dev/null >"$out/uninstall.log" 2>&1
check "silent uninstall starts" equals "$?" 0
for _ in $(seq 1 60); do
  [[ ! -e $folder ]] && ! has_entry && break
  sleep 0.5
done
check "the installed files are gone" none_present
check "the install folder is gone" test ! -e "$folder"
check "the shortcut is gone" test ! -e "$shortcut"
check "the Add/Remove entry is gone" eval '! has_entry'
check "the graph class is gone" no_class_key "$progid"
check "the .orv extension is gone" no_class_key .orv
check "the preferences stay" has_preferences

echo "$passed passed, $failed failed"
((failed == 0))
