#include "actors/HealthPack.h"

#include "actors/Player.h"
#include "base/Rules.h"

namespace {}

HealthPack::HealthPack(SDL_Renderer* renderer, Level* level, Player* player, int x, int y)
    : PickupItem(renderer, level, "Resources/Assets/HealthPack.bmp", player, x, y) {
  kind = kHealthPackKind;
}

void HealthPack::Update() {
  if (player->health >= rules::kFullHealth || !TouchesPlayer()) return;
  player->ChangeHealth(value);  // heals nothing while the player is invulnerable
  collected = true;
}
