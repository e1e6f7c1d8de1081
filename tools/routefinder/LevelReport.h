#pragma once

#include <string>
#include <vector>

#include "RouteFigures.h"

// One level's row of the level report: what its routes show, together.
struct LevelRow {
  int level = 0;
  int routes = 0;
  int finished = 0;                  // routes that reached the door with enough gold
  double seconds = 0.0;              // mean route time
  double keyChangesPerSecond = 0.0;  // mean
  int tolerance = -1;                // steps: the least any route survives; -1 when not measured
  double blackMedian = 0.0, blackMax = 0.0, topBlackMedian = 0.0;  // shares of frames
  double climbingShare = 0.0;                                      // of the summed route time
  int longestRun = 0;           // moves of one shape in a row, the most in any route
  int shots = 0;                // fired in all routes
  int ammoBeforeShooting = -1;  // shots held before the first one fired, the least in any route
  int fewestKills = 0;          // enemies killed by shots, in the route with the fewest
  int health = 0;               // at the door, the least in any route
  int gold = 0;                 // at the door, the least in any route
  int goldNeeded = 0;
  int unseenLandings = 0;  // in all routes
  int landingsNearEnemies = 0;
  double awayShare = 0.0;  // of arrow-key time, holding the arrow away from the door
  double climbingSeconds = 0.0, totalSeconds = 0.0;  // summed over the routes
};

// Puts a level's route figures together; tolerance is the least timing
// error its routes survive (-1 when not measured).
LevelRow Summarise(int level, const std::vector<RouteFigures>& figures, int tolerance);
// The report as a table: aligned text, or Markdown (a header, a rule and a
// row per level), with a last row for all levels together.
std::string FormatReport(const std::vector<LevelRow>& rows, bool markdown);
