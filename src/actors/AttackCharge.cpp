#include "actors/AttackCharge.h"

#include <algorithm>

#include "actors/Player.h"

namespace {
constexpr int kMaxAmmo = 50;
}

AttackCharge::AttackCharge(SDL_Renderer* renderer, Level* level, Player* player, int x, int y)
    : PickupItem(renderer, level, "Resources/Assets/AttackCharge.bmp", player, x, y) {
  kind = kAttackChargeKind;
}

void AttackCharge::Update() {
  if (player->ammo >= kMaxAmmo || !TouchesPlayer()) return;
  player->ammo = std::clamp(player->ammo + value, 0, kMaxAmmo);
  collected = true;
}
