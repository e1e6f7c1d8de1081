#pragma once

#include <SDL.h>

#include <string>
#include <vector>

// An input route: the key presses and releases that play one level from its
// start to the door, each at the number of the game step it comes before.
// Step 0 is the first Game::Update after the level start (the warm-up step);
// every step is exactly 8 ms of the manual clock. The text form:
//
//   # any comment line
//   level 3
//   seed 1
//   steps 2150
//   0 press right
//   140 press z
//   141 release z
//
// Keys: left, right, down, z (jump), x (shoot). Events are in step order.

// A key that a route may press: the run, drop, jump and shoot keys.
enum class RouteKey { Left, Right, Down, Jump, Shoot };

struct RouteEvent {
  int step = 0;       // sent before this game step, counted from 0
  bool press = true;  // false: release
  RouteKey key = RouteKey::Right;
};

struct Route {
  int level = 0;      // 0 to 9
  unsigned seed = 1;  // srand seed before the level is started
  int steps = 0;      // game steps the replay runs; the door comes by then
  std::vector<RouteEvent> events;
};

// Parses the text form into route; on a fault returns false with error naming the line.
bool ParseRoute(const std::string& text, Route& route, std::string& error);
// Reads and parses the route file at path; false with error when missing or malformed.
bool ReadRoute(const std::string& path, Route& route, std::string& error);
// The text form of route, with a comment line first.
std::string FormatRoute(const Route& route, const std::string& comment);
// Writes route to path in its text form; false when the file cannot be written.
bool WriteRoute(const std::string& path, const Route& route, const std::string& comment);

// The route files of level (0-9) in folder, sorted: LevelN.route and
// LevelN-<name>.route (a level has one route per random world tried).
std::vector<std::string> LevelRouteFiles(const std::string& folder, int level);

// The key's name in the text form ("left", "right", "down", "z", "x").
const char* RouteKeyName(RouteKey key);
// The SDL keycode the game reads for key.
SDL_Keycode RouteKeyCode(RouteKey key);
