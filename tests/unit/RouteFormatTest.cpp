// The route file's text form and the model of a person at the keyboard that
// every committed route must keep.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "PersonModel.h"
#include "Route.h"

namespace {

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
