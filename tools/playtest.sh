#!/usr/bin/env bash
# The game played as a person plays it, through the window system: the built program in a
# process of its own on a copy of the staged game folder, its window on a virtual X server
# (Xvfb, Mesa's software renderer, no sound card), clicks and keys sent to that window by
# xdotool. The journey: the title's New game, a covenant named, Start; a walk by a click; a
# screenshot by the game's own key; the console's "quit". Checked: the log shows the world
# entered, the screenshot exists and is not blank, the program ended on its own with 0, and
# its log holds no error line.
#   tools/playtest.sh EXECUTABLE GAME_FOLDER
# Ends with 77 (a skip to ctest) only when Xvfb or xdotool is missing; tools/setup.sh installs
# them. The run's folder is kept, and named, when the journey fails.
set -uo pipefail

exe=${1:?usage: tools/playtest.sh EXECUTABLE GAME_FOLDER}
game=${2:?usage: tools/playtest.sh EXECUTABLE GAME_FOLDER}

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "PlayTest skipped: $tool is not installed and could not be (tools/setup.sh installs xvfb and xdotool)."
    exit 77
  fi
done

run=$(mktemp -d "${TMPDIR:-/tmp}/emberlode-playtest.XXXXXX")
xvfb_pid=""
game_pid=""
failed=1

finish() {
  [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
  if [ "$failed" -eq 0 ]; then
    rm -rf "$run"
  else
    echo "The run's folder (log, screenshots, the program's output) is kept in $run"
  fi
}
trap finish EXIT

fail() {
  echo "PlayTest failed: $*"
  if [ -f "$run/game/User/log.txt" ]; then
    echo "---- the end of the game's log"
    tail -n 25 "$run/game/User/log.txt"
  fi
  exit 1
}

# Polls up to the seconds given until the command succeeds; false when the time ran out or the
# game ended.
wait_for() {
  local seconds=$1
  shift
  local tries=$((seconds * 10))
  while [ "$tries" -gt 0 ]; do
    "$@" && return 0
    if [ -n "$game_pid" ] && ! kill -0 "$game_pid" 2>/dev/null; then
      return 1
    fi
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}

log_has() { grep -qF -- "$1" "$run/game/User/log.txt" 2>/dev/null; }

# ---- A game folder of the run's own, without the staged folder's user files.
cp -r "$game" "$run/game" || fail "the game folder $game could not be copied"
rm -rf "$run/game/User"
mkdir -p "$run/game/User"
# A window the clicks below are laid out for, screenshots as Targa, and each log line written
# at once so that the script can wait on it.
printf 'r_width 640\nr_height 480\nr_screenshotType 2\nlogfile 2\n' >"$run/game/User/user.cfg"

# ---- The virtual X server, on the first free display number it finds itself.
exec 3<>"$run/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for 60 grep -q '[0-9]' "$run/display" || fail "Xvfb did not start (see $run/xvfb.log)"
export DISPLAY=":$(head -n 1 "$run/display")"

# ---- The program, as a player starts it.
(
  cd "$run/game" || exit 126
  SDL_VIDEODRIVER=x11 LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null exec "$exe"
) >"$run/game.out" 2>&1 &
game_pid=$!

find_window() {
  window=$(xdotool search --onlyvisible --pid "$game_pid" 2>/dev/null | head -n 1)
  [ -n "$window" ]
}
wait_for 60 find_window || fail "the game's window did not appear"
wait_for 60 log_has "Debug system started" || fail "the game did not reach its title screen"
# The title's first frames drawn before the first click.
sleep 1

click() {
  xdotool mousemove --window "$window" "$1" "$2"
  sleep 0.2
  xdotool click 1
  sleep 0.4
}

# ---- Title: New game; the covenant's name typed; Start.
click 320 196
click 330 133
xdotool type --delay 60 "Ash"
click 440 408
wait_for 60 log_has "entered the world from" || fail "the log does not show the world entered"
sleep 2

# ---- A walk by a click on open ground, then the game's own screenshot key.
click 420 200
sleep 2
xdotool mousemove --window "$window" 639 479
xdotool key F12
shot="$run/game/User/Screenshots/ss0000.tga"
wait_for 10 test -s "$shot" || fail "the screenshot key wrote no $shot"
# The file is written in one go within the frame; a moment more and it is whole.
sleep 0.5
# Targa, 18 bytes of header: a picture of the world has many colours, a blank one a few.
colours=$(tail -c +19 "$shot" | od -An -v -tu1 -w3 | sort -u | head -n 200 | wc -l)
[ "$colours" -ge 100 ] || fail "the screenshot is blank: $colours colours in $shot"

# ---- The console's "quit": the program ends on its own.
xdotool key grave
sleep 0.3
xdotool type --delay 40 "quit"
xdotool key Return
if ! wait_for 20 eval '! kill -0 "$game_pid" 2>/dev/null'; then
  fail "the program did not end after \"quit\""
fi
wait "$game_pid"
status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "the program ended with $status (its output: $run/game.out)"

# Error lines carry the error colour's code.
errors=$(grep -F -- '^c001' "$run/game/User/log.txt" | head -n 3)
[ -z "$errors" ] || fail "the log holds error lines: $errors"

echo "PlayTest passed: the world entered, a screenshot of $colours+ colours, quit with 0."
failed=0
