#pragma once

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "actors/Bullet.h"
#include "actors/Enemy.h"
#include "actors/PickupItem.h"
#include "actors/Player.h"
#include "level/Level.h"

struct Input;
class Audio;
class TextRenderer;
class Menu;

// The running level's owner: paces and runs the fixed 8 ms steps, holds the
// level, the player and the lists of enemies, pickups and bullets, and
// starts, ends and records levels.
class Game {
 public:
  Game(SDL_Window* window, SDL_Renderer* renderer, Input* input, Audio* audio,
       TextRenderer* text, int* playing);
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // One main-loop pass while playing: Escape and R, then at most one step once
  // 8 ms have gathered.
  void Update();
  // The enemy pass: update, draw, and remove the dead with their drops.
  void UpdateEnemies();
  // The pickup pass: collect, announce and remove taken items, draw the rest.
  void UpdatePickups();
  // The bullet pass: expire, stop at walls, move, hit enemies, draw.
  void UpdateBullets();
  // Takes ownership of a fired bullet.
  void AddBullet(std::unique_ptr<Bullet> bullet);
  // Ends any running level and starts the one at path (width x height cells).
  // A level that cannot be played is refused with a console line and the game
  // goes back to the menu.
  void StartLevel(const std::string& path, int width, int height);
  // Releases everything of the level; toMenu also clears playing.
  void EndLevel(bool toMenu);
  // Stores the level's score and time when they beat the stored ones.
  void SaveResults();
  // Appends an enemy of a random kind at level pixel (x, y).
  void SpawnEnemy(int x, int y);
  // Appends a coin (isCoin) or a random health pack or attack charge.
  void SpawnPickup(bool isCoin, int x, int y);

  SDL_Window* window = nullptr;      // not owned
  SDL_Renderer* renderer = nullptr;  // not owned
  int warmupSteps = 0;
  bool started = false;
  std::unique_ptr<Level> level;      // null when no level runs
  Input* input = nullptr;            // not owned
  Audio* audio = nullptr;            // not owned; null when silent
  std::unique_ptr<Player> player;    // null during game over and with no level
  TextRenderer* text = nullptr;      // not owned
  Menu* menu = nullptr;              // not owned; set by the shell
  int* playing = nullptr;            // the shell's flag
  std::vector<std::unique_ptr<Enemy>> enemies;
  std::vector<std::unique_ptr<PickupItem>> pickups;
  std::vector<std::unique_ptr<Bullet>> bullets;

 private:
  void Step();
  // The player branch of a step; false when the level ended in it.
  bool UpdatePlayer();
};
