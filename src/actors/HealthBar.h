#pragma once

#include <SDL.h>

#include <memory>

#include "gfx/Sprite.h"

class TextRenderer;
class Level;

// The player's health display at the top left, and the window places of the
// gold and ammunition lines. Laid out once from the window size.
class HealthBar {
 public:
  HealthBar(SDL_Renderer* renderer, TextRenderer* text, Level* level);

  // Draws the background, then the bar health pixels wide.
  void Draw(int health);

  SDL_Renderer* renderer = nullptr;  // not owned
  TextRenderer* text = nullptr;      // not owned
  std::unique_ptr<Sprite> bar;
  std::unique_ptr<Sprite> background;
  int goldTextX = 0;
  int goldTextY = 0;
  int ammoTextX = 0;
  int ammoTextY = 0;
};
