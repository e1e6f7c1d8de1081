#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

// The route finder's map of a level: every cell the player can stand in, and
// the moves between them (walk, step off a ledge, drop through a platform,
// jump) with rough costs in tiles. It guides the search; the game itself
// decides what really works.
class LevelGraph {
 public:
  // Builds the graph from the level's lines (one string per tile row).
  explicit LevelGraph(const std::vector<std::string>& lines);

  // Cost in tiles from the standing cell (column, row) to a cell from which a
  // coin at (coinColumn, coinRow) can be taken; kUnreachable when none.
  double CoinDistance(int column, int row, int coinColumn, int coinRow);
  // Cost in tiles from (column, row) to standing in (goalColumn, goalRow).
  double CellDistance(int column, int row, int goalColumn, int goalRow);
  // The standing cell for a player whose feet are over (column, row): the cell
  // itself when one can stand there, else the first one below; false over a pit.
  bool StandingCell(int column, int& row) const;
  // True when the player can walk along row from column0 to column1 without
  // a fall or a wall on the way.
  bool OneFloor(int column0, int column1, int row) const;

  static constexpr double kUnreachable = 1e9;

 private:
  struct Edge {
    int to;
    double cost;
  };
  char Cell(int column, int row) const;
  bool Solid(int column, int row) const { return Cell(column, row) == 'W'; }
  bool CanStand(int column, int row) const;
  int Index(int column, int row) const { return row * columns + column; }
  // Where a fall down column from row ends: a standing row, or -1 over a pit or a wall.
  int LandingRow(int column, int row) const;
  bool ClearRun(int column0, int column1, int row) const;
  void AddMoves(int column, int row);
  void AddJumps(int column, int row);
  void Link(int from, int to, double cost);
  // Cheapest costs from every cell to the cheapest of the given (cell, start cost) goals.
  std::vector<double> DistancesTo(const std::vector<std::pair<int, double>>& goals) const;
  double Lookup(const std::string& key, const std::vector<std::pair<int, double>>& goals,
                int column, int row);

  std::vector<std::string> lines;
  int columns = 0;
  int rows = 0;
  std::vector<std::vector<Edge>> incoming;  // by target cell, for searches towards a goal
  std::map<std::string, std::vector<double>> cache;
};
