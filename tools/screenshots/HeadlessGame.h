#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "app/Input.h"
#include "frontend/Menu.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"

// The game's long-lived objects as the picture tools draw them: SDL's dummy
// video driver, a 1280x720 window with the software renderer, no audio, the
// manual clock. Run from a run folder, like the game.
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
  std::unique_ptr<TextRenderer> text;
  Input input;
  int playing = 0;
  std::unique_ptr<Game> game;
  std::unique_ptr<Menu> menu;
};
