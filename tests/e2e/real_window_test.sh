#!/usr/bin/env bash
# Plays the real game in a real window under Xvfb as a player would.
#   real_window_test.sh <run folder> <send_close helper>
# Every wait follows what it waits for (the window mapped, a frame drawn, the
# player moved) and gives up after a generous bound, so a busy machine only
# makes the test slower. It ends by itself within its budget, well inside
# ctest's time-out, and kills the game on the way out.
set -eEuo pipefail
run_dir=$1
send_close=$2
work=$(mktemp -d /tmp/ilsmark-e2e-XXXXXX)
export SDL_AUDIODRIVER=dummy
# Without the X server SDL would quietly fall back to a video driver with no
# window at all; the game must fail to open its window instead, and say so.
export SDL_VIDEODRIVER=x11
game_pid=""
xvfb_pid=""
window=""
budget=180      # seconds for the whole test; ctest allows 240
wait_bound=60   # seconds that any one wait may take
call_bound=20   # seconds that any one call of an X client may take
deadline=$((SECONDS + budget))

cleanup() {
  [ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  trap - ERR
  echo "FAIL after ${SECONDS} s: $*"
  if [ -n "$game_pid" ] && kill -0 "$game_pid" 2> /dev/null; then
    echo "--- the game is still running"
  fi
  if [ -n "$xvfb_pid" ] && ! kill -0 "$xvfb_pid" 2> /dev/null; then
    echo "--- Xvfb has ended; its log:"
    tail -n 20 "$work/xvfb.log"
  fi
  if [ -s "$work/game.log" ]; then
    echo "--- the game's console:"
    tail -n 20 "$work/game.log"
  fi
  exit 1
}
trap 'fail "line $LINENO: \"$BASH_COMMAND\" failed"' ERR
note() { echo "e2e [${SECONDS} s]: $*"; }

# X clients never wait on a stuck server for ever.
xdo() { timeout "$call_bound" xdotool "$@"; }

# Runs a command every 0.2 s until it succeeds: false after bound seconds,
# or once the test's budget is spent.
wait_for() {
  local bound=$1
  shift
  local until=$((SECONDS + bound))
  [ "$until" -le "$deadline" ] || until=$deadline
  while true; do
    "$@" && return 0
    [ "$SECONDS" -lt "$until" ] || return 1
    sleep 0.2
  done
}

# Holds key down until the check succeeds, that is until the game has acted
# on the press, then lets it go. A press and release that the game drains in
# one frame is lost by design, so a fixed hold could be too short.
press_until() {
  local key=$1 result=0
  shift
  xdo keydown "$key"
  wait_for "$wait_bound" "$@" || result=1
  xdo keyup "$key"
  return "$result"
}

game_ended() { ! kill -0 "$game_pid" 2> /dev/null; }

# --- Reading the screen ---
# Screenshots of the game's window, uncompressed: on a busy machine every
# compression and decompression costs seconds.
shot() {
  game_ended && fail "the game ended unexpectedly"
  timeout "$call_bound" import -window "$window" "$work/$1.ppm"
}
# Number of lit (not black) pixels in a region of a screenshot.
lit() { convert "$work/$1.ppm" -crop "$2" +repage -threshold 1% -format '%[fx:round(mean*w*h)]' info:; }
# Number of pixels that differ between two screenshots in a region.
changed() {
  compare -metric AE -extract "$3" "$work/$1.ppm" -extract "$3" "$work/$2.ppm" null: 2>&1 || true
}
# A fresh screenshot "now" whose region has more than min lit pixels.
shows() { shot now && [ "$(lit now "$1")" -gt "$2" ]; }
# A fresh screenshot "now" differing from screenshot name by more than min pixels in the region.
differs() { shot now && [ "$(changed "$1" now "$2")" -gt "$3" ]; }

labels=200x150+300+490     # the main menu's three labels
title=200x40+350+195       # "Select Level" or "Volume"
health=110x20+62+34        # the player's health bar
options_icon=32x16+300+564 # the selection marker at the second row
music=120x20+350+500       # "Music: %i"
below_hud=1280x600+0+120   # the level below the clock and the HUD lines

main_menu() { shows "$labels" 50 && [ "$(lit now "$title")" -eq 0 ]; }
level_select() { shows "$title" 30; }
playing() { shows "$health" 100; }

# Xvfb picks a free display itself and writes its number to fd 3, so that
# several runs (or other X servers) on one machine never share a display.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for "$wait_bound" test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
wait_for "$wait_bound" timeout "$call_bound" xdpyinfo > /dev/null 2>&1 \
  || fail "Xvfb did not answer on $DISPLAY"

# A private run folder: the data copied (the save is checked), the assets
# linked. Level 0 is a room with nothing in it but the player, so that the
# picture moves only when the player does.
make_folder() {
  rm -rf "$work/run"
  mkdir -p "$work/run/Resources"
  cp -r "$run_dir/Resources/Data" "$work/run/Resources/Data"
  ln -s "$run_dir/Resources/Assets" "$work/run/Resources/Assets"
  cp "$run_dir/ilsmark" "$work/run/ilsmark"
  local wall middle floor
  wall=$(printf 'W%.0s' $(seq 60))
  middle="W$(printf '.%.0s' $(seq 58))W"
  floor="WS$(printf '.%.0s' $(seq 57))W"
  printf '%s\n' "$wall" "$middle" "$middle" "$middle" "$middle" "$middle" "$floor" "$wall" \
    > "$work/run/Resources/Data/Level0.txt"
}

window_viewable() {
  game_ended && fail "the game ended without showing its window"
  window=$(xdo search --onlyvisible --name '^Ilsmark - Quorvane$' 2> /dev/null | head -n 1) || true
  [ -n "$window" ]
}
window_focused() { xdo windowfocus "$window" 2> /dev/null && [ "$(xdo getwindowfocus)" = "$window" ]; }

# Starts the game and waits until its window is mapped and has the keyboard
# and the main menu is drawn: keys sent before that may be lost.
start_game() {
  (cd "$work/run" && exec ./ilsmark > "$work/game.log" 2>&1 < /dev/null) &
  game_pid=$!
  wait_for "$wait_bound" window_viewable || fail "no window titled 'Ilsmark - Quorvane' is shown"
  wait_for "$wait_bound" window_focused || fail "the window does not take the keyboard focus"
  wait_for "$wait_bound" main_menu || fail "the main menu is not drawn"
}

# Waits for the game to end and sets status to its exit status, or to
# "still running".
wait_exit() {
  if wait_for "$wait_bound" game_ended; then
    status=0
    wait "$game_pid" || status=$?
    game_pid=""
  else
    status="still running"
  fi
}

# --- Window, menu, level, back, quit ---
make_folder
cp "$work/run/Resources/Data/GameData.txt" "$work/save-before.txt"
start_game
geometry=$(xdo getwindowgeometry "$window")
note "${geometry//$'\n'/ }"
echo "$geometry" | grep -q "Position: 250,50" || fail "window not at (250, 50)"
echo "$geometry" | grep -q "Geometry: 1280x720" || fail "window not 1280x720"

note "holding Z for two seconds (auto-repeat) selects once: the level select shows"
xdo keydown z
sleep 2
xdo keyup z
wait_for "$wait_bound" level_select || fail "the level select did not show after holding Z"
sleep 1  # time for any repeated Z still queued to reach the game
playing && fail "a level started: Z selected more than once"

note "Z starts level 0"
press_until z playing || fail "level 0 does not draw its health bar"
# The player may still be landing: wait until two screenshots half a second
# apart show the same level, then nothing but the player can change it.
settled() {
  shot still && sleep 0.5 && shot now && [ "$(changed still now "$below_hud")" -eq 0 ]
}
wait_for "$wait_bound" settled || fail "the level never stands still with no key held"
press_until Right differs still "$below_hud" 200 || fail "holding Right did not move the player"
note "holding Right moved the player: $(changed still now "$below_hud") pixels changed below the HUD"

note "Escape returns to the level select"
press_until Escape level_select || fail "Escape in play did not return to the level select"
kill -0 "$game_pid" || fail "Escape in play ended the program"

note "the close button does nothing: X still goes back to the main menu after it"
timeout "$call_bound" "$send_close" "$window"
press_until x main_menu || fail "after the close button, X did not show the main menu"
kill -0 "$game_pid" 2> /dev/null || fail "the close button ended the program"

note "Escape on the main menu ends the program with status 0"
xdo keydown Escape
wait_exit
xdo keyup Escape
[ "$status" = "0" ] || fail "exit status $status"
cmp -s "$work/save-before.txt" "$work/run/Resources/Data/GameData.txt" || fail "playing changed the save"

# --- Options: Right held raises the music volume, X stores it ---
make_folder
sed -i '/^Music$/{n;s/.*/50/}' "$work/run/Resources/Data/GameData.txt"
cp "$work/run/Resources/Data/GameData.txt" "$work/save-before.txt"
start_game
press_until Down shows "$options_icon" 50 || fail "Down did not highlight Options"
press_until z shows "$title" 30 || fail "Z on Options did not show the options"
shot volume-before
press_until Right differs volume-before "$music" 0 || fail "holding Right did not change the music volume"
press_until x main_menu || fail "X did not leave the options"
xdo keydown Escape
wait_exit
xdo keyup Escape
[ "$status" = "0" ] || fail "exit status $status after the options"
music=$(sed -n '/^Music$/{n;p;q}' "$work/run/Resources/Data/GameData.txt")
note "music volume after holding Right: $music"
[ "$music" -gt 50 ] && [ "$music" -le 100 ] || fail "the music volume was not raised and stored ($music)"
sed "/^Music$/{n;s/.*/$music/}" "$work/save-before.txt" > "$work/save-expected.txt"
cmp -s "$work/save-expected.txt" "$work/run/Resources/Data/GameData.txt" \
  || fail "the options changed more than the music volume"

# --- Ctrl+C in the terminal (SIGINT) and SIGTERM end the game like any program ---
for signal in INT TERM; do
  make_folder
  start_game
  kill -s "$signal" "$game_pid"
  wait_exit
  [ "$status" != "still running" ] || fail "SIG$signal did not end the game"
  note "SIG$signal ended the game (status $status)"
done
note "all checks passed"
