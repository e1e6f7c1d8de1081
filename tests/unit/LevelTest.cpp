// The level grid: loading the file, the tile tests every movement asks, the
// camera limits, the on-screen test and the construction of a level's
// contents from its cells.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "actors/Coin.h"
#include "actors/Door.h"
#include "harness/GameHarness.h"
#include "harness/Harness.h"
#include "level/Level.h"

namespace {

const char* const kLevelPath = "Resources/Data/Level0.txt";

// Joins grid rows with line feeds, the way the level files are written.
std::string Join(const std::vector<std::string>& rows, const std::string& end = "\n") {
  std::string text;
  for (const std::string& row : rows) text += row + end;
  return text;
}

// A level read from text written into a private run folder; nothing built.
struct LoadedLevel {
  LoadedLevel(const std::string& text, int columns, int rows) {
    folder.Write(kLevelPath, text);
    level = std::make_unique<Level>(harness::Window(), harness::Renderer(), kLevelPath, columns,
                                    rows, nullptr);
  }
  explicit LoadedLevel(const std::vector<std::string>& grid)
      : LoadedLevel(Join(grid), static_cast<int>(grid[0].size()), static_cast<int>(grid.size())) {}

  harness::TempRunFolder folder;
  std::unique_ptr<Level> level;
};

// A level with no file behind it: only its size matters (the camera).
std::unique_ptr<Level> SizedLevel(int columns, int rows) {
  return std::make_unique<Level>(harness::Window(), harness::Renderer(),
                                 "Resources/Data/NoSuchLevel.txt", columns, rows, nullptr);
}

// A level started the way the level select starts it.
struct StartedLevel {
  explicit StartedLevel(const std::vector<std::string>& grid) {
    session.WriteLevel(0, Join(grid));
    session.Start(0);
  }
  Level& level() { return *session.game.level; }

  harness::GameSession session;
};

// ---------------------------------------------------------------------------
// Loading

TEST(LevelLoading, LineEndsAndTheLastLine) {
  const std::vector<std::string> grid = {"WWWW", "WS.W", "WWWW"};

  LoadedLevel lf(Join(grid), 4, 3);
  EXPECT_EQ(lf.level->lines, grid) << "LF file";

  LoadedLevel crlf(Join(grid, "\r\n"), 4, 3);
  EXPECT_EQ(crlf.level->lines, grid) << "a CR LF file must load the same grid as LF";

  LoadedLevel noFinalBreak("WWWW\nWS.W\nWWWW", 4, 3);
  EXPECT_EQ(noFinalBreak.level->lines, grid) << "a last line without a line feed is still a row";

  LoadedLevel emptyLineBeforeEnd("WWWW\nWS.W\nWWWW\n\n", 4, 4);
  ASSERT_EQ(emptyLineBeforeEnd.level->lines.size(), 4u)
      << "an empty line before the final line feed is a row of its own";
  EXPECT_EQ(emptyLineBeforeEnd.level->lines[3], "");
}

TEST(LevelLoading, FreshLevelHoldsOnlyTheGrid) {
  LoadedLevel loaded({"WWWW", "WSCW", "WWWW"});
  const Level& level = *loaded.level;
  EXPECT_EQ(level.tileSize, 32);
  EXPECT_EQ(level.columns, 4);
  EXPECT_EQ(level.rows, 3);
  EXPECT_EQ(level.coinCount, 0) << "coins are counted by Build, not by loading";
  EXPECT_TRUE(level.tiles.empty());
  EXPECT_TRUE(level.nodes.empty());
  EXPECT_FLOAT_EQ(level.cameraX, 0.0f);
  EXPECT_FLOAT_EQ(level.cameraY, 0.0f);
  EXPECT_FLOAT_EQ(level.gravity, 0.0f);
  EXPECT_TRUE(level.door == nullptr);

  auto missing = SizedLevel(4, 3);
  EXPECT_TRUE(missing->lines.empty()) << "a missing file gives an empty grid";
  EXPECT_FALSE(missing->WallInRow(0, 128, 0)) << "an empty grid has no walls";
  EXPECT_FALSE(missing->WallInColumn(0, 0, 96));
  EXPECT_FALSE(missing->PlatformInRow(0, 128, 40));
}

// ---------------------------------------------------------------------------
// Tile tests

TEST(LevelTiles, CodesAreCaseSensitive) {
  LoadedLevel loaded({"wpW", "7P."});
  const Level& level = *loaded.level;
  EXPECT_FALSE(level.WallInRow(0, 32, 0)) << "'w' is an empty cell";
  EXPECT_FALSE(level.PlatformInRow(32, 32, 0)) << "'p' is an empty cell";
  EXPECT_TRUE(level.WallInRow(64, 32, 0)) << "'W' is a wall";
  EXPECT_FALSE(level.WallInRow(0, 32, 32)) << "a digit is an empty cell";
  EXPECT_FALSE(level.WallInRow(32, 32, 32)) << "a platform is not a wall";
  EXPECT_TRUE(level.PlatformInRow(32, 32, 32));
  EXPECT_FALSE(level.PlatformInRow(64, 32, 0)) << "a wall is not a platform";
  EXPECT_FALSE(level.WallInColumn(40, 0, 64)) << "platform cells are not walls along a column";
}

TEST(LevelTiles, SpansAndPixelToCell) {
  // Row 0 has walls in columns 0, 2 and 3; row 1 only in column 1.
  LoadedLevel loaded({"W.WW", ".W.."});
  const Level& level = *loaded.level;

  EXPECT_FALSE(level.WallInRow(0, 0, 0)) << "span 0 covers nothing, even on a wall";
  EXPECT_FALSE(level.WallInRow(0, -5, 0)) << "a negative span covers nothing";
  EXPECT_FALSE(level.WallInColumn(0, 0, 0));
  EXPECT_FALSE(level.PlatformInRow(0, 0, 0));

  // x = 63 is the last pixel of column 1, x = 64 the first of column 2, and
  // -5 truncates to column 0.
  EXPECT_FALSE(level.WallInColumn(63, 0, 1)) << "row 0, x 63: column 1 is empty";
  EXPECT_TRUE(level.WallInColumn(64, 0, 1)) << "row 0, x 64: column 2 is a wall";
  EXPECT_TRUE(level.WallInColumn(-5, 0, 1)) << "row 0, x -5: column 0 is a wall";
  EXPECT_TRUE(level.WallInColumn(63, 32, 1)) << "row 1, x 63: column 1 is a wall";
  EXPECT_FALSE(level.WallInColumn(64, 32, 1)) << "row 1, x 64: column 2 is empty";
  EXPECT_FALSE(level.WallInColumn(-5, 32, 1)) << "row 1, x -5: column 0 is empty";

  // A run touching the wall only with its last pixel.
  EXPECT_TRUE(level.WallInRow(0, 33, 32)) << "pixels 0..32 reach column 1";
  EXPECT_FALSE(level.WallInRow(0, 32, 32)) << "pixels 0..31 end one pixel before column 1";
  EXPECT_TRUE(level.WallInRow(64 + 31, 1, 0)) << "the last pixel of a wall cell";
  EXPECT_TRUE(level.WallInColumn(32, 31, 2)) << "rows 31..32 reach row 1";
  EXPECT_FALSE(level.WallInColumn(32, 0, 32)) << "rows 0..31 stay in row 0";
}

TEST(LevelTiles, OutsideTheGridIsEmpty) {
  LoadedLevel loaded({"WWWW", "PP", "WWWW"});  // the middle line is short
  const Level& level = *loaded.level;

  // Rows: pixel -31 still truncates to row 0; -32 is row -1, outside.
  EXPECT_TRUE(level.WallInRow(0, 32, -31));
  EXPECT_FALSE(level.WallInRow(0, 32, -32)) << "a row above the grid holds no wall";
  EXPECT_TRUE(level.WallInRow(0, 32, 95));
  EXPECT_FALSE(level.WallInRow(0, 32, 96)) << "a row below the grid holds no wall";
  EXPECT_FALSE(level.WallInRow(0, 128, 5000));
  EXPECT_FALSE(level.PlatformInRow(0, 128, -100));
  EXPECT_FALSE(level.WallInColumn(0, -100, 50)) << "rows -3..-1 are all outside";
  EXPECT_TRUE(level.WallInColumn(0, -40, 10)) << "pixel -31 of the run lies in row 0";
  EXPECT_FALSE(level.WallInColumn(0, 96, 1000)) << "a run entirely below the grid";
  EXPECT_TRUE(level.WallInColumn(0, 90, 1000)) << "a run that starts in the last row";

  // Columns: -32 is column -1, outside; beyond the end of a line is empty.
  EXPECT_FALSE(level.WallInColumn(-32, 0, 96)) << "column -1";
  EXPECT_TRUE(level.WallInColumn(-31, 0, 96)) << "pixel -31 truncates to column 0";
  EXPECT_FALSE(level.WallInRow(-64, 32, 0)) << "pixels -64..-33 are columns -2 and -1";
  EXPECT_TRUE(level.WallInRow(-64, 34, 0)) << "pixel -31 of the run lies in column 0";
  EXPECT_FALSE(level.WallInRow(128, 32, 0)) << "column 4 lies beyond the line's end";
  EXPECT_FALSE(level.WallInColumn(128, 0, 96));
  EXPECT_FALSE(level.WallInRow(INT_MIN / 2, 64, 0));

  // The short line: its missing cells read as empty.
  EXPECT_TRUE(level.PlatformInRow(32, 32, 40));
  EXPECT_FALSE(level.PlatformInRow(64, 64, 40)) << "cells 2 and 3 of the short line";
  EXPECT_FALSE(level.WallInRow(64, 64, 40));
  EXPECT_FALSE(level.WallInColumn(64, 32, 32)) << "column 2 of the short line";
  EXPECT_TRUE(level.WallInColumn(64, 32, 33)) << "the run goes on into row 2";
}

// ---------------------------------------------------------------------------
// Camera (the harness window is 1280 x 720)

TEST(LevelCamera, LevelExactlyAsWideAsTheWindow) {
  auto level = SizedLevel(40, 40);  // 1280 pixels wide
  for (int wanted : {1, 2, 17, 640, 100000}) {
    level->SetCamera(wanted, 0);
    EXPECT_FLOAT_EQ(level->cameraX, 1.0f) << "wanted x " << wanted;
  }
  for (int wanted : {0, -1, -100, -100000}) {
    level->SetCamera(wanted, 0);
    EXPECT_FLOAT_EQ(level->cameraX, 0.0f) << "wanted x " << wanted;
  }
}

TEST(LevelCamera, WideAndTallLevels) {
  auto level = SizedLevel(100, 30);  // 3200 x 960 pixels
  const float rightLimit = 100 * 32 - 1280 + 1;
  const float bottomLimit = 30 * 32 - 720 + 1;

  level->SetCamera(-100, -100);
  EXPECT_FLOAT_EQ(level->cameraX, 0.0f);
  EXPECT_FLOAT_EQ(level->cameraY, 0.0f);

  level->SetCamera(1000000, 1000000);
  EXPECT_FLOAT_EQ(level->cameraX, rightLimit);
  EXPECT_FLOAT_EQ(level->cameraY, bottomLimit);

  level->SetCamera(700, 100);
  EXPECT_FLOAT_EQ(level->cameraX, 700.0f) << "a position inside the limits is taken as it is";
  EXPECT_FLOAT_EQ(level->cameraY, 100.0f);

  // Up to columns * 32 - W is taken; one more and above becomes the limit.
  level->SetCamera(1920, 240);
  EXPECT_FLOAT_EQ(level->cameraX, 1920.0f);
  EXPECT_FLOAT_EQ(level->cameraY, 240.0f);
  level->SetCamera(1921, 241);
  EXPECT_FLOAT_EQ(level->cameraX, rightLimit);
  EXPECT_FLOAT_EQ(level->cameraY, bottomLimit);
  level->SetCamera(1922, 242);
  EXPECT_FLOAT_EQ(level->cameraX, rightLimit);
  EXPECT_FLOAT_EQ(level->cameraY, bottomLimit);
}

TEST(LevelCamera, LevelSmallerThanTheWindowSitsAtTheNegativeLimit) {
  auto level = SizedLevel(10, 6);  // 320 x 192 pixels
  for (int wanted : {-500, -1, 0, 1, 200, 5000}) {
    level->SetCamera(wanted, wanted);
    EXPECT_FLOAT_EQ(level->cameraX, 320.0f - 1280.0f + 1.0f) << "wanted " << wanted;
    EXPECT_FLOAT_EQ(level->cameraY, 192.0f - 720.0f + 1.0f) << "wanted " << wanted;
  }
}

TEST(LevelCamera, ExtremeWantedPositionsStayInsideTheLimits) {
  // The camera accepts any position; the largest ints must not wrap around.
  auto level = SizedLevel(100, 30);
  level->SetCamera(INT_MAX, INT_MAX);
  EXPECT_FLOAT_EQ(level->cameraX, 100 * 32 - 1280 + 1) << "wanted x INT_MAX";
  EXPECT_FLOAT_EQ(level->cameraY, 30 * 32 - 720 + 1) << "wanted y INT_MAX";
  level->SetCamera(INT_MIN, INT_MIN);
  EXPECT_FLOAT_EQ(level->cameraX, 0.0f) << "wanted x INT_MIN";
  EXPECT_FLOAT_EQ(level->cameraY, 0.0f) << "wanted y INT_MIN";
}

// ---------------------------------------------------------------------------
// The on-screen test

TEST(LevelInView, WholeTilesOnTheObjectsSide) {
  auto level = SizedLevel(100, 100);
  level->cameraX = 64.0f;
  level->cameraY = 0.0f;
  // Left edge: drawn only once x + width reaches the next tile boundary.
  EXPECT_FALSE(level->InView(87, 100, 8, 8)) << "x + w = 95 lies in the camera's own tile";
  EXPECT_TRUE(level->InView(88, 100, 8, 8)) << "x + w = 96 reaches the next tile";

  level->cameraX = 0.0f;
  level->cameraY = 64.0f;
  EXPECT_FALSE(level->InView(100, 87, 8, 8)) << "y + h = 95";
  EXPECT_TRUE(level->InView(100, 88, 8, 8)) << "y + h = 96";

  // Right and bottom edges: drawn while the tile holding the left (top) edge
  // starts inside the view, so up to a tile beyond it.
  level->cameraX = 0.0f;
  level->cameraY = 0.0f;
  EXPECT_TRUE(level->InView(1279, 100, 8, 8));
  EXPECT_FALSE(level->InView(1280, 100, 8, 8)) << "tile 40 starts at the window's width";
  EXPECT_TRUE(level->InView(100, 735, 8, 8)) << "tile row 22 starts inside the 720-pixel view";
  EXPECT_FALSE(level->InView(100, 736, 8, 8)) << "tile row 23 starts below the view";
}

// ---------------------------------------------------------------------------
// Construction

TEST(LevelBuild, TheDesignExample) {
  StartedLevel started({"WWWWWWWWWWWW", "W.........DW", "W....C..PPPW", "W..PPP.....W",
                        "WS....E..C.W", "WWWWWWWWWWWW"});
  harness::GameSession& session = started.session;
  ASSERT_TRUE(session.game.level != nullptr);
  const Level& level = started.level();
  EXPECT_EQ(session.playing, 1);
  EXPECT_EQ(level.columns, 12);
  EXPECT_EQ(level.rows, 6);
  EXPECT_EQ(level.coinCount, 2);
  EXPECT_EQ(level.startX, 32);
  EXPECT_EQ(level.startY, 128);
  EXPECT_FLOAT_EQ(session.game.player->x, 32.0f) << "the player starts at the 'S' cell";
  EXPECT_FLOAT_EQ(session.game.player->y, 128.0f);
  EXPECT_FLOAT_EQ(level.gravity, 650.0f);
  ASSERT_TRUE(level.door != nullptr);
  EXPECT_FLOAT_EQ(level.door->x, 320.0f);
  EXPECT_FLOAT_EQ(level.door->y, 32.0f);

  // 12 + 2 + 2 + 2 + 2 + 12 walls and 6 platforms, in row-major order.
  ASSERT_EQ(level.tiles.size(), 38u);
  EXPECT_EQ(level.tiles[13]->x, 11 * 32) << "the second row's right wall";
  EXPECT_EQ(level.tiles[13]->y, 1 * 32);
  EXPECT_EQ(level.tiles[15]->x, 8 * 32) << "the first platform of row 2";
  EXPECT_EQ(level.tiles[15]->y, 2 * 32);

  ASSERT_EQ(session.game.enemies.size(), 1u);
  EXPECT_FLOAT_EQ(session.game.enemies[0]->x, 6 * 32.0f);
  EXPECT_FLOAT_EQ(session.game.enemies[0]->y, 4 * 32.0f);
  ASSERT_EQ(session.game.pickups.size(), 2u) << "two coins, nothing for the door";
  EXPECT_EQ(session.game.pickups[0]->kind, 0);
  EXPECT_EQ(session.game.pickups[0]->x, 5 * 32);
  EXPECT_EQ(session.game.pickups[0]->y, 2 * 32);
  EXPECT_EQ(session.game.pickups[1]->kind, 0);
  EXPECT_EQ(session.game.pickups[1]->x, 9 * 32);
  EXPECT_EQ(session.game.pickups[1]->y, 4 * 32);
}

TEST(LevelBuild, TileSpritesOfOneWallRow) {
  StartedLevel started({"S.........", "WWWWWWWWWW"});
  ASSERT_TRUE(started.session.game.level != nullptr);
  const Level& level = started.level();
  EXPECT_EQ(level.coinCount, 0);
  ASSERT_EQ(level.tiles.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(level.tiles[i]->x, 32 * i) << "tile " << i;
    EXPECT_EQ(level.tiles[i]->y, 32) << "tile " << i;
  }
}

TEST(LevelBuild, PathCellsCoverTheGridAndOnlyWallsAndPlatformsBlock) {
  // Every cell code, lower-case codes, a digit, a blank and a short line.
  const std::vector<std::string> grid = {"WWWWWWWW", "WSEICDPW", "Wwpseicd", "W7 P", "WWWWWWWW"};
  StartedLevel started(grid);
  ASSERT_TRUE(started.session.game.level != nullptr);
  const Level& level = started.level();
  ASSERT_EQ(level.nodes.size(), 5u * 8u) << "rows x columns cells, whatever they hold";
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 8; ++c) {
      const PathNode& node = level.nodes[r * 8 + c];
      EXPECT_EQ(node.col, c);
      EXPECT_EQ(node.row, r);
      char cell = c < static_cast<int>(grid[r].size()) ? grid[r][c] : '.';
      EXPECT_EQ(node.blocked, cell == 'W' || cell == 'P')
          << "cell (" << c << ", " << r << ") holds '" << cell << "'";
      EXPECT_FALSE(node.open);
      EXPECT_FALSE(node.closed);
    }
  }
  // Lower-case codes made nothing: one enemy, one item, one coin, one door.
  EXPECT_EQ(started.session.game.enemies.size(), 1u);
  ASSERT_EQ(started.session.game.pickups.size(), 2u);
  EXPECT_TRUE(started.session.game.pickups[0]->kind == 1 ||
              started.session.game.pickups[0]->kind == 2)
      << "an 'I' cell gives a health pack or an attack charge";
  EXPECT_EQ(started.session.game.pickups[1]->kind, 0) << "the 'C' cell gives a coin";
  EXPECT_EQ(level.coinCount, 1);
  EXPECT_EQ(level.tiles.size(), 8u + 3u + 1u + 2u + 8u) << "walls and platforms only";
}

TEST(LevelBuild, LastStartAndLastDoorWin) {
  StartedLevel started({"WWWWWWW", "WSD..SW", "W.D.S.W", "WWWWWWW"});
  ASSERT_TRUE(started.session.game.level != nullptr);
  const Level& level = started.level();
  EXPECT_EQ(level.startX, 4 * 32) << "the last 'S' in row-major order";
  EXPECT_EQ(level.startY, 2 * 32);
  ASSERT_TRUE(level.door != nullptr);
  EXPECT_FLOAT_EQ(level.door->x, 2 * 32.0f) << "the last 'D' is the door";
  EXPECT_FLOAT_EQ(level.door->y, 2 * 32.0f);
  EXPECT_TRUE(started.session.game.pickups.empty());
  EXPECT_TRUE(started.session.game.enemies.empty());
}

TEST(LevelBuild, UnplayableLevelsAreRefused) {
  struct Case {
    const char* what;
    const char* text;  // null: no file at all
    const char* reason;
  };
  const Case cases[] = {
      {"missing file", nullptr, "missing"},
      {"empty file", "", "missing"},
      {"no start cell", "WWWW\nW.DW\nWWWW\n", "start"},
      {"lower-case start only", "WWWW\nWsDW\nWWWW\n", "start"},
  };
  for (const Case& c : cases) {
    harness::GameSession session;
    std::remove("Resources/Data/Level4.txt");  // in the session's private folder
    if (c.text) session.WriteLevel(4, c.text);
    std::string printed;
    {
      harness::CaptureStdout capture;
      session.Start(4);
      printed = capture.Text();
    }
    EXPECT_TRUE(session.game.level == nullptr) << c.what;
    EXPECT_TRUE(session.game.player == nullptr) << c.what;
    EXPECT_EQ(session.playing, 0) << c.what;
    EXPECT_NE(printed.find("Resources/Data/Level4.txt"), std::string::npos)
        << c.what << ": the console line names the file; printed: " << printed;
    EXPECT_NE(printed.find(c.reason), std::string::npos)
        << c.what << ": the console line gives the reason; printed: " << printed;
  }
}

TEST(LevelBuild, RefusedRestartReturnsToTheMenu) {
  harness::GameSession session;
  session.WriteLevel(0, "WWWW\nWS.W\nWWWW\n");
  session.Start(0);
  ASSERT_TRUE(session.game.level != nullptr);
  session.Steps(3);
  // The file goes bad between runs; R restarts from the file.
  session.WriteLevel(0, "");
  session.Press(SDLK_r);
  {
    harness::CaptureStdout quiet;
    session.Steps(1);
  }
  session.Release(SDLK_r);
  EXPECT_TRUE(session.game.level == nullptr);
  EXPECT_TRUE(session.game.player == nullptr);
  EXPECT_EQ(session.playing, 0);
}

}  // namespace
