#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "Route.h"
#include "base/Rules.h"

// A person at the keyboard, as every committed route must play: no key
// pressed or let go faster than a hand does, no more key changes than a
// hand makes, and every change allowed to land a little early or late.
namespace person {
constexpr int kMinHoldSteps = 6;             // a key stays down at least 48 ms
constexpr int kMinGapSteps = 6;              // and up at least 48 ms before it is pressed again
constexpr double kMaxEventsPerSecond = 6.0;  // presses plus releases, on average over a route
constexpr int kWindowSteps = rules::kStepsPerSecond;  // one second of game steps
constexpr int kMaxEventsPerWindow = 12;               // presses plus releases in any one second
constexpr int kTimingErrorSteps = 2;  // the least error any level allows: 16 ms early or late
// The timing error each level's routes must survive, in steps: generous on
// the first levels, tighter as the game goes on.
constexpr int kLevelTimingErrorSteps[] = {4, 4, 3, 3, 3, 3, 2, 2, 2, 2};
}  // namespace person

// A person's pace, fed key changes in step order: a key stays down and up
// long enough, no more changes fall in one second than a hand makes, and no
// more on average. The route check and the route search both ask it.
class Pace {
 public:
  // Takes the next key change (its step no earlier than the last one's);
  // the rule it breaks, or empty.
  std::string Add(const RouteEvent& event);
  // The average-rate rule over a route of steps steps; empty when kept.
  std::string AverageFault(int steps) const;
  // Key changes taken so far.
  int Count() const { return count; }

 private:
  struct KeyState {
    bool down = false;
    int since = -person::kMinGapSteps;  // step of the key's last change
  };
  std::map<RouteKey, KeyState> keys;
  std::deque<int> window;  // steps of the changes in the last kWindowSteps steps
  int count = 0;
};

// Key changes per second over the whole route (its steps).
double EventsPerSecond(const Route& route);
// The most key changes that fall in any kWindowSteps consecutive steps.
int BusiestWindow(const Route& route);
// What in route a person could not play (a press or a pause too short, a key
// pressed twice or let go while up, too many changes), or empty when nothing.
std::string BreaksPersonModel(const Route& route);
// route with every key change moved by a random whole number of steps in
// -error..error (drawn from seed, not from the game's rand()), each key's
// presses and releases kept in their order, and room for the door to come
// later by what the moves add up to.
Route Jittered(const Route& route, unsigned seed, int error);
