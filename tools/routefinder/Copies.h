#pragma once

#include <functional>
#include <vector>

// What one try of a move came to, as a forked copy of the game reports it.
struct MoveEnd {
  static constexpr double kLost = -1e12;
  double score = kLost;  // the judge's view of the end state, higher is better
  bool won = false;      // the door was entered
  bool alive = false;
  bool rested = false;  // standing still when the move was over
  float x = 0.0f;       // the player's top-left corner, level pixels
  float y = 0.0f;
  int health = 0;
  int placedGold = 0;  // gold from the level's own coins
  int column = -1;     // the standing cell under the middle of the feet
  int row = -1;
  int steps = 0;    // steps the move took up to rest
  int enemies = 0;  // enemies still alive in the level
  int landColumn = -1;  // where a jump or a drop first came down; -1 when it stayed on the ground
  int landRow = -1;
};

// Runs every trial in a forked copy of this process (the game exactly as it
// stands), at most jobs at a time, and returns what each reported, in order.
// Once accept turns a result down, the copies still running are stopped and
// no more are started; every result not reported reads as a default MoveEnd.
std::vector<MoveEnd> RunInCopies(const std::vector<std::function<MoveEnd()>>& trials, int jobs,
                                 const std::function<bool(const MoveEnd&)>& accept);
