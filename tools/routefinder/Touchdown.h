#pragma once

#include <cstdlib>

class Level;
class Player;

// A landing this close to an enemy's start cell, in tiles across and up or
// down, is unfair: the enemy may still be there.
constexpr int kNearEnemyTiles = 4;

// The cell under the middle of the player's feet: where the player stands.
void FeetCellOf(const Player& hero, int& column, int& row);

inline bool NearCell(int column, int row, int otherColumn, int otherRow) {
  return std::abs(column - otherColumn) <= kNearEnemyTiles &&
         std::abs(row - otherRow) <= kNearEnemyTiles;
}

// Where a jump or a drop first comes down. Followed step by step from the
// start of a move, it keeps the player's place at the first step on a wall
// or a platform after a step in the air: what a player must see coming as
// the move begins, and must not find beside an enemy. A slide after it is
// running, not landing. The route finder's search and the level report both
// take landings from here.
class Touchdown {
 public:
  // Looks at hero after a step of the move.
  void Follow(const Level& level, const Player& hero);

  bool landed = false;
  float x = 0.0f;  // the player's top-left corner as it came down, level pixels
  float y = 0.0f;
  int column = -1;  // the cell under the middle of the feet then
  int row = -1;

 private:
  bool airborne = false;  // the player has left the ground since the move began
};
