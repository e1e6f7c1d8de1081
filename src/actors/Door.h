#pragma once

#include <SDL.h>

#include <memory>

#include "gfx/Sprite.h"

class Game;
class Menu;
class Level;
class Player;

// A level's exit: stores the results, unlocks and starts the next level, or
// returns to the menu after the last one.
class Door {
 public:
  Door(SDL_Renderer* renderer, Game* game, Menu* menu, Level* level, Player* player, int x, int y);

  // Draws the door when it is on screen.
  void Draw();
  // The player is through with enough gold. Releases the running level, this
  // door and the player: nothing may touch them after the call.
  void Enter();

  std::unique_ptr<Sprite> sprite;
  Game* game = nullptr;      // not owned
  Menu* menu = nullptr;      // not owned
  Level* level = nullptr;    // not owned
  Player* player = nullptr;  // not owned; not read by the door
  float x = 0.0f;
  float y = 0.0f;
};
