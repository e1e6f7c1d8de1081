#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

// Where the player can go in a level, worked out from its grid and the
// game's rules: every cell the player can stand in, and the moves between
// them that the player surely has, each with the coins and the door it
// passes. The level check asks it whether a level can be finished; the route
// finder asks it how far a place is from a coin or the door.
//
// The model counts only moves the player surely has, so a level it passes
// can be finished; a level it fails may still be finishable by a skilled
// player, but then the level is too tight to ship. From the player's physics
// (jump impulse 350 px/s, gravity 650 px/s², box 24 × 30, tiles 32 px):
//  - a jump rises 94 px: the feet clear a ledge two tiles up, never three;
//    at the top the head is 4 px into the third row above the standing row;
//  - from a standstill with a direction held from the jump on, the player
//    covers x = 500 t² px: above a two-tile ledge from t 0.23 s to 0.84 s
//    (about 11 tiles of travel), back at its own height at 1.08 s (18 tiles);
//  - a head that hits a wall is sent down at once at 162.5 px/s, which leaves
//    much less room sideways;
//  - falling past the top of the bottom row through an empty cell is death.
//
// The standing cells: not a wall, with a wall or a platform right below.
// Moves between them:
//  - walk one column sideways (walls block), then fall if nothing is below;
//  - drop through a platform underfoot with Down, and fall;
//  - jump, played out step by step with the player's speeds: from a
//    standstill, the direction held from the take-off or from a moment later
//    (when the feet are two tiles up) for a number of steps, or after a run
//    along free floor; the player then slides to a stop on whatever it lands
//    on. A jump counts only when it works with the player anywhere within
//    three pixels of the middle of its cell.
// Coins count only when one path from the start can take them all and still
// reach the door: strongly connected groups of cells are toured whole, and
// the best path through the group graph is followed greedily. A reachable
// cell from which the door cannot be reached is a dead end.
class LevelReach {
 public:
  struct Cell {
    int c = 0;
    int r = 0;
  };

  // What the level check asks of a level.
  struct Summary {
    bool doorReachable = false;
    int coins = 0;           // 'C' cells in the level
    int coinsNeeded = 0;     // half of them, rounded up: what the door asks for
    int coinsOnRoute = 0;    // coins one path from the start takes before the door
    int coinsReachable = 0;  // coins the player can reach at all (door or not)
    int standingCells = 0;   // reachable cells the player can stand in
    std::vector<Cell> unreachableCoins;
    std::vector<Cell> deadEnds;  // reachable standing cells from which the door cannot be reached
  };

  static constexpr double kUnreachable = 1e9;  // the distance to what cannot be reached

  // Works the model out for a level's lines (one string per tile row;
  // cells outside the lines read as walls).
  explicit LevelReach(const std::vector<std::string>& lines);

  // Whether the door and enough coins can be reached from the start.
  const Summary& Check() const { return summary; }
  // Where the model has the player come to rest after one jump from the
  // standing cell from: direction dir (-1 left, 1 right) held from step wait
  // for hold steps, or from the take-off after a run along runUpCells cells
  // of floor. False when the model does not count on that jump.
  bool JumpLanding(Cell from, int dir, int wait, int hold, int runUpCells, Cell& landing) const;
  // The rough cost, in tiles, of the cheapest moves from the standing cell
  // (column, row) to taking the coin at (coinColumn, coinRow); kUnreachable
  // when no move takes it.
  double CoinDistance(int column, int row, int coinColumn, int coinRow);
  // The same to standing in (goalColumn, goalRow).
  double CellDistance(int column, int row, int goalColumn, int goalRow);
  // The standing cell for a player whose feet are over (column, row): the
  // cell itself when one can stand there, else the first one below; false
  // over a pit or in a wall.
  bool StandingCell(int column, int& row) const;
  // True when the player can walk along row from column0 to column1 without
  // a fall or a wall on the way.
  bool OneFloor(int column0, int column1, int row) const;
  // The speed in pixels per step with which a run along this many free
  // cells of floor reaches the take-off cell.
  static double RunUpSpeed(int cells);

 private:
  // A move from one standing cell to another, with the cells the player's
  // box surely sweeps on the way and its rough cost in tiles.
  struct Move {
    int to = -1;
    std::vector<int> swept;  // cell indices
    double cost = 0.0;
  };
  // Where a jump stands as it is played out step by step.
  struct Flight;

  char At(int c, int r) const;
  bool Wall(int c, int r) const { return At(c, r) == 'W'; }
  bool Support(int c, int r) const { return At(c, r) == 'W' || At(c, r) == 'P'; }
  bool Inside(int c, int r) const { return c >= 0 && c < columns && r >= 0 && r < rows; }
  bool CanStand(int c, int r) const { return Inside(c, r) && !Wall(c, r) && Support(c, r + 1); }
  int Index(int c, int r) const { return r * columns + c; }

  // --- Building the moves.
  bool Fall(int c, int r, Move& move) const;
  void Expand(int cell);
  int RunUpCells(int c, int r, int dir) const;
  bool WallIn(double left, double right, double top, double bottom) const;
  bool SupportIn(double left, double right, int row) const;
  bool Jump(int c, int r, int dir, int wait, int hold, int runUpCells, Move& move) const;
  bool MoveSideways(Flight& flight) const;
  bool Rise(Flight& flight) const;
  bool Descend(Flight& flight) const;
  bool Slide(Flight& flight) const;
  bool Landed(const Flight& flight, Move& move) const;
  bool FallsStraight(const Flight& flight, Move& move) const;
  void Touch(double x, double bottom, std::vector<int>& touched) const;

  // --- The level check.
  void Collect(const std::vector<int>& cells, std::vector<char>& coins, bool& door) const;
  std::vector<int> Components(int start, int& count) const;
  void Tour(int start, const std::vector<int>& startSwept);
  void FindDeadEnds(const std::vector<int>& comp, const std::vector<std::vector<int>>& members,
                    const std::vector<char>& hasDoor);

  // --- Distances.
  std::vector<double> DistancesTo(const std::vector<std::pair<int, double>>& goals) const;
  double Lookup(const std::string& key, const std::vector<std::pair<int, double>>& goals,
                int column, int row);

  std::vector<std::string> lines;
  int columns = 0;
  int rows = 0;
  std::vector<int> coinIndex;  // by cell: the coin's number, or -1
  std::vector<Cell> coinCells;
  int doorIndex = -1;
  std::vector<std::vector<Move>> moves;  // by cell: the moves from it
  std::vector<std::vector<std::pair<int, double>>>
      incoming;  // by cell: (from, cost) of the moves there
  Summary summary;
  std::map<std::string, std::vector<double>> cache;  // distances by goal
};
