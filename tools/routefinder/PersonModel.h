#pragma once

#include <string>

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
constexpr int kTimingErrorSteps = 2;  // every key change may land 16 ms early or late
}  // namespace person

// Key changes per second over the whole route (its steps).
double EventsPerSecond(const Route& route);
// The most key changes that fall in any kWindowSteps consecutive steps.
int BusiestWindow(const Route& route);
// What in route a person could not play (a press or a pause too short, a key
// pressed twice or let go while up, too many changes), or empty when nothing.
std::string BreaksPersonModel(const Route& route);
// route with every key change moved by a random whole number of steps in
// -spread..spread (drawn from seed, not from the game's rand()), each key's
// presses and releases kept in their order, and room for the door to come
// later by what the moves add up to.
Route Jittered(const Route& route, unsigned seed, int spread);
