#pragma once

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "actors/Facing.h"
#include "gfx/Sprite.h"

class Level;
class Audio;

// Base of the player and the enemies: position, animation frames, health,
// speeds and the movement primitives that resolve motion against the tile
// grid in tiny sub-steps. The current frame's size is the collision box.
class Character {
 public:
  // Loads the frames from the sprite list at spriteListPath; (x, y) in level pixels.
  Character(SDL_Renderer* renderer, Level* level, const std::string& spriteListPath, Audio* audio,
            int x, int y);
  virtual ~Character();
  Character(const Character&) = delete;
  Character& operator=(const Character&) = delete;

  // The out-of-level test: marks the character dead outside the level.
  virtual void Update();
  // Adds delta to health, capped at 100; marks dead at 0 or below.
  virtual void ChangeHealth(int delta);

  // One step of vertical motion under the level's gravity.
  void ApplyGravity();
  // Travels leftSpeed (rightSpeed) pixels in sub-steps, stopping at walls.
  void MoveLeft();
  void MoveRight();
  // Travels up by distance pixels, stopping at walls.
  void MoveUp(float distance);
  // Travels down by distance pixels (in 1-pixel steps when unitSteps), stopping
  // at walls and landing on platforms; marks dead below the last row.
  void MoveDown(float distance, bool unitSteps);
  // Sets verticalSpeed to impulse (pixels per second, upward) when standing.
  void Jump(float impulse);
  // Shoves by (dx, dy) pixels, then pushes back out of walls in whole pixels.
  void Translate(float dx, float dy);
  // Draws the current frame relative to the camera when on screen.
  void Draw();
  // The frame shown now; its size is the collision box.
  Sprite* CurrentFrame() const { return frames[frameIndex].get(); }
  // Shows the next frame of the cycle once frameDelay has passed.
  void AdvanceFrame();
  // True when (x, y) lies outside the level area.
  bool OutsideLevel() const;

  SDL_Renderer* renderer = nullptr;  // not owned
  Level* level = nullptr;            // not owned
  Audio* audio = nullptr;            // not owned; null when silent
  int health = 0;
  float x = 0.0f;
  float y = 0.0f;
  std::vector<std::unique_ptr<Sprite>> frames;  // never empty
  int facing = kFacingRight;                    // a Facing
  int nextFrameTime = 0;                        // Clock::Now() milliseconds
  int frameDelay = 100;                         // milliseconds between frames
  unsigned frameIndex = 0;
  float leftSpeed = 0.0f;      // pixels to travel left in this step
  float rightSpeed = 0.0f;     // pixels to travel right in this step
  float acceleration = 0.0f;   // per second, while a direction is held
  float deceleration = 0.0f;   // per second
  float maxSpeed = 0.0f;       // pixels per step
  float verticalSpeed = 0.0f;  // pixels per second, upward positive
  float bounce = 0.0f;         // landing factor
  bool dead = false;

 private:
  bool WallAtLeftEdge() const;
  bool WallAtRightEdge() const;
  bool WallAtHead() const;
  bool WallAtBottomRow() const;
  bool OnTopOfPlatformRow() const;
  bool Standing() const;
};
