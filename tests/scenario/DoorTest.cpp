// The door in play: the player runs into it with enough gold, the level's
// records are stored, the next level is unlocked and started, and after the
// last level the menu shows again.

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "actors/Player.h"
#include "base/Rules.h"
#include "frontend/GameData.h"
#include "harness/GameHarness.h"
#include "harness/PlayLoop.h"
#include "harness/TestContent.h"
#include "level/Level.h"

namespace {
namespace fs = std::filesystem;
using harness::Cell;
using harness::GameSession;
using harness::Room;
using harness::WriteBitmap;
constexpr int kColumns = 42;
constexpr int kRows = 10;
constexpr int kFloorRow = kRows - 2;  // the row the player stands in
constexpr int kRunSteps = 600;        // enough to cross a short room
const char* const kSavePath = "Resources/Data/GameData.txt";

// The start, two coins and the door in one row: running right collects both
// coins (20 gold; the door asks for 10) and ends in the door.
std::string CorridorWithDoor() {
  return Room(kColumns, kRows,
              {{2, kFloorRow, 'S'}, {4, kFloorRow, 'C'}, {5, kFloorRow, 'C'}, {8, kFloorRow, 'D'}});
}

// A level whose start is at column startColumn, with nothing else in it.
std::string EmptyLevel(int startColumn) {
  return Room(kColumns, kRows, {{startColumn, kFloorRow, 'S'}});
}

void UseTestArt(GameSession& session) {
  const std::string assets = harness::UseOwnAssets(session.folder);
  WriteBitmap(assets + "/PlayerStand.bmp", 24, 30, SDL_Color{40, 200, 60, 255});
  WriteBitmap(assets + "/Wall.bmp", rules::kTileSize, rules::kTileSize,
              SDL_Color{120, 80, 40, 255});
  WriteBitmap(assets + "/Coin.bmp", 16, 16, SDL_Color{250, 200, 0, 255});
  WriteBitmap(assets + "/Door.bmp", rules::kTileSize, rules::kTileSize,
              SDL_Color{20, 40, 160, 255});
  WriteBitmap(assets + "/Health.bmp", 100, 12, SDL_Color{220, 30, 30, 255});
  WriteBitmap(assets + "/HealthBackground.bmp", 100, 12, SDL_Color{90, 90, 90, 255});
  session.folder.Write("Resources/Data/PlayerSpriteList.txt", "PlayerStand.bmp\n");
}

int Stored(const char* key) {
  int value = -1;
  ReadValue(key, value);
  return value;
}

// Holds Right until the running level number leaves from, or the steps run out.
void RunRightUntilTheLevelEnds(GameSession& session, int from) {
  session.Press(SDLK_RIGHT);
  for (int i = 0; i < kRunSteps && session.playing && session.menu.levelChoice == from; ++i) {
    session.Steps(1);
  }
  session.Release(SDLK_RIGHT);
}

struct DoorTest : testing::Test {
  GameSession session;
  void SetUp() override {
    UseTestArt(session);
    session.folder.Write(kSavePath, harness::FreshSave());
  }
};

TEST_F(DoorTest, FinishingLevel0StoresItsRecordsUnlocksLevel1AndStartsItAtOnce) {
  session.WriteLevel(0, CorridorWithDoor());
  session.WriteLevel(1, EmptyLevel(5));
  harness::Tap(session, SDLK_z);  // Start: the level select, at level 0
  Clock::Advance(40000);          // forty seconds there before the start
  harness::Tap(session, SDLK_z);
  ASSERT_NE(session.game.level, nullptr);
  RunRightUntilTheLevelEnds(session, 0);

  ASSERT_EQ(session.menu.levelChoice, 1) << "the door was never entered";
  EXPECT_EQ(session.playing, 1) << "play goes straight on in the next level";
  EXPECT_EQ(Stored("Level0 Score"), 20) << "both coins were held at the door";
  int time = Stored("Level0 Time");
  EXPECT_GE(time, 0);
  EXPECT_LE(time, 2) << "a few metres of running take about a second; the menu's time is not play";
  EXPECT_EQ(Stored("Level Reached"), 1);
  EXPECT_EQ(session.menu.levelReached, 1);
  EXPECT_EQ(Stored("Level1 Score"), 0) << "nothing stored for the level just started";
  EXPECT_EQ(Stored("Level1 Time"), 9999);

  ASSERT_NE(session.game.level, nullptr);
  ASSERT_NE(session.game.player, nullptr);
  EXPECT_EQ(session.game.player->health, 100) << "a fresh player";
  EXPECT_EQ(session.game.player->gold, 0);
  EXPECT_FLOAT_EQ(session.game.player->x, 5.0f * rules::kTileSize) << "at level 1's start";
  EXPECT_EQ(levelTime, 0.0) << "the level clock starts again";
  session.Steps(1);
  EXPECT_NEAR(deltaSeconds, 0.008, 1e-9) << "level 1's warm-up step measures from the door's step";
  EXPECT_NEAR(levelTime, 0.008, 1e-9);
}

TEST_F(DoorTest, BelowTheHighestLevelReachedNothingIsLoweredAndWorseRecordsStay) {
  // A value line with a leading blank reads as 5; rewriting it would drop the blank.
  std::string save = harness::FreshSave(" 5");
  const std::string oldRecords = "Level2 Score\n0\nLevel2 Time\n9999\n";
  save.replace(save.find(oldRecords), oldRecords.size(), "Level2 Score\n90\nLevel2 Time\n0\n");
  session.folder.Write(kSavePath, save);
  session.menu.levelReached = 5;
  session.WriteLevel(2, CorridorWithDoor());
  session.WriteLevel(3, EmptyLevel(5));
  session.Start(2);
  RunRightUntilTheLevelEnds(session, 2);

  ASSERT_EQ(session.menu.levelChoice, 3);
  EXPECT_EQ(session.menu.levelReached, 5);
  EXPECT_EQ(session.folder.Read(kSavePath), save)
      << "20 gold does not beat 90, no time beats 0, and Level Reached stays unwritten";
}

TEST_F(DoorTest, FinishingLevel9StoresItsRecordsAndReturnsToTheMenu) {
  session.folder.Write(kSavePath, harness::FreshSave("9"));
  session.menu.levelReached = 9;
  session.WriteLevel(9, CorridorWithDoor());
  fs::remove("Resources/Data/Level10.txt");
  session.Start(9);
  harness::CaptureStdout out;
  RunRightUntilTheLevelEnds(session, 9);

  EXPECT_EQ(session.playing, 0) << "the menu shows again";
  EXPECT_EQ(session.game.level, nullptr);
  EXPECT_EQ(session.game.player, nullptr);
  EXPECT_EQ(session.menu.levelChoice, 9);
  EXPECT_EQ(session.menu.levelReached, 9);
  EXPECT_EQ(Stored("Level9 Score"), 20);
  EXPECT_LT(Stored("Level9 Time"), 9999);
  EXPECT_EQ(Stored("Level Reached"), 9) << "there is no level 10 to unlock";
  EXPECT_EQ(out.Text().find("not started"), std::string::npos) << "no level 10 was tried";
}

TEST_F(DoorTest, WithTooLittleGoldTheDoorStaysShutAndSaysHowManyCoinsAreMissing) {
  // Three coins behind the door: the door asks for two, the player holds none.
  session.WriteLevel(0, Room(kColumns, kRows,
                             {{2, kFloorRow, 'S'},
                              {6, kFloorRow, 'D'},
                              {30, kFloorRow, 'C'},
                              {31, kFloorRow, 'C'},
                              {32, kFloorRow, 'C'}}));
  session.WriteLevel(1, EmptyLevel(5));
  session.Start(0);
  session.Press(SDLK_RIGHT);
  // Run until the player's corner is in the door's cell, and on through it.
  bool passedTheDoor = false;
  for (int i = 0; i < kRunSteps && !passedTheDoor; ++i) {
    session.Steps(1);
    passedTheDoor = session.game.player && session.game.player->x >= 8.0f * rules::kTileSize;
  }
  session.Release(SDLK_RIGHT);
  ASSERT_TRUE(passedTheDoor);
  EXPECT_EQ(session.menu.levelChoice, 0) << "the door stayed shut";
  EXPECT_EQ(session.folder.Read(kSavePath), harness::FreshSave()) << "nothing stored";

  // The message sits at the door's top-left corner on screen, in white.
  session.Steps(1);
  const Level& level = *session.game.level;
  int left = static_cast<int>(6.0f * rules::kTileSize - level.cameraX);
  int top = static_cast<int>(static_cast<float>(kFloorRow * rules::kTileSize) - level.cameraY);
  int white = 0;
  for (int y = top; y < top + 16; ++y) {
    for (int x = left; x < left + 160; ++x) {
      SDL_Color c = harness::PixelAt(x, y);
      if (c.r == 255 && c.g == 255 && c.b == 255) ++white;
    }
  }
  EXPECT_GT(white, 40) << "\"You need 2 coins to exit\" is drawn over the door";
}

// The records a finished run stores: only what beats the stored values.
TEST_F(DoorTest, OnlyABetterScoreOrABetterTimeIsWritten) {
  // Blanks before the stored values: a rewrite of a line would drop them.
  const std::string stored = "Level3 Score\n 20\nLevel3 Time\n 5\n";
  std::string save = harness::FreshSave();
  const std::string fresh = "Level3 Score\n0\nLevel3 Time\n9999\n";
  save.replace(save.find(fresh), fresh.size(), stored);
  session.WriteLevel(3, EmptyLevel(5));
  session.menu.levelChoice = 3;
  session.Start(3);
  ASSERT_NE(session.game.player, nullptr);

  struct Run {
    int gold;
    double seconds;
    const char* expected;  // the level's two records afterwards
    const char* what;
  };
  const Run runs[] = {
      {20, 5.9, "Level3 Score\n 20\nLevel3 Time\n 5\n", "equal score and time"},
      {10, 3.2, "Level3 Score\n 20\nLevel3 Time\n3\n", "less gold, better time"},
      {30, 7.0, "Level3 Score\n30\nLevel3 Time\n 5\n", "more gold, worse time"},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.what);
    session.folder.Write(kSavePath, save);
    session.game.player->gold = run.gold;
    levelTime = run.seconds;
    session.game.SaveResults();
    std::string want = save;
    want.replace(want.find(stored), stored.size(), run.expected);
    EXPECT_EQ(session.folder.Read(kSavePath), want);
  }
}

}  // namespace
