#include "actors/Stalker.h"

#include <cmath>

#include "actors/Player.h"

namespace {
constexpr int kHealth = 30;
constexpr float kSpeed = 100.0f;        // pixels per second
constexpr float kSightAcross = 600.0f;  // pixels
constexpr float kSightUpDown = 64.0f;   // pixels
}  // namespace

Stalker::Stalker(SDL_Renderer* renderer, Level* level, Player* target, Audio* audio, int x, int y)
    : Enemy(renderer, level, "Resources/Data/StalkerSpriteList.txt", target, audio, x, y) {
  health = kHealth;
  speed = kSpeed;
}

void Stalker::Update() {
  ApplyGravity();
  Enemy::Update();
  Chase();
}

void Stalker::Chase() {
  if (!target) return;
  if (std::fabs(y - target->y) >= kSightUpDown || std::fabs(x - target->x) >= kSightAcross) return;
  if (x > target->x) {
    facing = kFacingLeft;
  } else if (target->x > x) {
    facing = kFacingRight;
  }
  Walk();
}
