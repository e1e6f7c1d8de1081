#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "gfx/Sprite.h"

class Level;
class Player;

// What a pickup is; the game announces and the tools count them by it.
enum ItemKind : int { kCoinKind = 0, kHealthPackKind = 1, kAttackChargeKind = 2 };

// A collectable item of a level: a coin, a health pack or an attack charge.
// It does not move; the game's pickup pass updates, announces and removes it.
class PickupItem {
 public:
  PickupItem(SDL_Renderer* renderer, Level* level, const std::string& bitmapPath, Player* player,
             int x, int y);
  virtual ~PickupItem() = default;
  PickupItem(const PickupItem&) = delete;
  PickupItem& operator=(const PickupItem&) = delete;

  // Applies the item's effect when the player touches it; sets collected.
  virtual void Update() {}
  // Draws the item when it is on screen.
  void Draw();
  // True when the item's box and the player's box share a pixel.
  bool TouchesPlayer() const;

  SDL_Renderer* renderer = nullptr;  // not owned
  Level* level = nullptr;            // not owned
  Player* player = nullptr;          // not owned; null for an item made during game over
  std::unique_ptr<Sprite> sprite;
  int kind = kCoinKind;  // an ItemKind
  int x = 0;
  int y = 0;
  bool collected = false;
  int value = 10;
};
