#include "actors/Coin.h"

#include "actors/Player.h"
#include "base/Rules.h"

Coin::Coin(SDL_Renderer* renderer, Level* level, Player* player, int x, int y)
    : PickupItem(renderer, level, "Resources/Assets/Coin.bmp", player, x, y) {
  kind = kCoinKind;
  value = rules::kGoldPerCoin;
}

void Coin::Update() {
  if (!TouchesPlayer()) return;
  player->gold += value;
  collected = true;
}
