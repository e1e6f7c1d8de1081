#include "actors/PickupItem.h"

#include "actors/Player.h"
#include "level/Level.h"

PickupItem::PickupItem(SDL_Renderer* renderer, Level* level, const std::string& bitmapPath,
                       Player* player, int x, int y)
    : renderer(renderer),
      level(level),
      player(player),
      sprite(std::make_unique<Sprite>(renderer, bitmapPath)),
      x(x),
      y(y) {}

void PickupItem::Draw() {
  if (!level->InView(x, y, sprite->width, sprite->height)) return;
  sprite->Draw(static_cast<int>(static_cast<float>(x) - level->cameraX),
               static_cast<int>(static_cast<float>(y) - level->cameraY));
}

bool PickupItem::TouchesPlayer() const {
  const Sprite* frame = player->CurrentFrame();
  int left = static_cast<int>(player->x);
  int right = static_cast<int>(player->x + static_cast<float>(frame->width) - 1.0f);
  int top = static_cast<int>(player->y);
  int bottom = static_cast<int>(player->y + static_cast<float>(frame->height) - 1.0f);
  return left <= x + sprite->width - 1 && right >= x && top <= y + sprite->height - 1 &&
         bottom >= y;
}
