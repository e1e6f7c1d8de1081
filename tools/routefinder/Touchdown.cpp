#include "Touchdown.h"

#include "actors/Player.h"
#include "base/Rules.h"
#include "level/Level.h"

namespace {
// True when the feet are on a wall or a platform.
bool OnGround(const Level& level, const Player& hero) {
  const Sprite* box = hero.CurrentFrame();
  const int x = static_cast<int>(hero.x);
  const int under = static_cast<int>(hero.y + static_cast<float>(box->height));
  const int feet = static_cast<int>(hero.y + static_cast<float>(box->height) - 1.0f);
  const bool onTop = feet / rules::kTileSize != under / rules::kTileSize;
  return level.WallInRow(x, box->width - 1, under) ||
         (onTop && level.PlatformInRow(x, box->width - 1, under));
}
}  // namespace

void FeetCellOf(const Player& hero, int& column, int& row) {
  const Sprite* box = hero.CurrentFrame();
  column = static_cast<int>((hero.x + static_cast<float>(box->width) / 2.0f) / rules::kTileSize);
  row = static_cast<int>((hero.y + static_cast<float>(box->height - 1)) / rules::kTileSize);
}

void Touchdown::Follow(const Level& level, const Player& hero) {
  if (landed) return;
  if (!OnGround(level, hero)) {
    airborne = true;
    return;
  }
  if (!airborne) return;
  landed = true;
  x = hero.x;
  y = hero.y;
  FeetCellOf(hero, column, row);
}
