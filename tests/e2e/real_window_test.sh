#!/usr/bin/env bash
# Plays the real game in a real window under Xvfb as a player would.
#   real_window_test.sh <run folder> <send_close helper>
# Ends by itself: every wait is bounded, and the game is killed on the way out.
set -euo pipefail
run_dir=$1
send_close=$2
work=$(mktemp -d /tmp/ilsmark-e2e-XXXXXX)
display_number=$(( 90 + RANDOM % 400 ))
export DISPLAY=:$display_number
export SDL_AUDIODRIVER=dummy
game_pid=""
xvfb_pid=""

cleanup() {
  [ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }
note() { echo "e2e: $*"; }

Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo > /dev/null 2>&1 || fail "Xvfb did not start"

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
  for _ in $(seq 100); do
    window=$(xdotool search --name '^Ilsmark - Quorvane$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window titled 'Ilsmark - Quorvane'"
  sleep 0.5
}

# Waits up to 5 s for the game to end; prints its exit status.
wait_exit() {
  for _ in $(seq 50); do
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
# Number of lit (not black) pixels in a region of a screenshot.
lit() { convert "$work/$1.png" -crop "$2" +repage -threshold 1% -format '%[fx:round(mean*w*h)]' info:; }
key() { xdotool key --delay 60 "$@"; sleep 0.25; }

# --- Window, menu, level, back, quit ---
make_folder
cp "$work/run/Resources/Data/GameData.txt" "$work/save-before.txt"
start_game
geometry=$(xdotool getwindowgeometry "$window")
note "$geometry"
echo "$geometry" | grep -q "Position: 250,50" || fail "window not at (250, 50)"
echo "$geometry" | grep -q "Geometry: 1280x720" || fail "window not 1280x720"
shot menu
[ "$(lit menu 200x150+300+490)" -gt 50 ] || fail "the main menu labels are not drawn"
[ "$(lit menu 400x40+350+195)" -eq 0 ] || fail "something is drawn where the level select title goes"

note "holding Z for two seconds (auto-repeat) selects once: the level select shows"
xdotool keydown z; sleep 2; xdotool keyup z; sleep 0.3
shot select
[ "$(lit select 200x40+350+195)" -gt 30 ] || fail "the level select did not show after holding Z"
[ "$(lit select 110x20+62+34)" -eq 0 ] || fail "a level started: Z selected more than once"

note "Z starts level 0"
key z
sleep 0.5
shot level
[ "$(lit level 110x20+62+34)" -gt 100 ] || fail "level 0 does not draw its health bar"
xdotool keydown Right; sleep 1.0; xdotool keyup Right; sleep 0.5
shot level-moved
cmp -s "$work/level.png" "$work/level-moved.png" && fail "holding Right changed nothing on screen"

note "Escape returns to the level select"
key Escape
sleep 0.3
shot back
[ "$(lit back 200x40+350+195)" -gt 30 ] || fail "Escape in play did not return to the level select"
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
note "all checks passed"
