#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Copies.h"
#include "Move.h"

class Judge;
class RouteRun;

// Where the player may stand at a choice, given how the moves before it may
// have come out: the leftmost and the rightmost of those places.
struct PlaceRange {
  float leftX = 0.0f, leftY = 0.0f;
  float rightX = 0.0f, rightY = 0.0f;

  // The one place where end came to rest.
  static PlaceRange At(const MoveEnd& end) { return {end.x, end.y, end.x, end.y}; }
  // Widens the range to take in where end came to rest.
  void Take(const MoveEnd& end);
};

// A move proposed from where the game stands: which move, the idle steps
// before its first key, and how it came out when played as planned.
struct Candidate {
  int move = -1;  // index into the moves
  int lead = 0;
  MoveEnd plan;
};

// Whether a person can repeat a move: it is tried, each try in a forked
// copy of the game as it stands, with its key changes moved within the
// timing error and from the far ends of where the moves before may have
// left the player, and every try must come out as the plan did.
class RepeatCheck {
 public:
  RepeatCheck(RouteRun& run, Judge& judge, const std::vector<Move>& moves, int timingError,
              int jobs);

  // Plays move in this process with timing, from start when given, and
  // tells where it ended.
  MoveEnd Try(const Move& move, const Timing& timing,
              const std::optional<std::pair<float, float>>& start);
  // Tries the candidate at the corners of the timing error, then as planned
  // from the ends of from, then with each key alone moved; true when every
  // try comes out as planned, with where they ended in reach and how much
  // later than planned the last came to rest. The likeliest to go wrong are
  // tried first. When refused, refusal says which try failed and how.
  bool Repeatable(const Candidate& candidate, const PlaceRange& from, PlaceRange& reach,
                  int& lateness, std::string& refusal);

 private:
  // Every key change moved by the whole error one way or the other, in each
  // combination (the longest and the shortest holds, the earliest and the
  // latest jumps), or a random sample of those for moves with many keys.
  std::vector<Timing> Corners(const Candidate& candidate) const;
  // Each key change alone moved by every amount within the error.
  std::vector<Timing> SingleShifts(const Candidate& candidate) const;

  RouteRun& run;
  Judge& judge;
  const std::vector<Move>& moves;
  int timingError;  // steps
  int jobs;
};
