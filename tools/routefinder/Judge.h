#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "Copies.h"
#include "level/LevelReach.h"

class Player;
class RouteRun;

// How the route search sees a state of the game: how close it is to the door
// with enough gold (on the level's reach model), and whether two tries of a
// move came out in the same place.
class Judge {
 public:
  // For a level's lines; plannedGold is what the route means to hold at the
  // door, enemiesAtStart how many enemies the level started with.
  Judge(const std::vector<std::string>& lines, int plannedGold, size_t enemiesAtStart);

  // Higher is better: the door, or alive and near it with the gold in hand.
  double Score(RouteRun& run);
  // The game as it stands now, as the end of a move that took steps.
  MoveEnd Look(RouteRun& run, bool rested, int steps);
  // Whether a try of a move with its timing moved came out as the planned
  // one: the door both times, or alive and at rest in the same place (on
  // the same stretch of floor, not far apart), with no more health lost,
  // none of the coins the plan took missed and every enemy it shot dead.
  bool SamePlace(const MoveEnd& plan, const MoveEnd& variant) const;
  // True when the standing cell (column, row) is within a few tiles of a
  // cell where an enemy starts: no fair route comes to rest there.
  bool NearEnemyStart(int column, int row) const;

 private:
  // The standing cell under the middle of the player's feet; false over a pit.
  bool FeetCell(const Player& hero, int& column, int& row) const;
  // How far the state is from the door with enough gold, in map tiles.
  double Remaining(RouteRun& run);

  LevelReach reach;
  std::vector<std::pair<int, int>> enemyStarts;  // (column, row) of the level's 'E' cells
  int plannedGold = 0;                           // the door's ask and the spare coins
  size_t enemiesAtStart = 0;
};
