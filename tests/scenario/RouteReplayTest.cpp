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
#include "Route.h"
#include "RouteRun.h"
#include "base/Rules.h"
#include "frontend/GameData.h"
#include "harness/GameHarness.h"

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

// A save with every key and no records yet, so the door's writes show.
std::string FreshSave() {
  std::string text = "Music\n100\nFX\n100\nLevel Reached\n0\n";
  for (int level = 0; level < rules::kLevelCount; ++level) {
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
  session.folder.Write("Resources/Data/GameData.txt", FreshSave());
  LeaveOutFont(session.folder);
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

// The pace check refuses what a hand cannot do, and timing error never lets
// a key go before it was pressed.
TEST(PersonModel, RefusesWhatAHandCannotDoAndJitterKeepsEachKeyInOrder) {
  Route route;
  route.steps = 1000;
  route.events = {{10, true, RouteKey::Right}, {16, false, RouteKey::Right},
                  {22, true, RouteKey::Right}, {30, true, RouteKey::Jump},
                  {36, false, RouteKey::Jump}, {90, false, RouteKey::Right}};
  EXPECT_EQ(BreaksPersonModel(route), "");

  struct Fault {
    size_t event;
    int step;
    const char* why;
  };
  const Fault faults[] = {{1, 15, "a press of 5 steps"}, {2, 21, "a pause of 5 steps"}};
  for (const Fault& fault : faults) {
    Route broken = route;
    broken.events[fault.event].step = fault.step;
    EXPECT_NE(BreaksPersonModel(broken), "") << fault.why;
  }
  Route twice = route;
  twice.events[1].press = true;
  EXPECT_NE(BreaksPersonModel(twice), "") << "a key pressed while down";

  Route busy;  // 7 taps of 8 steps in a second: 14 changes
  busy.steps = 1000;
  for (int tap = 0; tap < 7; ++tap) {
    busy.events.push_back({tap * 16, true, RouteKey::Jump});
    busy.events.push_back({tap * 16 + 8, false, RouteKey::Jump});
  }
  EXPECT_EQ(BusiestWindow(busy), 14);
  EXPECT_NE(BreaksPersonModel(busy), "") << "14 changes in one second";
  busy.steps = 110;  // the same taps on a route of under a second: too many on average
  EXPECT_GT(EventsPerSecond(busy), person::kMaxEventsPerSecond);

  for (unsigned seed = 1; seed <= 50; ++seed) {
    const Route moved = Jittered(route, seed, 4);
    ASSERT_EQ(moved.events.size(), route.events.size());
    EXPECT_GT(moved.steps, route.steps) << "no room for a later door";
    std::map<RouteKey, int> lastStep;
    for (size_t i = 0; i < moved.events.size(); ++i) {
      const RouteEvent& event = moved.events[i];
      if (i > 0) {
        EXPECT_GE(event.step, moved.events[i - 1].step) << "out of step order";
      }
      auto previous = lastStep.find(event.key);
      if (previous != lastStep.end()) {
        EXPECT_GT(event.step, previous->second) << "a key's changes out of order, seed " << seed;
      }
      lastStep[event.key] = event.step;
    }
    int rightPresses = 0;
    for (const RouteEvent& event : moved.events) {
      if (event.key == RouteKey::Right && event.press) {
        EXPECT_LE(std::abs(event.step - (rightPresses == 0 ? 10 : 22)), 4) << "seed " << seed;
        ++rightPresses;
      }
    }
  }
}

}  // namespace
