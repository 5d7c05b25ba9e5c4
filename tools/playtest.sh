#!/usr/bin/env bash
# The game played as a person plays it, through the window system: the built program in a
# process of its own on a copy of the staged game folder, its window on a virtual X server
# (Xvfb, Mesa's software renderer, no sound card), clicks and keys sent to that window by
# xdotool. The journey: the title's New game, a covenant named, Start; a walk by a click; a
# screenshot by the game's own key; the console's "quit". Checked: the log shows the world
# entered, the screenshot exists and is not blank, the program ended on its own with 0, and
# its log holds no error line.
#   tools/playtest.sh EXECUTABLE GAME_FOLDER
# No step waits a fixed time for the game: each waits, up to a generous bound, on what the game
# shows (its window mapped and in focus, its log lines, a screenshot taken by its own key). A
# step that runs out of time fails naming itself and leaves a screenshot of the moment.
# Ends with 77 (a skip to ctest) only when Xvfb or xdotool is missing; tools/setup.sh installs
# them. The run's folder is kept, and named, when the journey fails. The X server and the game
# are ended whatever way the script ends.
set -uo pipefail

exe=${1:?usage: tools/playtest.sh EXECUTABLE GAME_FOLDER}
game=${2:?usage: tools/playtest.sh EXECUTABLE GAME_FOLDER}

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "PlayTest skipped: $tool is not installed and could not be (tools/setup.sh installs xvfb and xdotool)."
    exit 77
  fi
done

# The whole journey's bound, below ctest's time-out for the test, so that a journey out of time
# still fails with its step named and ends its X server and game itself. A loaded machine (a
# build beside the tests) has taken minutes over start-up and the new world.
deadline=$((SECONDS + 540))

run=$(mktemp -d "${TMPDIR:-/tmp}/emberlode-playtest.XXXXXX")
shots="$run/game/User/Screenshots"
xvfb_pid=""
game_pid=""
window=""
shot=""
failed=1

finish() {
  [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
  [ -n "$game_pid" ] && wait "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
  if [ "$failed" -eq 0 ]; then
    rm -rf "$run"
  else
    echo "The run's folder (log, screenshots, the program's output) is kept in $run"
  fi
}
trap finish EXIT
trap 'echo "PlayTest stopped by a signal"; exit 1' INT TERM HUP

game_running() { [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; }

# Polls up to the seconds given (never past the journey's bound) until the command succeeds;
# false when the time ran out or the game ended.
wait_for() {
  local until=$((SECONDS + $1))
  shift
  [ "$until" -gt "$deadline" ] && until=$deadline
  while true; do
    "$@" && return 0
    if [ -n "$game_pid" ] && ! game_running; then
      return 1
    fi
    [ "$SECONDS" -ge "$until" ] && return 1
    sleep 0.1
  done
}

log_has() { grep -qF -- "$1" "$run/game/User/log.txt" 2>/dev/null; }

shot_count() { find "$shots" -maxdepth 1 -name 'ss[0-9][0-9][0-9][0-9].tga' 2>/dev/null | wc -l; }
# The game numbers its screenshots upwards and writes each under a temporary name first, so the
# newest is the highest number and is whole once it has its name.
newest_shot() { find "$shots" -maxdepth 1 -name 'ss[0-9][0-9][0-9][0-9].tga' 2>/dev/null | sort | tail -n 1; }
shots_beyond() { [ "$(shot_count)" -gt "$1" ]; }

fail() {
  echo "PlayTest failed: $*"
  if game_running; then
    [ -n "$window" ] && echo "The window $window; the window with the input focus: $(xdotool getwindowfocus 2>&1)"
    # The screen of the moment, when the game still takes its screenshot key.
    local before
    before=$(shot_count)
    xdotool key F12 2>/dev/null
    deadline=$((SECONDS + 15))
    wait_for 15 shots_beyond "$before"
  elif [ -n "$game_pid" ]; then
    wait "$game_pid"
    echo "The game has ended with status $? (its output: $run/game.out)"
    game_pid=""
  fi
  [ -n "$xvfb_pid" ] && ! kill -0 "$xvfb_pid" 2>/dev/null && echo "The X server has ended (its output: $run/xvfb.log)"
  [ -n "$(newest_shot)" ] && echo "The last screenshot: $(newest_shot)"
  if [ -f "$run/game/User/log.txt" ]; then
    echo "---- the end of the game's log"
    tail -n 25 "$run/game/User/log.txt"
  fi
  exit 1
}

# The game's screenshot key, then a wait for the picture: the key is read in its turn after
# every click and key sent before it, so the picture proves them taken and shows what they did.
snap() {
  local step=$1 before
  before=$(shot_count)
  xdotool key F12 || fail "$step: xdotool could not press the screenshot key"
  wait_for 120 shots_beyond "$before" || fail "$step: the game took no screenshot"
  shot=$(newest_shot)
}

# A move and a click in one go; the game clicks where the pointer went even when both reach it
# within one frame.
click() {
  timeout 30 xdotool mousemove --window "$window" --sync "$2" "$3" click 1 ||
    fail "$1: xdotool could not click at $2,$3"
}

# ---- A game folder of the run's own, without the staged folder's user files.
cp -r "$game" "$run/game" || fail "the game folder $game could not be copied"
rm -rf "$run/game/User"
mkdir -p "$run/game/User"
# A window the clicks below are laid out for, screenshots as Targa, and each log line written
# at once so that the script can wait on it.
printf 'r_width 640\nr_height 480\nr_screenshotType 2\nlogfile 2\n' >"$run/game/User/user.cfg"

# ---- The virtual X server, on the first free display number it finds itself. An X server
# resets itself whenever its last client leaves and drops every connection still being set up
# as it does; each xdotool below is such a client, so a game connecting as one of them left
# found no display ("SDL video: x11 not available"). -noreset keeps the server as it is.
exec 3<>"$run/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset >"$run/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for 60 grep -q '[0-9]' "$run/display" || fail "start: Xvfb did not start (see $run/xvfb.log)"
DISPLAY=":$(head -n 1 "$run/display")"
export DISPLAY
wait_for 60 xdotool getdisplaygeometry >/dev/null 2>&1 || fail "start: Xvfb on $DISPLAY takes no connection"

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
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]; }
wait_for 120 find_window || fail "start: the game's window did not appear"
# Keys go to the window with the input focus. With no window manager (as here) SDL gives its
# window the focus as it maps it; where that did not happen, xdotool gives it.
if ! has_focus; then
  timeout 30 xdotool windowfocus --sync "$window" 2>/dev/null
  wait_for 30 has_focus || fail "start: the game's window has not the input focus"
fi
wait_for 120 log_has "Debug system started" || fail "start: the game did not reach its title screen"
# The first screenshot proves the title's frames run and take keys.
snap "title screen"

# ---- Title: New game; the covenant's name typed; Start.
click "title screen" 320 196
click "new character" 330 133
xdotool type --delay 60 "Ash"
# The keys of a frame are read after its clicks: the name is in before Start is clicked.
snap "new character, the covenant named"
click "new character, Start" 440 408
wait_for 180 log_has "entered the world from" || fail "new character, Start: the log does not show the world entered"
snap "the world entered"

# ---- A walk by a click on open ground, then the game's own screenshot key.
click "the world, a walk" 420 200
timeout 30 xdotool mousemove --window "$window" --sync 639 479
snap "the world, after the walk"
# Targa, 18 bytes of header: a picture of the world has many colours, a blank one a few.
colours=$(tail -c +19 "$shot" | od -An -v -tu1 -w3 | sort -u | head -n 200 | wc -l)
[ "$colours" -ge 100 ] || fail "the world: the screenshot is blank: $colours colours in $shot"

# ---- The console's "quit": the program ends on its own.
xdotool key grave
xdotool type --delay 40 "quit"
xdotool key Return
if ! wait_for 60 eval '! game_running'; then
  fail "the console's quit: the program did not end"
fi
wait "$game_pid"
status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "the console's quit: the program ended with $status (its output: $run/game.out)"

# Error lines carry the error colour's code.
errors=$(grep -F -- '^c001' "$run/game/User/log.txt" | head -n 3)
[ -z "$errors" ] || fail "the log holds error lines: $errors"

echo "PlayTest passed: the world entered, a screenshot of $colours+ colours, quit with 0."
failed=0
