#include "actors/Bullet.h"

#include "base/Clock.h"
#include "level/Level.h"

namespace {
constexpr float kBulletSpeed = 400.0f;  // pixels per second
constexpr int kLifetime = 5000;         // milliseconds of flight
}  // namespace

Bullet::Bullet(SDL_Renderer* renderer, Level* level, int direction, int x, int y)
    : sprite(std::make_unique<Sprite>(renderer, "Resources/Assets/Bullet.bmp")),
      level(level),
      x(static_cast<float>(x)),
      y(static_cast<float>(y)),
      speed(kBulletSpeed),
      direction(direction) {
  int now = Clock::Now();
  fireTime = now;
  expiry = now + kLifetime;
  lifetime = kLifetime;
  dead = false;
}

void Bullet::Draw() {
  if (!level->InView(static_cast<int>(x), static_cast<int>(y), sprite->width, sprite->height))
    return;
  sprite->DrawFacing(direction != kFacingLeft, static_cast<int>(x - level->cameraX),
                     static_cast<int>(y - level->cameraY));
}
