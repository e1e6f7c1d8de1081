#include "actors/Player.h"

#include <algorithm>
#include <cstdio>

#include "actors/Bullet.h"
#include "app/Input.h"
#include "audio/Audio.h"
#include "base/Clock.h"
#include "base/Rules.h"
#include "game/FrameTimers.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"
#include "level/Level.h"

namespace {
constexpr int kStartAmmo = 10;
constexpr int kMaxAmmo = 50;
constexpr int kShotDelay = 200;        // milliseconds between shots
constexpr float kMuzzleHeight = 0.4f;  // share of the frame height where bullets leave
constexpr int kHudPoints = 24;
}  // namespace

Player::Player(SDL_Renderer* renderer, Level* level, Input* input, Game* game, Audio* audio, int x,
               int y)
    : Character(renderer, level, "Resources/Data/PlayerSpriteList.txt", audio, x, y),
      game(game),
      input(input) {
  health = rules::kFullHealth;
  leftSpeed = 0.0f;
  rightSpeed = 0.0f;
  acceleration = rules::kAcceleration;
  deceleration = rules::kDeceleration;
  maxSpeed = rules::kMaxSpeed;
  verticalSpeed = 0.0f;
  bounce = rules::kBounce;
  facing = kFacingRight;
  ammo = kStartAmmo;
  nextShotTime = Clock::Now();
  shotDelay = kShotDelay;
  healthBar = std::make_unique<HealthBar>(renderer, game->text, level);
}

void Player::Update() {
  Character::Update();
  if (dead) return;
  HandleControls();
  ApplyGravity();
  if (invulnerable && Clock::Now() > invulnerableUntil) invulnerable = false;

  healthBar->Draw(health);
  char line[64];
  std::snprintf(line, sizeof line, "%i gold", gold);
  game->text->DrawText(line, kHudPoints, healthBar->goldTextX, healthBar->goldTextY);
  std::snprintf(line, sizeof line, "Ammo: %i / %i", ammo, kMaxAmmo);
  game->text->DrawText(line, kHudPoints, healthBar->ammoTextX, healthBar->ammoTextY);
}

void Player::HandleControls() {
  if (input->keyX) Shoot();  // left set: holding X fires at the shot rate
  if (input->keyZ) {
    if (audio) audio->PlaySound("PlayerJump.WAV");
    Jump(rules::kJumpImpulse);
    input->keyZ = false;
  } else if (input->down) {
    MoveDown(1.0f, true);  // one pixel: enough to drop through a platform
    input->down = false;
  }

  auto accelerate = [this](bool held, float& speed, int direction) {
    if (held && speed < maxSpeed) {
      facing = direction;
      speed = static_cast<float>(static_cast<double>(speed) +
                                 static_cast<double>(acceleration) * deltaSeconds);
    } else if (speed > maxSpeed) {
      speed = maxSpeed;
    }
  };
  accelerate(input->left, leftSpeed, 0);
  accelerate(input->right, rightSpeed, 1);

  auto coast = [this](float& speed, void (Character::*move)()) {
    if (speed > 0.0f) {
      speed = static_cast<float>(static_cast<double>(speed) -
                                 static_cast<double>(deceleration) * deltaSeconds);
      (this->*move)();
      AdvanceFrame();
    } else {
      speed = 0.0f;
    }
  };
  coast(leftSpeed, &Character::MoveLeft);
  coast(rightSpeed, &Character::MoveRight);

  if (leftSpeed <= 0.0f && rightSpeed <= 0.0f) frameIndex = 0;  // the standing frame
}

void Player::Shoot() {
  if (weapon != 1 || ammo <= 0 || Clock::Now() <= nextShotTime) return;
  if (audio) audio->PlaySound("PlayerShoot.WAV");
  const Sprite* frame = CurrentFrame();
  int y0 = static_cast<int>(static_cast<float>(frame->height) * kMuzzleHeight + y);
  int x0 = 0;
  if (facing == kFacingLeft) {
    x0 = static_cast<int>(x - 1.0f);
  } else if (facing == kFacingRight) {
    x0 = static_cast<int>(static_cast<float>(frame->width) + x);
  }
  game->AddBullet(std::make_unique<Bullet>(renderer, level, facing, x0, y0));
  ammo = std::clamp(ammo - 1, 0, kMaxAmmo);
  nextShotTime = Clock::Now() + shotDelay;
}

void Player::ChangeHealth(int delta) {
  if (invulnerable) return;  // no damage and no healing inside the window
  if (delta < 0) {
    invulnerable = true;
    invulnerableUntil = static_cast<int>(static_cast<float>(Clock::Now()) + invulnerabilityTime);
  }
  Character::ChangeHealth(delta);
}
