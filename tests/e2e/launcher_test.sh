#!/usr/bin/env bash
# Runs the installed game's launcher against hand-made installed trees with a
# stand-in for the game (it records where it was started), and checks what it
# does to the player's run folder across starts and upgrades.
#   launcher_test.sh <launcher>
set -euo pipefail
launcher=$(realpath "$1")
work=$(mktemp -d /tmp/ilsmark-launcher-XXXXXX)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"
  [ -s "$work/out" ] && sed 's/^/  launcher: /' "$work/out"
  exit 1
}

root=$work/root
installed=$root/usr/share/games/ilsmark/Resources
mkdir -p "$root/usr/lib/games/ilsmark" "$installed/Data" "$installed/Assets" "$work/home"
cat > "$root/usr/lib/games/ilsmark/ilsmark" << 'EOF'
#!/bin/sh
pwd > "$ILSMARK_TEST_STARTED"
EOF
chmod +x "$root/usr/lib/games/ilsmark/ilsmark"
printf 'Music\n100\n' > "$installed/Data/GameData.txt"
for level in 0 1 2; do echo "level $level" > "$installed/Data/Level$level.txt"; done
echo "sprites" > "$installed/Data/PlayerSpriteList.txt"
echo "picture" > "$installed/Assets/Wall.bmp"

run=$work/home/ilsmark
data=$run/Resources/Data
export XDG_DATA_HOME=$work/home ILSMARK_TEST_STARTED=$work/started
# Starts the launcher with ILSMARK_ROOT=$1 (and the rest as a command prefix);
# fails unless it started the game in the run folder.
start() {
  local game_root=$1
  shift
  rm -f "$work/started"
  "$@" env ILSMARK_ROOT="$game_root" "$launcher" > "$work/out" 2>&1 || fail "the launcher failed"
  [ "$(cat "$work/started" 2>/dev/null)" = "$run" ] || fail "the game was not started in $run"
}
inode() { stat -c %i "$1"; }

# --- First start: everything copied, the assets linked ---
start "$root"
for file in "$installed"/Data/*; do
  cmp -s "$file" "$data/${file##*/}" || fail "${file##*/} was not copied"
done
[ "$(readlink "$run/Resources/Assets")" = "$installed/Assets" ] || fail "the assets are not linked"

# --- A later start with nothing changed writes nothing ---
printf 'Music\n37\n' > "$data/GameData.txt"
touch -d '2000-01-01' "$data"/* "$data"
before=$(stat -c '%n %i %Y' "$data"/* "$data" "$run/Resources/Assets")
start "$root"
[ "$(stat -c '%n %i %Y' "$data"/* "$data" "$run/Resources/Assets")" = "$before" ] \
  || fail "a start with nothing to update changed the run folder"
[ "$(cat "$data/GameData.txt")" = $'Music\n37' ] || fail "the player's save was changed"

# --- ... so a run folder that is current but read-only still starts ---
chmod -R a-w "$run"
if [ "$(id -u)" = 0 ]; then
  # Permissions do not bind root: the launcher runs as nobody.
  chown -R nobody "$work"
  chmod 755 "$work"
  start "$root" setpriv --reuid=nobody --regid=nogroup --clear-groups
  chown -R root "$work"
else
  start "$root"
fi
chmod -R u+w "$run"

# --- An upgrade: a level changed, one no longer shipped, a new list ---
echo "level 1, better" > "$installed/Data/Level1.txt"
rm "$installed/Data/Level2.txt" "$installed/Data/GameData.txt"
echo "effects" > "$installed/Data/FXList.txt"
echo "mine" > "$data/Notes.txt"
level0=$(inode "$data/Level0.txt")
level1=$(inode "$data/Level1.txt")
start "$root"
cmp -s "$installed/Data/Level1.txt" "$data/Level1.txt" || fail "the changed level was not copied"
[ "$(inode "$data/Level1.txt")" != "$level1" ] \
  || fail "the changed level was rewritten in place, not replaced whole"
[ "$(inode "$data/Level0.txt")" = "$level0" ] || fail "an unchanged level was rewritten"
[ ! -e "$data/Level2.txt" ] || fail "a level the game no longer ships is still played"
cmp -s "$installed/Data/FXList.txt" "$data/FXList.txt" || fail "a new file was not copied"
[ "$(cat "$data/GameData.txt")" = $'Music\n37' ] || fail "the save went with the upgrade"
[ "$(cat "$data/Notes.txt")" = mine ] || fail "a file the launcher never copied was removed"
[ -z "$(find "$data" -name '.*')" ] || fail "a partial copy was left: $(ls -A "$data")"

# --- An empty save (removed while the game ran, then written) counts as none ---
printf 'Music\n100\n' > "$installed/Data/GameData.txt"
: > "$data/GameData.txt"
start "$root"
cmp -s "$installed/Data/GameData.txt" "$data/GameData.txt" || fail "an empty save was kept"

# --- A relative ILSMARK_ROOT works from where it was given ---
rm "$run/Resources/Assets"
(cd "$work" && start root)
[ -f "$run/Resources/Assets/Wall.bmp" ] || fail "a relative root left a dangling link to the assets"
echo "launcher: all checks passed"
