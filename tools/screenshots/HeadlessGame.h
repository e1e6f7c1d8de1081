#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "app/GameInstance.h"

// A running game as the picture tools draw it: SDL's dummy video driver, a
// 1280x720 window with the software renderer, no audio, the manual clock.
// Run from a run folder, like the game.
class HeadlessGame {
 public:
  HeadlessGame();
  ~HeadlessGame();
  HeadlessGame(const HeadlessGame&) = delete;
  HeadlessGame& operator=(const HeadlessGame&) = delete;

  // Writes what the window shows now to a BMP at path; false when it cannot.
  bool SaveBmp(const std::string& path) const;

  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  std::unique_ptr<GameInstance> instance;
};
