// The game frame as the shell drives it: pacing, the warm-up step, the level
// clock, the flicker, bullets, death and game over, Escape and R.

#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "actors/Bullet.h"
#include "actors/Player.h"
#include "harness/GameHarness.h"
#include "harness/PlayLoop.h"
#include "harness/Screen.h"
#include "harness/TestContent.h"

namespace {
using harness::Cell;
using harness::Frame;
using harness::GameSession;
using harness::Room;
using harness::ShowsText;
using harness::Tap;
using harness::WriteBitmap;

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr int kStepsPerSecond = 125;  // 8 ms steps
constexpr SDL_Color kPlayerColour{40, 200, 60, 255};
constexpr SDL_Color kBulletBack{220, 30, 30, 255};    // left half of the bullet bitmap
constexpr SDL_Color kBulletFront{250, 240, 40, 255};  // right half: the nose when flying right
constexpr int kBulletWidth = 8;
constexpr int kBulletHeight = 4;

Uint32 Rgb(SDL_Color c) { return (Uint32{c.r} << 16) | (Uint32{c.g} << 8) | c.b; }

// Plain bitmaps of known sizes and colours in place of the generated art,
// which may change; the font stays the staged one.
void UseTestArt(GameSession& session) {
  const std::string assets = harness::UseOwnAssets(session.folder);
  WriteBitmap(assets + "/PlayerStand.bmp", 24, 30, kPlayerColour);
  WriteBitmap(assets + "/Bullet.bmp", kBulletWidth, kBulletHeight, kBulletBack, kBulletFront);
  WriteBitmap(assets + "/Wall.bmp", 32, 32, SDL_Color{120, 80, 40, 255});
  WriteBitmap(assets + "/Coin.bmp", 16, 16, SDL_Color{250, 200, 0, 255});
  WriteBitmap(assets + "/Health.bmp", 100, 12, SDL_Color{220, 30, 30, 255});
  WriteBitmap(assets + "/HealthBackground.bmp", 100, 12, SDL_Color{90, 90, 90, 255});
  session.folder.Write("Resources/Data/PlayerSpriteList.txt", "PlayerStand.bmp\n");
}

// The 40 x 8 room most tests play in: the player starts on the floor.
std::string FloorRoom() { return Room(40, 8, {{20, 6, 'S'}}); }

void StartLevel0(GameSession& session, const std::string& grid) {
  UseTestArt(session);
  session.WriteLevel(0, grid);
  session.Start(0);
  ASSERT_EQ(session.playing, 1);
}

TEST(GameFrameTest, TheWarmUpStepMovesNothingAndTheLevelClockCountsNoMenuTime) {
  GameSession session;
  UseTestArt(session);
  session.WriteLevel(0, Room(40, 12, {{20, 2, 'S'}}));  // the player starts in mid-air
  Tap(session, SDLK_z);
  ASSERT_EQ(session.menu.screen, 1);
  Clock::Advance(40000);  // forty seconds on the level select
  Tap(session, SDLK_z);   // the level starts in this menu frame of 16 ms
  ASSERT_EQ(session.playing, 1);
  Player& player = *session.game.player;
  const float startY = player.y;

  session.Steps(1);
  EXPECT_NEAR(deltaSeconds, 0.024, 1e-9)
      << "the warm-up step measures from the start, not the menu";
  EXPECT_FALSE(session.game.started);
  EXPECT_EQ(player.y, startY) << "nothing may move in the warm-up step";
  EXPECT_NEAR(levelTime, 0.024, 1e-9) << "the level clock counts the warm-up step";
  {
    Frame frame;
    EXPECT_TRUE(ShowsText(frame, "Time: 0", 24, 640, 36)) << "menu time shown as play time";
  }

  session.Steps(1);
  EXPECT_TRUE(session.game.started);
  EXPECT_GT(player.y, startY) << "the second step is the first that moves";
  EXPECT_NEAR(levelTime, 0.032, 1e-9);

  // A restart happens inside play: its warm-up step measures from the last step.
  session.Press(SDLK_r);
  session.Steps(1);
  session.Release(SDLK_r);
  EXPECT_FALSE(session.game.started);
  EXPECT_NEAR(deltaSeconds, 0.008, 1e-9);
  EXPECT_NEAR(levelTime, 0.008, 1e-9);
}

TEST(GameFrameTest, AStepRunsOnlyOnce8MsHaveGatheredAndTheSurplusIsDropped) {
  GameSession session;
  StartLevel0(session, FloorRoom());
  session.Steps(2);

  // Update every 5 ms: a step on every second call, each 10 ms long.
  for (int call = 1; call <= 10; ++call) {
    const int before = stepTick;
    Clock::Advance(5);
    session.game.Update();
    const bool stepped = stepTick != before;
    EXPECT_EQ(stepped, call % 2 == 0) << "call " << call;
    if (stepped) {
      EXPECT_NEAR(deltaSeconds, 0.010, 1e-9) << "call " << call;
    }
  }

  // A 10 ms gap steps; its 2 ms surplus must not count towards the next step.
  int before = stepTick;
  Clock::Advance(10);
  session.game.Update();
  EXPECT_NE(stepTick, before) << "10 ms gathered must run a step";
  before = stepTick;
  Clock::Advance(6);
  session.game.Update();
  EXPECT_EQ(stepTick, before) << "6 ms after a 10 ms step is not enough: the surplus is dropped";
  Clock::Advance(2);
  session.game.Update();
  EXPECT_NE(stepTick, before) << "8 ms gathered must run a step";
}

TEST(GameFrameTest, AnInvulnerablePlayerIsDrawnOnlyWhenTheClockIsDivisibleByThree) {
  GameSession session;
  StartLevel0(session, FloorRoom());
  session.Steps(20);
  Player& player = *session.game.player;
  Level& level = *session.game.level;
  auto playerShown = [&] {
    Frame frame;
    return frame.At(static_cast<int>(player.x - level.cameraX) + 12,
                    static_cast<int>(player.y - level.cameraY) + 15) == Rgb(kPlayerColour);
  };

  for (int i = 0; i < 3; ++i) {
    session.Steps(1);
    EXPECT_TRUE(playerShown()) << "a vulnerable player is drawn in every step";
  }
  player.invulnerable = true;
  player.invulnerableUntil = Clock::Now() + 60000;
  for (int i = 0; i < 9; ++i) {
    session.Steps(1);
    EXPECT_EQ(playerShown(), Clock::Now() % 3 == 0) << "at clock " << Clock::Now();
  }
}

TEST(GameFrameTest, ABulletIsRemovedInTheFirstPassAfterFiveSecondsAndNotBefore) {
  GameSession session;
  StartLevel0(session, Room(80, 8, {{2, 6, 'S'}}));  // 2560 px: room for five seconds of flight
  session.Steps(10);
  session.Press(SDLK_x);
  session.Steps(1);
  session.Release(SDLK_x);
  auto& bullets = session.game.bullets;
  ASSERT_EQ(bullets.size(), 1u);
  const int fired = bullets[0]->fireTime;
  const float startX = bullets[0]->x;

  session.Steps(5000 / 8);
  ASSERT_EQ(Clock::Now(), fired + 5000);
  ASSERT_EQ(bullets.size(), 1u) << "at fire time + 5000 the bullet still flies";
  EXPECT_GT(bullets[0]->x - startX, 1950.0f) << "about 400 px per second for five seconds";
  session.Steps(1);
  EXPECT_TRUE(bullets.empty()) << "the first pass after fire time + 5000 removes the bullet";
}

TEST(GameFrameTest, BulletsAreDrawnMirroredWhenFlyingLeftAndOnlyWhenInViewByWholeTiles) {
  GameSession session;
  StartLevel0(session, FloorRoom());
  Level& level = *session.game.level;
  level.cameraX = 64.0f;
  level.cameraY = 0.0f;
  const int by = 100;

  auto drawn = [&](int direction, int bx) {
    Bullet bullet(harness::Renderer(), &level, direction, bx, by);
    harness::ClearWindow();
    bullet.Draw();
    return Frame();
  };

  const Frame right = drawn(1, 200);
  EXPECT_EQ(right.At(136, by), Rgb(kBulletBack)) << "flying right: drawn as the bitmap is";
  EXPECT_EQ(right.At(143, by), Rgb(kBulletFront));
  const Frame left = drawn(0, 200);
  EXPECT_EQ(left.At(136, by), Rgb(kBulletFront)) << "flying left: drawn mirrored";
  EXPECT_EQ(left.At(143, by), Rgb(kBulletBack));
  EXPECT_EQ(left.At(135, by), 0u) << "the position stays the bullet's left edge";
  EXPECT_EQ(left.At(144, by), 0u);

  // Camera at x 64: the right edge must reach tile 3 (x 96) to be drawn.
  const Frame justOut = drawn(1, 95 - kBulletWidth);
  EXPECT_FALSE(justOut.Lit(0, by, 100, kBulletHeight)) << "bx + w = 95 is not drawn";
  const Frame justIn = drawn(1, 96 - kBulletWidth);
  EXPECT_TRUE(justIn.Lit(0, by, 100, kBulletHeight)) << "bx + w = 96 is drawn";
  EXPECT_EQ(justIn.At(96 - kBulletWidth - 64, by), Rgb(kBulletBack));
}

TEST(GameFrameTest, DeathShowsGameOverForTenSecondsThenTheMenuWithoutTouchingTheSave) {
  GameSession session;
  StartLevel0(session, FloorRoom());
  const std::string save = session.folder.Read("Resources/Data/GameData.txt");
  session.Steps(150);  // 1.2 s of play
  const double playedTime = levelTime;

  session.game.player->ChangeHealth(-100);
  session.Steps(1);
  ASSERT_EQ(session.game.player, nullptr);
  const int deadline = gameOverDeadline;
  EXPECT_EQ(deadline, Clock::Now() + 10000);

  session.Steps(1);
  {
    Frame frame;
    EXPECT_TRUE(ShowsText(frame, "GAME OVER", 48, 640, 360));
  }
  session.Steps(10000 / 8 - 1);
  ASSERT_EQ(Clock::Now(), deadline);
  EXPECT_EQ(session.playing, 1) << "game over lasts until the clock is past the deadline";
  EXPECT_EQ(levelTime, playedTime) << "the level clock stands still during game over";
  {
    Frame frame;
    EXPECT_TRUE(ShowsText(frame, "Time: 1", 24, 640, 36));
    EXPECT_TRUE(ShowsText(frame, "GAME OVER", 48, 640, 360));
  }
  session.Steps(1);
  EXPECT_EQ(session.playing, 0) << "ten seconds after the death the menu comes back";
  EXPECT_EQ(session.game.level, nullptr);
  EXPECT_EQ(session.folder.Read("Resources/Data/GameData.txt"), save)
      << "death must not store a score or a time";
}

TEST(GameFrameTest, EscapeReturnsToTheMenuAtOnceDuringPlayAndDuringGameOver) {
  for (bool gameOver : {false, true}) {
    SCOPED_TRACE(gameOver ? "during game over" : "during play");
    GameSession session;
    StartLevel0(session, FloorRoom());
    const std::string save = session.folder.Read("Resources/Data/GameData.txt");
    session.Steps(50);
    if (gameOver) {
      session.game.player->ChangeHealth(-100);
      session.Steps(3);
      ASSERT_EQ(session.game.player, nullptr);
    }
    session.Press(SDLK_ESCAPE);
    session.game.Update();  // no time has gathered: Escape does not wait for a step
    EXPECT_EQ(session.playing, 0);
    EXPECT_EQ(session.game.level, nullptr);
    EXPECT_EQ(session.game.player, nullptr);
    EXPECT_FALSE(session.input.escape) << "the game consumes the Escape press";
    EXPECT_EQ(session.folder.Read("Resources/Data/GameData.txt"), save);
  }
}

TEST(GameFrameTest, RRestartsTheLevelFromScratchDuringPlayAndDuringGameOver) {
  GameSession session;
  StartLevel0(session, Room(40, 8, {{20, 6, 'S'}, {23, 6, 'C'}}));
  const std::string save = session.folder.Read("Resources/Data/GameData.txt");
  const int startX = session.game.level->startX;
  const int startY = session.game.level->startY;

  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("restart " + std::to_string(round + 1));
    session.Press(SDLK_RIGHT);
    session.Press(SDLK_x);
    session.Steps(kStepsPerSecond);
    session.Release(SDLK_RIGHT);
    session.Release(SDLK_x);
    ASSERT_NE(session.game.player, nullptr);
    ASSERT_EQ(session.game.player->gold, 10) << "the run should have picked up the coin";
    ASSERT_FALSE(session.game.bullets.empty());
    if (round < 2) {
      session.game.player->ChangeHealth(-30);
    } else {  // the last restart comes from game over
      session.game.player->ChangeHealth(-100);
      session.Steps(2);
      ASSERT_EQ(session.game.player, nullptr);
    }

    session.Press(SDLK_r);
    session.game.Update();  // no time has gathered: the restart alone
    session.Release(SDLK_r);
    ASSERT_NE(session.game.player, nullptr);
    const Player& player = *session.game.player;
    EXPECT_EQ(player.health, 100);
    EXPECT_EQ(player.gold, 0);
    EXPECT_EQ(player.ammo, 10);
    EXPECT_EQ(player.x, static_cast<float>(startX));
    EXPECT_EQ(player.y, static_cast<float>(startY));
    EXPECT_EQ(levelTime, 0.0);
    EXPECT_TRUE(session.game.bullets.empty()) << "bullets in flight are gone after a restart";
    EXPECT_FALSE(session.game.started) << "a restart begins with a warm-up step";
    EXPECT_EQ(session.game.pickups.size(), 1u) << "the coin is back";
    EXPECT_EQ(session.playing, 1);
  }
  EXPECT_EQ(session.folder.Read("Resources/Data/GameData.txt"), save)
      << "a restart must not store results";
}

TEST(GameFrameTest, TheClockLineShowsTheLevelTimeTruncated) {
  GameSession session;
  StartLevel0(session, FloorRoom());
  session.Steps(5);
  for (const auto& [time, shown] : {std::pair<double, const char*>{0.99, "Time: 0"},
                                    std::pair<double, const char*>{1.0, "Time: 1"},
                                    std::pair<double, const char*>{12.7, "Time: 12"}}) {
    levelTime = time;
    session.Steps(1);
    Frame frame;
    EXPECT_TRUE(ShowsText(frame, shown, 24, 640, 36)) << "level time " << time;
  }
}

TEST(GameFrameTest, ARestartOfALevelThatCannotBePlayedReturnsToTheMenu) {
  for (const std::string& broken : {std::string(), Room(10, 5, {{4, 3, 'D'}})}) {
    SCOPED_TRACE(broken.empty() ? "empty file" : "no start cell");
    GameSession session;
    StartLevel0(session, FloorRoom());
    session.Steps(20);
    session.WriteLevel(0, broken);

    harness::CaptureStdout console;
    session.Press(SDLK_r);
    session.Steps(1);
    const std::string printed = console.Text();
    EXPECT_EQ(session.playing, 0);
    EXPECT_EQ(session.game.level, nullptr);
    EXPECT_EQ(session.game.player, nullptr);
    EXPECT_NE(printed.find("Level0.txt"), std::string::npos) << "console: " << printed;
    session.Release(SDLK_r);
  }
}

}  // namespace
