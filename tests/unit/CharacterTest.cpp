// Character movement against the tile grid: standing, landing, jumping,
// platforms, ceilings, walls, push-out, leaving the level, health and the
// animation frames that give the collision box.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "actors/Enemy.h"
#include "actors/Player.h"
#include "base/Clock.h"
#include "base/Rules.h"
#include "game/FrameTimers.h"
#include "harness/GameHarness.h"
#include "harness/Harness.h"
#include "harness/TestContent.h"
#include "level/Level.h"

namespace {
const char* const kListPath = "Resources/Data/TestSpriteList.txt";

// A private run folder with a level grid and a sprite list of frames of the
// given sizes, used by both the test characters and the player.
struct World {
  explicit World(const std::vector<std::string>& grid,
                 const std::vector<std::pair<int, int>>& frameSizes = {{24, 30}}) {
    session.folder.CopyAssets();
    std::string list;
    for (size_t i = 0; i < frameSizes.size(); ++i) {
      std::string name = "TestFrame" + std::to_string(i) + ".bmp";
      harness::WriteBitmap("Resources/Assets/" + name, frameSizes[i].first, frameSizes[i].second,
                           SDL_Color{40, 160, 90, 255});
      list += name + "\n";
    }
    session.folder.Write(kListPath, list);
    session.folder.Write("Resources/Data/PlayerSpriteList.txt", list);
    std::string text;
    for (const std::string& row : grid) text += row + "\n";
    session.folder.Write("Resources/Data/Level0.txt", text);
    level = std::make_unique<Level>(harness::Window(), harness::Renderer(),
                                    "Resources/Data/Level0.txt", static_cast<int>(grid[0].size()),
                                    static_cast<int>(grid.size()), &session.game);
    level->gravity = rules::kGravity;
    deltaSeconds = rules::kStepSeconds;
  }

  // A walking body: an enemy with no target, so bounce 0.
  std::unique_ptr<Enemy> Body(float x, float y) {
    auto body = std::make_unique<Enemy>(harness::Renderer(), level.get(), kListPath, nullptr,
                                        nullptr, 0, 0);
    body->x = x;
    body->y = y;
    return body;
  }
  // The player, with its own bounce of 4.
  std::unique_ptr<Player> Runner(float x, float y) {
    auto player = std::make_unique<Player>(harness::Renderer(), level.get(), &session.input,
                                           &session.game, nullptr, 0, 0);
    player->x = x;
    player->y = y;
    return player;
  }

  harness::GameSession session;
  std::unique_ptr<Level> level;
};

float Bottom(const Character& c) { return c.y + static_cast<float>(c.CurrentFrame()->height); }

// Runs gravity steps until the character has rested for a while, or gives up.
void Settle(Character& c, int steps = 400) {
  for (int i = 0; i < steps && !c.dead; ++i) c.ApplyGravity();
}

const std::vector<std::string> kFloorRoom = {
    "WWWWWWWW",  //
    "W......W",  //
    "W......W",  //
    "W......W",  //
    "WWWWWWWW",  // the floor's top is at y 128
};

// A float tolerance for positions that went through sub-step rounding.
constexpr float kSlack = 1e-4f;

TEST(CharacterPhysics, StandsOnAWallRow) {
  World world(kFloorRoom);
  // Resting less than one pixel into the wall row, within one sub-step of
  // that pixel: where a fall that ends on the wall stops.
  auto body = world.Body(64.0f, 129.0f - 0.004f - 30.0f);
  const float restY = body->y;
  for (int i = 0; i < 200; ++i) {
    body->ApplyGravity();
    ASSERT_FLOAT_EQ(body->y, restY) << "standing still, step " << i;
    ASSERT_FLOAT_EQ(body->verticalSpeed, 0.0f) << "bounce 0 lands dead, step " << i;
  }
  body->Jump(350.0f);
  EXPECT_FLOAT_EQ(body->verticalSpeed, 350.0f) << "a standing character can jump";

  // A fall comes to rest with the bottom edge less than a pixel into the wall row.
  for (float startY : {60.0f, 71.3f, 35.0f}) {
    auto faller = world.Body(100.0f, startY);
    Settle(*faller);
    ASSERT_FALSE(faller->dead);
    EXPECT_GE(Bottom(*faller), 128.0f) << "fell from y " << startY;
    EXPECT_LT(Bottom(*faller), 129.0f) << "fell from y " << startY;
    const float landedY = faller->y;
    for (int i = 0; i < 50; ++i) faller->ApplyGravity();
    EXPECT_FLOAT_EQ(faller->y, landedY) << "fell from y " << startY << ": stays put";
  }

  // The player keeps a small rebound but still stands.
  auto player = world.Runner(100.0f, 60.0f);
  Settle(*player);
  for (int i = 0; i < 200; ++i) {
    player->ApplyGravity();
    ASSERT_GE(Bottom(*player), 128.0f) << "step " << i;
    ASSERT_LT(Bottom(*player), 129.0f) << "step " << i;
    ASSERT_GE(player->verticalSpeed, 0.0f) << "step " << i;
    ASSERT_LT(player->verticalSpeed, 1.0f) << "step " << i;
  }
  player->Jump(350.0f);
  EXPECT_FLOAT_EQ(player->verticalSpeed, 350.0f);

  // In mid-air a jump does nothing.
  auto falling = world.Body(150.0f, 40.0f);
  falling->verticalSpeed = -20.0f;
  falling->Jump(350.0f);
  EXPECT_FLOAT_EQ(falling->verticalSpeed, -20.0f);
}

TEST(CharacterPhysics, StandsOnAPlatformAndDropsThroughIt) {
  World world({
      "WWWWWWWW",  //
      "W......W",  //
      "W......W",  //
      "WPPPPPPW",  // platform row 3, top at y 96
      "W......W",  //
      "W......W",  //
      "WWWWWWWW",  // floor, top at y 192
  });
  auto body = world.Body(64.0f, 50.0f);
  Settle(*body);
  ASSERT_FALSE(body->dead);
  EXPECT_GE(Bottom(*body), 96.0f) << "on top: the bottom edge has just crossed into the row";
  EXPECT_LT(Bottom(*body), 96.0f + rules::kStepSeconds + kSlack)
      << "stopped at the first sub-step past 96";
  const float restY = body->y;
  for (int i = 0; i < 100; ++i) {
    body->ApplyGravity();
    ASSERT_FLOAT_EQ(body->y, restY) << "standing on the platform, step " << i;
  }
  body->Jump(350.0f);
  EXPECT_FLOAT_EQ(body->verticalSpeed, 350.0f) << "a platform carries a jump";

  body->verticalSpeed = 0.0f;
  body->MoveDown(1.0f, true);
  EXPECT_FLOAT_EQ(body->y, restY + 1.0f) << "one pixel down in a one-pixel step";
  body->Jump(350.0f);
  EXPECT_FLOAT_EQ(body->verticalSpeed, 0.0f) << "a pixel into the platform it no longer stands";
  body->ApplyGravity();
  EXPECT_GT(body->y, restY + 1.0f) << "no longer standing: it falls";
  Settle(*body);
  EXPECT_GE(Bottom(*body), 192.0f) << "fell through onto the floor";
  EXPECT_LT(Bottom(*body), 193.0f);

  // The player's bounce does not shake it off a platform.
  auto player = world.Runner(120.0f, 50.0f);
  Settle(*player);
  for (int i = 0; i < 200; ++i) {
    player->ApplyGravity();
    ASSERT_GE(Bottom(*player), 96.0f - 0.1f) << "step " << i;
    ASSERT_LT(Bottom(*player), 97.0f) << "step " << i;
  }
}

TEST(CharacterPhysics, RisingThroughAPlatform) {
  const std::vector<std::string> grid = {
      "WWWWWWWW",  //
      "W......W",  //
      "W......W",  //
      "W......W",  //
      "WPPPPPPW",  // platform row 4: y 128 to 159
      "W......W",  //
      "W......W",  //
      "WWWWWWWW",  // floor, top at y 224
  };
  World world(grid);
  struct Case {
    float impulse;
    bool landsOnPlatform;
  };
  for (Case c : {Case{350.0f, false}, Case{450.0f, true}}) {
    auto body = world.Body(64.0f, 224.0f - 30.0f);  // standing on the floor
    body->Jump(c.impulse);
    ASSERT_FLOAT_EQ(body->verticalSpeed, c.impulse);
    float highest = Bottom(*body);
    for (int i = 0; i < 400; ++i) {
      body->ApplyGravity();
      highest = std::min(highest, Bottom(*body));
    }
    if (c.landsOnPlatform) {
      EXPECT_LT(highest, 128.0f) << "impulse " << c.impulse << ": rose above the platform";
      EXPECT_GE(Bottom(*body), 128.0f) << "impulse " << c.impulse << ": landed on the platform";
      EXPECT_LT(Bottom(*body), 129.0f) << "impulse " << c.impulse;
    } else {
      EXPECT_GT(highest, 128.0f) << "impulse " << c.impulse << ": the peak stays in the row";
      EXPECT_LT(highest, 160.0f) << "impulse " << c.impulse << ": it did rise into the row";
      EXPECT_GE(Bottom(*body), 224.0f)
          << "impulse " << c.impulse << ": fell back through onto the floor";
      EXPECT_LT(Bottom(*body), 225.0f) << "impulse " << c.impulse;
    }
  }
}

TEST(CharacterPhysics, CeilingSendsItDownAtOnce) {
  World world({
      "WWWWWWWW",  //
      "WWWWWWWW",  // ceiling: its bottom is at y 63
      "W......W",  //
      "W......W",  //
      "WWWWWWWW",  // floor, top at y 128
  });
  auto body = world.Body(64.0f, 98.0f);  // standing, head 34 pixels below the ceiling
  body->Jump(350.0f);
  float speedBefore = body->verticalSpeed;
  float yBefore = body->y;
  int step = 0;
  for (; step < 100 && body->verticalSpeed > 0.0f; ++step) {
    speedBefore = body->verticalSpeed;
    yBefore = body->y;
    body->ApplyGravity();
  }
  ASSERT_LT(step, 100) << "never came down";
  EXPECT_FLOAT_EQ(body->verticalSpeed, -162.5f) << "a quarter of gravity, downward";
  EXPECT_GT(speedBefore, 200.0f) << "it was still rising fast when the ceiling stopped it";
  EXPECT_GE(yBefore, 64.0f - kSlack) << "the head stopped at the ceiling, not inside it";
  EXPECT_LT(yBefore, 64.0f + rules::kStepSeconds + kSlack)
      << "the head stopped touching the ceiling";
  EXPECT_NEAR(body->y - yBefore, 162.5 * rules::kStepSeconds, 0.01)
      << "one step at 162.5 px/s downward";
}

TEST(CharacterPhysics, LandingRebound) {
  World world(kFloorRoom);
  auto player = world.Runner(64.0f, 98.0f);  // bottom edge exactly on the floor's top
  ASSERT_FLOAT_EQ(player->bounce, 4.0f);

  player->verticalSpeed = -300.0f;
  player->ApplyGravity();
  EXPECT_NEAR(player->verticalSpeed, 4.0 * 0.008 * (300.0 + 650.0 * 0.008), 1e-3)
      << "just landed at 300 px/s";
  EXPECT_FLOAT_EQ(player->y, 98.0f) << "a landing step does not move";

  player->verticalSpeed = 0.0f;
  player->ApplyGravity();
  EXPECT_NEAR(player->verticalSpeed, 4.0 * 0.008 * 5.2, 1e-4) << "resting at dt 0.008";

  deltaSeconds = 0.0003;  // gravity * dt = 0.195
  player->verticalSpeed = 0.0f;
  player->ApplyGravity();
  EXPECT_FLOAT_EQ(player->verticalSpeed, 0.0f) << "a change of 0.2 or less settles to 0";

  deltaSeconds = 0.21 / 650.0;  // gravity * dt = 0.21
  player->verticalSpeed = 0.0f;
  player->ApplyGravity();
  EXPECT_NEAR(player->verticalSpeed, 4.0 * deltaSeconds * 0.21, 1e-6);
  EXPECT_GT(player->verticalSpeed, 0.0f);
}

TEST(CharacterPhysics, FallingOutOfTheBottom) {
  // Two frames: a 30-pixel one, and a 40-pixel one whose feet reach below
  // the grid before the character is counted out.
  World world(
      {
          "WWWWWW",  //
          "W....W",  //
          "W....W",  //
          "WW..WW",  // a gap in the bottom row, x 64 to 127
      },
      {{24, 30}, {24, 40}});
  const float lastRowTop = 3 * 32.0f;
  for (unsigned frame : {0u, 1u}) {
    auto body = world.Body(70.0f, 40.0f);
    body->frameIndex = frame;
    float previousY = body->y;
    int step = 0;
    for (; step < 500 && !body->dead; ++step) {
      ASSERT_LE(body->y / 32.0f, 3.0f) << "frame " << frame << ": still alive below the grid";
      previousY = body->y;
      body->ApplyGravity();
    }
    ASSERT_TRUE(body->dead) << "frame " << frame << ": never counted out";
    EXPECT_GT(body->y, lastRowTop) << "frame " << frame;
    EXPECT_LE(body->y, lastRowTop + static_cast<float>(rules::kStepSeconds) + kSlack)
        << "frame " << frame << ": counted out at the first sub-step past the last row";
    EXPECT_LE(previousY, lastRowTop) << "frame " << frame;
  }
}

TEST(CharacterPhysics, OutOfLevelTest) {
  World world(kFloorRoom);  // 8 columns (256 px), 5 rows
  struct Case {
    float x, y;
    bool dead;
  };
  const Case cases[] = {
      {-0.5f, 64.0f, true},   {0.0f, 64.0f, false},  {256.0f, 64.0f, false},
      {256.5f, 64.0f, true},  {64.0f, -0.5f, true},  {64.0f, 0.0f, false},
      {64.0f, 128.0f, false}, {64.0f, 128.5f, true}, {1e9f, 64.0f, true},
  };
  for (const Case& c : cases) {
    auto body = world.Body(c.x, c.y);
    body->Character::Update();
    EXPECT_EQ(body->dead, c.dead) << "at (" << c.x << ", " << c.y << ")";
  }
}

TEST(CharacterPhysics, HealthCapsAndDeath) {
  World world(kFloorRoom);
  struct Case {
    int health, delta, expected;
    bool dead;
  };
  const Case cases[] = {
      {80, 50, 100, false},  {30, -30, 0, true}, {0, 0, 0, true},
      {100, -10, 90, false}, {5, -10, -5, true}, {100, 0, 100, false},
  };
  for (const Case& c : cases) {
    auto body = world.Body(64.0f, 64.0f);
    body->health = c.health;
    body->ChangeHealth(c.delta);
    EXPECT_EQ(body->health, c.expected) << c.health << " + " << c.delta;
    EXPECT_EQ(body->dead, c.dead) << c.health << " + " << c.delta;
  }
}

TEST(CharacterPhysics, SidewaysMovesStopAtWalls) {
  World world({
      "WWWWWWWW",  //
      "W....W.W",  // walls at columns 0 and 5
      "W....W.W",  //
      "W......W",  //
      "WWWWWWWW",
  });
  // Left wall 0.3 pixels away, half a pixel to travel.
  auto body = world.Body(32.3f, 40.0f);
  body->leftSpeed = 0.5f;
  body->MoveLeft();
  EXPECT_GE(body->x, 32.0f) << "never inside the wall";
  EXPECT_LT(body->x, 32.0f + rules::kStepSeconds + kSlack) << "stopped touching the wall";
  const float stopped = body->x;
  body->MoveLeft();
  EXPECT_FLOAT_EQ(body->x, stopped) << "pressed against the wall it stays";

  // Right wall 0.3 pixels beyond the right edge (x + 23 = 159.7).
  auto other = world.Body(136.7f, 40.0f);
  other->rightSpeed = 0.5f;
  other->MoveRight();
  EXPECT_LT(other->x, 137.0f) << "the right edge stays out of column 5";
  EXPECT_GE(other->x, 137.0f - rules::kStepSeconds - kSlack) << "stopped touching the wall";

  // In the open a move covers its distance.
  auto roamer = world.Body(60.0f, 96.0f);  // row 3, clear of the floor
  roamer->rightSpeed = 2.0f;
  roamer->MoveRight();
  EXPECT_NEAR(roamer->x, 62.0f, 0.01f);
  roamer->leftSpeed = 0.0f;
  roamer->MoveLeft();
  EXPECT_NEAR(roamer->x, 62.0f, 0.01f) << "no speed, no move";
}

TEST(CharacterPhysics, SidewaysMovesIgnorePlatforms) {
  World world({
      "WWWWWWWWWW",  //
      "W........W",  //
      "W..PPPP..W",  // platforms at x 96 to 223
      "W........W",  //
      "WWWWWWWWWW",
  });
  auto body = world.Body(250.0f, 66.0f);  // level with the platform row
  body->leftSpeed = 20.0f;
  for (int i = 0; i < 8; ++i) {
    float before = body->x;
    body->MoveLeft();
    ASSERT_NEAR(body->x, before - 20.0f, 0.05f) << "move " << i << " from x " << before;
  }
  body->rightSpeed = 20.0f;
  for (int i = 0; i < 6; ++i) {
    float before = body->x;
    body->MoveRight();
    ASSERT_NEAR(body->x, before + 20.0f, 0.05f) << "move " << i << " from x " << before;
  }
}

TEST(CharacterPhysics, TranslatePushesOutOfWallsInWholePixels) {
  World world({
      "WWWWWWWW",  //
      "W....W.W",  // walls at columns 0 and 5
      "W....W.W",  //
      "W......W",  //
      "WWWWWWWW",  // floor, top at y 128
  });
  auto body = world.Body(36.5f, 40.0f);
  body->Translate(-10.0f, 0.0f);
  EXPECT_FLOAT_EQ(body->x, 32.5f) << "pushed right out of the left wall";

  body = world.Body(130.5f, 40.0f);
  body->Translate(10.0f, 0.0f);
  EXPECT_FLOAT_EQ(body->x, 136.5f) << "pushed left out of the wall at x 160";

  body = world.Body(64.0f, 40.0f);
  body->Translate(0.0f, -15.0f);
  EXPECT_FLOAT_EQ(body->y, 32.0f) << "pushed down out of the ceiling";

  body = world.Body(64.0f, 90.0f);
  body->Translate(0.0f, 10.0f);
  EXPECT_FLOAT_EQ(body->y, 98.0f) << "pushed up out of the floor";

  body = world.Body(64.0f, 40.0f);
  body->Translate(3.25f, 1.5f);
  EXPECT_FLOAT_EQ(body->x, 67.25f) << "in the open nothing pushes";
  EXPECT_FLOAT_EQ(body->y, 41.5f);
}

TEST(CharacterAnimation, FramesAdvanceAtMostEveryFrameDelay) {
  World world(kFloorRoom, {{24, 30}, {24, 30}, {24, 30}});
  // The list ends with a line feed: no empty extra frame. Write the same
  // three names without the last line feed as well.
  world.session.folder.Write("Resources/Data/NoFinalBreak.txt",
                             "TestFrame0.bmp\nTestFrame1.bmp\nTestFrame2.bmp");
  Enemy noBreak(harness::Renderer(), world.level.get(), "Resources/Data/NoFinalBreak.txt", nullptr,
                nullptr, 0, 0);
  EXPECT_EQ(noBreak.frames.size(), 3u) << "a last line without a line feed is a frame";

  auto body = world.Body(64.0f, 64.0f);
  ASSERT_EQ(body->frames.size(), 3u);
  EXPECT_EQ(body->frameIndex, 0u);
  Clock::UseManual(1000);
  std::vector<unsigned> shown;
  // Ask every 10 ms for 620 ms: a new frame only when the clock is past the
  // last change plus 100 ms.
  for (int t = 0; t <= 620; t += 10) {
    body->AdvanceFrame();
    shown.push_back(body->frameIndex);
    Clock::Advance(10);
  }
  // Changes at 1000 (past 0), then 1110, 1220, ... (past the last + 100).
  std::vector<unsigned> expected;
  for (int t = 0; t <= 620; t += 10) expected.push_back(static_cast<unsigned>((t / 110 + 1) % 3));
  EXPECT_EQ(shown, expected);

  // A long pause shows only the next frame, never skips.
  unsigned before = body->frameIndex;
  Clock::Advance(5000);
  body->AdvanceFrame();
  EXPECT_EQ(body->frameIndex, (before + 1) % 3);
}

TEST(CharacterAnimation, OneFrameStaysPut) {
  World world(kFloorRoom);
  auto body = world.Body(64.0f, 64.0f);
  ASSERT_EQ(body->frames.size(), 1u);
  Clock::UseManual(500);
  for (int i = 0; i < 20; ++i) {
    body->AdvanceFrame();
    ASSERT_EQ(body->frameIndex, 0u) << "advance " << i;
    Clock::Advance(150);
  }
}

TEST(CharacterAnimation, TheFrameShownIsTheCollisionBox) {
  World world(
      {
          "WWWWWWWW",  //
          "W....W.W",  // a wall at column 5, x 160
          "W....W.W",  //
          "W......W",  //
          "WWWWWWWW",
      },
      {{24, 30}, {40, 30}});
  auto body = world.Body(60.0f, 40.0f);
  body->rightSpeed = 200.0f;
  body->MoveRight();
  // Stopped with the right edge x + w - 1 on the last pixel before x 160.
  EXPECT_NEAR(body->x, 161.0f - 24.0f, 0.01f) << "the 24-pixel frame reaches the wall";

  Clock::UseManual(1000);
  body->AdvanceFrame();
  ASSERT_EQ(body->frameIndex, 1u);
  EXPECT_EQ(body->CurrentFrame()->width, 40);
  body->x = 60.0f;
  body->MoveRight();
  EXPECT_NEAR(body->x, 161.0f - 40.0f, 0.01f) << "the 40-pixel frame stops 16 pixels earlier";
}

}  // namespace
