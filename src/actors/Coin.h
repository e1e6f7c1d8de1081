#pragma once

#include "actors/PickupItem.h"

// A coin worth 10 gold, always taken.
class Coin : public PickupItem {
 public:
  Coin(SDL_Renderer* renderer, Level* level, Player* player, int x, int y);

  void Update() override;
};
