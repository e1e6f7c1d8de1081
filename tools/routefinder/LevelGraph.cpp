#include "LevelGraph.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <queue>

namespace {
// What a jump reaches, in tiles, from the game's jump (about 94 px up) and
// the speeds a short run-up gives.
constexpr int kJumpRise = 2;      // rows up onto a ledge
constexpr int kReachUpTwo = 7;    // columns across when rising two rows
constexpr int kReachUpOne = 8;    // columns across when rising one row
constexpr int kReachLevel = 11;   // columns across to the same row or lower
constexpr int kJumpDropRows = 6;  // rows down that a jump is still aimed at
constexpr int kHeadRoom = 3;      // free rows above the head that a two-row rise needs
constexpr double kWalkCost = 1.0;
constexpr double kJumpCost = 2.0;  // on top of the columns crossed
constexpr double kFallCostPerRow = 0.3;
constexpr double kCoinJumpCost = 1.5;  // per row between the standing cell and the coin
constexpr int kCoinReachRows = 2;  // a coin up to this many rows above the head is taken by a jump
constexpr int kCoinReachColumns = 3;    // a coin over a pit is taken by a jump from this far aside
constexpr double kCoinAsideCost = 1.0;  // per column between the standing cell and the coin
}  // namespace

LevelGraph::LevelGraph(const std::vector<std::string>& levelLines) : lines(levelLines) {
  rows = static_cast<int>(lines.size());
  columns = rows > 0 ? static_cast<int>(lines[0].size()) : 0;
  incoming.resize(static_cast<size_t>(columns) * rows);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      if (!CanStand(column, row)) continue;
      AddMoves(column, row);
      AddJumps(column, row);
    }
  }
}

char LevelGraph::Cell(int column, int row) const {
  if (row < 0 || row >= rows || column < 0 || column >= static_cast<int>(lines[row].size()))
    return 'W';  // outside the grid counts as solid
  return lines[row][column];
}

bool LevelGraph::CanStand(int column, int row) const {
  if (row + 1 >= rows || Solid(column, row)) return false;
  char below = Cell(column, row + 1);
  return below == 'W' || below == 'P';
}

int LevelGraph::LandingRow(int column, int row) const {
  for (int r = row; r + 1 < rows; ++r) {
    if (Solid(column, r)) return -1;
    if (CanStand(column, r)) return r;
  }
  return -1;  // a gap in the bottom row: out of the level
}

bool LevelGraph::ClearRun(int column0, int column1, int row) const {
  for (int c = std::min(column0, column1); c <= std::max(column0, column1); ++c) {
    if (Solid(c, row)) return false;
  }
  return true;
}

bool LevelGraph::StandingCell(int column, int& row) const {
  int landing = LandingRow(column, std::max(row, 0));
  if (landing < 0) return false;
  row = landing;
  return true;
}

bool LevelGraph::OneFloor(int column0, int column1, int row) const {
  for (int c = std::min(column0, column1); c <= std::max(column0, column1); ++c) {
    if (!CanStand(c, row)) return false;
  }
  return true;
}

void LevelGraph::Link(int from, int to, double cost) { incoming[to].push_back(Edge{from, cost}); }

void LevelGraph::AddMoves(int column, int row) {
  const int from = Index(column, row);
  for (int side : {-1, 1}) {
    const int next = column + side;
    if (Solid(next, row)) continue;
    if (CanStand(next, row)) {
      Link(from, Index(next, row), kWalkCost);
      continue;
    }
    int landing = LandingRow(next, row);  // stepping off a ledge
    if (landing >= 0)
      Link(from, Index(next, landing), kWalkCost + kFallCostPerRow * (landing - row));
  }
  if (Cell(column, row + 1) == 'P') {  // Down drops through a platform
    int landing = LandingRow(column, row + 1);
    if (landing >= 0)
      Link(from, Index(column, landing), kWalkCost + kFallCostPerRow * (landing - row));
  }
}

void LevelGraph::AddJumps(int column, int row) {
  // A ledge one row higher than the free rows above the head allow is out of reach.
  int headRoom = 0;
  while (headRoom < kHeadRoom && !Solid(column, row - headRoom - 1)) ++headRoom;
  if (headRoom == 0) return;
  const int highest = std::min(kJumpRise, headRoom - 1);
  const int from = Index(column, row);
  for (int targetRow = row - highest; targetRow <= row + kJumpDropRows; ++targetRow) {
    const int rise = row - targetRow;
    const int reach = rise >= 2 ? kReachUpTwo : rise == 1 ? kReachUpOne : kReachLevel;
    for (int across = -reach; across <= reach; ++across) {
      const int targetColumn = column + across;
      if (across == 0 && rise <= 0) continue;
      if (!CanStand(targetColumn, targetRow)) continue;
      // The flight passes over the higher of the two rows.
      const int top = std::min(row, targetRow) - 1;
      if (!ClearRun(column, targetColumn, top)) continue;
      if (!ClearRun(targetColumn, targetColumn, targetRow)) continue;
      Link(from, Index(targetColumn, targetRow), kJumpCost + std::abs(across) + std::max(rise, 0));
    }
  }
}

std::vector<double> LevelGraph::DistancesTo(
    const std::vector<std::pair<int, double>>& goals) const {
  std::vector<double> distance(incoming.size(), kUnreachable);
  using Entry = std::pair<double, int>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  for (const auto& goal : goals) {
    if (goal.second < distance[goal.first]) {
      distance[goal.first] = goal.second;
      open.push({goal.second, goal.first});
    }
  }
  while (!open.empty()) {
    auto [cost, cell] = open.top();
    open.pop();
    if (cost > distance[cell]) continue;
    for (const Edge& edge : incoming[cell]) {
      double through = cost + edge.cost;
      if (through < distance[edge.to]) {
        distance[edge.to] = through;
        open.push({through, edge.to});
      }
    }
  }
  return distance;
}

double LevelGraph::Lookup(const std::string& key, const std::vector<std::pair<int, double>>& goals,
                          int column, int row) {
  if (column < 0 || column >= columns || row < 0 || row >= rows) return kUnreachable;
  auto found = cache.find(key);
  if (found == cache.end()) found = cache.emplace(key, DistancesTo(goals)).first;
  return found->second[Index(column, row)];
}

double LevelGraph::CoinDistance(int column, int row, int coinColumn, int coinRow) {
  std::vector<std::pair<int, double>> goals;
  for (int aside = -kCoinReachColumns; aside <= kCoinReachColumns; ++aside) {
    const int standColumn = coinColumn + aside;
    for (int below = 0; below <= kCoinReachRows; ++below) {
      const int standRow = coinRow + below;
      if (below > 0 && Solid(standColumn, standRow)) break;
      if (CanStand(standColumn, standRow))
        goals.push_back({Index(standColumn, standRow),
                         kCoinJumpCost * below + kCoinAsideCost * std::abs(aside)});
    }
  }
  return Lookup("coin " + std::to_string(coinColumn) + " " + std::to_string(coinRow), goals, column,
                row);
}

double LevelGraph::CellDistance(int column, int row, int goalColumn, int goalRow) {
  std::vector<std::pair<int, double>> goals;
  if (CanStand(goalColumn, goalRow)) goals.push_back({Index(goalColumn, goalRow), 0.0});
  return Lookup("cell " + std::to_string(goalColumn) + " " + std::to_string(goalRow), goals, column,
                row);
}
