#pragma once

#include "actors/PickupItem.h"

// A attack charge adding up to 10 shots, left alone at the ammunition cap.
class AttackCharge : public PickupItem {
 public:
  AttackCharge(SDL_Renderer* renderer, Level* level, Player* player, int x, int y);

  void Update() override;
};
