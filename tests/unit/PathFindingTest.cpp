// The bird's path search: which neighbouring cell to fly into next.
//
// Notation in the comments: cells are (column, row), rows grow downwards; a
// cell's key is totalCost = estimate + pathCost, diagonal steps cost 1.414.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "harness/Harness.h"
#include "level/Level.h"

namespace {

using Cell = std::pair<int, int>;
const Cell kNoPath{-1, -1};

// A built level from a grid of walls, platforms and empty cells.
struct PathLevel {
  explicit PathLevel(const std::vector<std::string>& grid) {
    std::string text;
    for (const std::string& row : grid) text += row + "\n";
    folder.Write("Resources/Data/Level0.txt", text);
    level = std::make_unique<Level>(harness::Window(), harness::Renderer(),
                                    "Resources/Data/Level0.txt", static_cast<int>(grid[0].size()),
                                    static_cast<int>(grid.size()), nullptr);
    level->Build();
  }

  Cell Next(int startCol, int startRow, int goalCol, int goalRow) {
    int nextCol = 12345;
    int nextRow = 12345;
    level->FindPath(startCol, startRow, goalCol, goalRow, nextCol, nextRow);
    return {nextCol, nextRow};
  }

  harness::TempRunFolder folder;
  std::unique_ptr<Level> level;
};

// An open 9 x 7 room closed by walls.
const std::vector<std::string> kRoom = {
    "WWWWWWWWW",  //
    "W.......W",  //
    "W.......W",  //
    "W.......W",  //
    "W.......W",  //
    "W.......W",  //
    "WWWWWWWWW",
};

TEST(PathFinding, NeighboursInAnOpenRoom) {
  PathLevel room(kRoom);
  EXPECT_EQ(room.Next(3, 3, 3, 3), Cell(3, 3)) << "start and goal in the same cell";
  EXPECT_EQ(room.Next(3, 3, 4, 3), Cell(4, 3)) << "goal one cell to the right";
  EXPECT_EQ(room.Next(3, 3, 5, 3), Cell(4, 3)) << "goal two cells to the right: the cell between";
  EXPECT_EQ(room.Next(5, 3, 3, 3), Cell(4, 3)) << "goal two cells to the left";
  EXPECT_EQ(room.Next(3, 1, 3, 4), Cell(3, 2)) << "goal three cells down";
  EXPECT_EQ(room.Next(2, 2, 4, 4), Cell(3, 3)) << "a diagonal is walked diagonally";
}

TEST(PathFinding, DiagonalStepsSqueezeBetweenBlockedCells) {
  // From (2, 2) to (1, 3): the cell to the left is a wall and the cell below
  // a platform, yet the diagonal step between them is allowed.
  PathLevel level({
      "WWWWW",  //
      "W...W",  //
      "WW..W",  //
      "W.P.W",  //
      "WWWWW",
  });
  EXPECT_EQ(level.Next(2, 2, 1, 3), Cell(1, 3));
}

TEST(PathFinding, UnreachableGoals) {
  // Column 0 and row 0 have open cells here, so only the rule that leaves
  // them out of the search can refuse them.
  PathLevel level({
      "WWW.WWW",  //
      "W.....W",  //
      "..P.W.W",  //
      "W.....W",  //
      "WWWWWWW",
  });
  EXPECT_EQ(level.Next(3, 1, 2, 2), kNoPath) << "goal inside a platform cell";
  EXPECT_EQ(level.Next(3, 1, 4, 2), kNoPath) << "goal inside a wall cell";
  EXPECT_EQ(level.Next(1, 2, 0, 2), kNoPath) << "goal in column 0, open but outside the search";
  EXPECT_EQ(level.Next(3, 1, 3, 0), kNoPath) << "goal in row 0, open but outside the search";
  EXPECT_EQ(level.Next(3, 1, 7, 2), kNoPath) << "goal beyond the last column";
  EXPECT_EQ(level.Next(3, 1, 3, 9), kNoPath) << "goal below the last row";
}

TEST(PathFinding, StartWalledInOnAllEightSides) {
  PathLevel level({
      "WWWWWWW",  //
      "W.WWW.W",  //
      "W.W.W.W",  //
      "W.WWW.W",  //
      "W.....W",  //
      "WWWWWWW",
  });
  EXPECT_EQ(level.Next(3, 2, 1, 4), kNoPath);
  EXPECT_EQ(level.Next(1, 4, 3, 2), kNoPath) << "and the same cell as a goal from outside";
}

TEST(PathFinding, StartOutsideTheSearchableArea) {
  PathLevel room(kRoom);
  EXPECT_EQ(room.Next(0, 3, 3, 3), kNoPath) << "start in column 0";
  EXPECT_EQ(room.Next(3, 0, 3, 3), kNoPath) << "start in row 0";
  EXPECT_EQ(room.Next(-4, 3, 3, 3), kNoPath) << "start left of the grid";
  EXPECT_EQ(room.Next(9, 3, 3, 3), kNoPath) << "start right of the grid";
  EXPECT_EQ(room.Next(3, 7, 3, 3), kNoPath) << "start below the grid";
  EXPECT_EQ(room.Next(0, 0, 0, 0), kNoPath) << "start and goal both outside";
  EXPECT_EQ(room.Next(-100000, 100000, 3, 3), kNoPath);

  // A level that was never built has no cells at all.
  harness::TempRunFolder folder;
  Level unbuilt(harness::Window(), harness::Renderer(), "Resources/Data/NoSuchLevel.txt", 9, 7,
                nullptr);
  int nextCol = 0;
  int nextRow = 0;
  unbuilt.FindPath(2, 2, 3, 3, nextCol, nextRow);
  EXPECT_EQ(Cell(nextCol, nextRow), kNoPath) << "no path cells";
}

TEST(PathFinding, RepeatedSearchesGiveTheSameAnswer) {
  PathLevel room(kRoom);
  const Cell first = room.Next(1, 1, 7, 5);
  EXPECT_EQ(first, Cell(2, 2));
  EXPECT_EQ(room.Next(1, 1, 7, 5), first) << "the same call again";
  // Searches in between must leave nothing behind that changes the answer.
  room.Next(7, 5, 1, 1);
  room.Next(4, 3, 0, 0);
  room.Next(4, 3, 4, 3);
  EXPECT_EQ(room.Next(1, 1, 7, 5), first) << "after other searches";
}

TEST(PathFinding, GoalExpandedWithNothingLeftOpenIsTheAnswer) {
  // A dead-end corridor: when the goal is expanded the open list is empty,
  // and the search answers the goal itself rather than the next cell.
  PathLevel level({
      "WWWWWW",  //
      "W...WW",  //
      "WWWWWW",
  });
  EXPECT_EQ(level.Next(1, 1, 3, 1), Cell(3, 1));
  EXPECT_EQ(level.Next(3, 1, 1, 1), Cell(1, 1));
}

TEST(PathFinding, AmongEqualKeysTheLastOpenedCellIsExpanded) {
  // A wall right between start and goal; two equally good ways round it.
  //
  //   row 1   W . . . . . W
  //   row 2   W . S W G . W        S = (2, 2), G = (4, 2)
  //   row 3   W . . . . . W
  //
  // Expanding S opens its neighbours in the fixed order left, right, up,
  // down, up-left, up-right, down-left, down-right (right is the wall):
  //   (1,2) 3+1 = 4     (2,1) 3+1 = 4     (2,3) 3+1 = 4
  //   (1,1) 4+1.414     (3,1) 2+1.414     (1,3) 4+1.414     (3,3) 2+1.414
  // Up-right (3,1) and down-right (3,3) share the lowest key 3.414, and
  // (3,3) was opened later, so it is expanded first. It opens G as its
  // up-right neighbour: G's key is 0 + 2.828, now the lowest, so G is
  // expanded next with (3,3) as its parent. The answer is (3,3).
  //
  // A pick that keeps the first of equal keys expands (3,1) first instead and
  // answers (3,1); so does a std::priority_queue fed in the same order, which
  // pops (3,1) first.
  PathLevel level({
      "WWWWWWW",  //
      "W.....W",  //
      "W..W..W",  //
      "W.....W",  //
      "WWWWWWW",
  });
  EXPECT_EQ(level.Next(2, 2, 4, 2), Cell(3, 3)) << "rightwards round the wall";
  // Leftwards the tie is up-left (3,1) against down-left (3,3): down-left was
  // opened later.
  EXPECT_EQ(level.Next(4, 2, 2, 2), Cell(3, 3)) << "leftwards round the wall";
}

TEST(PathFinding, EqualKeysAmongVerticalDetours) {
  //   row 1   W . . . W
  //   row 2   W . S . W      S = (2, 2)
  //   row 3   W . W . W
  //   row 4   W . G . W      G = (2, 4)
  //
  // The wall below S leaves down-left (1,3) and down-right (3,3), both at key
  // 2 + 1.414 (the straight neighbours are at 4 or more); down-right was
  // opened later and wins. From (3,3), G is the down-left neighbour at key
  // 0 + 2.828, the lowest left. Keeping the first of the equal keys, or a
  // std::priority_queue, answers (1,3).
  PathLevel level({
      "WWWWW",  //
      "W...W",  //
      "W...W",  //
      "W.W.W",  //
      "W...W",  //
      "WWWWW",
  });
  EXPECT_EQ(level.Next(2, 2, 2, 4), Cell(3, 3));
}

TEST(PathFinding, ReParentingTakesTheCurrentCellsOwnCosts) {
  //   row 1   W G W . S W      S = (4, 1), G = (1, 1)
  //   row 2   W . W . . W
  //   row 3   W . . . . W
  //
  // The way round the wall column 2 goes down through row 3. A cell that is
  // already open is re-parented when its parent's pathCost is above the
  // current cell's: it then takes the current cell as parent, the current
  // cell's Manhattan distance from S as pathCost, and the current cell's own
  // key. Hand trace:
  //
  //  1. expand S (4,1), key 3. Opens (3,1) 2+1 = 3, (4,2) 4+1 = 5 and
  //     (3,2) 3+1.414 = 4.414. Open: (3,1) 3, (4,2) 5, (3,2) 4.414.
  //  2. expand (3,1), key 3: every neighbour is a wall, closed or open with
  //     parent S, whose pathCost 0 is not above 1. Nothing changes.
  //  3. expand (3,2), key 4.414, pathCost 1.414. Opens (3,3) 4+2.414 = 6.414,
  //     (2,3) 3+2.828 = 5.828 and (4,3) 5+2.828 = 7.828. (4,2) is open with
  //     parent S: unchanged.
  //  4. expand (4,2), key 5, pathCost 1. Its open neighbours (4,3) and (3,3)
  //     have parent (3,2) with pathCost 1.414 > 1, so both are re-parented to
  //     (4,2) and take (4,2)'s key 5. Textbook relaxation would leave (3,3)
  //     alone (1 + 1.414 is not below 2.414) and give (4,3) key 7.
  //     Open: (3,3) 5, (2,3) 5.828, (4,3) 5.
  //  5. expand (4,3), key 5 (the last of the two equal keys): nothing changes.
  //  6. expand (3,3), key 5, pathCost 1: (2,3) has parent (3,2), pathCost
  //     1.414 > 1, so it is re-parented to (3,3) with key 5.
  //  7. expand (2,3), key 5, pathCost 3: opens (1,3) 2+4 = 6 and
  //     (1,2) 1+4.414 = 5.414.
  //  8. expand (1,2), key 5.414: opens G (1,1) with key 5.414.
  //  9. expand G: done. Back from G: (1,2), (2,3), (3,3), (4,2), then S.
  //
  // The answer is (4,2), straight down. Textbook relaxation keeps (2,3) under
  // (3,2) (1.414 + 1.414 is the shorter way) and answers (3,2).
  PathLevel level({
      "WWWWWW",  //
      "W.W..W",  //
      "W.W..W",  //
      "W....W",  //
      "WWWWWW",
  });
  EXPECT_EQ(level.Next(4, 1, 1, 1), Cell(4, 2));
}

}  // namespace
