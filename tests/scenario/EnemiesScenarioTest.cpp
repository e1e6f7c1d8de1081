// Play sessions with enemies and items: shooting them, their removal and
// drops, what they do after the player's death, pickup notices, the odds of
// spawning and a long run through a level with every cell code.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "actors/AttackCharge.h"
#include "actors/BirdEnemy.h"
#include "actors/Bullet.h"
#include "actors/Coin.h"
#include "actors/DumbEnemy.h"
#include "actors/HealthPack.h"
#include "actors/Stalker.h"
#include "base/Rules.h"
#include "harness/GameHarness.h"
#include "harness/Harness.h"

namespace {

void WriteBmp(const std::string& path, int width, int height) {
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
  ASSERT_NE(surface, nullptr) << SDL_GetError();
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 90, 120, 220));
  ASSERT_EQ(SDL_SaveBMP(surface, path.c_str()), 0) << SDL_GetError();
  SDL_FreeSurface(surface);
}

// A 40 x 6 hall: the player starts at (64, 128) and comes to rest on the
// floor (top at y 160); enemies of 32 x 32 stand at y 128.
const std::vector<std::string> kHall = {
    std::string(40, 'W'),
    "W" + std::string(38, '.') + "W",
    "W" + std::string(38, '.') + "W",
    "W" + std::string(38, '.') + "W",
    "W.S" + std::string(36, '.') + "W",
    std::string(40, 'W'),
};

std::string Join(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

// A session with bitmaps of known sizes: player 24 x 30, every enemy
// 32 x 32, items and tiles 32 x 32, bullets 8 x 4.
struct Play {
  explicit Play(const std::vector<std::string>& grid = kHall, unsigned seed = 1) : session(seed) {
    session.folder.CopyAssets();
    WriteBmp("Resources/Assets/TestPlayer.bmp", 24, 30);
    WriteBmp("Resources/Assets/TestEnemy.bmp", 32, 32);
    for (const char* name : {"Coin", "HealthPack", "AttackCharge", "Wall", "Platform", "Door"})
      WriteBmp(std::string("Resources/Assets/") + name + ".bmp", 32, 32);
    WriteBmp("Resources/Assets/Bullet.bmp", 8, 4);
    session.folder.Write("Resources/Data/PlayerSpriteList.txt", "TestPlayer.bmp\n");
    for (const char* list : {"DumbEnemy", "Stalker", "BirdEnemy"})
      session.folder.Write(std::string("Resources/Data/") + list + "SpriteList.txt",
                           "TestEnemy.bmp\n");
    session.WriteLevel(0, Join(grid));
    session.Start(0);
  }

  Game& game() { return session.game; }
  Level* level() { return session.game.level.get(); }
  Player* player() { return session.game.player.get(); }

  // Warm-up, then steps until the player has landed; enemies from the file
  // are cleared so that each test places its own.
  void Begin() {
    session.Steps(60);
    game().enemies.clear();
    game().pickups.clear();
  }

  template <typename Kind>
  Kind* Add(float x, float y) {
    auto enemy = std::make_unique<Kind>(harness::Renderer(), level(), player(), nullptr, 0, 0);
    enemy->x = x;
    enemy->y = y;
    Kind* raw = enemy.get();
    game().enemies.push_back(std::move(enemy));
    return raw;
  }

  // Holds X until the player has fired `shots` bullets, then lets go.
  void Fire(int shots) {
    const int target = player()->ammo - shots;
    session.Press(SDLK_x);
    for (int i = 0; i < 2000 && player()->ammo > target; ++i) session.Steps(1);
    session.Release(SDLK_x);
    ASSERT_EQ(player()->ammo, target) << "the shots were not fired";
  }

  // Runs steps until no bullet is left in flight.
  void WaitForBullets() {
    for (int i = 0; i < 1000 && !game().bullets.empty(); ++i) session.Steps(1);
    ASSERT_TRUE(game().bullets.empty()) << "a bullet is still flying";
  }

  harness::GameSession session;
};

TEST(EnemiesInPlay, TwoBulletsKillADumbEnemyFiveLeaveABirdAt10) {
  {
    Play play;
    ASSERT_TRUE(play.level() != nullptr);
    play.Begin();
    DumbEnemy* dumb = play.Add<DumbEnemy>(400.0f, 128.0f);
    play.Fire(1);
    play.WaitForBullets();
    ASSERT_EQ(play.game().enemies.size(), 1u);
    EXPECT_EQ(dumb->health, 10) << "one bullet takes 10";
    EXPECT_FALSE(dumb->dead);
    play.Fire(1);
    play.WaitForBullets();
    play.session.Steps(1);
    EXPECT_TRUE(play.game().enemies.empty()) << "two bullets kill a DumbEnemy";
    EXPECT_EQ(play.game().pickups.size(), 1u) << "it left a drop";
  }
  {
    Play play;
    play.Begin();
    // More than 600 pixels away the bird hangs still in the line of fire.
    BirdEnemy* bird = play.Add<BirdEnemy>(play.player()->x + 700.0f, 128.0f);
    play.Fire(5);
    play.WaitForBullets();
    play.session.Steps(1);
    ASSERT_EQ(play.game().enemies.size(), 1u) << "five bullets do not kill a bird";
    EXPECT_EQ(bird->health, 10);
    EXPECT_FALSE(bird->dead);
    EXPECT_TRUE(play.game().pickups.empty());
  }
}

TEST(EnemiesInPlay, ShotEnemyIsRemovedInTheNextStepAfterOneMoreUpdate) {
  Play play;
  play.Begin();
  // Walking right at 0.32 pixels per step; after the next step it stands at
  // x 191.8, in tile column 5, and one step later at 192.12, in column 6.
  DumbEnemy* dumb = play.Add<DumbEnemy>(191.48f, 128.0f);
  dumb->health = 10;
  dumb->turnInterval = 100.0f;
  play.game().AddBullet(std::make_unique<Bullet>(harness::Renderer(), play.level(), 1, 195, 140));

  play.session.Steps(1);  // the bullet pass kills it, after the enemy pass
  ASSERT_EQ(play.game().enemies.size(), 1u) << "still listed in the step it was shot";
  EXPECT_TRUE(dumb->dead);
  EXPECT_NEAR(dumb->x, 191.8f, 0.01f);
  EXPECT_TRUE(play.game().pickups.empty()) << "no drop yet";
  EXPECT_TRUE(play.game().bullets.empty()) << "the bullet ended on the hit";

  play.session.Steps(1);
  EXPECT_TRUE(play.game().enemies.empty()) << "removed in the next step";
  ASSERT_EQ(play.game().pickups.size(), 1u) << "with its drop";
  EXPECT_EQ(play.game().pickups[0]->x, 192)
      << "the drop lies where the enemy stood after its last update";
  EXPECT_EQ(play.game().pickups[0]->y, 128);
}

TEST(EnemiesInPlay, TwoEnemiesDyingInOneStepAreBothRemoved) {
  Play play;
  play.Begin();
  const float outside = 40 * 32 + 50;  // beyond the last column: they die in their update
  play.Add<DumbEnemy>(outside, 128.0f);
  play.Add<DumbEnemy>(outside, 64.0f);
  DumbEnemy* survivor = play.Add<DumbEnemy>(600.0f, 128.0f);
  ASSERT_FLOAT_EQ(survivor->turnTimer, 0.0f);

  play.session.Steps(1);
  ASSERT_EQ(play.game().enemies.size(), 1u) << "both dead enemies removed in the same pass";
  EXPECT_EQ(play.game().enemies[0].get(), survivor);
  EXPECT_NEAR(survivor->turnTimer, 0.008f, 1e-6f) << "the enemy after them updated exactly once";
  ASSERT_EQ(play.game().pickups.size(), 2u) << "both drops appear in that step";
  for (const auto& drop : play.game().pickups) {
    EXPECT_EQ(drop->x % 32, 0) << "a drop lies on a tile corner";
    EXPECT_GE(drop->x, 40 * 32);
  }
}

TEST(EnemiesInPlay, AfterThePlayersDeathNothingAttacksAndPursuersStop) {
  Play play;
  play.Begin();
  const float playerX = play.player()->x;
  Stalker* stalker = play.Add<Stalker>(playerX + 200.0f, 128.0f);
  BirdEnemy* bird = play.Add<BirdEnemy>(playerX + 300.0f, 64.0f);
  DumbEnemy* dumb = play.Add<DumbEnemy>(800.0f, 128.0f);

  play.session.Steps(10);
  EXPECT_LT(stalker->x, playerX + 200.0f) << "the stalker chases while the player lives";
  EXPECT_LT(bird->x, playerX + 300.0f) << "the bird hunts while the player lives";

  play.player()->ChangeHealth(-1000);
  play.session.Steps(1);
  ASSERT_TRUE(play.player() == nullptr) << "the death was noticed";
  for (const auto& enemy : play.game().enemies) EXPECT_TRUE(enemy->target == nullptr);

  const float stalkerX = stalker->x;
  const float birdX = bird->x;
  const float birdY = bird->y;
  const float dumbX = dumb->x;
  play.session.Steps(200);
  ASSERT_EQ(play.game().enemies.size(), 3u);
  EXPECT_FLOAT_EQ(stalker->x, stalkerX) << "the stalker stands still";
  EXPECT_FLOAT_EQ(bird->x, birdX) << "the bird hangs still";
  EXPECT_FLOAT_EQ(bird->y, birdY);
  EXPECT_NE(dumb->x, dumbX) << "the DumbEnemy goes on patrolling";
  EXPECT_TRUE(play.player() == nullptr);
  EXPECT_EQ(play.session.playing, 1) << "still in game over";
}

TEST(ItemsInPlay, TwoItemsInOneStepShowOnlyTheSecondNotice) {
  Play play;
  play.Begin();
  Player* player = play.player();
  const int x = static_cast<int>(player->x);
  const int y = static_cast<int>(player->y);
  play.game().pickups.push_back(
      std::make_unique<Coin>(harness::Renderer(), play.level(), player, x, y));
  play.game().pickups.push_back(
      std::make_unique<AttackCharge>(harness::Renderer(), play.level(), player, x, y));

  play.session.Steps(1);
  const int shownAt = Clock::Now();
  EXPECT_TRUE(play.game().pickups.empty()) << "both taken";
  EXPECT_EQ(player->gold, 10);
  EXPECT_EQ(player->ammo, 20);
  ASSERT_TRUE(play.session.text.notice != nullptr);
  EXPECT_EQ(play.session.text.notice->text, "Picked up an Attack Charge.");
  EXPECT_EQ(play.session.text.noticeExpiry, shownAt + 1000);

  play.session.Steps(125);  // exactly one second later
  ASSERT_TRUE(play.session.text.notice != nullptr) << "shown for a full second";
  EXPECT_EQ(play.session.text.notice->text, "Picked up an Attack Charge.");
  play.session.Steps(1);
  EXPECT_TRUE(play.session.text.notice == nullptr) << "gone once the second has passed";
}

TEST(ItemsInPlay, ItemsThatDoNotApplyStayAndAreTestedAgain) {
  Play play;
  play.Begin();
  Player* player = play.player();
  const int x = static_cast<int>(player->x);
  const int y = static_cast<int>(player->y);
  play.game().pickups.push_back(
      std::make_unique<HealthPack>(harness::Renderer(), play.level(), player, x, y));
  play.session.Steps(20);
  ASSERT_EQ(play.game().pickups.size(), 1u) << "a health pack at full health stays";
  player->health = 70;
  play.session.Steps(1);
  EXPECT_TRUE(play.game().pickups.empty()) << "taken as soon as it applies";
  EXPECT_EQ(player->health, 80);
  ASSERT_TRUE(play.session.text.notice != nullptr);
  EXPECT_EQ(play.session.text.notice->text, "Picked up a Health Pack.");
}

TEST(Spawning, EnemyKindsItemKindsAndDropsFollowTheirOdds) {
  Play play;
  play.Begin();
  Game& game = play.game();
  std::srand(2024);

  const int kEnemies = 3000;
  for (int i = 0; i < kEnemies; ++i) game.SpawnEnemy(320, 64);
  int dumb = 0, stalkers = 0, birds = 0;
  for (const auto& enemy : game.enemies) {
    if (dynamic_cast<DumbEnemy*>(enemy.get())) ++dumb;
    if (dynamic_cast<Stalker*>(enemy.get())) ++stalkers;
    if (dynamic_cast<BirdEnemy*>(enemy.get())) ++birds;
  }
  ASSERT_EQ(dumb + stalkers + birds, kEnemies);
  EXPECT_NEAR(dumb / double(kEnemies), 0.5, 0.04) << "DumbEnemy";
  EXPECT_NEAR(stalkers / double(kEnemies), 0.3, 0.04) << "Stalker";
  EXPECT_NEAR(birds / double(kEnemies), 0.2, 0.04) << "BirdEnemy";
  for (const auto& enemy : game.enemies) {
    EXPECT_FLOAT_EQ(enemy->x, 320.0f);
    EXPECT_EQ(enemy->target, play.player());
    if (dynamic_cast<BirdEnemy*>(enemy.get())) {
      EXPECT_EQ(enemy->health, 60);
      EXPECT_FLOAT_EQ(enemy->speed, 70.0f);
    }
  }
  game.enemies.clear();

  const int kItems = 3000;
  for (int i = 0; i < kItems; ++i) game.SpawnPickup(false, 320, 64);
  int packs = 0;
  for (const auto& item : game.pickups) {
    ASSERT_TRUE(item->kind == 1 || item->kind == 2) << "no coin unless asked for";
    if (item->kind == 1) ++packs;
  }
  EXPECT_NEAR(packs / double(kItems), 0.5, 0.04) << "health packs among items";
  game.pickups.clear();

  // Drops: many enemies dying in one step, far from the player.
  const int kDrops = 2000;
  for (int i = 0; i < kDrops; ++i) play.Add<DumbEnemy>(900.0f, 64.0f)->dead = true;
  play.session.Steps(1);
  ASSERT_TRUE(game.enemies.empty());
  ASSERT_EQ(game.pickups.size(), static_cast<size_t>(kDrops)) << "one drop per enemy";
  int counts[3] = {0, 0, 0};
  for (const auto& item : game.pickups) {
    ASSERT_GE(item->kind, 0);
    ASSERT_LE(item->kind, 2);
    ++counts[item->kind];
    EXPECT_EQ(item->x, 896) << "on the tile of the enemy's corner";
    EXPECT_EQ(item->y, 64);
  }
  EXPECT_NEAR(counts[0] / double(kDrops), 0.5, 0.04) << "coins among drops";
  EXPECT_NEAR(counts[1] / double(kDrops), 0.25, 0.04) << "health packs among drops";
  EXPECT_NEAR(counts[2] / double(kDrops), 0.25, 0.04) << "attack charges among drops";
}

TEST(LongPlay, EveryCellCodeThousandsOfStepsOfRunningJumpingShooting) {
  // Every code, lower-case codes, a digit, a blank, a short line (its row
  // is open on the right) and platforms to jump through.
  const std::vector<std::string> grid = {
      "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW",  //
      "W............................W",  //
      "W...C....E......I.....C......W",  //
      "W..PPPP.....PPPP....PPPP.....W",  //
      "W...........E..........E.....W",  //
      "W.S...E...C...w.e.3. ....I..DW",  //
      "W....PPP.......WW...PPP......W",  //
      "W..E......C..........E",          //
      "W.......WW.........W.........W",  //
      "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW",
  };
  Play play(grid, 7);
  for (int n = 1; n < rules::kLevelCount; ++n)
    play.session.WriteLevel(n, Join(grid));  // the door leads on
  ASSERT_TRUE(play.level() != nullptr);

  bool ran = false, jumped = false, shot = false;
  int restarts = 0;
  for (int i = 0; i < 4000; ++i) {
    if (play.session.playing == 0) {  // game over ran out: start again
      play.session.Start(0);
      ++restarts;
      ASSERT_EQ(play.session.playing, 1);
    }
    const int phase = (i / 400) % 4;
    if (i % 400 == 0) {
      play.session.Release(SDLK_LEFT);
      play.session.Release(SDLK_RIGHT);
      play.session.Release(SDLK_x);
      play.session.Press(phase % 2 == 0 ? SDLK_RIGHT : SDLK_LEFT);
      if (phase >= 2) play.session.Press(SDLK_x);
    }
    if (i % 37 == 0) play.session.Press(SDLK_z);
    if (i % 37 == 1) play.session.Release(SDLK_z);
    if (i % 53 == 0) play.session.Press(SDLK_DOWN);
    if (i % 53 == 1) play.session.Release(SDLK_DOWN);
    if (i == 2000) play.session.Press(SDLK_r);
    if (i == 2001) play.session.Release(SDLK_r);
    play.session.Steps(1);

    if (Player* p = play.player()) {
      if (p->x > play.level()->startX + 64.0f || p->x < play.level()->startX - 64.0f) ran = true;
      if (p->verticalSpeed > 100.0f) jumped = true;
      if (p->ammo < 10) shot = true;
      ASSERT_GE(p->health, -10);
      ASSERT_LE(p->health, 100);
    }
    if (play.level()) {
      for (const auto& enemy : play.game().enemies) ASSERT_FALSE(enemy->frames.empty());
    }
  }
  EXPECT_TRUE(ran) << "the arrow keys moved the player";
  EXPECT_TRUE(jumped) << "Z made the player jump";
  EXPECT_TRUE(shot) << "X fired";
  EXPECT_LE(restarts, 5);
}

}  // namespace
