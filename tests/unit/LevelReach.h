// Level check helpers for the shipped levels: the file's format rules and a
// reachability analysis of the grid with the player's real reach.
//
// The analysis models only moves the player surely has, so a level it passes
// can be finished; a level it fails may still be finishable by a skilled
// player, but then the level is too tight to ship. Numbers below come from
// the player's physics (jump impulse 350 px/s, gravity 650 px/s², box 24 × 30,
// tiles 32 px):
//  - a jump rises 94 px: the feet clear a ledge two tiles up, never three;
//    at the top the head is 4 px into the third row above the standing row;
//  - from a standstill with a direction held from the jump on, the player
//    covers x = 500 t² px: above a two-tile ledge from t 0.23 s to 0.84 s
//    (about 11 tiles of travel), back at its own height at 1.08 s (18 tiles);
//  - a head that hits a wall is sent down at once at 162.5 px/s, which leaves
//    much less room sideways;
//  - falling past the top of the bottom row through an empty cell is death.
//
// States are the cells the player can stand in: not a wall, with a wall or a
// platform right below. Moves between them:
//  - walk one column sideways (walls block), then fall if nothing is below;
//  - drop through a platform underfoot with Down, and fall;
//  - jump, played out step by step with the player's speeds: from a
//    standstill, the direction held from the take-off or from a moment later
//    (when the feet are two tiles up) for a number of steps, or after a run
//    along free floor; the player then slides to a stop on whatever it lands
//    on. A jump counts only when it works with the player anywhere within
//    three pixels of the middle of its cell (see Jump).
// Coins count only when one path from the start can take them all and still
// reach the door: strongly connected groups of states are toured whole, and
// the best path through the group graph is followed greedily. A reachable
// state from which the door cannot be reached is a dead end.

#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace level_reach {

constexpr int kTile = 32;                // pixels per tile side
constexpr int kMinColumns = 40;          // narrowest level we ship
constexpr int kMinRows = 23;             // lowest level we ship: one window high, rounded up
constexpr long long kMaxCells = 250000;  // the game refuses bigger levels
constexpr double kStepSeconds = 0.008;   // one game step
constexpr double kGravity = 650.0;       // pixels per second per second
constexpr double kJumpImpulse = 350.0;   // pixels per second, upward
constexpr double kCeilingShare = 0.25;   // a head on a ceiling falls at this share of gravity
constexpr double kAcceleration = 40.0;   // pixels per step gained per second of holding
constexpr double kDeceleration = 32.0;   // pixels per step lost per second
constexpr double kNetAcceleration = kAcceleration - kDeceleration;
constexpr double kMaxSpeed = 20.0;  // pixels per step
constexpr double kBoxWidth = 24.0;  // the player's box, pixels
constexpr double kBoxHeight = 30.0;
constexpr double kCoinSize = 16.0;  // the coin's picture, pixels
constexpr double kMargin = 3.0;     // slack on each side of the box, pixels
constexpr int kMaxHoldSteps = 136;  // longest hold of a direction in a jump
constexpr int kHoldStepsApart = 8;
constexpr int kWaitSteps = 36;  // a late hold: the feet are two tiles up by then
constexpr int kMinRunUpCells = 3;
constexpr int kMaxRunUpCells = 12;
constexpr int kMaxJumpSteps = 1500;
constexpr int kEnemyStartColumns = 6;  // no enemy may start this close to the player's start
constexpr int kEnemyStartRows = 3;

// The level file's lines: split at line feeds, a carriage return before a line
// feed dropped, a line feed at the very end not making an extra line.
inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  bool pending = false;
  for (char ch : text) {
    if (ch == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
      pending = false;
    } else {
      line += ch;
      pending = true;
    }
  }
  if (pending) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Every broken format rule, one message each naming the level, row and column.
inline std::vector<std::string> FormatProblems(const std::string& name,
                                               const std::vector<std::string>& lines) {
  std::vector<std::string> problems;
  auto at = [&](int r, int c) {
    return name + " row " + std::to_string(r) + " column " + std::to_string(c) + ": ";
  };
  if (lines.empty()) {
    problems.push_back(name + ": the file has no lines");
    return problems;
  }
  const int columns = static_cast<int>(lines[0].size());
  const int rows = static_cast<int>(lines.size());
  if (columns < kMinColumns)
    problems.push_back(name + ": " + std::to_string(columns) + " columns, fewer than " +
                       std::to_string(kMinColumns));
  if (rows < kMinRows)
    problems.push_back(name + ": " + std::to_string(rows) + " rows, fewer than " +
                       std::to_string(kMinRows));
  if (static_cast<long long>(columns) * rows > kMaxCells)
    problems.push_back(name + ": " + std::to_string(static_cast<long long>(columns) * rows) +
                       " cells, more than the game loads");
  int starts = 0;
  int doors = 0;
  const std::string codes = "WPSDEIC.";
  for (int r = 0; r < rows; ++r) {
    const std::string& line = lines[r];
    if (static_cast<int>(line.size()) != columns) {
      problems.push_back(name + " row " + std::to_string(r) + ": " + std::to_string(line.size()) +
                         " characters, the first line has " + std::to_string(columns));
    }
    for (int c = 0; c < static_cast<int>(line.size()); ++c) {
      char ch = line[c];
      if (codes.find(ch) == std::string::npos) {
        problems.push_back(at(r, c) + "'" + std::string(1, ch) + "' is not a cell code");
      }
      if (ch == 'S') ++starts;
      if (ch == 'D') ++doors;
      bool edge = r == 0 || c == 0 || c == columns - 1;
      if (edge && ch != 'W') problems.push_back(at(r, c) + "the edge must be a wall");
    }
    if (static_cast<int>(line.size()) < columns && r > 0)
      problems.push_back(at(r, columns - 1) + "the edge must be a wall");
  }
  if (starts != 1) problems.push_back(name + ": " + std::to_string(starts) + " 'S' cells, not 1");
  if (doors != 1) problems.push_back(name + ": " + std::to_string(doors) + " 'D' cells, not 1");
  return problems;
}

// The level grid as the analysis reads it; cells outside read as walls.
class Grid {
 public:
  explicit Grid(const std::vector<std::string>& lines) : lines_(lines) {
    rows = static_cast<int>(lines.size());
    columns = rows > 0 ? static_cast<int>(lines[0].size()) : 0;
  }
  char At(int c, int r) const {
    if (r < 0 || r >= rows || c < 0 || c >= columns) return 'W';
    const std::string& line = lines_[r];
    return c < static_cast<int>(line.size()) ? line[c] : '.';
  }
  bool Wall(int c, int r) const { return At(c, r) == 'W'; }
  bool Support(int c, int r) const { return At(c, r) == 'W' || At(c, r) == 'P'; }
  bool Inside(int c, int r) const { return c >= 0 && c < columns && r >= 0 && r < rows; }

  int columns = 0;
  int rows = 0;

 private:
  const std::vector<std::string>& lines_;
};

struct Cell {
  int c = 0;
  int r = 0;
};

struct Result {
  bool doorReachable = false;
  int coins = 0;           // 'C' cells in the level
  int coinsNeeded = 0;     // half of them, rounded up: what the door asks for
  int coinsOnRoute = 0;    // coins one path from the start takes before the door
  int coinsReachable = 0;  // coins the player can reach at all (door or not)
  int standingCells = 0;   // reachable cells the player can stand in
  std::vector<Cell> unreachableCoins;
  std::vector<Cell> deadEnds;  // reachable standing cells from which the door cannot be reached
};

// The speed in pixels per step with which a run along this many free cells
// of floor reaches the take-off cell (the last half cell is not counted).
inline double RunUpSpeed(int cells) {
  const double run = cells * kTile - kTile / 2.0;  // pixels
  // Held from rest the speed grows by kNetAcceleration per second while the
  // player covers (kNetAcceleration / kStepSeconds) t² / 2 pixels.
  const double seconds = std::sqrt(2.0 * run * kStepSeconds / kNetAcceleration);
  return std::min(kNetAcceleration * seconds, kMaxSpeed);
}

namespace detail {

// A move from one standing cell to another, with the cells the player's box
// surely sweeps on the way (its top-left corner passes through each).
struct Move {
  int to = -1;
  std::vector<int> swept;  // cell indices
};

class Analysis {
 public:
  explicit Analysis(const Grid& grid) : g_(grid) {}

  // One jump from the standing cell (c, r), as Expand tries it; false when
  // the analysis does not count on it.
  bool PlayJump(Cell from, int dir, int wait, int hold, int runUpCells, Cell& landing) {
    coinIndex_.assign(g_.columns * g_.rows, -1);
    Move move;
    if (!Jump(from.c, from.r, dir, wait, hold, runUpCells, move)) return false;
    landing = {move.to % g_.columns, move.to / g_.columns};
    return true;
  }

  Result Run() {
    Result result;
    const int cells = g_.columns * g_.rows;
    coinIndex_.assign(cells, -1);
    Cell start{-1, -1}, door{-1, -1};
    for (int r = 0; r < g_.rows; ++r) {
      for (int c = 0; c < g_.columns; ++c) {
        char ch = g_.At(c, r);
        if (ch == 'C') {
          coinIndex_[Index(c, r)] = static_cast<int>(coinCells_.size());
          coinCells_.push_back({c, r});
        } else if (ch == 'S') {
          start = {c, r};
        } else if (ch == 'D') {
          door = {c, r};
        }
      }
    }
    result.coins = static_cast<int>(coinCells_.size());
    result.coinsNeeded = (result.coins + 1) / 2;
    if (start.c < 0 || door.c < 0) return result;
    doorIndex_ = Index(door.c, door.r);

    // Forward search from where the player lands after being placed at 'S'.
    Move first;
    if (!Fall(start.c, start.r, first)) return result;
    stateOf_.assign(cells, -1);
    Discover(first.to);
    for (size_t i = 0; i < states_.size(); ++i) Expand(static_cast<int>(i));

    result.standingCells = static_cast<int>(states_.size());
    Tour(Local(first.to), first.swept, result);
    return result;
  }

 private:
  int Index(int c, int r) const { return r * g_.columns + c; }

  // Falls straight down from cell (c, r), the box wholly inside column c with
  // its bottom edge in row r. Adds the swept cells; false when the fall goes
  // out of the bottom of the level.
  bool Fall(int c, int r, Move& move) const {
    if (g_.Wall(c, r)) return false;
    for (;;) {
      if (r >= g_.rows - 1) return false;  // into the bottom row: out of the level
      move.swept.push_back(Index(c, r));
      if (g_.Support(c, r + 1)) {
        move.to = Index(c, r);
        return true;
      }
      ++r;
    }
  }

  void Discover(int cell) {
    if (stateOf_[cell] >= 0) return;
    stateOf_[cell] = static_cast<int>(states_.size());
    states_.push_back(cell);
    moves_.emplace_back();
  }

  void Add(int from, Move move) {
    Discover(move.to);
    moves_[from].push_back(std::move(move));
  }

  // Every move the player surely has from the standing cell of state s.
  void Expand(int s) {
    const int c = states_[s] % g_.columns;
    const int r = states_[s] / g_.columns;

    // Walking one column, then falling if the floor ends.
    for (int dir : {-1, 1}) {
      Move walk;
      if (!g_.Wall(c + dir, r) && Fall(c + dir, r, walk)) Add(s, std::move(walk));
    }

    // Dropping through a platform underfoot.
    if (g_.At(c, r + 1) == 'P') {
      Move drop;
      drop.swept.push_back(Index(c, r));
      if (Fall(c, r + 1, drop)) Add(s, std::move(drop));
    }

    // Jumping, from a standstill or at the end of a run-up, in either
    // direction, holding the direction for a while and then letting go.
    const int runUpCells = RunUpCells(c, r);
    for (int dir : {-1, 1}) {
      for (int hold = 0; hold <= kMaxHoldSteps; hold += kHoldStepsApart) {
        for (int wait : {0, kWaitSteps}) {
          if (hold == 0 && wait > 0) continue;
          Move jump;
          if (Jump(c, r, dir, wait, hold, 0, jump)) Add(s, std::move(jump));
        }
        int behind = dir > 0 ? runUpCells >> 16 : runUpCells & 0xffff;
        Move run;
        if (behind >= kMinRunUpCells && Jump(c, r, dir, 0, hold, behind, run))
          Add(s, std::move(run));
      }
    }
  }

  // Free floor behind the standing cell, to the left (low 16 bits) and to the
  // right (high 16 bits): cells the player can run along at the same row.
  int RunUpCells(int c, int r) const {
    int left = 0, right = 0;
    while (left < kMaxRunUpCells && !g_.Wall(c - left - 1, r) && g_.Support(c - left - 1, r + 1))
      ++left;
    while (right < kMaxRunUpCells && !g_.Wall(c + right + 1, r) && g_.Support(c + right + 1, r + 1))
      ++right;
    return left | (right << 16);
  }

  // Rows and columns of tiles a pixel span touches (inclusive).
  static int TileOf(double pixel) { return static_cast<int>(std::floor(pixel / kTile)); }

  bool WallIn(double left, double right, double top, double bottom) const {
    for (int r = TileOf(top); r <= TileOf(bottom); ++r)
      for (int c = TileOf(left); c <= TileOf(right); ++c)
        if (g_.Wall(c, r)) return true;
    return false;
  }
  bool SupportIn(double left, double right, int row) const {
    for (int c = TileOf(left); c <= TileOf(right); ++c)
      if (g_.Support(c, row)) return true;
    return false;
  }

  // One jump played out step by step with the player's physics. The box is
  // checked against walls with a margin on both sides, so small differences
  // in where the player stood do not change the outcome; anything that might
  // go either way (a wall grazed, a ledge caught by the margin only) drops the
  // jump. Coins and the door count only when the box without the margin
  // touches them. Adds the move when the player comes to rest on something.
  bool Jump(int c, int r, int dir, int wait, int hold, int runUpCells, Move& move) const {
    const double dt = kStepSeconds;
    double x = c * kTile + (kTile - kBoxWidth) / 2.0;  // left edge of the box
    double bottom = (r + 1) * kTile;                   // one past the lowest pixel row
    double speed = 0.0;                                // pixels per step, along dir
    if (runUpCells > 0) speed = RunUpSpeed(runUpCells);
    double vertical = kJumpImpulse;  // pixels per second, upward
    bool airborne = true;
    move.swept = {Index(c, r)};
    std::vector<int> touched;
    for (int step = 0; step < kMaxJumpSteps; ++step) {
      // Sideways, as the controls do it: speed up while held, drag always.
      bool held = runUpCells > 0 ? step < hold : (step >= wait && step < wait + hold);
      if (held && speed < kMaxSpeed) speed += kAcceleration * dt;
      if (speed > 0.0) {
        speed -= kDeceleration * dt;
        if (speed > 0.0) x += dir * speed;
      } else {
        speed = 0.0;
      }
      const double top = bottom - kBoxHeight;
      if (WallIn(x - kMargin, x + kBoxWidth - 1 + kMargin, top, bottom - 1)) return false;

      // Up and down.
      if (airborne) {
        vertical -= kGravity * dt;
        if (vertical > 0.0) {
          double rise = vertical * dt;
          bool sure = WallIn(x + kMargin, x + kBoxWidth - 1 - kMargin, top - rise, top - rise);
          bool maybe = WallIn(x - kMargin, x + kBoxWidth - 1 + kMargin, top - rise, top - rise);
          if (sure) {
            vertical = -kGravity * kCeilingShare;
          } else if (maybe) {
            return false;
          } else {
            bottom -= rise;
          }
        } else {
          double next = bottom - vertical * dt;
          // The row whose top the feet reach or cross in this step, if any.
          int row = -1;
          if (std::fmod(bottom, kTile) == 0.0) {
            row = TileOf(bottom);
          } else if (TileOf(next) > TileOf(bottom)) {
            row = TileOf(next);
          }
          if (row >= g_.rows) return false;  // below the level
          bool sure = row >= 0 && SupportIn(x + kMargin, x + kBoxWidth - 2 - kMargin, row);
          bool maybe = row >= 0 && SupportIn(x - kMargin, x + kBoxWidth - 2 + kMargin, row);
          if (sure) {
            bottom = row * kTile;
            vertical = 0.0;
            airborne = false;
          } else if (maybe) {
            return false;
          } else {
            bottom = next;
          }
          if ((bottom - kBoxHeight) / kTile > g_.rows - 1) return false;  // out of the level
        }
      } else {
        // Sliding to a stop on the ground: falls again off the end.
        int row = TileOf(bottom);
        bool sure = SupportIn(x + kMargin, x + kBoxWidth - 2 - kMargin, row);
        bool maybe = SupportIn(x - kMargin, x + kBoxWidth - 2 + kMargin, row);
        if (!sure && maybe) return false;
        if (!maybe) {
          airborne = true;
          vertical = 0.0;
        }
      }
      Touch(x, bottom, touched);
      if (!airborne && speed <= 0.0) {
        const double centre = x + kBoxWidth / 2.0;
        int column = TileOf(centre);
        const int row = TileOf(bottom - 1);
        if (!g_.Support(column, row + 1) || g_.Wall(column, row)) {
          column = g_.Support(TileOf(x + kMargin), row + 1) ? TileOf(x + kMargin)
                                                            : TileOf(x + kBoxWidth - 2 - kMargin);
        }
        if (!g_.Support(column, row + 1) || g_.Wall(column, row)) return false;
        move.to = Index(column, row);
        move.swept.insert(move.swept.end(), touched.begin(), touched.end());
        return true;
      }
      if (airborne && speed <= 0.0 && vertical < 0.0 && step > wait + hold) {
        // Straight down from here: finish with the falls of the columns under
        // the box, which must agree.
        const int row = TileOf(bottom - 1);
        Move left, right, centre;
        bool a = Fall(TileOf(x - kMargin), row, left);
        bool b = Fall(TileOf(x + kBoxWidth - 1 + kMargin), row, right);
        if (!a || !b || left.to / g_.columns != right.to / g_.columns) return false;
        if (!Fall(TileOf(x + kBoxWidth / 2.0), row, centre)) return false;
        move.to = centre.to;
        move.swept.insert(move.swept.end(), touched.begin(), touched.end());
        return true;
      }
    }
    return false;
  }

  // Coins and the door the box surely touches at this position.
  void Touch(double x, double bottom, std::vector<int>& touched) const {
    const double left = x + kMargin, right = x + kBoxWidth - 1 - kMargin;
    const double top = bottom - kBoxHeight, low = bottom - 1;
    for (int r = TileOf(top); r <= TileOf(low); ++r) {
      for (int c = TileOf(left); c <= TileOf(right); ++c) {
        if (!g_.Inside(c, r)) continue;
        char ch = g_.At(c, r);
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

  int Local(int cell) const { return stateOf_[cell]; }

  void Collect(const std::vector<int>& cells, std::vector<char>& coins, bool& door) const {
    for (int cell : cells) {
      if (coinIndex_[cell] >= 0) coins[coinIndex_[cell]] = 1;
      if (cell == doorIndex_) door = true;
    }
  }

  // Groups the states into strongly connected components (iterative Tarjan),
  // then follows the best path through the component graph from the start.
  void Tour(int start, const std::vector<int>& startSwept, Result& result) {
    const int n = static_cast<int>(states_.size());
    std::vector<int> comp(n, -1), low(n, 0), order(n, -1), stack;
    std::vector<char> onStack(n, 0);
    int counter = 0, comps = 0;
    std::vector<std::pair<int, size_t>> call;
    for (int root = 0; root < n; ++root) {
      if (order[root] >= 0) continue;
      call.push_back({root, 0});
      order[root] = low[root] = counter++;
      stack.push_back(root);
      onStack[root] = 1;
      while (!call.empty()) {
        int v = call.back().first;
        size_t& next = call.back().second;
        if (next < moves_[v].size()) {
          int w = Local(moves_[v][next].to);
          ++next;
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
            comp[w] = comps;
          } while (w != v);
          ++comps;
        }
        call.pop_back();
        if (!call.empty()) low[call.back().first] = std::min(low[call.back().first], low[v]);
      }
    }

    // What each component holds when toured whole.
    const size_t coinCount = coinCells_.size();
    std::vector<std::vector<char>> held(comps, std::vector<char>(coinCount, 0));
    std::vector<char> hasDoor(comps, 0);
    std::vector<char> any(coinCount, 0);
    bool anyDoor = false;
    Collect(startSwept, any, anyDoor);
    for (int v = 0; v < n; ++v) {
      bool door = false;
      Collect({states_[v]}, held[comp[v]], door);
      Collect({states_[v]}, any, anyDoor);
      for (const Move& move : moves_[v]) {
        Collect(move.swept, any, anyDoor);
        if (comp[Local(move.to)] == comp[v]) Collect(move.swept, held[comp[v]], door);
      }
      if (door) hasDoor[comp[v]] = 1;
    }

    // Tarjan numbers components in reverse topological order, so the start's
    // component has the highest number among those it reaches.
    auto count = [](const std::vector<char>& set) {
      return static_cast<int>(std::count(set.begin(), set.end(), 1));
    };
    auto unite = [](std::vector<char>& into, const std::vector<char>& from) {
      for (size_t i = 0; i < into.size(); ++i) into[i] = into[i] || from[i];
    };
    std::vector<std::vector<char>> best(comps);
    std::vector<std::vector<int>> members(comps);
    for (int v = 0; v < n; ++v) members[comp[v]].push_back(v);
    const int first = comp[start];
    best[first] = std::vector<char>(coinCount, 0);
    bool doorOnStart = false;
    Collect(startSwept, best[first], doorOnStart);
    unite(best[first], held[first]);
    int bestAtDoor = -1;
    for (int k = first; k >= 0; --k) {
      if (best[k].empty()) continue;
      if (hasDoor[k] || (k == first && doorOnStart))
        bestAtDoor = std::max(bestAtDoor, count(best[k]));
      for (int v : members[k]) {
        for (const Move& move : moves_[v]) {
          int target = comp[Local(move.to)];
          if (target == k) continue;
          std::vector<char> path = best[k];
          bool door = false;
          Collect(move.swept, path, door);
          if (door) bestAtDoor = std::max(bestAtDoor, count(path));
          unite(path, held[target]);
          if (best[target].empty() || count(path) > count(best[target])) best[target] = path;
        }
      }
    }
    result.doorReachable = bestAtDoor >= 0 || anyDoor;
    result.coinsOnRoute = std::max(bestAtDoor, 0);
    if (!result.doorReachable) result.coinsOnRoute = 0;
    result.coinsReachable = count(any);

    // Dead ends: places the player can get to but never get out of towards
    // the door. Successors have lower component numbers, so go upwards.
    std::vector<char> leads(comps, 0);
    for (int k = 0; k < comps; ++k) {
      leads[k] = hasDoor[k];
      for (int v : members[k]) {
        for (const Move& move : moves_[v]) {
          int target = comp[Local(move.to)];
          if (target == k) continue;
          bool door = false;
          std::vector<char> ignored(coinCount, 0);
          Collect(move.swept, ignored, door);
          if (door || leads[target]) leads[k] = 1;
        }
      }
    }
    for (int v = 0; v < n; ++v)
      if (!leads[comp[v]])
        result.deadEnds.push_back({states_[v] % g_.columns, states_[v] / g_.columns});
    for (size_t i = 0; i < coinCount; ++i)
      if (!any[i]) result.unreachableCoins.push_back(coinCells_[i]);
  }

  const Grid& g_;
  std::vector<int> coinIndex_;
  std::vector<Cell> coinCells_;
  int doorIndex_ = -1;
  std::vector<int> stateOf_;              // cell index to state, -1 when not reached
  std::vector<int> states_;               // state to cell index
  std::vector<std::vector<Move>> moves_;  // state to its moves
};

}  // namespace detail

// Runs the analysis on a level's lines (assumed to pass FormatProblems).
inline Result Analyse(const std::vector<std::string>& lines) {
  Grid grid(lines);
  return detail::Analysis(grid).Run();
}

// Where the analysis has the player come to rest after one jump from the
// standing cell `from`: direction dir (-1 left, 1 right) held from step
// `wait` for `hold` steps, or from the take-off after a run along
// `runUpCells` cells of floor. False when the analysis does not count on
// that jump. For checking the analysis against the game.
inline bool JumpLanding(const std::vector<std::string>& lines, Cell from, int dir, int wait,
                        int hold, int runUpCells, Cell& landing) {
  Grid grid(lines);
  return detail::Analysis(grid).PlayJump(from, dir, wait, hold, runUpCells, landing);
}

// Enemy cells too close to the start: every kind must give the player a
// moment before the first fight.
inline std::vector<Cell> EnemiesNearStart(const std::vector<std::string>& lines) {
  Grid grid(lines);
  Cell start{-1, -1};
  std::vector<Cell> enemies, near;
  for (int r = 0; r < grid.rows; ++r)
    for (int c = 0; c < grid.columns; ++c) {
      if (grid.At(c, r) == 'S') start = {c, r};
      if (grid.At(c, r) == 'E') enemies.push_back({c, r});
    }
  for (const Cell& e : enemies)
    if (std::abs(e.c - start.c) < kEnemyStartColumns && std::abs(e.r - start.r) < kEnemyStartRows)
      near.push_back(e);
  return near;
}

}  // namespace level_reach
