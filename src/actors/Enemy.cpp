#include "actors/Enemy.h"

#include "actors/Player.h"
#include "audio/Audio.h"
#include "game/FrameTimers.h"
#include "level/Level.h"

namespace {
constexpr int kContactDamage = 10;    // health taken per touch
constexpr float kKnockback = 2.0f;    // times the distance between the left edges
constexpr int kGroundProbeDepth = 5;  // pixels below the feet that still count as ground
}  // namespace

Enemy::Enemy(SDL_Renderer* renderer, Level* level, const std::string& spriteListPath,
             Player* target, Audio* audio, int x, int y)
    : Character(renderer, level, spriteListPath, audio, x, y),
      target(target),
      damage(kContactDamage) {
  facing = kFacingRight;
  leftSpeed = rightSpeed = 0.0f;
  acceleration = deceleration = maxSpeed = 0.0f;
  verticalSpeed = 0.0f;
  bounce = 0.0f;
  dead = false;
}

void Enemy::Update() {
  Character::Update();  // the update goes on even when this marks the enemy dead
  if (!target) return;
  const Sprite* frame = target->CurrentFrame();
  if (!Overlaps(target->x, target->y, frame->width - 1, frame->height - 1)) return;
  float dx = target->x - x;
  target->ChangeHealth(-damage);
  target->Translate(dx * kKnockback, 0.0f);
  if (audio) audio->PlaySound("EnemyAttack.WAV");
}

bool Enemy::Overlaps(float px, float py, int pw, int ph) const {
  const Sprite* frame = CurrentFrame();
  int otherLeft = static_cast<int>(px);
  int otherRight = static_cast<int>(px + static_cast<float>(pw));
  int otherTop = static_cast<int>(py);
  int otherBottom = static_cast<int>(py + static_cast<float>(ph));
  int left = static_cast<int>(x);
  int right = static_cast<int>(static_cast<float>(frame->width) + x - 1.0f);
  int top = static_cast<int>(y);
  int bottom = static_cast<int>(static_cast<float>(frame->height) + y - 1.0f);
  return left <= otherRight && otherLeft <= right && top <= otherBottom && otherTop <= bottom;
}

void Enemy::Walk() {
  const float step = static_cast<float>(static_cast<double>(speed) * deltaSeconds);
  const bool movingLeft = facing == kFacingLeft;
  Translate(movingLeft ? -step : step, 0.0f);
  const Sprite* frame = CurrentFrame();
  int ix = static_cast<int>(x);
  int iy = static_cast<int>(y);
  // Probe pixels just ahead: the ground a little below the feet, and the top edge.
  int groundX = movingLeft ? ix - 1 : static_cast<int>(x + static_cast<float>(frame->width + 1));
  int groundY = static_cast<int>(y + static_cast<float>(frame->height + kGroundProbeDepth));
  int wallX = movingLeft ? ix - 1 : static_cast<int>(x + static_cast<float>(frame->width));
  bool groundAhead =
      level->WallInColumn(groundX, groundY, 1) || level->PlatformInRow(groundX, 1, groundY);
  bool wallAhead = level->WallInColumn(wallX, iy, 1);
  if (!groundAhead || wallAhead) {
    facing = movingLeft ? kFacingRight : kFacingLeft;
    return;
  }
  AdvanceFrame();
}
