#pragma once

#include <SDL.h>

#include <memory>

#include "actors/Facing.h"
#include "gfx/Sprite.h"

class Level;

// A shot of the player: flies sideways at a fixed speed for at most five
// seconds. The game's bullet pass moves, tests, draws and removes it.
class Bullet {
 public:
  // direction is a Facing; (x, y) is the top-left corner in level pixels.
  Bullet(SDL_Renderer* renderer, Level* level, int direction, int x, int y);

  // Draws the bullet when it is in view.
  void Draw();

  std::unique_ptr<Sprite> sprite;
  Level* level = nullptr;  // not owned
  float x = 0.0f;
  float y = 0.0f;
  float speed = 400.0f;          // pixels per second
  int direction = kFacingRight;  // a Facing
  int fireTime = 0;              // Clock::Now() milliseconds
  int expiry = 0;                // Clock::Now() milliseconds
  int lifetime = 5000;           // milliseconds
  bool dead = false;
};
