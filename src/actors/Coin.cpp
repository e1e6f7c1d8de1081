#include "actors/Coin.h"

#include "actors/Player.h"

Coin::Coin(SDL_Renderer* renderer, Level* level, Player* player, int x, int y)
    : PickupItem(renderer, level, "Resources/Assets/Coin.bmp", player, x, y) {
  kind = 0;
}

void Coin::Update() {
  if (!TouchesPlayer()) return;
  player->gold += value;
  collected = true;
}
