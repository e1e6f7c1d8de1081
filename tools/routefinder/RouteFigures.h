#pragma once

#include <string>
#include <vector>

#include "Route.h"

class GameInstance;

// One move of a route as a player would see it: from a standstill with every
// key up to the next one, with the keys it used.
struct RouteMove {
  std::string kind;                 // "walk", "jump", "drop" or "shot"
  std::string arrows;               // "left", "right", "both" or "none"
  int firstStep = 0;                // the step of its first key
  int restStep = 0;                 // the step at which the player stood still again
  int fromColumn = 0, fromRow = 0;  // the standing cells before and after
  int toColumn = 0, toRow = 0;
  bool landing = false;     // a jump or a drop that left the ground and came down
  bool landingSeen = true;  // where it first came down was on screen when the move began
  bool nearEnemy = false;   // that is within 4 tiles of an enemy's start cell

  // The kind, the arrows and where it went, in tiles: moves alike in all of
  // these are the same move made again.
  std::string Shape() const;
  // True when it ends two tiles or more above where it began.
  bool Climbs() const { return fromRow - toRow >= 2; }
};

// What one replay of a route showed.
struct RouteFigures {
  bool started = false;
  std::string enemyKinds;  // the world's enemies at the start, in level order: "beetle bird ..."
  bool finished = false;   // the door, with enough gold from the level's own coins
  int steps = 0;
  double keyChangesPerSecond = 0.0;
  // Shares of exactly black pixels in frames every half second of play, of
  // the whole window and of its top half (empty when frames were not asked for).
  std::vector<double> black, topBlack;
  std::vector<RouteMove> moves;
  int shots = 0;
  int ammoBeforeShooting = -1;  // shots held just before the first one was fired; -1: none fired
  int killsByShots = 0;
  int health = 0;  // at the door (or where the replay ended)
  int gold = 0;
  int goldNeeded = 0;
  int arrowSteps = 0;  // steps with an arrow held
  int awaySteps = 0;   // of those, steps holding the arrow that points away from the door

  double Seconds() const;
  double ClimbingSeconds() const;
  // The most moves in a row with the same shape.
  int LongestRun() const;
  int Landings() const;
  int UnseenLandings() const;
  int LandingsNearEnemies() const;
};

// Replays route on instance and measures it. With frames, the window's
// picture is read every half second of play, with the HUD drawn: the font
// is linked in for those steps only (frames then needs a run folder whose
// assets are links, fontPath the font to link).
RouteFigures MeasureRoute(const Route& route, GameInstance& instance, bool frames,
                          const std::string& fontPath = "");
