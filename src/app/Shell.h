#pragma once

#include <SDL.h>

#include <memory>

#include "app/GameInstance.h"

// The process's spine: starts SDL, opens the window, builds the running game
// on it, runs the main loop and tears everything down in order.
class Shell {
 public:
  // Start-up: seeds rand(), starts SDL and SDL_ttf, opens the window and
  // renderer (printing and waiting for a key on failure), builds the game.
  Shell();
  // Teardown: the game (menu, game, audio, event holder, input, text), then
  // renderer and window.
  ~Shell();

  // Runs the loop until Escape or the menu's quit in menu mode.
  void Run();
  // One pass of the loop; false when the loop is to end.
  bool RunIteration();

  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  std::unique_ptr<GameInstance> instance;  // the running game, with sound when there is a device
};
