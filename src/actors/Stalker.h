#pragma once

#include "actors/Enemy.h"

// Walks towards the player when the player is near and roughly level with it.
class Stalker : public Enemy {
 public:
  Stalker(SDL_Renderer* renderer, Level* level, Player* target, Audio* audio, int x, int y);

  void Update() override;
  // Faces and walks towards a target within 600 px across and 64 px up or down.
  void Chase();
};
