#include "actors/BirdEnemy.h"

#include <cmath>

#include "actors/Player.h"
#include "game/FrameTimers.h"
#include "level/Level.h"

namespace {
constexpr int kHealth = 60;
constexpr float kSpeed = 70.0f;        // pixels per second
constexpr float kSight = 600.0f;       // pixels, across and up or down
constexpr float kStrikeReach = 0.25f;  // pixels: the target must not be this far to the right
constexpr float kStrikeKnockback = 0.25f;
}  // namespace

BirdEnemy::BirdEnemy(SDL_Renderer* renderer, Level* level, Player* target, Audio* audio, int x,
                     int y)
    : Enemy(renderer, level, "Resources/Data/BirdEnemySpriteList.txt", target, audio, x, y) {
  health = kHealth;
  speed = kSpeed;
}

void BirdEnemy::Update() {
  Enemy::Update();
  if (target && std::fabs(target->x - x) < kSight && std::fabs(target->y - y) < kSight) Hunt();
}

void BirdEnemy::Hunt() {
  if (!target) return;
  const int t = level->tileSize;
  const float tf = static_cast<float>(t);
  int targetCol = static_cast<int>(target->x / tf);
  int targetRow = static_cast<int>(target->y / tf);
  int nextCol = -1;
  int nextRow = -1;
  level->FindPath(static_cast<int>(x / tf), static_cast<int>(y / tf), targetCol, targetRow, nextCol,
                  nextRow);
  int px = nextCol * t;
  int py = nextRow * t;
  if (px < 1 || py < 1) return;  // no path, or a next cell on the level's edge

  const float step = static_cast<float>(static_cast<double>(speed) * deltaSeconds);
  if (x > static_cast<float>(px)) {
    leftSpeed = step;
    MoveLeft();
  } else if (x < static_cast<float>(px)) {
    rightSpeed = step;
    MoveRight();
  }
  if (y > static_cast<float>(py)) {
    MoveUp(step);
  } else if (y < static_cast<float>(py)) {
    MoveDown(step, false);
  }

  if (nextCol == targetCol && nextRow == targetRow) {
    float dx = target->x - x;
    if (dx < kStrikeReach) {
      target->ChangeHealth(-damage);
      target->Translate(dx * kStrikeKnockback, 0.0f);
    }
  }
  AdvanceFrame();
}
