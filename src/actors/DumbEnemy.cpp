#include "actors/DumbEnemy.h"

#include <cstdlib>

#include "game/FrameTimers.h"

namespace {
constexpr int kHealth = 20;
constexpr float kSpeed = 40.0f;   // pixels per second
constexpr int kShortestTurn = 4;  // seconds between random direction choices, at least
constexpr int kTurnChoices = 4;   // so 4 to 7 seconds
constexpr int kRightOdds = 4;     // rand() % 10 at or above this turns right (6 in 10)

float NextTurnInterval() { return static_cast<float>(std::rand() % kTurnChoices + kShortestTurn); }
}  // namespace

DumbEnemy::DumbEnemy(SDL_Renderer* renderer, Level* level, Player* target, Audio* audio, int x,
                     int y)
    : Enemy(renderer, level, "Resources/Data/DumbEnemySpriteList.txt", target, audio, x, y) {
  health = kHealth;
  speed = kSpeed;
  turnTimer = 0.0f;
  turnInterval = NextTurnInterval();
}

void DumbEnemy::Update() {
  ApplyGravity();
  Enemy::Update();
  turnTimer = static_cast<float>(static_cast<double>(turnTimer) + deltaSeconds);
  if (turnTimer >= turnInterval) {
    facing = std::rand() % 10 >= kRightOdds ? kFacingRight : kFacingLeft;
    turnTimer = 0.0f;
    turnInterval = NextTurnInterval();
  }
  Walk();
}
