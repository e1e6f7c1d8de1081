#pragma once

#include <string>

#include "Route.h"

struct Input;
class Game;
class Menu;

// Budget and choices of one search.
struct SearchOptions {
  int level = 0;
  unsigned seed = 1;       // srand seed the route is recorded under
  double seconds = 600.0;  // wall-time budget
  bool verbose = false;    // one line per decision on stderr
};

// Searches a route through one level by playing the real game: at every
// point where the player stands still it tries each of a fixed set of short
// moves (walks, jumps with and without run-up, drops, shots, waits), each in
// a forked copy of the running game, keeps the move whose end state is best
// (alive, coins taken, closer to the next coin or the door on the level map,
// least health lost), and goes back to an earlier choice when it stops
// making progress. Returns true once the door was entered: route then ends
// with the step in which that happened. Otherwise route holds the keys up to
// where the search gave up, for a look at what stopped it.
bool SearchRoute(const SearchOptions& options, Game& game, Menu& menu, Input& input, int& playing,
                 Route& route);
