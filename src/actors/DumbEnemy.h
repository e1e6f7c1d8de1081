#pragma once

#include "actors/Enemy.h"

// Patrols back and forth, turning at ledges, walls and at random every 4-7 s.
class DumbEnemy : public Enemy {
 public:
  DumbEnemy(SDL_Renderer* renderer, Level* level, Player* target, Audio* audio, int x, int y);

  void Update() override;

  float turnTimer = 0.0f;     // seconds since the last random choice
  float turnInterval = 4.0f;  // seconds until the next choice
};
