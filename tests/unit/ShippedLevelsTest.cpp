// The level check: every shipped level follows the file's rules, and the door
// and at least half the coins can be reached from the start with the moves
// the player surely has (see level/LevelReach.h). The check itself is tested on
// small hand-made grids, so a broken level is shown to fail it.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "LevelCheck.h"
#include "base/Rules.h"
#include "level/LevelReach.h"

namespace {

std::string LevelPath(int number) {
  return "Resources/Data/Level" + std::to_string(number) + ".txt";
}

// The staged level's lines; empty when the file is missing.
std::vector<std::string> ReadLevel(int number) {
  std::ifstream file(LevelPath(number), std::ios::binary);
  if (!file) return {};
  std::stringstream text;
  text << file.rdbuf();
  return level_check::SplitLines(text.str());
}

// The analysis of a shipped level, worked out once per test run.
const LevelReach::Summary& Analysed(int number, const std::vector<std::string>& lines) {
  static std::map<int, LevelReach::Summary> done;
  auto found = done.find(number);
  if (found == done.end()) found = done.emplace(number, LevelReach(lines).Check()).first;
  return found->second;
}

// The reach model's check of a hand-made level.
LevelReach::Summary Analyse(const std::vector<std::string>& lines) {
  return LevelReach(lines).Check();
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += "\n  " + line;
  return all;
}

// A 44 × 23 level closed by walls: the given rows sit at the bottom, padded
// with empty cells to the width; everything above them is open air.
std::vector<std::string> SmallLevel(const std::vector<std::string>& bottom) {
  const int width = 44;
  std::vector<std::string> lines{std::string(width, 'W')};
  const int open = 23 - 1 - static_cast<int>(bottom.size());
  for (int i = 0; i < open; ++i) lines.push_back("W" + std::string(width - 2, '.') + "W");
  for (std::string row : bottom) {
    row.resize(width - 2, '.');
    lines.push_back("W" + row + "W");
  }
  return lines;
}

const std::string kFloor(42, 'W');

// A row of the small level with the start and the door at the given cells
// (counted inside the left wall) and nothing else.
std::string StartAndDoor(int start, int door) {
  std::string row(42, '.');
  row[start] = 'S';
  row[door] = 'D';
  return row;
}

// ---------------------------------------------------------------------------
// The shipped levels

TEST(ShippedLevels, FollowTheFileRules) {
  for (int n = 0; n < rules::kLevelCount; ++n) {
    std::vector<std::string> lines = ReadLevel(n);
    if (lines.empty()) {
      ADD_FAILURE() << LevelPath(n) << " is missing or empty";
      continue;
    }
    std::vector<std::string> problems =
        level_check::FormatProblems("Level" + std::to_string(n), lines);
    EXPECT_TRUE(problems.empty()) << Joined(problems);
  }
}

TEST(ShippedLevels, DoorAndHalfTheCoinsCanBeReachedFromTheStart) {
  for (int n = 0; n < rules::kLevelCount; ++n) {
    std::vector<std::string> lines = ReadLevel(n);
    if (lines.empty()) {
      ADD_FAILURE() << LevelPath(n) << " is missing or empty";
      continue;
    }
    const LevelReach::Summary& reach = Analysed(n, lines);
    std::string unreachable;
    for (const level_check::Cell& coin : reach.unreachableCoins)
      unreachable += " (column " + std::to_string(coin.c) + ", row " + std::to_string(coin.r) + ")";
    EXPECT_GT(reach.coins, 0) << "Level" << n << " has no coins to find";
    EXPECT_TRUE(reach.doorReachable)
        << "Level" << n << ": the door cannot be reached from the start";
    EXPECT_GE(reach.coinsOnRoute, reach.coinsNeeded)
        << "Level" << n << ": only " << reach.coinsOnRoute << " of " << reach.coins
        << " coins can be taken on the way to the door, the door asks for " << reach.coinsNeeded
        << "; coins out of reach:" << unreachable;
  }
}

TEST(ShippedLevels, HaveNoDeadEnds) {
  // Every place the player can get to, short of falling out of the level,
  // still leads to the door: nobody has to restart to get out of a hole.
  for (int n = 0; n < rules::kLevelCount; ++n) {
    std::vector<std::string> lines = ReadLevel(n);
    if (lines.empty()) {
      ADD_FAILURE() << LevelPath(n) << " is missing or empty";
      continue;
    }
    for (const level_check::Cell& cell : Analysed(n, lines).deadEnds)
      ADD_FAILURE() << "Level" << n << " row " << cell.r << " column " << cell.c
                    << ": the player can get here but never on to the door";
  }
}

TEST(ShippedLevels, NoEnemyStartsNextToThePlayer) {
  for (int n = 0; n < rules::kLevelCount; ++n) {
    std::vector<std::string> lines = ReadLevel(n);
    if (lines.empty()) {
      ADD_FAILURE() << LevelPath(n) << " is missing or empty";
      continue;
    }
    for (const level_check::Cell& enemy : level_check::EnemiesNearStart(lines))
      ADD_FAILURE() << "Level" << n << " row " << enemy.r << " column " << enemy.c
                    << ": an enemy starts right next to the player's start";
  }
}

// ---------------------------------------------------------------------------
// The format rules on broken files

TEST(LevelCheckFormat, AcceptsAWellFormedLevel) {
  EXPECT_TRUE(level_check::FormatProblems("Good", SmallLevel({".S.....C.....D", kFloor})).empty());
}

TEST(LevelCheckFormat, NamesTheRowAndColumnOfEachBrokenRule) {
  auto problems = [](const std::vector<std::string>& lines) {
    return Joined(level_check::FormatProblems("Bad", lines));
  };
  std::vector<std::string> lines = SmallLevel({".S....X......D", kFloor});
  EXPECT_NE(problems(lines).find("Bad row 21 column 7: 'X' is not a cell code"), std::string::npos)
      << problems(lines);

  lines = SmallLevel({".S...........D", kFloor});
  lines[5].pop_back();
  EXPECT_NE(problems(lines).find("Bad row 5: 43 characters, the first line has 44"),
            std::string::npos)
      << problems(lines);

  lines = SmallLevel({".S...........D", kFloor});
  lines[10][0] = '.';
  EXPECT_NE(problems(lines).find("Bad row 10 column 0: the edge must be a wall"), std::string::npos)
      << problems(lines);
  lines = SmallLevel({".S...........D", kFloor});
  lines[0][20] = 'P';
  EXPECT_NE(problems(lines).find("Bad row 0 column 20: the edge must be a wall"), std::string::npos)
      << problems(lines);

  EXPECT_NE(problems(SmallLevel({".S...S.......D", kFloor})).find("Bad: 2 'S' cells, not 1"),
            std::string::npos);
  EXPECT_NE(problems(SmallLevel({".S............", kFloor})).find("Bad: 0 'D' cells, not 1"),
            std::string::npos);

  lines = SmallLevel({".S...........D", kFloor});
  lines.erase(lines.begin() + 1);
  EXPECT_NE(problems(lines).find("Bad: 22 rows, fewer than 23"), std::string::npos);
  lines = SmallLevel({".S...........D", kFloor});
  for (std::string& line : lines) line = line.substr(0, 30) + "W";
  EXPECT_NE(problems(lines).find("Bad: 31 columns, fewer than 40"), std::string::npos);
}

TEST(LevelCheckFormat, ReadsCarriageReturnLineFeedLikeLineFeed) {
  std::vector<std::string> lf = level_check::SplitLines("WWW\nW.W\nWWW\n");
  std::vector<std::string> crlf = level_check::SplitLines("WWW\r\nW.W\r\nWWW\r\n");
  std::vector<std::string> unterminated = level_check::SplitLines("WWW\nW.W\nWWW");
  EXPECT_EQ(lf, (std::vector<std::string>{"WWW", "W.W", "WWW"}));
  EXPECT_EQ(crlf, lf);
  EXPECT_EQ(unterminated, lf);
  // An empty line before the last line feed is a row of its own, and too short.
  EXPECT_EQ(level_check::SplitLines("WWW\n\n").size(), 2u);
}

// ---------------------------------------------------------------------------
// The reachability analysis on grids that are and are not finishable

TEST(LevelCheckReach, ClimbsTwoTilesButNotThree) {
  LevelReach::Summary two = Analyse(SmallLevel({
      "............D",
      "..........WWWWW",
      ".S........WWWWW",
      kFloor,
  }));
  EXPECT_TRUE(two.doorReachable) << "a ledge two tiles up is within a jump";

  LevelReach::Summary three = Analyse(SmallLevel({
      "............D",
      "..........WWWWW",
      "..........WWWWW",
      ".S........WWWWW",
      kFloor,
  }));
  EXPECT_FALSE(three.doorReachable) << "a sheer wall three tiles high cannot be climbed";

  LevelReach::Summary platforms = Analyse(SmallLevel({
      "......................D",
      "..................PPPPPP",
      "",
      "",
      ".............PPPP",
      "",
      "",
      ".........PPP",
      "",
      "",
      ".....PPP",
      "",
      ".S",
      kFloor,
  }));
  EXPECT_FALSE(platforms.doorReachable) << "platforms three rows apart are out of reach";
}

TEST(LevelCheckReach, FindsNoWayIntoASealedRoom) {
  LevelReach::Summary sealed = Analyse(SmallLevel({
      "..........WWWWW",
      ".S........W..DW",
      "..........WWWWW",
      kFloor,
  }));
  EXPECT_FALSE(sealed.doorReachable);
}

TEST(LevelCheckReach, DropsThroughAPlatformRoofButNotAWallRoof) {
  const std::vector<std::string> withPlatform{
      "..........WPPPW",
      ".S........W..DW",
      kFloor,
  };
  EXPECT_TRUE(Analyse(SmallLevel(withPlatform)).doorReachable)
      << "standing on the platform roof, Down drops the player into the room";
  std::vector<std::string> withWall = withPlatform;
  withWall[0] = "..........WWWWW";
  EXPECT_FALSE(Analyse(SmallLevel(withWall)).doorReachable);
}

TEST(LevelCheckReach, GapsInTheBottomRowAreDeadly) {
  // A pit far too wide for any jump, with only three cells of floor to run on.
  const std::string pit = "WWW" + std::string(36, '.') + "WWW";
  LevelReach::Summary wide = Analyse(SmallLevel({
      StartAndDoor(1, 40),
      pit,
      pit,
  }));
  EXPECT_FALSE(wide.doorReachable) << "falling into the pit ends the run";
  EXPECT_EQ(wide.standingCells, 3) << "only the three cells of floor left of the pit";

  // The same pit with a floor one row down: no longer deadly, the player
  // walks across.
  std::vector<std::string> floored = SmallLevel({
      StartAndDoor(1, 40),
      pit,
      kFloor,
  });
  EXPECT_TRUE(Analyse(floored).doorReachable);
}

TEST(LevelCheckReach, JumpsShortPitsAndLongOnesWithARunUp) {
  const std::string shortPit = std::string(20, 'W') + "...." + std::string(18, 'W');
  EXPECT_TRUE(Analyse(SmallLevel({StartAndDoor(1, 40), shortPit, shortPit})).doorReachable);
  const std::string longPit = std::string(14, 'W') + std::string(20, '.') + std::string(8, 'W');
  EXPECT_TRUE(Analyse(SmallLevel({StartAndDoor(1, 40), longPit, longPit})).doorReachable)
      << "twelve tiles of floor are run-up enough for twenty tiles of pit";
  const std::string noRunUp = "WWW" + std::string(20, '.') + std::string(19, 'W');
  EXPECT_FALSE(Analyse(SmallLevel({StartAndDoor(1, 40), noRunUp, noRunUp})).doorReachable)
      << "three tiles of floor are no run-up for twenty tiles of pit";
}

TEST(LevelCheckReach, CountsOnlyCoinsTakenOnAWayToTheDoor) {
  // Four coins: two on the way, one sealed away, one at the bottom of a shaft
  // the player can fall into but never leave.
  LevelReach::Summary reach = Analyse(SmallLevel({
      "....................WWW",
      ".S..C....C.........WWCW.....D",
      "WWWWWWWWWWWWW.WWWWWWWWWWWWWWWWWWWWWWWWWWWW",
      "WWWWWWWWWWWWW.WWWWWWWWWWWWWWWWWWWWWWWWWWWW",
      "WWWWWWWWWWWWWCWWWWWWWWWWWWWWWWWWWWWWWWWWWW",
      kFloor,
  }));
  EXPECT_TRUE(reach.doorReachable);
  EXPECT_EQ(reach.coins, 4);
  EXPECT_EQ(reach.coinsNeeded, 2);
  EXPECT_EQ(reach.coinsReachable, 3) << "the shaft's coin can be taken, the sealed one not";
  EXPECT_EQ(reach.coinsOnRoute, 2) << "the shaft's coin leaves the player stuck below the door";
  ASSERT_EQ(reach.unreachableCoins.size(), 1u);
  EXPECT_EQ(reach.unreachableCoins[0].c, 22);
  EXPECT_EQ(reach.unreachableCoins[0].r, 18);
}

TEST(LevelCheckReach, FindsDeadEnds) {
  // A shaft three tiles deep in the floor: the player can fall in, not out.
  std::vector<std::string> shaft = SmallLevel({
      StartAndDoor(1, 40),
      "WWWWWWWWWWWWW.WWWWWWWWWWWWWWWWWWWWWWWWWWWW",
      "WWWWWWWWWWWWW.WWWWWWWWWWWWWWWWWWWWWWWWWWWW",
      "WWWWWWWWWWWWW.WWWWWWWWWWWWWWWWWWWWWWWWWWWW",
      kFloor,
  });
  LevelReach::Summary reach = Analyse(shaft);
  EXPECT_TRUE(reach.doorReachable);
  ASSERT_EQ(reach.deadEnds.size(), 1u);
  EXPECT_EQ(reach.deadEnds[0].c, 14);
  EXPECT_EQ(reach.deadEnds[0].r, 21);
  // Two tiles deep it is only a dip.
  shaft.erase(shaft.begin() + 19);
  shaft.insert(shaft.begin() + 1, shaft[1]);
  EXPECT_TRUE(Analyse(shaft).deadEnds.empty());
}

TEST(LevelCheckReach, AskedForMoreCoinsThanTheWayOffersItFallsShort) {
  // Three coins, two needed, but two of them are behind a three-tile wall.
  LevelReach::Summary reach = Analyse(SmallLevel({
      "............WWWWWWWWWWWWWW",
      "............W.....C..C...W",
      "............W...WWWWWWWWWW",
      ".S...C.....DW...W",
      kFloor,
  }));
  EXPECT_TRUE(reach.doorReachable);
  EXPECT_EQ(reach.coinsNeeded, 2);
  EXPECT_LT(reach.coinsOnRoute, reach.coinsNeeded);
}

TEST(LevelCheck, FlagsEnemiesBesideTheStart) {
  EXPECT_EQ(level_check::EnemiesNearStart(SmallLevel({".S..E........D", kFloor})).size(), 1u);
  EXPECT_TRUE(level_check::EnemiesNearStart(SmallLevel({".S........E..D", kFloor})).empty());
}

}  // namespace
