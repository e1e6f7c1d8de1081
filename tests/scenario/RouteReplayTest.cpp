// Every shipped level can be finished by a person: its committed input route
// keeps a person's pace, and replayed on the real game from the shipped level
// file and sprite lists, as written and with every key change moved at random
// by a person's timing error, it reaches the door with enough gold from the
// level's own coins, and the door records the level's score and time.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "LevelReport.h"
#include "PersonModel.h"
#include "PrivateRunFolder.h"
#include "Route.h"
#include "RouteFigures.h"
#include "RouteRun.h"
#include "base/Rules.h"
#include "frontend/GameData.h"
#include "harness/GameHarness.h"
#include "harness/TestContent.h"

namespace {
namespace fs = std::filesystem;
using harness::GameSession;
constexpr int kNoRecord = -1;  // what a read leaves when the save lacks the key
// Replays of every route with its level's timing error, beside the route as
// written; none under the sanitizers, where a replay takes several times as
// long and the timing says nothing about memory.
#ifdef __SANITIZE_ADDRESS__
constexpr int kJitteredReplays = 0;
#else
constexpr int kJitteredReplays = 1;
#endif

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
         << static_cast<int>(outcome.last.x) / rules::kTileSize << ", "
         << static_cast<int>(outcome.last.y) / rules::kTileSize << "), health "
         << outcome.last.health;
  }
  text << ", holding " << outcome.last.gold << " gold of " << outcome.goldNeeded << " needed";
  return text.str();
}

// A route file of a level and how it is played: 0 as written, n > 0 with
// every key change moved at random by up to the level's timing error (seed n).
struct Replay {
  int level;
  std::string path;
  int variant;
};

std::vector<Replay> AllReplays() {
  std::vector<Replay> replays;
  for (int level = 0; level < rules::kLevelCount; ++level) {
    for (const std::string& path : LevelRouteFiles(ILSMARK_ROUTES_DIR, level))
      for (int variant = 0; variant <= kJitteredReplays; ++variant)
        replays.push_back({level, path, variant});
  }
  return replays;
}

class RouteReplay : public ::testing::TestWithParam<Replay> {};

TEST(RouteFiles, EveryLevelHasARouteForThreeWorlds) {
  for (int level = 0; level < rules::kLevelCount; ++level) {
    const std::vector<std::string> files = LevelRouteFiles(ILSMARK_ROUTES_DIR, level);
    EXPECT_GE(files.size(), 3u) << "level " << level + 1;
  }
}

TEST_P(RouteReplay, ReachesTheDoorWithEnoughGold) {
  const Replay& replay = GetParam();
  const int level = replay.level;
  Route route;
  std::string error;
  ASSERT_TRUE(ReadRoute(replay.path, route, error)) << error;
  ASSERT_EQ(route.level, level) << replay.path << " is a route for another level";
  EXPECT_EQ(BreaksPersonModel(route), "") << replay.path << " is not played at a person's pace";
  if (replay.variant > 0)
    route = Jittered(route, static_cast<unsigned>(replay.variant),
                     person::kLevelTimingErrorSteps[level]);

  GameSession session(route.seed);
  session.folder.Write("Resources/Data/GameData.txt", harness::FreshSave());
  // Without the font, as the route tool replays (the console lines it
  // causes are captured).
  fs::remove(session.folder.Path() + "/Resources/Assets");  // the link, not what it points to
  LinkAssets(harness::RunDir() + "/Resources/Assets", session.folder.Path() + "/Resources/Assets",
             false);
  RouteOutcome outcome;
  {
    harness::CaptureStdout console;
    outcome = ReplayRoute(route, session.instance);
  }
  ASSERT_TRUE(outcome.started) << "the game refused Level" << level << ".txt";

  EXPECT_TRUE(outcome.doorEntered)
      << "Level " << level << ": the route did not reach the door: " << Describe(outcome, route);
  // Enemies drop coins at random: the route must not need them.
  EXPECT_GE(outcome.last.placedGold, outcome.goldNeeded)
      << "the level's own coins did not pay for the door: " << Describe(outcome, route);
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
  if (level + 1 < rules::kLevelCount) {
    EXPECT_EQ(Stored("Level Reached"), level + 1) << "the next level was not unlocked";
  }
}

INSTANTIATE_TEST_SUITE_P(ShippedLevels, RouteReplay, ::testing::ValuesIn(AllReplays()),
                         [](const ::testing::TestParamInfo<Replay>& info) {
                           std::string name = fs::path(info.param.path).stem().string();
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           const int variant = info.param.variant;
                           return name +
                                  (variant == 0 ? "" : "_Jittered" + std::to_string(variant));
                         });

}  // namespace

namespace {
// A 40 × 23 level of rock with one corridor three tiles high along the
// bottom: a block one tile high, a wall two tiles high further on, and an
// enemy sealed in a pocket of rock above the corridor.
std::vector<std::string> ReportLevel() {
  std::vector<std::string> lines(23, std::string(40, 'W'));
  for (int r = 19; r <= 21; ++r)
    for (int c = 1; c <= 38; ++c) lines[r][c] = '.';
  lines[21][2] = 'S';
  lines[21][8] = 'W';                   // the block
  lines[20][14] = lines[21][14] = 'W';  // the wall
  lines[17][12] = 'E';                  // sealed in rock over the corridor: it can never reach it
  lines[21][37] = 'D';
  return lines;
}
}  // namespace

// The level report's figures for one route on a made-up level, where walls
// decide where every move ends: a walk right into the block, a jump over it
// into the wall, a shot into that wall, a walk back left into the block.
TEST(LevelReport, FiguresOfAMadeUpLevel) {
  GameSession session(1);
  std::string text;
  for (const std::string& line : ReportLevel()) text += line + "\n";
  session.WriteLevel(0, text);
  Route route;
  route.level = 0;
  route.steps = 700;
  route.events = {{10, true, RouteKey::Right},  {110, false, RouteKey::Right},
                  {200, true, RouteKey::Jump},  {208, false, RouteKey::Jump},
                  {200, true, RouteKey::Right}, {300, false, RouteKey::Right},
                  {400, true, RouteKey::Shoot}, {408, false, RouteKey::Shoot},
                  {460, true, RouteKey::Left},  {580, false, RouteKey::Left}};
  std::stable_sort(route.events.begin(), route.events.end(),
                   [](const RouteEvent& a, const RouteEvent& b) { return a.step < b.step; });
  fs::remove(session.folder.Path() + "/Resources/Assets");  // the link, not what it points to
  LinkAssets(harness::RunDir() + "/Resources/Assets", session.folder.Path() + "/Resources/Assets",
             false);
  RouteFigures figures;
  {
    harness::CaptureStdout console;
    figures = MeasureRoute(route, session.instance, true,
                           harness::RunDir() + "/Resources/Assets/DejaVuSans.ttf");
  }
  ASSERT_TRUE(figures.started);
  EXPECT_FALSE(figures.finished) << "the route never reaches the door";
  EXPECT_EQ(figures.steps, 700);
  EXPECT_NEAR(figures.keyChangesPerSecond, 10 / 5.6, 1e-9);

  ASSERT_EQ(figures.moves.size(), 4u);
  const char* shapes[] = {"walk right +5 +0", "jump right +6 +0", "shot none +0 +0",
                          "walk left -4 +0"};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(figures.moves[i].Shape(), shapes[i]) << "move " << i;
  EXPECT_EQ(figures.LongestRun(), 1);
  EXPECT_EQ(figures.Landings(), 1) << "only the jump lands";
  EXPECT_EQ(figures.UnseenLandings(), 0) << "the whole corridor is on screen";
  EXPECT_EQ(figures.LandingsNearEnemies(), 1)
      << "the jump comes down a tile or two from the pocket";
  EXPECT_DOUBLE_EQ(figures.ClimbingSeconds(), 0.0);
  EXPECT_EQ(figures.shots, 1);
  EXPECT_EQ(figures.ammoBeforeShooting, 10) << "a level starts with ten shots";
  EXPECT_EQ(figures.killsByShots, 0);
  EXPECT_TRUE(figures.enemyKinds == "beetle" || figures.enemyKinds == "stalker" ||
              figures.enemyKinds == "bird")
      << "the one enemy's kind, not '" << figures.enemyKinds << "'";
  EXPECT_EQ(figures.health, rules::kFullHealth);
  // The arrows: 100 + 100 steps right, towards the door, then 120 left, away.
  EXPECT_EQ(figures.arrowSteps, 320);
  EXPECT_EQ(figures.awaySteps, 120);

  // A frame every half second: 700 steps hold 11. The window shows the whole
  // level; the corridor's air is all the black there is, and none of it is
  // in the top half.
  ASSERT_EQ(figures.black.size(), 11u);
  const double air = (3.0 * 38 - 3) * 32 * 32 / (1280.0 * 720);
  for (size_t i = 0; i < figures.black.size(); ++i) {
    EXPECT_NEAR(figures.black[i], air, 0.01) << "frame " << i;
    EXPECT_EQ(figures.topBlack[i], 0.0) << "frame " << i;
  }

  const LevelRow row = Summarise(0, {figures, figures}, 3);
  EXPECT_EQ(row.routes, 2);
  EXPECT_EQ(row.finished, 0);
  EXPECT_EQ(row.tolerance, 3);
  EXPECT_EQ(row.shots, 2);
  EXPECT_NEAR(row.blackMedian, air, 0.01);
  EXPECT_NEAR(row.awayShare, 120.0 / 320, 1e-9);
  const std::string table = FormatReport({row}, true);
  EXPECT_EQ(table.rfind("| level | routes | time s |", 0), 0u) << table;
  EXPECT_NE(table.find("| 1 | 0/2 | 5.6 |"), std::string::npos) << table;
}
