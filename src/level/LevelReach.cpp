#include "level/LevelReach.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <queue>
#include <utility>

#include "base/Rules.h"

namespace {
constexpr double kTile = rules::kTileSize;
constexpr double kStepSeconds = rules::kStepSeconds;
constexpr double kGravity = rules::kGravity;
constexpr double kJumpImpulse = rules::kJumpImpulse;
constexpr double kCeilingShare = 0.25;  // a head on a ceiling falls at this share of gravity
constexpr double kAcceleration = rules::kAcceleration;
constexpr double kDeceleration = rules::kDeceleration;
constexpr double kNetAcceleration = kAcceleration - kDeceleration;
constexpr double kMaxSpeed = rules::kMaxSpeed;
constexpr double kBoxWidth = 24.0;  // the player's standing frame, pixels
constexpr double kBoxHeight = 30.0;
constexpr double kCoinSize = 16.0;  // the coin's picture, pixels
constexpr double kMargin = 3.0;     // slack on each side of the box, pixels
constexpr int kMaxHoldSteps = 136;  // longest hold of a direction in a jump
constexpr int kHoldStepsApart = 8;
constexpr int kWaitSteps = 36;  // a late hold: the feet are two tiles up by then
constexpr int kMinRunUpCells = 3;
constexpr int kMaxRunUpCells = 12;
constexpr int kMaxJumpSteps = 1500;

// Rough costs of moves in tiles, for the route finder's distances.
constexpr double kWalkCost = 1.0;
constexpr double kJumpCost = 2.0;  // on top of the columns crossed and the rows risen
constexpr double kFallCostPerRow = 0.3;

// Rows and columns of tiles a pixel span touches.
int TileOf(double pixel) { return static_cast<int>(std::floor(pixel / kTile)); }
}  // namespace

// A jump as it is played out: the box's left edge and one past its lowest
// pixel row, its speeds, and the coins and door it has surely touched.
struct LevelReach::Flight {
  int dir = 1;
  double x = 0.0;         // pixels
  double bottom = 0.0;    // pixels
  double speed = 0.0;     // pixels per step, along dir
  double vertical = 0.0;  // pixels per second, upward
  bool airborne = true;
  std::vector<int> touched;
};

LevelReach::LevelReach(const std::vector<std::string>& levelLines) : lines(levelLines) {
  rows = static_cast<int>(lines.size());
  columns = rows > 0 ? static_cast<int>(lines[0].size()) : 0;
  const int cells = columns * rows;
  coinIndex.assign(cells, -1);
  moves.resize(cells);
  incoming.resize(cells);
  Cell start{-1, -1};
  Cell door{-1, -1};
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const char ch = At(c, r);
      if (ch == 'C') {
        coinIndex[Index(c, r)] = static_cast<int>(coinCells.size());
        coinCells.push_back({c, r});
      } else if (ch == 'S') {
        start = {c, r};
      } else if (ch == 'D') {
        door = {c, r};
      }
      if (CanStand(c, r)) Expand(Index(c, r));
    }
  }
  for (int from = 0; from < cells; ++from) {
    for (const Move& move : moves[from]) incoming[move.to].push_back({from, move.cost});
  }
  summary.coins = static_cast<int>(coinCells.size());
  summary.coinsNeeded = rules::GoldNeeded(summary.coins) / rules::kGoldPerCoin;
  if (start.c < 0 || door.c < 0) return;
  doorIndex = Index(door.c, door.r);
  // The player is placed at 'S' and lands below it.
  Move first;
  if (Fall(start.c, start.r, first)) Tour(first.to, first.swept);
}

char LevelReach::At(int c, int r) const {
  if (r < 0 || r >= rows || c < 0 || c >= columns) return 'W';
  const std::string& line = lines[r];
  return c < static_cast<int>(line.size()) ? line[c] : '.';
}

// --- Building the moves. ---

// Falls straight down from cell (c, r), the box wholly inside column c with
// its bottom edge in row r. Adds the swept cells; false when the fall goes
// out of the bottom of the level.
bool LevelReach::Fall(int c, int r, Move& move) const {
  if (Wall(c, r)) return false;
  const int from = r;
  for (;;) {
    if (r >= rows - 1) return false;  // into the bottom row: out of the level
    move.swept.push_back(Index(c, r));
    if (Support(c, r + 1)) {
      move.to = Index(c, r);
      move.cost += kFallCostPerRow * (r - from);
      return true;
    }
    ++r;
  }
}

// Every move the player surely has from the standing cell.
void LevelReach::Expand(int cell) {
  const int c = cell % columns;
  const int r = cell / columns;
  std::vector<Move>& out = moves[cell];

  // Walking one column, then falling if the floor ends.
  for (int dir : {-1, 1}) {
    Move walk;
    walk.cost = kWalkCost;
    if (!Wall(c + dir, r) && Fall(c + dir, r, walk)) out.push_back(std::move(walk));
  }

  // Dropping through a platform underfoot.
  if (At(c, r + 1) == 'P') {
    Move drop;
    drop.cost = kWalkCost;
    drop.swept.push_back(cell);
    if (Fall(c, r + 1, drop)) out.push_back(std::move(drop));
  }

  // Jumping, from a standstill or at the end of a run-up, in either
  // direction, holding the direction for a while and then letting go.
  for (int dir : {-1, 1}) {
    const int behind = RunUpCells(c, r, dir);
    for (int hold = 0; hold <= kMaxHoldSteps; hold += kHoldStepsApart) {
      for (int wait : {0, kWaitSteps}) {
        if (hold == 0 && wait > 0) continue;
        Move jump;
        if (Jump(c, r, dir, wait, hold, 0, jump)) out.push_back(std::move(jump));
      }
      Move run;
      if (behind >= kMinRunUpCells && Jump(c, r, dir, 0, hold, behind, run))
        out.push_back(std::move(run));
    }
  }
}

// Free floor beside the standing cell on dir's side: cells the player can
// run along at the same row, which the model takes as room for a run-up.
int LevelReach::RunUpCells(int c, int r, int dir) const {
  int cells = 0;
  while (cells < kMaxRunUpCells && !Wall(c + dir * (cells + 1), r) &&
         Support(c + dir * (cells + 1), r + 1))
    ++cells;
  return cells;
}

double LevelReach::RunUpSpeed(int cells) {
  const double run = cells * kTile - kTile / 2.0;  // pixels; the last half cell is not counted
  // Held from rest the speed grows by kNetAcceleration per second while the
  // player covers (kNetAcceleration / kStepSeconds) t² / 2 pixels.
  const double seconds = std::sqrt(2.0 * run * kStepSeconds / kNetAcceleration);
  return std::min(kNetAcceleration * seconds, kMaxSpeed);
}

bool LevelReach::WallIn(double left, double right, double top, double bottom) const {
  for (int r = TileOf(top); r <= TileOf(bottom); ++r)
    for (int c = TileOf(left); c <= TileOf(right); ++c)
      if (Wall(c, r)) return true;
  return false;
}

bool LevelReach::SupportIn(double left, double right, int row) const {
  for (int c = TileOf(left); c <= TileOf(right); ++c)
    if (Support(c, row)) return true;
  return false;
}

// One jump played out step by step with the player's physics. The box is
// checked against walls with a margin on both sides, so small differences
// in where the player stood do not change the outcome; anything that might
// go either way (a wall grazed, a ledge caught by the margin only) drops the
// jump. Coins and the door count only when the box without the margin
// touches them. Makes the move when the player comes to rest on something.
bool LevelReach::Jump(int c, int r, int dir, int wait, int hold, int runUpCells, Move& move) const {
  Flight flight;
  flight.dir = dir;
  flight.x = c * kTile + (kTile - kBoxWidth) / 2.0;
  flight.bottom = (r + 1) * kTile;
  if (runUpCells > 0) flight.speed = RunUpSpeed(runUpCells);
  flight.vertical = kJumpImpulse;
  move.swept = {Index(c, r)};
  for (int step = 0; step < kMaxJumpSteps; ++step) {
    // Sideways, as the controls do it: speed up while held, drag always.
    const bool held = runUpCells > 0 ? step < hold : (step >= wait && step < wait + hold);
    if (held && flight.speed < kMaxSpeed) flight.speed += kAcceleration * kStepSeconds;
    if (!MoveSideways(flight)) return false;
    if (flight.airborne) {
      flight.vertical -= kGravity * kStepSeconds;
      if (!(flight.vertical > 0.0 ? Rise(flight) : Descend(flight))) return false;
    } else if (!Slide(flight)) {
      return false;
    }
    Touch(flight.x, flight.bottom, flight.touched);
    bool done = false;
    if (!flight.airborne && flight.speed <= 0.0) {
      done = Landed(flight, move);
    } else if (flight.airborne && flight.speed <= 0.0 && flight.vertical < 0.0 &&
               step > wait + hold) {
      done = FallsStraight(flight, move);
    } else {
      continue;
    }
    if (!done) return false;
    move.swept.insert(move.swept.end(), flight.touched.begin(), flight.touched.end());
    move.cost = kJumpCost + std::abs(move.to % columns - c) + std::max(0, r - move.to / columns);
    return true;
  }
  return false;
}

// Drag and travel along the jump's direction; false when a wall may be grazed.
bool LevelReach::MoveSideways(Flight& flight) const {
  if (flight.speed > 0.0) {
    flight.speed -= kDeceleration * kStepSeconds;
    if (flight.speed > 0.0) flight.x += flight.dir * flight.speed;
  } else {
    flight.speed = 0.0;
  }
  const double top = flight.bottom - kBoxHeight;
  return !WallIn(flight.x - kMargin, flight.x + kBoxWidth - 1 + kMargin, top, flight.bottom - 1);
}

// Rising: a ceiling surely hit sends the box down; one maybe hit drops the jump.
bool LevelReach::Rise(Flight& flight) const {
  const double top = flight.bottom - kBoxHeight;
  const double rise = flight.vertical * kStepSeconds;
  const bool sure =
      WallIn(flight.x + kMargin, flight.x + kBoxWidth - 1 - kMargin, top - rise, top - rise);
  const bool maybe =
      WallIn(flight.x - kMargin, flight.x + kBoxWidth - 1 + kMargin, top - rise, top - rise);
  if (sure) {
    flight.vertical = -kGravity * kCeilingShare;
  } else if (maybe) {
    return false;
  } else {
    flight.bottom -= rise;
  }
  return true;
}

// Falling: lands on what is surely under the feet; false below the level or
// where the feet may or may not catch an edge.
bool LevelReach::Descend(Flight& flight) const {
  const double next = flight.bottom - flight.vertical * kStepSeconds;
  // The row whose top the feet reach or cross in this step, if any.
  int row = -1;
  if (std::fmod(flight.bottom, kTile) == 0.0) {
    row = TileOf(flight.bottom);
  } else if (TileOf(next) > TileOf(flight.bottom)) {
    row = TileOf(next);
  }
  if (row >= rows) return false;  // below the level
  const bool sure =
      row >= 0 && SupportIn(flight.x + kMargin, flight.x + kBoxWidth - 2 - kMargin, row);
  const bool maybe =
      row >= 0 && SupportIn(flight.x - kMargin, flight.x + kBoxWidth - 2 + kMargin, row);
  if (sure) {
    flight.bottom = row * kTile;
    flight.vertical = 0.0;
    flight.airborne = false;
  } else if (maybe) {
    return false;
  } else {
    flight.bottom = next;
  }
  return (flight.bottom - kBoxHeight) / kTile <= rows - 1;  // still inside the level
}

// Sliding to a stop on the ground: falls again off the end.
bool LevelReach::Slide(Flight& flight) const {
  const int row = TileOf(flight.bottom);
  const bool sure = SupportIn(flight.x + kMargin, flight.x + kBoxWidth - 2 - kMargin, row);
  const bool maybe = SupportIn(flight.x - kMargin, flight.x + kBoxWidth - 2 + kMargin, row);
  if (!sure && maybe) return false;
  if (!maybe) {
    flight.airborne = true;
    flight.vertical = 0.0;
  }
  return true;
}

// At rest on the ground: the standing cell under the box's middle (or under
// the edge that surely stands); false when there is none.
bool LevelReach::Landed(const Flight& flight, Move& move) const {
  const double centre = flight.x + kBoxWidth / 2.0;
  int column = TileOf(centre);
  const int row = TileOf(flight.bottom - 1);
  if (!Support(column, row + 1) || Wall(column, row)) {
    column = Support(TileOf(flight.x + kMargin), row + 1)
                 ? TileOf(flight.x + kMargin)
                 : TileOf(flight.x + kBoxWidth - 2 - kMargin);
  }
  if (!Support(column, row + 1) || Wall(column, row)) return false;
  move.to = Index(column, row);
  return true;
}

// Straight down from here: the falls of the columns under the box must agree.
bool LevelReach::FallsStraight(const Flight& flight, Move& move) const {
  const int row = TileOf(flight.bottom - 1);
  Move left, right, centre;
  const bool a = Fall(TileOf(flight.x - kMargin), row, left);
  const bool b = Fall(TileOf(flight.x + kBoxWidth - 1 + kMargin), row, right);
  if (!a || !b || left.to / columns != right.to / columns) return false;
  if (!Fall(TileOf(flight.x + kBoxWidth / 2.0), row, centre)) return false;
  move.to = centre.to;
  return true;
}

// Coins and the door the box surely touches at this position.
void LevelReach::Touch(double x, double bottom, std::vector<int>& touched) const {
  const double left = x + kMargin, right = x + kBoxWidth - 1 - kMargin;
  const double top = bottom - kBoxHeight, low = bottom - 1;
  for (int r = TileOf(top); r <= TileOf(low); ++r) {
    for (int c = TileOf(left); c <= TileOf(right); ++c) {
      if (!Inside(c, r)) continue;
      const char ch = At(c, r);
      if (ch == 'C') {
        // The coin's picture fills the top-left corner of its cell.
        if (left <= c * kTile + kCoinSize - 1 && right >= c * kTile &&
            top <= r * kTile + kCoinSize - 1 && low >= r * kTile)
          touched.push_back(Index(c, r));
      } else if (ch == 'D') {
        // The exit asks for the top-left corner of the box in the door cell.
        if (TileOf(x - kMargin) == c && TileOf(x + kMargin) == c && TileOf(top) == r)
          touched.push_back(Index(c, r));
      }
    }
  }
}

bool LevelReach::JumpLanding(Cell from, int dir, int wait, int hold, int runUpCells,
                             Cell& landing) const {
  Move move;
  if (!Jump(from.c, from.r, dir, wait, hold, runUpCells, move)) return false;
  landing = {move.to % columns, move.to / columns};
  return true;
}

// --- The level check. ---

void LevelReach::Collect(const std::vector<int>& cells, std::vector<char>& coins,
                         bool& door) const {
  for (int cell : cells) {
    if (coinIndex[cell] >= 0) coins[coinIndex[cell]] = 1;
    if (cell == doorIndex) door = true;
  }
}

// The strongly connected groups of the cells reachable from start (an
// iterative Tarjan), numbered in reverse topological order; -1 for a cell
// not reached.
std::vector<int> LevelReach::Components(int start, int& count) const {
  const size_t cells = moves.size();
  std::vector<int> comp(cells, -1), low(cells, 0), order(cells, -1), stack;
  std::vector<char> onStack(cells, 0);
  int counter = 0;
  count = 0;
  std::vector<std::pair<int, size_t>> call{{start, 0}};
  order[start] = low[start] = counter++;
  stack.push_back(start);
  onStack[start] = 1;
  while (!call.empty()) {
    const int v = call.back().first;
    size_t& next = call.back().second;
    if (next < moves[v].size()) {
      const int w = moves[v][next++].to;
      if (order[w] < 0) {
        order[w] = low[w] = counter++;
        stack.push_back(w);
        onStack[w] = 1;
        call.push_back({w, 0});
      } else if (onStack[w]) {
        low[v] = std::min(low[v], order[w]);
      }
      continue;
    }
    if (low[v] == order[v]) {
      int w;
      do {
        w = stack.back();
        stack.pop_back();
        onStack[w] = 0;
        comp[w] = count;
      } while (w != v);
      ++count;
    }
    call.pop_back();
    if (!call.empty()) low[call.back().first] = std::min(low[call.back().first], low[v]);
  }
  return comp;
}

// Follows the best path through the groups from the start's: the coins each
// group holds when toured whole, what the door can be reached with, and the
// dead ends.
void LevelReach::Tour(int start, const std::vector<int>& startSwept) {
  int comps = 0;
  const std::vector<int> comp = Components(start, comps);
  const int cells = static_cast<int>(moves.size());
  const size_t coinCount = coinCells.size();

  // What each group holds when toured whole, and what any move touches.
  std::vector<std::vector<char>> held(comps, std::vector<char>(coinCount, 0));
  std::vector<char> hasDoor(comps, 0);
  std::vector<char> any(coinCount, 0);
  std::vector<std::vector<int>> members(comps);
  bool anyDoor = false;
  Collect(startSwept, any, anyDoor);
  for (int v = 0; v < cells; ++v) {
    if (comp[v] < 0) continue;
    members[comp[v]].push_back(v);
    bool door = false;
    Collect({v}, held[comp[v]], door);
    Collect({v}, any, anyDoor);
    for (const Move& move : moves[v]) {
      Collect(move.swept, any, anyDoor);
      if (comp[move.to] == comp[v]) Collect(move.swept, held[comp[v]], door);
    }
    if (door) hasDoor[comp[v]] = 1;
  }

  // Successors have lower numbers, so the start's group has the highest
  // number among those it reaches.
  auto countOf = [](const std::vector<char>& set) {
    return static_cast<int>(std::count(set.begin(), set.end(), 1));
  };
  std::vector<std::vector<char>> best(comps);
  const int first = comp[start];
  best[first] = std::vector<char>(coinCount, 0);
  bool doorOnStart = false;
  Collect(startSwept, best[first], doorOnStart);
  for (size_t i = 0; i < coinCount; ++i) best[first][i] = best[first][i] || held[first][i];
  int bestAtDoor = -1;
  for (int k = first; k >= 0; --k) {
    if (best[k].empty()) continue;
    if (hasDoor[k] || (k == first && doorOnStart))
      bestAtDoor = std::max(bestAtDoor, countOf(best[k]));
    for (int v : members[k]) {
      for (const Move& move : moves[v]) {
        const int target = comp[move.to];
        if (target == k) continue;
        std::vector<char> path = best[k];
        bool door = false;
        Collect(move.swept, path, door);
        if (door) bestAtDoor = std::max(bestAtDoor, countOf(path));
        for (size_t i = 0; i < coinCount; ++i) path[i] = path[i] || held[target][i];
        if (best[target].empty() || countOf(path) > countOf(best[target])) best[target] = path;
      }
    }
  }
  summary.doorReachable = bestAtDoor >= 0 || anyDoor;
  summary.coinsOnRoute = summary.doorReachable ? std::max(bestAtDoor, 0) : 0;
  summary.coinsReachable = countOf(any);
  for (int k = 0; k < comps; ++k) summary.standingCells += static_cast<int>(members[k].size());

  FindDeadEnds(comp, members, hasDoor);
  for (size_t i = 0; i < coinCount; ++i)
    if (!any[i]) summary.unreachableCoins.push_back(coinCells[i]);
}

// Dead ends: places the player can get to but never get out of towards the
// door. Successors have lower numbers, so the groups are gone through upwards.
void LevelReach::FindDeadEnds(const std::vector<int>& comp,
                              const std::vector<std::vector<int>>& members,
                              const std::vector<char>& hasDoor) {
  const int comps = static_cast<int>(members.size());
  std::vector<char> leads(comps, 0);
  std::vector<char> ignored(coinCells.size(), 0);
  for (int k = 0; k < comps; ++k) {
    leads[k] = hasDoor[k];
    for (int v : members[k]) {
      for (const Move& move : moves[v]) {
        const int target = comp[move.to];
        if (target == k) continue;
        bool door = false;
        Collect(move.swept, ignored, door);
        if (door || leads[target]) leads[k] = 1;
      }
    }
  }
  for (int k = 0; k < comps; ++k) {
    if (leads[k]) continue;
    for (int v : members[k]) summary.deadEnds.push_back({v % columns, v / columns});
  }
}

// --- Distances. ---

std::vector<double> LevelReach::DistancesTo(
    const std::vector<std::pair<int, double>>& goals) const {
  std::vector<double> distance(moves.size(), kUnreachable);
  using Entry = std::pair<double, int>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  for (const auto& [cell, cost] : goals) {
    if (cost < distance[cell]) {
      distance[cell] = cost;
      open.push({cost, cell});
    }
  }
  while (!open.empty()) {
    const auto [cost, cell] = open.top();
    open.pop();
    if (cost > distance[cell]) continue;
    for (const auto& [from, moveCost] : incoming[cell]) {
      const double through = cost + moveCost;
      if (through < distance[from]) {
        distance[from] = through;
        open.push({through, from});
      }
    }
  }
  return distance;
}

double LevelReach::Lookup(const std::string& key, const std::vector<std::pair<int, double>>& goals,
                          int column, int row) {
  if (!Inside(column, row)) return kUnreachable;
  auto found = cache.find(key);
  if (found == cache.end()) found = cache.emplace(key, DistancesTo(goals)).first;
  return found->second[Index(column, row)];
}

double LevelReach::CoinDistance(int column, int row, int coinColumn, int coinRow) {
  const std::string key = "coin " + std::to_string(coinColumn) + " " + std::to_string(coinRow);
  std::vector<std::pair<int, double>> goals;
  if (cache.find(key) == cache.end() && Inside(coinColumn, coinRow)) {
    // Standing in the coin's cell takes it; so does any move that sweeps it.
    const int coin = Index(coinColumn, coinRow);
    if (CanStand(coinColumn, coinRow)) goals.push_back({coin, 0.0});
    for (size_t from = 0; from < moves.size(); ++from) {
      for (const Move& move : moves[from]) {
        if (std::find(move.swept.begin(), move.swept.end(), coin) != move.swept.end())
          goals.push_back({static_cast<int>(from), move.cost});
      }
    }
  }
  return Lookup(key, goals, column, row);
}

double LevelReach::CellDistance(int column, int row, int goalColumn, int goalRow) {
  std::vector<std::pair<int, double>> goals;
  if (CanStand(goalColumn, goalRow)) goals.push_back({Index(goalColumn, goalRow), 0.0});
  return Lookup("cell " + std::to_string(goalColumn) + " " + std::to_string(goalRow), goals, column,
                row);
}

bool LevelReach::StandingCell(int column, int& row) const {
  for (int r = std::max(row, 0); r + 1 < rows; ++r) {
    if (Wall(column, r)) return false;
    if (CanStand(column, r)) {
      row = r;
      return true;
    }
  }
  return false;  // a gap in the bottom row: out of the level
}

bool LevelReach::OneFloor(int column0, int column1, int row) const {
  for (int c = std::min(column0, column1); c <= std::max(column0, column1); ++c) {
    if (!CanStand(c, row)) return false;
  }
  return true;
}
