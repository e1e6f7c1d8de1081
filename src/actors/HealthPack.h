#pragma once

#include "actors/PickupItem.h"

// A health pack restoring up to 10 health, left alone at full health.
class HealthPack : public PickupItem {
 public:
  HealthPack(SDL_Renderer* renderer, Level* level, Player* player, int x, int y);

  void Update() override;
};
