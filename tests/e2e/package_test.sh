#!/usr/bin/env bash
# Makes the Debian package from the build, checks it as Debian's tools do,
# unpacks it into a temporary root (never into the machine) and plays it there
# through its launcher with a temporary home under Xvfb: the window, Escape,
# the save in the player's run folder, and a second start after an upgrade of
# the installed files that keeps the player's changed save.
#   package_test.sh <build folder> <cpack command>
# Ends by itself: every wait is bounded, and the game is killed on the way out.
set -euo pipefail
build=$1
cpack=$2
work=$(mktemp -d /tmp/ilsmark-package-XXXXXX)
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
  echo "FAIL: $* (after $SECONDS s)"
  if [ -s "$work/game.log" ]; then
    echo "--- the launcher's and the game's console:"
    tail -n 20 "$work/game.log"
  fi
  if [ -n "$game_pid" ]; then
    echo "--- the game's process, and the windows on the display:"
    ps -o pid,stat,etime,time,args -p "$game_pid" || true
    xdotool search --name '.' getwindowname %@ 2>&1 | head -n 5 || true
  fi
  exit 1
}
note() { echo "package: $*"; }
seconds() { echo "$SECONDS s"; }

# --- The package and Debian's checks ---
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" > "$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' "$work/cpack.log")
[ -f "$deb" ] || { cat "$work/cpack.log"; fail "cpack made no package"; }
version=$(dpkg-deb -f "$deb" Version)
note "made $(basename "$deb") ($(seconds))"
[ "$(basename "$deb")" = "ilsmark_${version}_$(dpkg --print-architecture).deb" ] \
  || fail "the package is not named ilsmark_<version>_<arch>.deb"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-dejavu-core libsdl2-2.0-0 libsdl2-ttf-2.0-0 libsdl2-mixer-2.0-0; do
  grep -q "\b$needed\b" <<< "$depends" || fail "the package does not depend on $needed: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
zcat "$root/usr/share/doc/ilsmark/changelog.gz" | sed -n 1p | grep -q "^ilsmark ($version)" \
  || fail "the changelog's latest entry is not version $version"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/ilsmark.metainfo.xml" \
  || fail "the AppStream metadata has no release $version"
desktop-file-validate "$root/usr/share/applications/ilsmark.desktop" \
  || fail "desktop-file-validate found faults"
appstream=$(appstreamcli validate --no-net "$root/usr/share/metainfo/ilsmark.metainfo.xml" 2>&1 || true)
if grep -q '^E:' <<< "$appstream"; then fail "AppStream errors: $appstream"; fi
lintian --fail-on error "$deb" > "$work/lintian.log" 2>&1 \
  || { cat "$work/lintian.log"; fail "lintian reports errors"; }
note "lintian, desktop-file-validate and appstreamcli passed ($(seconds))"

font=$root/usr/share/games/ilsmark/Resources/Assets/DejaVuSans.ttf
[ "$(readlink "$font")" = ../../../../fonts/truetype/dejavu/DejaVuSans.ttf ] \
  || fail "the font is not a link to fonts-dejavu-core's file"
# The root gets the font as if fonts-dejavu-core were installed in it too.
mkdir -p "$root/usr/share/fonts/truetype/dejavu"
ln -s /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$root/usr/share/fonts/truetype/dejavu/"
[ -f "$font" ] || fail "the font link leads nowhere"
installed=$root/usr/share/games/ilsmark/Resources
export ILSMARK_ROOT=$root

# --- A run folder that cannot be made says so on the console ---
touch "$work/not-a-folder"
if XDG_DATA_HOME=$work/not-a-folder "$root/usr/games/ilsmark" > "$work/game.log" 2>&1; then
  fail "the launcher went on without a run folder"
fi
grep -q "cannot make your run folder" "$work/game.log" || fail "no clear line about the run folder"

# --- Xvfb ---
# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
deadline=$((SECONDS + 30))
while [ ! -s "$work/display" ] && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start within 30 s: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n 1 "$work/display")

# True while the game and Xvfb both run; fails when Xvfb has gone.
game_running() {
  kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb ended: $(tail -n 5 "$work/xvfb.log")"
  kill -0 "$game_pid" 2>/dev/null
}

# Starts the launcher with the environment given; waits up to 120 s for the
# window and up to 60 s more for the main menu's labels (drawn with the
# linked font), then holds Escape until the game has ended, up to 60 s.
# Fails unless it ends with status 0.
play_once() {
  env "$@" "$root/usr/games/ilsmark" > "$work/game.log" 2>&1 &
  game_pid=$!
  local window="" lit=0 status="" deadline=$((SECONDS + 120))
  while [ -z "$window" ] && [ "$SECONDS" -lt "$deadline" ]; do
    game_running || fail "the game ended before its window showed"
    sleep 0.2
    window=$(xdotool search --name '^Ilsmark - Quorvane$' 2>/dev/null | head -n 1 || true)
  done
  [ -n "$window" ] || fail "no window titled 'Ilsmark - Quorvane' within 120 s"
  deadline=$((SECONDS + 60))
  while [ "$lit" -le 50 ] && [ "$SECONDS" -lt "$deadline" ]; do
    game_running || fail "the game ended before its menu was drawn"
    sleep 0.5
    rm -f "$work/menu.png"
    import -window "$window" "$work/menu.png" 2> /dev/null || true
    lit=$(convert "$work/menu.png" -crop 200x150+300+490 +repage -threshold 1% \
            -format '%[fx:round(mean*w*h)]' info: 2> /dev/null || echo 0)
  done
  [ "$lit" -gt 50 ] || fail "the main menu's labels were not drawn within 60 s"
  # Escape is held until the game has gone, so no busy moment of the machine
  # can drain its press and release in one frame.
  xdotool windowfocus "$window" 2> /dev/null || true
  xdotool keydown Escape
  deadline=$((SECONDS + 60))
  while game_running && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.2; done
  xdotool keyup Escape
  if game_running; then fail "Escape on the main menu did not end the game within 60 s"; fi
  wait "$game_pid" && status=0 || status=$?
  game_pid=""
  [ "$status" = 0 ] || fail "the game ended with status $status"
}

# --- First start: the run folder under ~/.local/share when XDG_DATA_HOME is unset ---
home=$work/home
mkdir -p "$home"
play_once -u XDG_DATA_HOME HOME="$home"
run=$home/.local/share/ilsmark
note "first start played from $run ($(seconds))"
[ "$(readlink "$run/Resources/Assets")" = "$installed/Assets" ] || fail "the assets are not linked"
for file in "$installed"/Data/*; do
  cmp -s "$file" "$run/Resources/Data/${file##*/}" || fail "${file##*/} was not copied"
done

# --- An upgrade changes a level and the first save; the player changed the save ---
sed -i '/^Music$/{n;s/.*/37/}' "$run/Resources/Data/GameData.txt"
cp "$run/Resources/Data/GameData.txt" "$work/players-save.txt"
cp "$installed/Data/Level1.txt" "$installed/Data/Level0.txt"
sed -i '/^FX$/{n;s/.*/1/}' "$installed/Data/GameData.txt"

# --- Second start: XDG_DATA_HOME names the same folder, HOME another ---
play_once XDG_DATA_HOME="$home/.local/share" HOME="$work/elsewhere"
note "second start played from the same folder ($(seconds))"
[ ! -e "$work/elsewhere" ] || fail "the launcher used HOME although XDG_DATA_HOME was set"
cmp -s "$work/players-save.txt" "$run/Resources/Data/GameData.txt" \
  || fail "the second start changed the player's save"
cmp -s "$installed/Data/Level0.txt" "$run/Resources/Data/Level0.txt" \
  || fail "the second start did not refresh the levels"
note "all checks passed ($(seconds))"
