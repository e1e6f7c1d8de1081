// The enemies: the patrol walk and its turns, the stalker's sight window,
// the contact attack, the bird's strike and the overlap test.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "actors/BirdEnemy.h"
#include "actors/DumbEnemy.h"
#include "actors/Enemy.h"
#include "actors/Player.h"
#include "actors/Stalker.h"
#include "base/Clock.h"
#include "base/Rules.h"
#include "game/FrameTimers.h"
#include "harness/GameHarness.h"
#include "harness/Harness.h"
#include "harness/TestContent.h"
#include "level/Level.h"

namespace {
const char* const kEnemyList = "Resources/Data/TestEnemyList.txt";

// A private run folder with a built level, a 24 x 30 player and 32 x 32
// frames for every enemy kind.
struct Arena {
  explicit Arena(const std::vector<std::string>& grid) {
    session.folder.CopyAssets();
    harness::WriteBitmap("Resources/Assets/TestPlayer.bmp", 24, 30, SDL_Color{200, 60, 60, 255});
    harness::WriteBitmap("Resources/Assets/TestEnemy.bmp", 32, 32, SDL_Color{200, 60, 60, 255});
    session.folder.Write("Resources/Data/PlayerSpriteList.txt", "TestPlayer.bmp\n");
    for (const char* list : {"DumbEnemy", "Stalker", "BirdEnemy", "TestEnemy"})
      session.folder.Write(std::string("Resources/Data/") + list + "SpriteList.txt",
                           "TestEnemy.bmp\n");
    session.folder.Write(kEnemyList, "TestEnemy.bmp\n");
    std::string text;
    for (const std::string& row : grid) text += row + "\n";
    session.folder.Write("Resources/Data/Level0.txt", text);
    level = std::make_unique<Level>(harness::Window(), harness::Renderer(),
                                    "Resources/Data/Level0.txt", static_cast<int>(grid[0].size()),
                                    static_cast<int>(grid.size()), &session.game);
    level->Build();
    level->gravity = 650.0f;
    player = std::make_unique<Player>(harness::Renderer(), level.get(), &session.input,
                                      &session.game, nullptr, 0, 0);
    deltaSeconds = rules::kStepSeconds;
  }

  template <typename Kind>
  std::unique_ptr<Kind> Spawn(float x, float y, Player* target) {
    auto enemy = std::make_unique<Kind>(harness::Renderer(), level.get(), target, nullptr, 0, 0);
    enemy->x = x;
    enemy->y = y;
    return enemy;
  }

  harness::GameSession session;
  std::unique_ptr<Level> level;
  std::unique_ptr<Player> player;
};

// Wide enough that nothing reaches a wall in these tests; floor top at y 96.
std::vector<std::string> LongFloor(int columns) {
  return {std::string(columns, 'W'), "W" + std::string(columns - 2, '.') + "W",
          "W" + std::string(columns - 2, '.') + "W", std::string(columns, 'W')};
}

bool GroundAt(const Level& level, int x, int y) {
  return level.WallInColumn(x, y, 1) || level.PlatformInRow(x, 1, y);
}

TEST(EnemyStart, ValuesOfEachKind) {
  Arena arena(LongFloor(20));
  auto dumb = arena.Spawn<DumbEnemy>(64, 64, arena.player.get());
  auto stalker = arena.Spawn<Stalker>(64, 64, arena.player.get());
  auto bird = arena.Spawn<BirdEnemy>(64, 64, arena.player.get());
  struct Expected {
    Enemy* enemy;
    const char* name;
    int health;
    float speed;
  };
  for (const Expected& e : {Expected{dumb.get(), "DumbEnemy", 20, 40.0f},
                            Expected{stalker.get(), "Stalker", 30, 100.0f},
                            Expected{bird.get(), "BirdEnemy", 60, 70.0f}}) {
    EXPECT_EQ(e.enemy->health, e.health) << e.name;
    EXPECT_FLOAT_EQ(e.enemy->speed, e.speed) << e.name;
    EXPECT_EQ(e.enemy->damage, 10) << e.name;
    EXPECT_EQ(e.enemy->facing, 1) << e.name;
    EXPECT_FLOAT_EQ(e.enemy->leftSpeed, 0.0f) << e.name;
    EXPECT_FLOAT_EQ(e.enemy->rightSpeed, 0.0f) << e.name;
    EXPECT_FLOAT_EQ(e.enemy->acceleration, 0.0f) << e.name;
    EXPECT_FLOAT_EQ(e.enemy->deceleration, 0.0f) << e.name;
    EXPECT_FLOAT_EQ(e.enemy->maxSpeed, 0.0f) << e.name;
    EXPECT_FLOAT_EQ(e.enemy->verticalSpeed, 0.0f) << e.name;
    EXPECT_FLOAT_EQ(e.enemy->bounce, 0.0f) << e.name;
    EXPECT_FALSE(e.enemy->dead) << e.name;
    EXPECT_EQ(e.enemy->target, arena.player.get()) << e.name;
  }
  EXPECT_FLOAT_EQ(dumb->turnTimer, 0.0f);
  EXPECT_GE(dumb->turnInterval, 4.0f);
  EXPECT_LE(dumb->turnInterval, 7.0f);
  EXPECT_FLOAT_EQ(dumb->turnInterval, std::floor(dumb->turnInterval)) << "whole seconds";
  EXPECT_EQ(arena.player->facing, 1) << "the player starts facing right";
}

TEST(DumbEnemyWalk, TurnsAtTheFirstStepWithoutGroundAhead) {
  // Floor to x 159, then platforms to x 255, then a drop.
  Arena arena({
      "WWWWWWWWWWWW",  //
      "W..........W",  //
      "W..........W",  //
      "W..........W",  //
      "W..........W",  //
      "WWWWWPPP...W",  // top at y 160
      "W..........W",  //
      "WWWWWWWWWWWW",
  });
  auto enemy = arena.Spawn<DumbEnemy>(64.0f, 128.0f, nullptr);
  enemy->turnInterval = 100.0f;  // no random turn in this test
  const int w = enemy->CurrentFrame()->width;
  const int h = enemy->CurrentFrame()->height;
  int step = 0;
  for (; step < 1000 && enemy->facing == 1; ++step) {
    enemy->Update();
    int probeX = static_cast<int>(enemy->x) + w + 1;
    int probeY = static_cast<int>(enemy->y) + h + 5;
    if (enemy->facing == 1) {
      ASSERT_TRUE(GroundAt(*arena.level, probeX, probeY))
          << "step " << step << ": kept walking with no ground at (" << probeX << ", " << probeY
          << ")";
    } else {
      EXPECT_FALSE(GroundAt(*arena.level, probeX, probeY))
          << "step " << step << ": turned with ground ahead";
    }
  }
  ASSERT_EQ(enemy->facing, 0) << "never turned";
  // The platforms count as ground: the turn comes where they end, at the
  // first x with x + 33 past pixel 255.
  EXPECT_GE(enemy->x, 223.0f);
  EXPECT_LT(enemy->x, 223.0f + 40.0f * static_cast<float>(rules::kStepSeconds) + 0.01f);
  EXPECT_FLOAT_EQ(enemy->y, 128.0f) << "it never left the floor";

  // And back the other way, where the left wall turns it.
  const float turnedAt = enemy->x;
  enemy->Update();
  EXPECT_LT(enemy->x, turnedAt) << "walks left after the turn";
  for (step = 0; step < 2000 && enemy->facing == 0; ++step) enemy->Update();
  ASSERT_EQ(enemy->facing, 1) << "the left wall never turned it";
  EXPECT_GE(enemy->x, 32.0f) << "never inside the wall";
  EXPECT_LT(enemy->x, 33.0f) << "turned at the first step with the wall one pixel ahead";
}

TEST(DumbEnemyWalk, RandomTurnsComeEveryFourToSevenSeconds) {
  for (unsigned seed : {1u, 7u, 42u, 1234u}) {
    Arena arena(LongFloor(100));  // 3200 pixels: no wall within reach
    std::srand(seed);
    auto enemy = arena.Spawn<DumbEnemy>(1600.0f, 64.0f, nullptr);
    std::set<float> intervals{enemy->turnInterval};
    int lastChoice = 0;
    int choices = 0;
    for (int step = 1; step <= 3750; ++step) {  // 30 seconds
      const int facingBefore = enemy->facing;
      const float timerBefore = enemy->turnTimer;
      enemy->Update();
      const bool chose = enemy->turnTimer < timerBefore;
      if (chose) {
        ++choices;
        EXPECT_GE(step - lastChoice, 500)
            << "seed " << seed << ": a choice before 4 s, step " << step;
        EXPECT_LE(step - lastChoice, 876) << "seed " << seed << ": no choice for over 7 s";
        lastChoice = step;
        intervals.insert(enemy->turnInterval);
      } else {
        ASSERT_EQ(enemy->facing, facingBefore)
            << "seed " << seed << ": turned between choices at step " << step;
      }
      ASSERT_FLOAT_EQ(enemy->y, 64.0f) << "seed " << seed << ": left the floor";
    }
    EXPECT_GE(choices, 4) << "seed " << seed;
    for (float interval : intervals) {
      EXPECT_TRUE(interval == 4.0f || interval == 5.0f || interval == 6.0f || interval == 7.0f)
          << "seed " << seed << ": interval " << interval;
    }
  }
}

TEST(DumbEnemyWalk, RandomChoiceGoesRightSixTimesInTen) {
  Arena arena(LongFloor(100));
  std::srand(99);
  auto enemy = arena.Spawn<DumbEnemy>(1600.0f, 64.0f, nullptr);
  const int kChoices = 4000;
  int right = 0;
  std::set<float> intervals;
  for (int i = 0; i < kChoices; ++i) {
    enemy->turnTimer = 1000.0f;  // due now
    enemy->Update();
    if (enemy->facing == 1) ++right;
    intervals.insert(enemy->turnInterval);
  }
  EXPECT_NEAR(static_cast<double>(right) / kChoices, 0.6, 0.03);
  EXPECT_EQ(intervals, (std::set<float>{4.0f, 5.0f, 6.0f, 7.0f}));
}

TEST(StalkerChase, SightWindow) {
  Arena arena(LongFloor(60));  // floor top at y 96, 1920 pixels wide
  struct Case {
    float dx, dy;  // player position relative to the stalker
    int facing;    // expected: -1 stands still
  };
  const Case cases[] = {
      {100.0f, -70.0f, -1}, {100.0f, 70.0f, -1},  {-100.0f, -70.0f, -1},  //
      {599.0f, -63.0f, 1},  {-599.0f, -63.0f, 0}, {599.0f, 63.0f, 1},     //
      {300.0f, -64.0f, -1}, {600.0f, 0.0f, -1},   {-600.0f, 0.0f, -1},    //
      {40.0f, 0.0f, 1},     {-40.0f, 10.0f, 0},
  };
  for (const Case& c : cases) {
    const float startX = 900.0f;
    const float startY = 64.0f;
    auto stalker = arena.Spawn<Stalker>(startX, startY, arena.player.get());
    arena.player->x = startX + c.dx;
    arena.player->y = startY + c.dy;
    const float from = stalker->x;
    for (int i = 0; i < 10; ++i) stalker->Update();
    if (c.facing < 0) {
      EXPECT_FLOAT_EQ(stalker->x, from) << "player at (" << c.dx << ", " << c.dy << ")";
      EXPECT_EQ(stalker->facing, 1) << "player at (" << c.dx << ", " << c.dy << ")";
    } else {
      EXPECT_EQ(stalker->facing, c.facing) << "player at (" << c.dx << ", " << c.dy << ")";
      const float walked = c.facing == 1 ? stalker->x - from : from - stalker->x;
      EXPECT_NEAR(walked, 10 * 100.0f * rules::kStepSeconds, 0.01f)
          << "player at (" << c.dx << ", " << c.dy << "): ten steps at 100 px/s";
    }
    EXPECT_FLOAT_EQ(stalker->y, startY) << "it stays on the floor";
    EXPECT_EQ(arena.player->health, 100) << "no touch in this test";
  }
}

TEST(EnemyContact, KnockbackEveryStepDamageOncePerSecond) {
  Arena arena(LongFloor(30));  // floor top at y 96
  Player& player = *arena.player;
  player.x = 100.0f;
  player.y = 66.0f;  // standing
  Enemy enemy(harness::Renderer(), arena.level.get(), kEnemyList, &player, nullptr, 99, 64);
  auto step = [&] {
    Clock::Advance(rules::kStepMs);
    enemy.Update();
    player.Update();
  };

  // Overlapping: each touch throws the player twice the distance between
  // the left edges: 1, 3, 9, 27 pixels apart in turn.
  std::vector<float> positions;
  for (int i = 0; i < 6; ++i) {
    step();
    positions.push_back(player.x);
  }
  EXPECT_NEAR(positions[0], 102.0f, 0.01f);
  EXPECT_NEAR(positions[1], 108.0f, 0.01f);
  EXPECT_NEAR(positions[2], 126.0f, 0.01f);
  EXPECT_NEAR(positions[3], 180.0f, 0.01f) << "the last touch throws it clear";
  EXPECT_FLOAT_EQ(positions[4], positions[3]) << "out of reach: no more knockback";
  EXPECT_EQ(player.health, 90) << "four touches in a row cost one hit";

  // Back in contact half a second after the hit: thrown back, no damage.
  Clock::Advance(500 - 6 * rules::kStepMs);
  player.x = 100.0f;
  step();
  EXPECT_NEAR(player.x, 102.0f, 0.01f);
  EXPECT_EQ(player.health, 90) << "still invulnerable";

  // More than a second after the hit the next touch hurts again.
  Clock::Advance(600);
  player.Update();  // the window has closed
  ASSERT_FALSE(player.invulnerable);
  player.x = 100.0f;
  step();
  EXPECT_EQ(player.health, 80);
  EXPECT_TRUE(player.invulnerable);
}

TEST(EnemyContact, NoTargetNoAttack) {
  Arena arena(LongFloor(30));
  arena.player->x = 100.0f;
  arena.player->y = 66.0f;
  Enemy enemy(harness::Renderer(), arena.level.get(), kEnemyList, nullptr, nullptr, 99, 64);
  enemy.Update();
  EXPECT_FLOAT_EQ(arena.player->x, 100.0f);
  EXPECT_EQ(arena.player->health, 100);
}

TEST(BirdEnemyStrike, StrikesOnlyAPlayerToItsLeft) {
  const std::vector<std::string> room = {
      "WWWWWWWWWWWW",  //
      "W..........W",  //
      "W..........W",  //
      "W..........W",  //
      "W..........W",  //
      "W..........W",  //
      "WWWWWWWWWWWW",
  };
  // The bird in cell (5, 3); the player in the next cell, not touching it.
  {
    Arena arena(room);
    arena.player->x = 130.0f;  // cell (4, 3), its right edge 153
    arena.player->y = 100.0f;
    auto bird = arena.Spawn<BirdEnemy>(160.0f, 96.0f, arena.player.get());
    bird->Update();
    EXPECT_LT(bird->x, 160.0f) << "flies towards the player's cell";
    EXPECT_FLOAT_EQ(bird->y, 96.0f) << "already level with the cell's top";
    EXPECT_EQ(arena.player->health, 90) << "a player to the left is struck";
    const float dx = 130.0f - bird->x;
    EXPECT_NEAR(arena.player->x, 130.0f + 0.25f * dx, 0.01f) << "nudged by a quarter of dx";
  }
  {
    Arena arena(room);
    arena.player->x = 200.0f;  // cell (6, 3), clear of the bird's box
    arena.player->y = 100.0f;
    auto bird = arena.Spawn<BirdEnemy>(160.0f, 96.0f, arena.player.get());
    bird->Update();
    EXPECT_GT(bird->x, 160.0f) << "flies towards the player's cell";
    EXPECT_EQ(arena.player->health, 100) << "a player to the right is not struck";
    EXPECT_FLOAT_EQ(arena.player->x, 200.0f);
  }
  {
    Arena arena(room);
    arena.player->x = 130.0f;
    arena.player->y = 100.0f;
    auto bird = arena.Spawn<BirdEnemy>(160.0f, 96.0f, nullptr);
    bird->Update();
    EXPECT_FLOAT_EQ(bird->x, 160.0f) << "no target: it hangs still";
    EXPECT_EQ(arena.player->health, 100);
  }
}

TEST(BirdEnemyStrike, FliesOnlyWithin600Pixels) {
  Arena arena(LongFloor(60));
  arena.player->x = 100.0f;
  arena.player->y = 40.0f;
  auto far = arena.Spawn<BirdEnemy>(700.0f, 40.0f, arena.player.get());
  far->Update();
  EXPECT_FLOAT_EQ(far->x, 700.0f) << "600 pixels away it hangs still";
  auto near = arena.Spawn<BirdEnemy>(699.0f, 40.0f, arena.player.get());
  near->Update();
  EXPECT_LT(near->x, 699.0f) << "599 pixels away it flies";
}

TEST(EnemyOverlap, EdgesCount) {
  Arena arena(LongFloor(20));
  Enemy enemy(harness::Renderer(), arena.level.get(), kEnemyList, nullptr, nullptr, 100, 100);
  // The enemy covers x 100..131 and y 100..131; the box arguments are the
  // other box's width and height minus one.
  struct Case {
    float x, y;
    int w, h;
    bool overlaps;
  };
  const Case cases[] = {
      {131.0f, 110.0f, 9, 9, true},   {132.0f, 110.0f, 9, 9, false},   // right edge
      {90.0f, 110.0f, 10, 10, true},  {89.0f, 110.0f, 10, 10, false},  // left edge
      {110.0f, 131.0f, 9, 9, true},   {110.0f, 132.0f, 9, 9, false},   // bottom edge
      {110.0f, 90.0f, 9, 10, true},   {110.0f, 89.0f, 9, 10, false},   // top edge
      {131.9f, 110.0f, 9, 9, true},   {89.5f, 110.0f, 10, 10, false},  // truncation
      {90.5f, 110.0f, 10, 10, true},  {131.0f, 131.0f, 0, 0, true},    // a single pixel
      {50.0f, 50.0f, 200, 200, true},                                  // encloses it
  };
  for (const Case& c : cases) {
    EXPECT_EQ(enemy.Overlaps(c.x, c.y, c.w, c.h), c.overlaps)
        << "box at (" << c.x << ", " << c.y << ") size-1 " << c.w << " x " << c.h;
  }
  enemy.x = 100.7f;  // still covers 100..131
  EXPECT_TRUE(enemy.Overlaps(131.0f, 110.0f, 9, 9));
  EXPECT_FALSE(enemy.Overlaps(132.0f, 110.0f, 9, 9));
}

}  // namespace
