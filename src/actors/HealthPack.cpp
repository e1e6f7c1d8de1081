#include "actors/HealthPack.h"

#include "actors/Player.h"

namespace {
constexpr int kMaxHealth = 100;
}

HealthPack::HealthPack(SDL_Renderer* renderer, Level* level, Player* player, int x, int y)
    : PickupItem(renderer, level, "Resources/Assets/HealthPack.bmp", player, x, y) {
  kind = 1;
}

void HealthPack::Update() {
  if (player->health >= kMaxHealth || !TouchesPlayer()) return;
  player->ChangeHealth(value);  // heals nothing while the player is invulnerable
  collected = true;
}
