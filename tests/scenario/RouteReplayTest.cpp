// Every shipped level can be finished by a person: its committed input route
// keeps a person's pace, and replayed on the real game from the shipped level
// file and sprite lists, as written and with every key change moved at random
// by a person's timing error, it reaches the door with enough gold from the
// level's own coins, and the door records the level's score and time.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

#include "PersonModel.h"
#include "PrivateRunFolder.h"
#include "Route.h"
#include "RouteRun.h"
#include "base/Rules.h"
#include "frontend/GameData.h"
#include "harness/GameHarness.h"
#include "harness/TestContent.h"

namespace {
namespace fs = std::filesystem;
using harness::GameSession;
constexpr int kNoRecord = -1;  // what a read leaves when the save lacks the key
// Replays with a person's timing error per level, beside the route as written;
// fewer under the sanitizers, where a replay takes several times as long.
#ifdef __SANITIZE_ADDRESS__
constexpr int kJitteredReplays = 1;
#else
constexpr int kJitteredReplays = 3;
#endif

std::string RoutePath(int level) {
  return std::string(ILSMARK_ROUTES_DIR) + "/Level" + std::to_string(level) + ".route";
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
         << static_cast<int>(outcome.last.x) / rules::kTileSize << ", "
         << static_cast<int>(outcome.last.y) / rules::kTileSize << "), health "
         << outcome.last.health;
  }
  text << ", holding " << outcome.last.gold << " gold of " << outcome.goldNeeded << " needed";
  return text.str();
}

// A level and how its route is played: 0 as written, n > 0 with every key
// change moved at random by up to a person's timing error (seed n).
using Replay = std::tuple<int, int>;
class RouteReplay : public ::testing::TestWithParam<Replay> {};

TEST_P(RouteReplay, ReachesTheDoorWithEnoughGold) {
  const auto [level, variant] = GetParam();
  Route route;
  std::string error;
  ASSERT_TRUE(ReadRoute(RoutePath(level), route, error)) << error;
  ASSERT_EQ(route.level, level) << RoutePath(level) << " is a route for another level";
  EXPECT_EQ(BreaksPersonModel(route), "")
      << RoutePath(level) << " is not played at a person's pace";
  if (variant > 0)
    route = Jittered(route, static_cast<unsigned>(variant), person::kTimingErrorSteps);

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

INSTANTIATE_TEST_SUITE_P(ShippedLevels, RouteReplay,
                         ::testing::Combine(::testing::Range(0, rules::kLevelCount),
                                            ::testing::Range(0, kJitteredReplays + 1)),
                         [](const ::testing::TestParamInfo<Replay>& info) {
                           const int variant = std::get<1>(info.param);
                           return "Level" + std::to_string(std::get<0>(info.param)) +
                                  (variant == 0 ? "" : "_Jittered" + std::to_string(variant));
                         });

}  // namespace
