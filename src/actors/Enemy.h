#pragma once

#include "actors/Character.h"

class Player;

// What the three enemy kinds share: the target, contact damage and speed,
// the contact attack, the overlap test and the patrol walk.
class Enemy : public Character {
 public:
  Enemy(SDL_Renderer* renderer, Level* level, const std::string& spriteListPath, Player* target,
        Audio* audio, int x, int y);

  // The contact attack: hurts and knocks back the target on overlap.
  void Update() override;
  // True when the enemy's current frame overlaps the box from (px, py) that is
  // pw + 1 by ph + 1 pixels (edges inclusive).
  bool Overlaps(float px, float py, int pw, int ph) const;
  // One patrol step towards facing, turning at ledges and walls.
  void Walk();

  Player* target = nullptr;  // not owned; null once the player is dead
  int damage = 10;
  float speed = 0.0f;  // pixels per second
};
