#pragma once

#include "actors/Enemy.h"

// Flies along a path through the grid towards a player within 600 px.
class BirdEnemy : public Enemy {
 public:
  BirdEnemy(SDL_Renderer* renderer, Level* level, Player* target, Audio* audio, int x, int y);

  void Update() override;
  // One flight step towards the next cell of the path to the target.
  void Hunt();
};
