#pragma once

#include <memory>

#include "actors/Character.h"
#include "actors/HealthBar.h"

struct Input;
class Game;

// The actor the keyboard drives: runs with acceleration and drag, jumps,
// drops through platforms, shoots, collects gold, and survives hits through
// a one-second invulnerability window. Draws its HUD lines every step.
class Player : public Character {
 public:
  Player(SDL_Renderer* renderer, Level* level, Input* input, Game* game, Audio* audio, int x,
         int y);

  // One step: out-of-level test, controls, gravity, invulnerability, HUD.
  void Update() override;
  // Ignored while invulnerable; damage starts the invulnerability window.
  void ChangeHealth(int delta) override;
  // Shooting, jumping, dropping and running from the Input flags.
  void HandleControls();
  // Fires one bullet when the weapon, ammunition and shot delay allow.
  void Shoot();

  Game* game = nullptr;    // not owned; receives the bullets
  Input* input = nullptr;  // not owned
  bool invulnerable = false;
  int invulnerableUntil = 0;            // Clock::Now() milliseconds
  float invulnerabilityTime = 1000.0f;  // milliseconds
  int gold = 0;
  int ammo = 10;
  int weapon = 1;
  int nextShotTime = 0;  // Clock::Now() milliseconds
  int shotDelay = 200;   // milliseconds
  std::unique_ptr<HealthBar> healthBar;
};
