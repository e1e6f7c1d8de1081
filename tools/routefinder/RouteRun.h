#pragma once

#include <functional>
#include <vector>

#include "Route.h"

class GameInstance;
class PickupItem;
class Player;

// Where the player stood before the latest step, and what it held.
struct PlayerView {
  bool alive = false;  // false once the player died (game over)
  float x = 0.0f;      // level pixels, top-left corner
  float y = 0.0f;
  int gold = 0;
  int placedGold = 0;  // of gold, what came from the level's own coins, not from enemy drops
  int health = 0;
  int ammo = 0;
};

// Plays one level on a running game the way routes are recorded and
// replayed: a fixed srand seed, the manual clock from a fixed start, steps of
// exactly 8 ms, and key changes sent through Input as real key events, each
// logged with the step it came before.
class RouteRun {
 public:
  // Called after every step of PlayEvents; false ends the playing there.
  using AfterStep = std::function<bool()>;

  explicit RouteRun(GameInstance& instance);

  // Seeds rand, restarts the manual clock and the frame timers and starts level
  // as the level select does, with every key up and the log empty. False when
  // the game refused the level.
  bool Start(int level, unsigned seed);
  // Presses or lets go of key, read by the next step and logged; no effect
  // when the key is already in that state.
  void Send(RouteKey key, bool press);
  // Runs one 8 ms step (one Game::Update). No effect once Over().
  void Step();
  // The one replay loop: sends each of events (in step order) from next on
  // before its step and runs steps until StepsRun() reaches until, the level
  // is over or afterStep (when given) returns false. next is left at the
  // first event not sent.
  void PlayEvents(const std::vector<RouteEvent>& events, size_t& next, int until,
                  const AfterStep& afterStep = nullptr);
  // Starts level afresh and plays keys (a log of an earlier run of it) up
  // to step, then sends the rest, so that the game is back where that run
  // stood then; the log then holds exactly keys.
  bool Rewind(int level, unsigned seed, int step, const std::vector<RouteEvent>& keys);

  // Steps run since Start.
  int StepsRun() const { return steps; }
  // True once the player went through the door with enough gold.
  bool DoorEntered() const { return doorEntered; }
  // True once the level is no longer played: the door, or the end of game over.
  bool Over() const;
  // True while the player lives.
  bool Alive() const;
  // True once the level is over or the player died.
  bool Finished() const { return Over() || !Alive(); }
  // The live player; only while Alive().
  const Player& Hero() const;
  // The player as it was before the latest step (the state the door saw).
  const PlayerView& LastPlayer() const { return last; }
  // Gold the door asks for in the started level.
  int GoldNeeded() const { return goldNeeded; }
  // Gold from the level's own coins taken so far (enemy drops do not count).
  int PlacedGold() const;
  // The level's own coins still lying in the level.
  const std::vector<const PickupItem*>& PlacedCoins() const { return placedCoins; }
  // True while key is held down.
  bool Held(RouteKey key) const { return held[static_cast<int>(key)]; }
  // Every key change sent since Start, at the step it came before.
  const std::vector<RouteEvent>& Log() const { return events; }

  GameInstance& instance;

 private:
  PlayerView Look() const;
  // Counts the level's own coins that left the pickups in the latest step.
  void CountPlacedCoinsTaken();

  int level = 0;
  int steps = 0;
  int goldNeeded = 0;
  bool doorEntered = false;
  PlayerView last;
  std::vector<const PickupItem*> placedCoins;  // the level's own coins not yet taken
  int placedCoinsTaken = 0;
  std::vector<RouteEvent> events;  // every change sent, at the step it came before
  bool held[5] = {};               // by RouteKey
};

// What a whole replay came to.
struct RouteOutcome {
  bool started = false;      // the game accepted the level
  bool doorEntered = false;  // the level was left through the door
  int stepsRun = 0;
  int goldNeeded = 0;
  PlayerView last;  // the player before the final step run
};

// What run has come to so far.
RouteOutcome OutcomeOf(const RouteRun& run);
// Replays route from its level's start: its events before their steps, until
// the door or route.steps steps; afterStep as for PlayEvents.
RouteOutcome ReplayRoute(const Route& route, GameInstance& instance,
                         const RouteRun::AfterStep& afterStep = nullptr);
// True when the outcome is the level finished: the door, entered with
// enough gold from the level's own coins.
bool Finished(const RouteOutcome& outcome);
