#!/usr/bin/env bash
# Plays the real game in a real window under Xvfb as a player would.
#   real_window_test.sh <run folder> <send_close helper>
# Ends by itself: every wait is bounded, and the game is killed on the way out.
set -euo pipefail
run_dir=$1
send_close=$2
work=$(mktemp -d /tmp/ilsmark-e2e-XXXXXX)
export SDL_AUDIODRIVER=dummy
game_pid=""
xvfb_pid=""

cleanup() {
  [ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  if [ -s "$work/game.log" ]; then
    echo "--- the game's console:"
    tail -n 20 "$work/game.log"
  fi
  exit 1
}
note() { echo "e2e: $*"; }

# Xvfb picks a free display itself and writes its number to fd 3, so that
# several runs (or other X servers) on one machine never share a display.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n 1 "$work/display")
for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo > /dev/null 2>&1 || fail "Xvfb did not start on $DISPLAY"

# A private run folder: the data copied (the save is checked), the assets linked.
make_folder() {
  rm -rf "$work/run"
  mkdir -p "$work/run/Resources"
  cp -r "$run_dir/Resources/Data" "$work/run/Resources/Data"
  ln -s "$run_dir/Resources/Assets" "$work/run/Resources/Assets"
  cp "$run_dir/ilsmark" "$work/run/ilsmark"
}

start_game() {
  (cd "$work/run" && exec ./ilsmark > "$work/game.log" 2>&1) &
  game_pid=$!
  window=""
  for _ in $(seq 300); do
    window=$(xdotool search --name '^Ilsmark - Quorvane$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window titled 'Ilsmark - Quorvane'"
  sleep 0.5
}

# Waits up to 10 s for the game to end; prints its exit status.
wait_exit() {
  for _ in $(seq 100); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
      wait "$game_pid" && echo 0 || echo $?
      game_pid=""
      return
    fi
    sleep 0.1
  done
  echo "still running"
}

shot() { import -window root -crop 1280x720+250+50 +repage "$work/$1.png"; }
# Number of pixels that differ between two screenshots below the HUD band.
changed() {
  convert "$work/$1.png" -crop 1280x600+0+120 +repage "$work/a.png"
  convert "$work/$2.png" -crop 1280x600+0+120 +repage "$work/b.png"
  compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true
}
# Number of lit (not black) pixels in a region of a screenshot.
lit() { convert "$work/$1.png" -crop "$2" +repage -threshold 1% -format '%[fx:round(mean*w*h)]' info:; }
# A key held long enough to span several frames even on a busy machine: a
# press and release drained in the same frame is lost, by design.
key() {
  xdotool keydown "$1"
  sleep 0.2
  xdotool keyup "$1"
  sleep 0.25
}
# Takes screenshot name until region has more than min lit pixels (or, with
# min -1, none), trying for up to 5 s; false if it never does.
shot_until() {
  local name=$1 region=$2 min=$3 count
  for _ in $(seq 20); do
    shot "$name"
    count=$(lit "$name" "$region")
    if [ "$min" -lt 0 ]; then [ "$count" -eq 0 ] && return 0; else [ "$count" -gt "$min" ] && return 0; fi
    sleep 0.25
  done
  return 1
}

# --- Window, menu, level, back, quit ---
make_folder
cp "$work/run/Resources/Data/GameData.txt" "$work/save-before.txt"
start_game
geometry=$(xdotool getwindowgeometry "$window")
note "$geometry"
echo "$geometry" | grep -q "Position: 250,50" || fail "window not at (250, 50)"
echo "$geometry" | grep -q "Geometry: 1280x720" || fail "window not 1280x720"
shot_until menu 200x150+300+490 50 || fail "the main menu labels are not drawn"
[ "$(lit menu 400x40+350+195)" -eq 0 ] || fail "something is drawn where the level select title goes"

note "holding Z for two seconds (auto-repeat) selects once: the level select shows"
xdotool keydown z; sleep 2; xdotool keyup z; sleep 0.3
shot_until select 200x40+350+195 30 || fail "the level select did not show after holding Z"
sleep 0.5
shot select
[ "$(lit select 110x20+62+34)" -eq 0 ] || fail "a level started: Z selected more than once"

note "Z starts level 0"
key z
shot_until level 110x20+62+34 100 || fail "level 0 does not draw its health bar"
sleep 0.5
shot level
# Below the clock and the HUD lines, which change by themselves, only the
# level, its enemies and the player are drawn. A second with no key held
# shows how much the enemies change the picture; holding Right must change
# it more, since the player runs.
sleep 1.0
shot level-idle
xdotool keydown Right; sleep 1.0; xdotool keyup Right; sleep 0.3
shot level-moved
idle=$(changed level level-idle)
moved=$(changed level-idle level-moved)
note "pixels changed below the HUD: $idle with no key, $moved while Right was held"
[ "$moved" -gt $(( idle + 200 )) ] || fail "holding Right did not move the player"

note "Escape returns to the level select"
key Escape
shot_until back 200x40+350+195 30 || fail "Escape in play did not return to the level select"
kill -0 "$game_pid" || fail "Escape in play ended the program"

note "the close button does nothing"
"$send_close" "$window"
sleep 0.5
kill -0 "$game_pid" 2>/dev/null || fail "the close button ended the program"

note "Escape on the level select ends the program with status 0"
key Escape
status=$(wait_exit)
[ "$status" = "0" ] || fail "exit status $status"
cmp -s "$work/save-before.txt" "$work/run/Resources/Data/GameData.txt" || fail "playing changed the save"

# --- Options: Right held raises the music volume, X stores it ---
make_folder
sed -i '/^Music$/{n;s/.*/50/}' "$work/run/Resources/Data/GameData.txt"
cp "$work/run/Resources/Data/GameData.txt" "$work/save-before.txt"
start_game
key Down
key z
xdotool keydown Right; sleep 0.5; xdotool keyup Right; sleep 0.2
key x
key Escape
status=$(wait_exit)
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
  status=$(wait_exit)
  [ "$status" != "still running" ] || fail "SIG$signal did not end the game"
  note "SIG$signal ended the game (status $status)"
done
note "all checks passed"
