// The bird's path search against a plain search kept here: the game's search
// uses a heap, per-search stamps and regions labelled at Build, and must give
// the very same answer as resetting every cell and scanning an unsorted open
// list, on every grid and for every start and goal.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "harness/Harness.h"
#include "level/Level.h"

namespace {

using Cell = std::pair<int, int>;
const Cell kNoPath{-1, -1};

// What the plain search saw, so the test can show it covered the hard cases.
struct PlainCounts {
  long reParentedDown = 0;  // re-parented cells whose key went down
  long reParentedUp = 0;    // ... went up
  long equalKeyPicks = 0;   // picks with an equal key earlier in the list
};

// The search written out step by step: every cell reset per call, the open
// list an unsorted array scanned for the pick and shifted on removal.
class PlainSearch {
 public:
  explicit PlainSearch(const std::vector<std::string>& grid)
      : columns(static_cast<int>(grid[0].size())), rows(static_cast<int>(grid.size())) {
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        PathNode node;
        node.col = c;
        node.row = r;
        node.blocked = grid[r][c] == 'W' || grid[r][c] == 'P';
        nodes.push_back(node);
      }
    }
  }

  Cell Find(int startCol, int startRow, int goalCol, int goalRow, PlainCounts& counts) {
    static const int kOffsets[8][2] = {{-1, 0},  {1, 0},  {0, -1}, {0, 1},
                                       {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    openList.clear();
    for (PathNode& node : nodes) {
      node.open = false;
      node.closed = false;
      node.parent = nullptr;
    }
    PathNode* start = At(startCol, startRow);
    PathNode* goal = At(goalCol, goalRow);
    if (!start) return kNoPath;
    if (start == goal) return {goal->col, goal->row};
    auto distance = [](int a, int b) { return static_cast<float>(std::abs(a - b)); };
    start->pathCost = 0.0f;
    start->estimate = distance(startRow, goalRow) + distance(startCol, goalCol);
    start->totalCost = start->estimate + 0.0f;
    openList.push_back(start);
    while (true) {
      if (openList.empty()) return kNoPath;
      size_t best = 0;
      for (size_t i = 1; i < openList.size(); ++i) {
        if (openList[i]->totalCost <= openList[best]->totalCost) best = i;
      }
      for (size_t i = 0; i < best; ++i) {
        if (openList[i]->totalCost == openList[best]->totalCost) {
          ++counts.equalKeyPicks;
          break;
        }
      }
      PathNode* current = openList[best];
      current->open = false;
      current->closed = true;
      openList.erase(openList.begin() + static_cast<std::ptrdiff_t>(best));
      for (int k = 0; k < 8; ++k) {
        PathNode* n = At(current->col + kOffsets[k][0], current->row + kOffsets[k][1]);
        if (!n || n->blocked || n->closed) continue;
        if (!n->open) {
          n->parent = current;
          n->pathCost = current->pathCost + (k >= 4 ? 1.0f + 0.414f : 1.0f);
          n->estimate = distance(n->col, goalCol) + distance(n->row, goalRow);
          n->totalCost = n->estimate + n->pathCost;
          n->open = true;
          openList.push_back(n);
        } else if (n->parent->pathCost > current->pathCost) {
          const float before = n->totalCost;
          n->parent = current;
          n->pathCost = distance(startCol, current->col) + distance(startRow, current->row);
          n->estimate = distance(current->col, goalCol) + distance(current->row, goalRow);
          n->totalCost = current->estimate + current->pathCost;
          if (n->totalCost < before) ++counts.reParentedDown;
          if (n->totalCost > before) ++counts.reParentedUp;
        }
      }
      if (current == goal) break;
    }
    if (openList.empty()) return {goal->col, goal->row};
    PathNode* node = goal;
    while (node->parent != start) node = node->parent;
    return {node->col, node->row};
  }

  bool Blocked(int c, int r) const {
    return c >= 0 && r >= 0 && c < columns && r < rows && nodes[r * columns + c].blocked;
  }

 private:
  PathNode* At(int c, int r) {
    if (c <= 0 || r <= 0 || c >= columns || r >= rows) return nullptr;
    return &nodes[static_cast<size_t>(r) * columns + c];
  }

  int columns;
  int rows;
  std::vector<PathNode> nodes;
  std::vector<PathNode*> openList;
};

// A random grid of open, wall and platform cells; some get walled borders,
// some are cut by walls with few gaps, so that many regions are sealed off.
std::vector<std::string> RandomGrid(std::mt19937& random, int maxColumns, int maxRows) {
  std::uniform_int_distribution<int> columnsDist(1, maxColumns);
  std::uniform_int_distribution<int> rowsDist(1, maxRows);
  const int columns = columnsDist(random);
  const int rows = rowsDist(random);
  const double densities[] = {0.0, 0.1, 0.25, 0.4, 0.5, 0.65};
  const double density = densities[random() % 6];
  std::bernoulli_distribution solid(density);
  std::vector<std::string> grid(rows, std::string(columns, '.'));
  for (auto& line : grid)
    for (char& cell : line)
      if (solid(random)) cell = random() % 2 ? 'W' : 'P';
  if (random() % 2) {
    for (int c = 0; c < columns; ++c) grid[0][c] = grid[rows - 1][c] = 'W';
    for (int r = 0; r < rows; ++r) grid[r][0] = grid[r][columns - 1] = 'W';
  }
  if (random() % 3 == 0 && columns > 2) {
    const int wall = 1 + static_cast<int>(random() % (columns - 1));
    for (int r = 0; r < rows; ++r) grid[r][wall] = random() % 8 ? 'W' : '.';
  }
  return grid;
}

std::string Show(const std::vector<std::string>& grid) {
  std::string text;
  for (const std::string& line : grid) text += "  " + line + "\n";
  return text;
}

// Runs many searches on one level and on the plain search, in one sequence,
// so that each search also proves that the ones before it left nothing behind.
struct Tally {
  long searches = 0;
  long answered = 0;       // a next cell
  long noPath = 0;         // (-1, -1)
  long sealedOff = 0;      // (-1, -1) for an open searchable goal
  long blockedStarts = 0;  // searches starting in a wall or platform
  long sameCell = 0;       // start and goal the same cell
  long edgeGoals = 0;      // goals in row 0 or column 0
  PlainCounts plain;
};

void CompareSearches(Level& level, PlainSearch& plain, const std::vector<std::string>& grid,
                     std::mt19937& random, int searches, Tally& tally) {
  const int columns = static_cast<int>(grid[0].size());
  const int rows = static_cast<int>(grid.size());
  std::uniform_int_distribution<int> colDist(-1, columns);
  std::uniform_int_distribution<int> rowDist(-1, rows);
  std::vector<Cell> blocked;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      if (plain.Blocked(c, r)) blocked.emplace_back(c, r);
  for (int i = 0; i < searches; ++i) {
    Cell start{colDist(random), rowDist(random)};
    if (!blocked.empty() && random() % 6 == 0) start = blocked[random() % blocked.size()];
    Cell goal{colDist(random), rowDist(random)};
    const unsigned kind = random() % 10;
    if (kind == 0) goal = start;
    if (kind == 1) goal.first = 0;
    if (kind == 2) goal.second = 0;

    const Cell expected =
        plain.Find(start.first, start.second, goal.first, goal.second, tally.plain);
    int nextCol = 12345;
    int nextRow = 12345;
    level.FindPath(start.first, start.second, goal.first, goal.second, nextCol, nextRow);
    ASSERT_EQ(Cell(nextCol, nextRow), expected)
        << "search " << i << " from (" << start.first << ", " << start.second << ") to ("
        << goal.first << ", " << goal.second << ") on\n"
        << Show(grid);

    ++tally.searches;
    const bool goalSearchable =
        goal.first > 0 && goal.second > 0 && goal.first < columns && goal.second < rows;
    const bool startSearchable =
        start.first > 0 && start.second > 0 && start.first < columns && start.second < rows;
    if (expected == kNoPath) {
      ++tally.noPath;
      if (startSearchable && goalSearchable && !plain.Blocked(goal.first, goal.second))
        ++tally.sealedOff;
    } else {
      ++tally.answered;
    }
    if (startSearchable && plain.Blocked(start.first, start.second)) ++tally.blockedStarts;
    if (start == goal) ++tally.sameCell;
    if (goal.first == 0 || goal.second == 0) ++tally.edgeGoals;
  }
}

// Shows that the random cases reached every kind of answer and every rule.
void ExpectCoverage(const Tally& tally, long least) {
  EXPECT_GE(tally.answered, least) << "searches that found a next cell";
  EXPECT_GE(tally.noPath, least) << "searches with no path";
  EXPECT_GE(tally.sealedOff, least) << "open goals sealed off from the start";
  EXPECT_GE(tally.blockedStarts, least) << "starts in a blocked cell";
  EXPECT_GE(tally.sameCell, least) << "start and goal the same cell";
  EXPECT_GE(tally.edgeGoals, least) << "goals in row 0 or column 0";
  EXPECT_GE(tally.plain.reParentedDown, least) << "re-parented cells whose key fell";
  EXPECT_GE(tally.plain.reParentedUp, least) << "re-parented cells whose key rose";
  EXPECT_GE(tally.plain.equalKeyPicks, least) << "picks decided by the tie-break";
}

TEST(PathFindingEquivalence, BuiltLevelsMatchThePlainSearch) {
  // Levels read from a file and built: the regions are labelled by Build.
  harness::TempRunFolder folder;
  std::mt19937 random(20261209);
  Tally tally;
  for (int g = 0; g < 300; ++g) {
    const std::vector<std::string> grid = RandomGrid(random, 20, 14);
    std::string text;
    for (const std::string& line : grid) text += line + "\n";
    folder.Write("Resources/Data/Level0.txt", text);
    Level level(harness::Window(), harness::Renderer(), "Resources/Data/Level0.txt",
                static_cast<int>(grid[0].size()), static_cast<int>(grid.size()), nullptr);
    level.Build();
    PlainSearch plain(grid);
    CompareSearches(level, plain, grid, random, 40, tally);
    if (HasFatalFailure()) return;
  }
  ExpectCoverage(tally, 50);
}

TEST(PathFindingEquivalence, ManyGridsMatchThePlainSearch) {
  // Path cells filled in by hand, as a level that was not built from a file:
  // the search labels the regions itself on its first call.
  std::mt19937 random(7);
  Tally tally;
  for (int g = 0; g < 4000; ++g) {
    const std::vector<std::string> grid = RandomGrid(random, 24, 16);
    const int columns = static_cast<int>(grid[0].size());
    const int rows = static_cast<int>(grid.size());
    Level level(harness::Window(), harness::Renderer(), "Resources/Data/NoSuchLevel.txt", columns,
                rows, nullptr);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        PathNode node;
        node.col = c;
        node.row = r;
        node.blocked = grid[r][c] == 'W' || grid[r][c] == 'P';
        level.nodes.push_back(node);
      }
    }
    PlainSearch plain(grid);
    CompareSearches(level, plain, grid, random, 25, tally);
    if (HasFatalFailure()) return;
  }
  ExpectCoverage(tally, 500);
}

TEST(PathFindingEquivalence, LongSequenceOnALargeLevel) {
  // A level the size of the largest ones, searched thousands of times in a
  // row: long open lists, many re-keyed cells, stamps reused call after call.
  std::mt19937 random(99);
  std::vector<std::string> grid(60, std::string(200, '.'));
  for (int c = 0; c < 200; ++c) grid[0][c] = grid[59][c] = 'W';
  for (int r = 0; r < 60; ++r) grid[r][0] = grid[r][199] = 'W';
  for (int i = 0; i < 250; ++i) {  // ledges
    const int r = 2 + static_cast<int>(random() % 56);
    const int c = 2 + static_cast<int>(random() % 190);
    const char code = i % 3 ? 'P' : 'W';
    for (int k = 0; k < 2 + static_cast<int>(random() % 7); ++k) grid[r][c + k] = code;
  }
  for (int r = 15; r <= 45; ++r) grid[r][90] = grid[r][130] = 'W';  // a sealed room
  for (int c = 90; c <= 130; ++c) grid[15][c] = grid[45][c] = 'W';

  harness::TempRunFolder folder;
  std::string text;
  for (const std::string& line : grid) text += line + "\n";
  folder.Write("Resources/Data/Level0.txt", text);
  Level level(harness::Window(), harness::Renderer(), "Resources/Data/Level0.txt", 200, 60,
              nullptr);
  level.Build();
  PlainSearch plain(grid);
  Tally tally;
  CompareSearches(level, plain, grid, random, 600, tally);
  if (HasFatalFailure()) return;
  EXPECT_GE(tally.answered, 300);
  EXPECT_GE(tally.sealedOff, 10) << "goals in or out of the sealed room";
  EXPECT_GE(tally.plain.reParentedDown + tally.plain.reParentedUp, 100);
}

}  // namespace
