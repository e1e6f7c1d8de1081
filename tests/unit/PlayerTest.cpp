// The player's own rules: hits and the invulnerability window, the shot
// rules and where a shot leaves, and the HUD it draws every step.

#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "actors/Bullet.h"
#include "actors/Player.h"
#include "harness/GameHarness.h"
#include "harness/Screen.h"
#include "harness/TestContent.h"

namespace {
namespace fs = std::filesystem;
using harness::Cell;
using harness::Frame;
using harness::GameSession;
using harness::Room;
using harness::ShowsText;
using harness::WriteBitmap;

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr SDL_Color kPlayerColour{40, 200, 60, 255};
constexpr SDL_Color kBarColour{220, 30, 30, 255};
constexpr SDL_Color kBackgroundColour{90, 90, 90, 255};
constexpr int kBarBitmapWidth = 50;  // narrower than the bar at full health on purpose
constexpr int kBackgroundWidth = 120;

Uint32 Rgb(SDL_Color c) { return (Uint32{c.r} << 16) | (Uint32{c.g} << 8) | c.b; }

// Plain bitmaps of known sizes and colours in place of the generated art,
// which may change; the font stays the staged one.
void UseTestArt(GameSession& session) {
  const std::string assets = harness::UseOwnAssets(session.folder);
  WriteBitmap(assets + "/PlayerStand.bmp", 24, 30, kPlayerColour);
  WriteBitmap(assets + "/PlayerRun.bmp", 24, 30, SDL_Color{30, 160, 50, 255});
  WriteBitmap(assets + "/Bullet.bmp", 8, 4, SDL_Color{250, 240, 40, 255});
  WriteBitmap(assets + "/Wall.bmp", 32, 32, SDL_Color{120, 80, 40, 255});
  WriteBitmap(assets + "/Health.bmp", kBarBitmapWidth, 12, kBarColour);
  WriteBitmap(assets + "/HealthBackground.bmp", kBackgroundWidth, 12, kBackgroundColour);
  session.folder.Write("Resources/Data/PlayerSpriteList.txt", "PlayerStand.bmp\nPlayerRun.bmp\n");
}

// A session in a 40 x 8 room with the player standing on the floor.
void StartStanding(GameSession& session) {
  UseTestArt(session);
  session.WriteLevel(0, Room(40, 8, {{20, 6, 'S'}}));
  session.Start(0);
  session.Steps(10);  // warm-up, then the 2 px fall onto the floor
}

TEST(PlayerTest, AHitCostsItsFullAmountThenProtectsForOneSecond) {
  GameSession session;
  StartStanding(session);
  Player* player = session.game.player.get();
  ASSERT_NE(player, nullptr);
  ASSERT_EQ(player->health, 100);

  player->ChangeHealth(-10);
  const int hitTime = Clock::Now();
  EXPECT_EQ(player->health, 90);
  EXPECT_TRUE(player->invulnerable);

  session.Steps(25);  // 200 ms after the hit
  player->ChangeHealth(25);
  EXPECT_EQ(player->health, 90) << "a health pack inside the window must heal nothing";

  session.Steps(38);  // 504 ms after the hit
  player->ChangeHealth(-30);
  EXPECT_EQ(player->health, 90) << "a second hit 500 ms after the first must be lost";

  session.Steps(62);  // exactly 1000 ms after the hit: not yet past the window
  ASSERT_EQ(Clock::Now(), hitTime + 1000);
  EXPECT_TRUE(player->invulnerable) << "the window ends only once the clock is past it";
  session.Steps(1);
  EXPECT_FALSE(player->invulnerable) << "the window must end in the first step past 1000 ms";

  player->ChangeHealth(-10);
  EXPECT_EQ(player->health, 80) << "two hits more than a second apart must cost two";

  session.Steps(130);
  player->ChangeHealth(50);
  EXPECT_EQ(player->health, 100) << "healing is capped at 100";
  EXPECT_FALSE(player->invulnerable) << "healing must not start the window";
}

TEST(PlayerTest, AHitBelowZeroHealthKillsAndTheGameRemovesThePlayer) {
  GameSession session;
  StartStanding(session);
  Player* player = session.game.player.get();
  ASSERT_NE(player, nullptr);

  player->health = 5;
  player->ChangeHealth(-10);
  EXPECT_EQ(player->health, -5) << "the hit is taken in full, not stopped at 0";
  EXPECT_TRUE(player->dead);

  session.Steps(1);
  EXPECT_EQ(session.game.player, nullptr) << "the step that sees the flag must remove the player";
  EXPECT_EQ(session.playing, 1) << "game over keeps the level running";
}

TEST(PlayerTest, ShotsNeedTheWeaponAmmunitionAndTheDelayAndLeaveFromTheFront) {
  GameSession session;
  StartStanding(session);
  Player& player = *session.game.player;
  auto& bullets = session.game.bullets;
  const Sprite& frame = *player.CurrentFrame();

  // No sideways key yet: the player faces right, and so does its first shot.
  ASSERT_EQ(player.facing, 1);
  player.Shoot();
  ASSERT_EQ(bullets.size(), 1u) << "the first shot is allowed once the clock passed construction";
  EXPECT_EQ(bullets[0]->direction, 1);
  EXPECT_EQ(bullets[0]->x, std::floor(player.x + static_cast<float>(frame.width)))
      << "a right-facing shot starts at the player's right edge";
  EXPECT_EQ(bullets[0]->y, std::floor(player.y + 0.4f * static_cast<float>(frame.height)))
      << "a shot leaves at 40 % of the frame height";
  EXPECT_EQ(player.ammo, 9);

  player.Shoot();
  Clock::Advance(200);
  player.Shoot();
  EXPECT_EQ(bullets.size(), 1u) << "no second shot within 200 ms, 200 included";
  Clock::Advance(1);
  player.facing = 0;
  player.Shoot();
  ASSERT_EQ(bullets.size(), 2u) << "a shot is allowed 201 ms after the last";
  EXPECT_EQ(bullets[1]->direction, 0);
  EXPECT_EQ(bullets[1]->x, std::floor(player.x - 1.0f))
      << "a left-facing shot starts one pixel left of the player";

  Clock::Advance(201);
  player.weapon = 2;
  player.Shoot();
  EXPECT_EQ(bullets.size(), 2u) << "only weapon 1 shoots";
  player.weapon = 1;
  player.ammo = 0;
  player.Shoot();
  EXPECT_EQ(bullets.size(), 2u) << "no shot without ammunition";
  EXPECT_EQ(player.ammo, 0);

  player.ammo = 60;
  player.Shoot();
  EXPECT_EQ(bullets.size(), 3u);
  EXPECT_EQ(player.ammo, 50) << "ammunition is kept within 0 to 50 after a shot";
}

TEST(PlayerTest, TheHudSitsAtItsPlacesAndTheBarIsHealthPixelsWide) {
  GameSession session;
  StartStanding(session);
  Player& player = *session.game.player;
  HealthBar& bar = *player.healthBar;

  EXPECT_EQ(bar.goldTextX, 1152);
  EXPECT_EQ(bar.goldTextY, 36);
  EXPECT_EQ(bar.ammoTextX, 640);
  EXPECT_EQ(bar.ammoTextY, 72);

  session.Steps(1);
  Frame step;
  EXPECT_EQ(step.At(64, 36), Rgb(kBarColour)) << "the bar's top-left corner is at (64, 36)";
  EXPECT_EQ(step.At(163, 47), Rgb(kBarColour))
      << "at health 100 the bar is 100 px wide, whatever the bitmap's width";
  EXPECT_EQ(step.At(164, 36), Rgb(kBackgroundColour)) << "the background shows beyond the bar";
  EXPECT_EQ(step.At(63, 36), 0u);
  EXPECT_EQ(step.At(64, 35), 0u);
  EXPECT_TRUE(ShowsText(step, "0 gold", 24, 1152, 36));
  EXPECT_TRUE(ShowsText(step, "Ammo: 10 / 50", 24, 640, 72));

  harness::ClearWindow();
  bar.Draw(35);
  Frame hurt;
  EXPECT_EQ(hurt.At(98, 40), Rgb(kBarColour)) << "at health 35 the bar ends at x 98";
  EXPECT_EQ(hurt.At(99, 40), Rgb(kBackgroundColour));
  EXPECT_EQ(hurt.At(64 + kBackgroundWidth - 1, 40), Rgb(kBackgroundColour))
      << "the background keeps its full width";

  for (int health : {0, -5}) {
    harness::ClearWindow();
    bar.Draw(health);
    Frame empty;
    EXPECT_EQ(empty.At(64, 40), Rgb(kBackgroundColour)) << "health " << health;
    EXPECT_EQ(empty.At(63, 40), 0u) << "health " << health << ": nothing left of the bar";
  }
}

}  // namespace
