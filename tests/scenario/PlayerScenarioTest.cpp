// The player under the keyboard, step by step: running and coasting,
// holding X, jumping and dropping through platforms.

#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "actors/Bullet.h"
#include "actors/Player.h"
#include "harness/GameHarness.h"
#include "harness/Screen.h"
#include "harness/TestContent.h"

namespace {
using harness::Cell;
using harness::Frame;
using harness::GameSession;
using harness::Room;
using harness::ShowsText;
using harness::WriteBitmap;

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr int kStepsPerSecond = 125;  // 8 ms steps

// Plain bitmaps of known sizes in place of the generated art, which may
// change; three player frames so that running shows frames other than 0.
void UseTestArt(GameSession& session) {
  const std::string assets = harness::UseOwnAssets(session.folder);
  WriteBitmap(assets + "/PlayerStand.bmp", 24, 30, SDL_Color{40, 200, 60, 255});
  WriteBitmap(assets + "/PlayerRun1.bmp", 24, 30, SDL_Color{30, 160, 50, 255});
  WriteBitmap(assets + "/PlayerRun2.bmp", 24, 30, SDL_Color{20, 120, 40, 255});
  WriteBitmap(assets + "/Bullet.bmp", 8, 4, SDL_Color{250, 240, 40, 255});
  WriteBitmap(assets + "/Wall.bmp", 32, 32, SDL_Color{120, 80, 40, 255});
  WriteBitmap(assets + "/Platform.bmp", 32, 32, SDL_Color{80, 80, 160, 255});
  WriteBitmap(assets + "/Health.bmp", 100, 12, SDL_Color{220, 30, 30, 255});
  WriteBitmap(assets + "/HealthBackground.bmp", 100, 12, SDL_Color{90, 90, 90, 255});
  session.folder.Write("Resources/Data/PlayerSpriteList.txt",
                       "PlayerStand.bmp\nPlayerRun1.bmp\nPlayerRun2.bmp\n");
}

// Starts level 0 from grid and lets the player settle on its ground.
Player& StartAndSettle(GameSession& session, const std::string& grid) {
  UseTestArt(session);
  session.WriteLevel(0, grid);
  session.Start(0);
  session.Steps(20);
  return *session.game.player;
}

TEST(PlayerScenarioTest, HoldingLeftForASecondThenCoastingAQuarterSecondToTheStandingFrame) {
  GameSession session;
  Player& player = StartAndSettle(session, Room(40, 8, {{30, 6, 'S'}}));
  const float startX = player.x;

  session.Press(SDLK_LEFT);
  bool ranWithAnotherFrame = false;
  for (int i = 0; i < kStepsPerSecond; ++i) {
    session.Steps(1);
    if (player.frameIndex != 0) ranWithAnotherFrame = true;
  }
  EXPECT_NEAR(player.leftSpeed, 8.0f, 0.05f) << "40 - 32 = 8 per second of holding";
  EXPECT_EQ(player.facing, 0);
  EXPECT_TRUE(ranWithAnotherFrame) << "running must show frames other than the standing one";
  // Each step travels that step's speed: 0.064 k pixels in step k, about 504 in all.
  EXPECT_NEAR(startX - player.x, 504.0f, 10.0f);

  session.Release(SDLK_LEFT);
  const float releaseX = player.x;
  int coastSteps = 0;
  while (player.leftSpeed > 0.0f && coastSteps < 100) {
    session.Steps(1);
    ++coastSteps;
  }
  EXPECT_GE(coastSteps, 30) << "the player must coast about a quarter second";
  EXPECT_LE(coastSteps, 33) << "the player must coast about a quarter second";
  EXPECT_LT(player.x, releaseX - 100.0f) << "coasting keeps moving the player left";
  EXPECT_EQ(player.frameIndex, 0u) << "the standing frame shows once the speed is spent";

  const float restX = player.x;
  session.Steps(1);
  EXPECT_EQ(player.leftSpeed, 0.0f) << "a spent speed is set back to exactly 0";
  EXPECT_EQ(player.x, restX);
  EXPECT_EQ(player.facing, 0) << "the player keeps facing the way it ran";
}

TEST(PlayerScenarioTest, TheTwoDirectionsKeepTheirOwnSpeeds) {
  GameSession session;
  Player& player = StartAndSettle(session, Room(40, 8, {{30, 6, 'S'}}));

  session.Press(SDLK_LEFT);
  session.Steps(kStepsPerSecond);
  const float left = player.leftSpeed;
  session.Press(SDLK_RIGHT);
  session.Steps(10);
  EXPECT_NEAR(player.leftSpeed, left + 10 * 0.064f, 0.01f)
      << "pressing Right must not brake the left speed";
  EXPECT_NEAR(player.rightSpeed, 10 * 0.064f, 0.01f);
  EXPECT_EQ(player.facing, 1) << "with both keys held the player ends facing right";
  session.Release(SDLK_LEFT);
  session.Release(SDLK_RIGHT);
}

TEST(PlayerScenarioTest, HoldingXFiresTheTenShotsAtLeast200MsApartThenNothing) {
  GameSession session;
  Player& player = StartAndSettle(session, Room(40, 8, {{20, 6, 'S'}}));
  ASSERT_EQ(player.ammo, 10);

  session.Press(SDLK_x);
  std::vector<int> shotTimes;
  int ammo = player.ammo;
  for (int i = 0; i < 4 * kStepsPerSecond; ++i) {
    session.Steps(1);
    if (player.ammo == ammo) continue;
    EXPECT_EQ(player.ammo, ammo - 1) << "one shot per step at most";
    ammo = player.ammo;
    shotTimes.push_back(Clock::Now());
    ASSERT_FALSE(session.game.bullets.empty());
    EXPECT_EQ(session.game.bullets.back()->fireTime, Clock::Now())
        << "every shot must hand a new bullet to the game";
  }
  EXPECT_TRUE(session.input.keyX) << "holding X keeps its flag set";
  ASSERT_EQ(shotTimes.size(), 10u);
  for (size_t i = 1; i < shotTimes.size(); ++i)
    EXPECT_GE(shotTimes[i] - shotTimes[i - 1], 200) << "between shots " << i << " and " << i + 1;
  EXPECT_EQ(player.ammo, 0);

  session.Steps(1);
  Frame frame;
  EXPECT_TRUE(ShowsText(frame, "Ammo: 0 / 50", 24, 640, 72));
  session.Release(SDLK_x);
}

// The player stands on a platform over an open space with a floor below.
std::string PlatformRoom() {
  return Room(8, 8, {{3, 2, 'S'}, {2, 3, 'P'}, {3, 3, 'P'}, {4, 3, 'P'}});
}
constexpr float kPlatformTop = 96.0f;
constexpr float kPlatformBottom = 128.0f;

TEST(PlayerScenarioTest, DownDropsThroughAPlatformOnePressAtATime) {
  GameSession session;
  Player& player = StartAndSettle(session, PlatformRoom());
  const float height = static_cast<float>(player.CurrentFrame()->height);
  ASSERT_NEAR(player.y + height, kPlatformTop, 1.0f) << "the player should stand on the platform";

  session.Press(SDLK_DOWN);
  session.Steps(1);
  EXPECT_FALSE(session.input.down) << "a drop consumes the Down press";
  session.Steps(kStepsPerSecond);
  EXPECT_GT(player.y, kPlatformBottom) << "the player must have dropped through the platform";
  session.Release(SDLK_DOWN);
}

TEST(PlayerScenarioTest, ZAndDownTogetherJumpAndLeaveTheDropForTheNextStep) {
  GameSession session;
  Player& player = StartAndSettle(session, PlatformRoom());
  const float standingY = player.y;

  session.Press(SDLK_z);
  session.Press(SDLK_DOWN);
  session.Steps(1);
  EXPECT_GT(player.verticalSpeed, 300.0f) << "the jump must win";
  EXPECT_LT(player.y, standingY);
  EXPECT_FALSE(session.input.keyZ) << "a jump press gives one attempt";
  EXPECT_TRUE(session.input.down) << "Down must wait for the next step";

  session.Steps(1);
  EXPECT_FALSE(session.input.down) << "the next step takes the waiting Down";
  session.Release(SDLK_z);
  session.Release(SDLK_DOWN);

  // The drop happened in the air, so the player lands on the platform again.
  session.Steps(2 * kStepsPerSecond);
  EXPECT_NEAR(player.y, standingY, 1.0f) << "the player must be back on the platform";
}

// Where a jump from the floor goes, with or without a second Z in the air.
struct Track {
  std::vector<float> y;
  std::vector<float> verticalSpeed;
  float x = 0.0f;
  bool secondPressConsumed = false;
};

Track JumpWithSecondPress(bool pressInAir) {
  GameSession session;
  Player& player = StartAndSettle(session, Room(20, 10, {{5, 8, 'S'}}));
  Track track;
  session.Press(SDLK_z);
  session.Steps(1);
  session.Release(SDLK_z);
  session.Steps(15);  // well into the rise
  if (pressInAir) session.Press(SDLK_z);
  for (int i = 0; i < 2 * kStepsPerSecond; ++i) {
    session.Steps(1);
    track.y.push_back(player.y);
    track.verticalSpeed.push_back(player.verticalSpeed);
  }
  track.secondPressConsumed = !session.input.keyZ;
  track.x = player.x;
  session.Release(SDLK_z);
  return track;
}

TEST(PlayerScenarioTest, AJumpPressInMidAirChangesNothing) {
  const Track plain = JumpWithSecondPress(false);
  const Track pressed = JumpWithSecondPress(true);
  EXPECT_TRUE(pressed.secondPressConsumed) << "the press in the air is used up";
  ASSERT_EQ(plain.y.size(), pressed.y.size());
  EXPECT_LT(*std::min_element(plain.y.begin(), plain.y.end()), plain.y.back() - 50.0f)
      << "the first jump should rise well above the floor";
  for (size_t i = 0; i < plain.y.size(); ++i) {
    ASSERT_EQ(plain.y[i], pressed.y[i]) << "step " << i << " after the press in the air";
    ASSERT_EQ(plain.verticalSpeed[i], pressed.verticalSpeed[i]) << "step " << i;
  }
  EXPECT_EQ(plain.x, pressed.x);
}

}  // namespace
