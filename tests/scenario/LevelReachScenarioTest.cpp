// The level check's jumps played in the real game: for a few jumps near the
// edge of what the check counts on (a long pit from a standstill, a ledge two
// tiles up, a platform, a low ceiling, a run-up over a wide pit), the player
// driven by the same keys must come to rest, alive, in the cell the check
// predicts. If the game's physics and the check's model drift apart, this
// fails before a shipped level is wrongly passed.

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actors/Player.h"
#include "base/Rules.h"
#include "harness/GameHarness.h"
#include "harness/TestContent.h"
#include "level/LevelReach.h"

namespace {
using harness::GameSession;
using Cell = LevelReach::Cell;

constexpr int kWidth = 44;
constexpr int kHeight = 23;
constexpr int kSettleSteps = 40;  // the warm-up step and the drop from the start cell
constexpr int kMaxSteps = 600;    // far longer than any of these jumps
constexpr int kBoxWidth = 24;     // the test art's player frames
constexpr int kBoxHeight = 30;

// A closed 44 × 23 level with the given rows at the bottom (inside the side
// walls, padded with empty cells) and the start in cell `start`.
std::vector<std::string> Level(const std::vector<std::string>& bottom, Cell start) {
  std::vector<std::string> lines{std::string(kWidth, 'W')};
  const int open = kHeight - 1 - static_cast<int>(bottom.size());
  for (int i = 0; i < open; ++i) lines.push_back("W" + std::string(kWidth - 2, '.') + "W");
  for (std::string row : bottom) {
    row.resize(kWidth - 2, '.');
    lines.push_back("W" + row + "W");
  }
  lines[start.r][start.c] = 'S';
  return lines;
}

std::string Text(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

struct JumpCase {
  const char* what;
  std::vector<std::string> bottom;
  Cell from;       // the standing cell the jump starts in
  int dir;         // -1 left, 1 right
  int wait;        // steps before the direction is held
  int hold;        // steps the direction is held
  int runUpCells;  // 0: from a standstill
};

// Plays the jump in the game and returns the cell the player rests in.
Cell PlayInGame(const JumpCase& jump, const std::vector<std::string>& lines, bool& alive) {
  GameSession session;
  const std::string assets = harness::UseOwnAssets(session.folder);
  harness::WriteBitmap(assets + "/PlayerStand.bmp", kBoxWidth, kBoxHeight,
                       SDL_Color{40, 200, 60, 255});
  harness::WriteBitmap(assets + "/Wall.bmp", 32, 32, SDL_Color{120, 80, 40, 255});
  harness::WriteBitmap(assets + "/Platform.bmp", 32, 32, SDL_Color{80, 80, 160, 255});
  harness::WriteBitmap(assets + "/Health.bmp", 100, 12, SDL_Color{220, 30, 30, 255});
  harness::WriteBitmap(assets + "/HealthBackground.bmp", 100, 12, SDL_Color{90, 90, 90, 255});
  session.folder.Write("Resources/Data/PlayerSpriteList.txt", "PlayerStand.bmp\n");
  session.WriteLevel(0, Text(lines));
  session.Start(0);
  session.Steps(kSettleSteps);
  Player* player = session.game.player.get();
  alive = player != nullptr;
  if (!alive) return {-1, -1};

  // Stand where the check stands the player: the box centred in its cell.
  player->x =
      static_cast<float>(jump.from.c * rules::kTileSize + (rules::kTileSize - kBoxWidth) / 2);
  const float runUp = static_cast<float>(LevelReach::RunUpSpeed(jump.runUpCells));
  if (jump.runUpCells > 0) (jump.dir > 0 ? player->rightSpeed : player->leftSpeed) = runUp;

  const SDL_Keycode key = jump.dir > 0 ? SDLK_RIGHT : SDLK_LEFT;
  const int holdFrom = jump.runUpCells > 0 ? 0 : jump.wait;
  for (int step = 0; step < kMaxSteps; ++step) {
    if (step == 0) session.Press(SDLK_z);
    if (step == 1) session.Release(SDLK_z);
    if (step == holdFrom && jump.hold > 0) session.Press(key);
    if (step == holdFrom + jump.hold && jump.hold > 0) session.Release(key);
    session.Steps(1);
    player = session.game.player.get();
    if (!player) break;
    bool resting = step > holdFrom + jump.hold && player->leftSpeed <= 0.0f &&
                   player->rightSpeed <= 0.0f && player->verticalSpeed == 0.0f;
    if (resting) break;
  }
  alive = player != nullptr && !player->dead;
  if (!alive) return {-1, -1};
  return {static_cast<int>((player->x + kBoxWidth / 2.0f) / rules::kTileSize),
          static_cast<int>((player->y + kBoxHeight - 1.0f) / rules::kTileSize)};
}

TEST(LevelReachInGame, JumpsTheCheckCountsOnLandWhereItSays) {
  const std::string floor(42, 'W');
  const std::string pit16 = std::string(20, 'W') + std::string(16, '.') + std::string(6, 'W');
  const std::string pit20 = std::string(14, 'W') + std::string(20, '.') + std::string(8, 'W');
  // Rows are given from the bottom up to the level's last row; columns are
  // counted from the left wall, so text index i is column i + 1.
  const std::vector<JumpCase> cases{
      {"a pit of 16 from a standstill", {"", pit16, pit16}, {20, 20}, 1, 0, 120, 0},
      {"a ledge two tiles up, right beside it",
       {"..........WWWW", "..........WWWW", floor},
       {10, 21},
       1,
       36,
       40,
       0},
      {"a platform two tiles up and four across", {"......PPPP", "", floor}, {3, 21}, 1, 0, 64, 0},
      {"a step under a low ceiling",
       {"WWWWWWWWWWWWWWWWWWWW", "", "", "..........WWWW", floor},
       {9, 21},
       1,
       0,
       40,
       0},
      {"a run-up over a pit of 20", {"", pit20, pit20}, {14, 20}, 1, 0, 64, 12},
      {"a jump to the left off a ledge",
       {"...........WWWWWWW", ".....WWWWWWWWWWWWW", floor},
       {12, 19},
       -1,
       0,
       48,
       0},
  };
  for (const JumpCase& jump : cases) {
    SCOPED_TRACE(jump.what);
    std::vector<std::string> lines = Level(jump.bottom, jump.from);
    Cell predicted;
    ASSERT_TRUE(LevelReach(lines).JumpLanding(jump.from, jump.dir, jump.wait, jump.hold,
                                              jump.runUpCells, predicted))
        << "the check does not count on this jump";
    bool alive = false;
    Cell real = PlayInGame(jump, lines, alive);
    ASSERT_TRUE(alive) << "the player died; the check has it resting in column " << predicted.c
                       << ", row " << predicted.r;
    EXPECT_EQ(real.c, predicted.c)
        << "row " << real.r << " in the game, " << predicted.r << " predicted";
    EXPECT_EQ(real.r, predicted.r);
  }
}

}  // namespace
