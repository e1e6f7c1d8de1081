// Every shipped level can be finished: its committed input route, replayed on
// the real game from the shipped level file and sprite lists, reaches the
// door with enough gold, and the door records the level's score and time.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "Route.h"
#include "RouteRun.h"
#include "frontend/GameData.h"
#include "harness/GameHarness.h"

namespace {
namespace fs = std::filesystem;
using harness::GameSession;

constexpr int kLevelCount = 10;
constexpr int kTileSize = 32;  // pixels per tile side
constexpr int kNoRecord = -1;  // what a read leaves when the save lacks the key

std::string RoutePath(int level) {
  return std::string(ILSMARK_ROUTES_DIR) + "/Level" + std::to_string(level) + ".route";
}

// A save with every key and no records yet, so the door's writes show.
std::string FreshSave() {
  std::string text = "Music\n100\nFX\n100\nLevel Reached\n0\n";
  for (int level = 0; level < kLevelCount; ++level) {
    text += "Level" + std::to_string(level) + " Score\n" + std::to_string(kDefaultScore) + "\n";
    text += "Level" + std::to_string(level) + " Time\n" + std::to_string(kDefaultTime) + "\n";
  }
  return text;
}

// The game opens the font afresh for every line of text, which is most of
// what a step costs; what is drawn never changes what happens in a level, so
// routes replay with every asset but the font (the game reports each line it
// cannot draw, and the test captures that).
void LeaveOutFont(const harness::TempRunFolder& folder) {
  const fs::path assets = fs::path(folder.Path()) / "Resources/Assets";
  fs::remove(assets);  // the link to the shared assets, not what it points to
  fs::create_directory(assets);
  for (const auto& entry :
       fs::directory_iterator(fs::path(harness::RunDir()) / "Resources/Assets")) {
    if (entry.path().extension() != ".ttf")
      fs::create_symlink(entry.path(), assets / entry.path().filename());
  }
}

int Stored(const std::string& key) {
  int value = kNoRecord;
  ReadValue(key.c_str(), value);
  return value;
}

std::string Describe(const RouteOutcome& outcome, const Route& route) {
  std::ostringstream text;
  text << "after " << outcome.stepsRun << " of " << route.steps << " steps the player was ";
  if (!outcome.last.alive) {
    text << "dead";
  } else {
    text << "at (" << outcome.last.x << ", " << outcome.last.y << "), tile ("
         << static_cast<int>(outcome.last.x) / kTileSize << ", "
         << static_cast<int>(outcome.last.y) / kTileSize << "), health " << outcome.last.health;
  }
  text << ", holding " << outcome.last.gold << " gold of " << outcome.goldNeeded << " needed";
  return text.str();
}

class RouteReplay : public ::testing::TestWithParam<int> {};

TEST_P(RouteReplay, ReachesTheDoorWithEnoughGold) {
  const int level = GetParam();
  Route route;
  std::string error;
  ASSERT_TRUE(ReadRoute(RoutePath(level), route, error)) << error;
  ASSERT_EQ(route.level, level) << RoutePath(level) << " is a route for another level";

  GameSession session(route.seed);
  session.folder.Write("Resources/Data/GameData.txt", FreshSave());
  LeaveOutFont(session.folder);
  RouteOutcome outcome;
  {
    harness::CaptureStdout console;
    outcome = ReplayRoute(route, session.game, session.menu, session.input, session.playing);
  }
  ASSERT_TRUE(outcome.started) << "the game refused Level" << level << ".txt";

  EXPECT_TRUE(outcome.doorEntered)
      << "Level " << level << ": the route did not reach the door: " << Describe(outcome, route);
  // What the door stored: the gold held at the door (a coin taken in the
  // door's own step counts, so it may exceed the gold seen before that step)
  // and a time below the default.
  const std::string prefix = "Level" + std::to_string(level);
  const int score = Stored(prefix + " Score");
  EXPECT_GE(score, outcome.goldNeeded)
      << "the door recorded " << score << " gold: " << Describe(outcome, route);
  EXPECT_GE(score, outcome.last.gold) << "the door recorded less gold than the player held";
  EXPECT_LT(Stored(prefix + " Time"), kDefaultTime)
      << "the door did not record a time: " << Describe(outcome, route);
  if (level + 1 < kLevelCount) {
    EXPECT_EQ(Stored("Level Reached"), level + 1) << "the next level was not unlocked";
  }
}

INSTANTIATE_TEST_SUITE_P(ShippedLevels, RouteReplay, ::testing::Range(0, kLevelCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Level" + std::to_string(info.param);
                         });

// The reader refuses what it cannot trust, naming the line.
TEST(RouteFormat, ReadsItsOwnTextAndRefusesDamagedFiles) {
  Route route;
  route.level = 4;
  route.seed = 7;
  route.steps = 300;
  route.events = {{0, true, RouteKey::Right},
                  {120, true, RouteKey::Jump},
                  {121, false, RouteKey::Jump},
                  {299, false, RouteKey::Right}};
  Route back;
  std::string error;
  ASSERT_TRUE(ParseRoute(FormatRoute(route, "a test route"), back, error)) << error;
  EXPECT_EQ(back.level, 4);
  EXPECT_EQ(back.seed, 7u);
  EXPECT_EQ(back.steps, 300);
  ASSERT_EQ(back.events.size(), route.events.size());
  for (size_t i = 0; i < route.events.size(); ++i) {
    EXPECT_EQ(back.events[i].step, route.events[i].step) << "event " << i;
    EXPECT_EQ(back.events[i].press, route.events[i].press) << "event " << i;
    EXPECT_EQ(back.events[i].key, route.events[i].key) << "event " << i;
  }

  const std::string header = "level 1\nseed 1\nsteps 50\n";
  struct Damaged {
    std::string text;
    std::string line;  // the line the error must name
  };
  const Damaged damaged[] = {
      {header + "10 press jump\n", "line 4"},             // unknown key name
      {header + "10 hold z\n", "line 4"},                 // unknown action
      {header + "50 press z\n", "line 4"},                // at or past the step count
      {header + "-1 press z\n", "line 4"},                // before the start
      {header + "20 press z\n10 release z\n", "line 5"},  // out of order
      {header + "10 press z extra\n", "line 4"},
      {"level 1\n5 press z\n", "line 2"},         // event before the header
      {"level 12\nseed 1\nsteps 5\n", "line 1"},  // no such level
      {"level 1\nlevel 2\n", "line 2"},
      {"level 1\nseed 4294967296\n", "line 2"},  // beyond an unsigned seed
      {"level 1\nseed 1\nsteps 0\n", "line 3"},  // a route runs at least one step
      {header + "steps 60\n", "line 4"},
  };
  for (const Damaged& entry : damaged) {
    error.clear();
    EXPECT_FALSE(ParseRoute(entry.text, back, error)) << entry.text;
    EXPECT_NE(error.find(entry.line), std::string::npos) << entry.text << " gave: " << error;
  }
  EXPECT_FALSE(ParseRoute("level 1\nseed 1\n", back, error)) << "no step count";
  EXPECT_FALSE(ReadRoute("/nonexistent/Level0.route", back, error));
}

}  // namespace
