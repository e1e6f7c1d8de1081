// Level files that a player's disk may hold: each one is either refused with
// a console line, leaving the level select showing, or played without a
// fault; either way the game goes on and the save stays as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "actors/BirdEnemy.h"
#include "base/Rules.h"
#include "frontend/GameData.h"
#include "harness/PlayLoop.h"

namespace {
using harness::GameSession;
using harness::LoopPass;
using harness::Tap;
constexpr int kGameOverSteps = 10000 / rules::kStepMs + 10;  // a little over ten seconds
const char* const kLevel0 = "Resources/Data/Level0.txt";
const std::string kGoodLevel = "WWWWWWWWWW\nWS.......W\nWWWWWWWWWW\n";

std::string Join(const std::vector<std::string>& rows, const char* end = "\n") {
  std::string text;
  for (const std::string& row : rows) text += row + end;
  return text;
}

// A grid of columns x rows closed by walls, with the start near the bottom left.
std::string WalledGrid(int columns, int rows) {
  std::string text;
  const std::string wall(columns, 'W');
  const std::string open = "W" + std::string(columns - 2, '.') + "W";
  for (int r = 0; r < rows; ++r) {
    if (r == 0 || r == rows - 1) {
      text += wall;
    } else if (r == rows - 2) {
      text += "WS" + std::string(columns - 3, '.') + "W";
    } else {
      text += open;
    }
    text += '\n';
  }
  return text;
}

// A player's session that has reached the level select for level 0 through
// the main menu, remembering the save as it was.
struct AtLevelSelect {
  explicit AtLevelSelect(unsigned seed = 1) : session(seed) {
    harness::UseKnownSpriteLists(session);
    saveBefore = harness::SaveText(session);
    Tap(session, SDLK_z);
    EXPECT_EQ(session.menu.screen, 1) << "Z on Start opens the level select";
    session.menu.levelChoice = 0;
  }
  // Z on the level select; returns what the console got.
  std::string Launch() {
    harness::CaptureStdout out;
    Tap(session, SDLK_z);
    return out.Text();
  }
  // Escape during play: the level select shows again, the save is untouched.
  void ExpectEscapeBackToTheMenu(bool saveUnchanged = true) {
    session.Press(SDLK_ESCAPE);
    EXPECT_TRUE(LoopPass(session));
    session.Release(SDLK_ESCAPE);
    EXPECT_EQ(session.playing, 0) << "Escape ends the level";
    EXPECT_EQ(session.menu.screen, 1) << "and the level select shows";
    EXPECT_TRUE(session.game.level == nullptr);
    EXPECT_TRUE(LoopPass(session)) << "the menu goes on";
    if (saveUnchanged) {
      EXPECT_EQ(harness::SaveText(session), saveBefore) << "the save changed";
    }
  }
  // Holds key for n steps (fewer if the level ends).
  void Hold(SDL_Keycode key, int steps) {
    session.Press(key);
    session.Steps(steps);
    session.Release(key);
  }

  GameSession session;
  std::string saveBefore;
};

// ---------------------------------------------------------------------------
// Refused

TEST(BadLevelFiles, UnplayableFilesAreRefusedAndTheLevelSelectGoesOn) {
  const std::string huge = WalledGrid(2000, 2000);
  std::string megabyteLine = "WS" + std::string((1u << 20) - 3, '.') + "W";
  struct Case {
    const char* what;
    std::optional<std::string> bytes;  // none: no file at all
    std::string reason;
  };
  const Case cases[] = {
      {"missing file", std::nullopt, "the level file is missing or empty"},
      {"empty file", std::string(), "the level file is missing or empty"},
      {"only line feeds", std::string("\n\n\n\n"), "the level file is missing or empty"},
      {"only CR LF", std::string("\r\n\r\n"), "the level file is missing or empty"},
      {"empty first line", "\n" + kGoodLevel, "the level file is missing or empty"},
      {"no start cell", std::string("WWWWW\nW.D.W\nWWWWW\n"), "the level has no start cell 'S'"},
      {"one line without a start", std::string("WWWWW"), "the level has no start cell 'S'"},
      {"2000 x 2000 cells", huge,
       "the level has 4000000 cells, more than the 250000 a level may hold"},
      {"a 1 MB single line", megabyteLine,
       "the level has 1048576 cells, more than the 250000 a level may hold"},
      {"one cell over the limit", WalledGrid(501, 499) + "W",
       "the level has 250500 cells, more than the 250000 a level may hold"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AtLevelSelect at;
    if (c.bytes) {
      at.session.WriteLevel(0, *c.bytes);
    } else {
      std::remove(kLevel0);
    }
    std::string printed = at.Launch();
    EXPECT_NE(printed.find("Level '" + std::string(kLevel0) + "' not started: " + c.reason + ".\n"),
              std::string::npos)
        << "printed: " << printed.substr(0, 300);
    EXPECT_EQ(at.session.playing, 0);
    EXPECT_EQ(at.session.menu.screen, 1) << "the level select stays";
    EXPECT_TRUE(at.session.game.level == nullptr);
    EXPECT_TRUE(at.session.game.player == nullptr);
    EXPECT_TRUE(LoopPass(at.session)) << "the menu goes on";

    // The player mends the file and the same level select starts it.
    at.session.WriteLevel(0, kGoodLevel);
    at.Launch();
    EXPECT_EQ(at.session.playing, 1) << "a good level starts after a refused one";
    at.session.Steps(30);
    EXPECT_TRUE(at.session.game.player != nullptr);
    at.ExpectEscapeBackToTheMenu();
  }
}

// ---------------------------------------------------------------------------
// Played

TEST(BadLevelFiles, TheLargestLevelAllowedPlays) {
  AtLevelSelect at;
  at.session.WriteLevel(0, WalledGrid(500, 500));
  std::string printed = at.Launch();
  EXPECT_EQ(printed.find("not started"), std::string::npos) << printed;
  ASSERT_EQ(at.session.playing, 1) << "500 x 500 cells is exactly the limit";
  EXPECT_EQ(at.session.game.level->nodes.size(), 250000u);
  at.Hold(SDLK_RIGHT, 100);
  ASSERT_TRUE(at.session.game.player != nullptr);
  EXPECT_GT(at.session.game.player->x, 2.0f * rules::kTileSize) << "the player ran";
  at.ExpectEscapeBackToTheMenu();
}

TEST(BadLevelFiles, OneLineLevelDropsThePlayerOutAndGameOverEndsInTheMenu) {
  AtLevelSelect at;
  at.session.WriteLevel(0, "W.S.W");
  at.Launch();
  ASSERT_EQ(at.session.playing, 1) << "a one-line level with a start is played";
  at.session.Steps(20);
  EXPECT_TRUE(at.session.game.player == nullptr) << "with no floor the player falls out and dies";
  EXPECT_TRUE(at.session.game.level != nullptr) << "game over shows in the level";
  at.session.Steps(kGameOverSteps);
  EXPECT_EQ(at.session.playing, 0) << "game over runs out";
  EXPECT_EQ(at.session.menu.screen, 1);
  EXPECT_EQ(harness::SaveText(at.session), at.saveBefore) << "game over does not touch the save";
  EXPECT_TRUE(LoopPass(at.session));
}

TEST(BadLevelFiles, CarriageReturnLineFeedLevelPlaysExactlyAsItsLineFeedTwin) {
  const std::vector<std::string> grid = {
      "WWWWWWWWWWWWWWWWWWWW",  //
      "W..................W",  //
      "W......C...E.......W",  //
      "W...PPPP.....PPP...W",  //
      "WS....C........I..DW",  //
      "WWWWWWWWWWWWWWWWWWWW",
  };
  struct Outcome {
    float x = 0, y = 0;
    int gold = 0, ammo = 0;
    size_t enemies = 0, pickups = 0;
  };
  auto play = [&](const char* end) {
    AtLevelSelect at(5);
    at.session.WriteLevel(0, Join(grid, end));
    at.Launch();
    Outcome outcome;
    EXPECT_EQ(at.session.playing, 1);
    if (!at.session.game.level) return outcome;
    EXPECT_EQ(at.session.game.level->columns, 20) << "the carriage return is not a cell";
    at.Hold(SDLK_RIGHT, 60);
    at.session.Press(SDLK_z);
    at.session.Steps(1);
    at.session.Release(SDLK_z);
    at.Hold(SDLK_x, 30);
    at.Hold(SDLK_LEFT, 40);
    if (at.session.game.player) {
      outcome = {at.session.game.player->x,      at.session.game.player->y,
                 at.session.game.player->gold,   at.session.game.player->ammo,
                 at.session.game.enemies.size(), at.session.game.pickups.size()};
    }
    at.ExpectEscapeBackToTheMenu();
    return outcome;
  };
  Outcome lf = play("\n");
  Outcome crlf = play("\r\n");
  EXPECT_FLOAT_EQ(crlf.x, lf.x);
  EXPECT_FLOAT_EQ(crlf.y, lf.y);
  EXPECT_EQ(crlf.gold, lf.gold);
  EXPECT_EQ(crlf.ammo, lf.ammo);
  EXPECT_EQ(crlf.enemies, lf.enemies);
  EXPECT_EQ(crlf.pickups, lf.pickups);
  EXPECT_GT(lf.gold, 0) << "the script collected a coin, so the runs compared real play";
}

TEST(BadLevelFiles, RaggedLinesReadTheirMissingCellsAsEmpty) {
  AtLevelSelect at;
  at.session.WriteLevel(0, Join({
                               "WWWWWWWWWWWWWWWW",           // the first line: 16 columns
                               "W..............W",           //
                               "WS.....",                    // shorter: open on the right
                               "WWWWWWWWWWWWWWWWWWWWWWWWW",  // longer than the first
                           }));
  at.Launch();
  ASSERT_EQ(at.session.playing, 1);
  EXPECT_EQ(at.session.game.level->columns, 16);
  float furthest = 0.0f;
  at.session.Press(SDLK_RIGHT);
  for (int i = 0; i < 600 && at.session.game.player; ++i) {
    at.session.Steps(1);
    if (at.session.game.player) furthest = std::max(furthest, at.session.game.player->x);
  }
  at.session.Release(SDLK_RIGHT);
  EXPECT_GT(furthest, 7.0f * rules::kTileSize) << "the cells past the short line's end are empty";
  EXPECT_TRUE(at.session.game.player == nullptr)
      << "running out of the open side leaves the level, which kills the player";
  at.session.Steps(100);
  at.ExpectEscapeBackToTheMenu();
}

TEST(BadLevelFiles, NoDoorOrSeveralStartsAndDoors) {
  {
    SCOPED_TRACE("no door");
    AtLevelSelect at;
    at.session.WriteLevel(0, "WWWWWWWW\nWS.C...W\nWWWWWWWW\n");
    at.Launch();
    ASSERT_EQ(at.session.playing, 1);
    EXPECT_TRUE(at.session.game.level->door == nullptr);
    const Level* level = at.session.game.level.get();
    at.Hold(SDLK_RIGHT, 300);
    ASSERT_TRUE(at.session.game.player != nullptr);
    EXPECT_EQ(at.session.game.player->gold, 10) << "the coin is collected";
    EXPECT_EQ(at.session.game.level.get(), level) << "without a door the level just goes on";
    at.ExpectEscapeBackToTheMenu();
  }
  {
    SCOPED_TRACE("two starts, two doors");
    AtLevelSelect at;
    // Starts in columns 1 and 7, doors in columns 3 and 11, a coin in column 5.
    at.session.WriteLevel(0, "WWWWWWWWWWWWW\nWS.D.C.S...DW\nWWWWWWWWWWWWW\n");
    at.session.WriteLevel(1, kGoodLevel);
    at.Launch();
    ASSERT_EQ(at.session.playing, 1);
    ASSERT_TRUE(at.session.game.player != nullptr);
    EXPECT_FLOAT_EQ(at.session.game.player->x, 7.0f * rules::kTileSize) << "the last start counts";
    const Level* level = at.session.game.level.get();
    at.Hold(SDLK_LEFT, 300);
    ASSERT_TRUE(at.session.game.player != nullptr);
    EXPECT_EQ(at.session.game.player->gold, 10);
    EXPECT_LT(at.session.game.player->x, 3.0f * rules::kTileSize)
        << "the player ran past the first door";
    EXPECT_EQ(at.session.game.level.get(), level) << "only the last door leads out";
    EXPECT_EQ(at.session.menu.levelChoice, 0);
    at.Hold(SDLK_RIGHT, 400);
    EXPECT_EQ(at.session.menu.levelChoice, 1) << "the last door leads to the next level";
    EXPECT_EQ(at.session.playing, 1);
    int reached = -1;
    ReadValue("Level Reached", reached);
    EXPECT_EQ(reached, 1);
    at.ExpectEscapeBackToTheMenu(false);
  }
}

TEST(BadLevelFiles, WithoutBorderWallsCharactersFallOutAndBulletsLeaveTheGrid) {
  // No walls around: open at the top, on both sides and at the bottom right.
  const std::string open = Join({
      "...........",  //
      "...S.......",  //
      "WWWWWWWW...",  //
  });
  {
    SCOPED_TRACE("bullets to the left and to the right");
    AtLevelSelect at;
    at.session.WriteLevel(0, open);
    at.Launch();
    ASSERT_EQ(at.session.playing, 1);
    at.session.Steps(20);
    size_t most = 0;
    for (SDL_Keycode direction : {SDLK_LEFT, SDLK_RIGHT}) {
      at.Hold(direction, 1);  // face that way
      at.session.Press(SDLK_x);
      for (int i = 0; i < 30; ++i) {
        at.session.Steps(1);
        most = std::max(most, at.session.game.bullets.size());
      }
      at.session.Release(SDLK_x);
      at.session.Steps(150);  // 1.2 s: bullets live for 5 s unless they stop
      EXPECT_TRUE(at.session.game.bullets.empty()) << "bullets that leave the grid are removed";
    }
    EXPECT_GT(most, 0u) << "X fired";
    ASSERT_TRUE(at.session.game.player != nullptr);
    at.ExpectEscapeBackToTheMenu();
  }
  {
    SCOPED_TRACE("the player runs off the floor and falls out");
    AtLevelSelect at;
    at.session.WriteLevel(0, open);
    at.Launch();
    ASSERT_EQ(at.session.playing, 1);
    at.Hold(SDLK_RIGHT, 400);
    EXPECT_TRUE(at.session.game.player == nullptr) << "falling out of the bottom kills";
    at.session.Steps(kGameOverSteps);
    EXPECT_EQ(at.session.playing, 0);
    EXPECT_EQ(at.session.menu.screen, 1);
  }
  {
    SCOPED_TRACE("the player jumps out of the top");
    AtLevelSelect at;
    at.session.WriteLevel(0, open);
    at.Launch();
    ASSERT_EQ(at.session.playing, 1);
    at.session.Steps(20);
    at.Hold(SDLK_z, 1);
    at.session.Steps(100);
    EXPECT_TRUE(at.session.game.player == nullptr) << "leaving through the top kills";
    at.ExpectEscapeBackToTheMenu();
  }
  // Enemies of every kind over the gap: the walking kinds fall out and are
  // removed; their drops land outside the grid and must not break the game.
  for (unsigned seed = 1; seed <= 4; ++seed) {
    SCOPED_TRACE("enemies, seed " + std::to_string(seed));
    AtLevelSelect at(seed);
    at.session.WriteLevel(0, Join({"...........EE.", "...S........E.", "WWWWWWWW......"}));
    at.Launch();
    ASSERT_EQ(at.session.playing, 1);
    ASSERT_EQ(at.session.game.enemies.size(), 3u);
    at.session.Steps(250);
    for (const auto& enemy : at.session.game.enemies)
      EXPECT_TRUE(dynamic_cast<BirdEnemy*>(enemy.get()) != nullptr)
          << "a walking enemy over the gap is still there at (" << enemy->x << ", " << enemy->y
          << ")";
    at.session.Steps(50);
    at.ExpectEscapeBackToTheMenu();
  }
}

TEST(BadLevelFiles, NulAndOtherBinaryBytesAreEmptyCells) {
  std::string middle = "WS..";
  middle += std::string(1, '\0') + "\x01\x7f\x80\xff\t\r\x1b" + std::string(1, '\0') + "...W";
  const std::string wall(middle.size(), 'W');
  AtLevelSelect at;
  at.session.WriteLevel(0, wall + "\n" + std::string(middle) + "\n" + wall + "\n");
  at.Launch();
  ASSERT_EQ(at.session.playing, 1);
  EXPECT_EQ(at.session.game.level->columns, static_cast<int>(middle.size()))
      << "the width counts every byte of the first line";
  EXPECT_EQ(at.session.game.level->tiles.size(), 2 * wall.size() + 2)
      << "binary bytes make no tiles";
  at.session.Steps(100);
  ASSERT_TRUE(at.session.game.player != nullptr);
  const float standing = at.session.game.player->y;
  at.Hold(SDLK_RIGHT, 400);
  ASSERT_TRUE(at.session.game.player != nullptr);
  EXPECT_GT(at.session.game.player->x, 12.0f * rules::kTileSize)
      << "the player ran across the odd bytes";
  EXPECT_FLOAT_EQ(at.session.game.player->y, standing) << "still on the floor";
  at.ExpectEscapeBackToTheMenu();
}

}  // namespace
