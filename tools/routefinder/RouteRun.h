#pragma once

#include <vector>

#include "Route.h"

struct Input;
class PickupItem;
class Game;
class Menu;

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

// Plays one level on a real Game and Menu the way routes are recorded and
// replayed: a fixed srand seed, the manual clock from a fixed start, steps of
// exactly 8 ms, and key changes sent through Input as real key events.
class RouteRun {
 public:
  RouteRun(Game& game, Menu& menu, Input& input, int& playing);

  // Seeds rand, restarts the manual clock and the frame timers and starts level
  // as the level select does. False when the game refused the level.
  bool Start(int level, unsigned seed);
  // Sends a key press or release, read by the next step.
  void Send(RouteKey key, bool press);
  // Runs one 8 ms step (one Game::Update). No effect once Over().
  void Step();

  // Steps run since Start.
  int StepsRun() const { return steps; }
  // True once the player went through the door with enough gold.
  bool DoorEntered() const { return doorEntered; }
  // True once the level is no longer played: the door, or the end of game over.
  bool Over() const;
  // The player as it was before the latest step (the state the door saw).
  const PlayerView& LastPlayer() const { return last; }
  // Gold the door asks for in the started level: half its coins, rounded up, 10 gold each.
  int GoldNeeded() const { return goldNeeded; }
  // Gold from the level's own coins taken so far (enemy drops do not count).
  int PlacedGold() const;
  // The level's own coins still lying in the level.
  const std::vector<const PickupItem*>& PlacedCoins() const { return placedCoins; }

 private:
  PlayerView Look() const;
  // Counts the level's own coins that left the pickups in the latest step.
  void CountPlacedCoinsTaken();

  Game& game;
  Menu& menu;
  Input& input;
  int& playing;
  int level = 0;
  int steps = 0;
  int goldNeeded = 0;
  bool doorEntered = false;
  PlayerView last;
  std::vector<const PickupItem*> placedCoins;  // the level's own coins not yet taken
  int placedCoinsTaken = 0;
};

// What a whole replay came to.
struct RouteOutcome {
  bool started = false;      // the game accepted the level
  bool doorEntered = false;  // the level was left through the door
  int stepsRun = 0;
  int goldNeeded = 0;
  PlayerView last;  // the player before the final step run
};

// Replays route from its level's start: its events before their steps, until
// the door or route.steps steps.
RouteOutcome ReplayRoute(const Route& route, Game& game, Menu& menu, Input& input, int& playing);
