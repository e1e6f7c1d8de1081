#pragma once

#include <string>
#include <vector>

#include "Route.h"

class RouteRun;
class Touchdown;

// One key change of a move, counted in steps from the move's first key.
struct MoveKey {
  int at = 0;
  bool press = true;  // false: let go
  RouteKey key = RouteKey::Right;
};

// A move as a person makes it from a standstill: keys held for whole
// stretches (a walk is the arrow held and let go; a jump is a run-up, the
// jump key and the arrow held or let go in the air), then hands off until
// the player has come to rest.
struct Move {
  std::string name;           // for the log, e.g. "jump right run 10 hold 60"
  std::vector<MoveKey> keys;  // in step order; every key pressed is let go
  int idleSteps = 0;          // a wait: steps with no key at all
};

// Every move the route finder tries at a standstill. tap is how long a short
// press (a jump, a drop, a shot) lasts, in steps: long enough that it stays
// a press a hand makes when both its ends land early or late.
std::vector<Move> AllMoves(int tap);

// How one playing of a move departs from the plan: a lead-in of idle steps
// before the first key, each key change moved by its shift (positive: later).
struct Timing {
  int lead = 0;
  std::vector<int> shifts;  // one per key of the move, or empty for none
};

// Plays move on the run with timing, then lets the player come to rest.
// Returns the steps taken up to rest, or -1 when the player did not come to
// rest (or the level ended) within a few seconds. With flight, every step
// of the move is followed for where it first came down.
int PlayMove(RouteRun& run, const Move& move, const Timing& timing, Touchdown* flight = nullptr);
