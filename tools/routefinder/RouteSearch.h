#pragma once

#include <string>

#include "PersonModel.h"
#include "Route.h"

class GameInstance;

// A route found is replayed this many times with every key moved at random
// by a person's timing error (seeds 1 on), and must finish the level in all.
constexpr int kCheckedTimings = 20;

// Budget and choices of one search.
struct SearchOptions {
  int level = 0;
  unsigned seed = 1;       // srand seed the route is recorded under
  double seconds = 600.0;  // wall-time budget
  bool verbose = false;    // one line per place reached on stderr
  bool why = false;        // and one per move refused, saying which timing failed
  int jobs = 1;            // forked copies of the game run at once
  int timingError = person::kTimingErrorSteps;  // steps every key change may land early or late
};

// Searches a route through one level that a person can play, by playing the
// real game: at every point where the player stands still it tries each of a
// fixed set of moves made of held keys (walks, jumps with and without a
// run-up, drops, shots, waits), each in a forked copy of the running game,
// ranks them by their end state (alive, the level's own coins taken, closer
// to the next coin or the door on the level map, least health lost), and
// takes the best one that still ends in the same place with every key change
// moved by the timing error of a person, and from wherever the moves before
// may have left the player. It goes back to an earlier choice when it stops
// making progress. Returns true once the door was entered: route then ends
// with the step in which that happened. Otherwise route holds the keys up to
// where the search gave up, for a look at what stopped it.
bool SearchRoute(const SearchOptions& options, GameInstance& instance, Route& route);
