#pragma once

#include <vector>

#include "Route.h"
#include "RouteRun.h"

class Game;
class Player;

// The running game as the route finder plays it: a RouteRun with a log of
// every key change it was sent and the keys held now.
class Driver {
 public:
  Driver(Game& game, Menu& menu, Input& input, int& playing);

  // Starts level afresh with seed, the log emptied; false when refused.
  bool Start(int level, unsigned seed);
  // Presses (down) or lets go of key, logged at the next step; no effect when
  // the key is already in that state.
  void Set(RouteKey key, bool down);
  void Step() { run.Step(); }
  // True once the level is over or the player died.
  bool Finished() const;
  bool Alive() const;
  // The live player; only while Alive().
  const Player& Hero() const;
  // Plays the logged changes again from the level start up to step, with
  // the first eventCount changes of the log, so that the game is back where it
  // stood then.
  bool Rewind(int level, unsigned seed, int step, size_t eventCount);

  Game& game;
  RouteRun run;
  std::vector<RouteEvent> events;  // every change sent, at the step it came before

 private:
  bool held[5] = {};  // by RouteKey
};
