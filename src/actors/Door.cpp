#include "actors/Door.h"

#include "base/Rules.h"
#include "frontend/GameData.h"
#include "frontend/Menu.h"
#include "game/Game.h"
#include "level/Level.h"

Door::Door(SDL_Renderer* renderer, Game* game, Menu* menu, Level* level, Player* player, int x,
           int y)
    : sprite(std::make_unique<Sprite>(renderer, "Resources/Assets/Door.bmp")),
      game(game),
      menu(menu),
      level(level),
      player(player),
      x(static_cast<float>(x)),
      y(static_cast<float>(y)) {}

void Door::Draw() {
  int dx = static_cast<int>(x);
  int dy = static_cast<int>(y);
  if (!level->InView(dx, dy, sprite->width, sprite->height)) return;
  sprite->Draw(static_cast<int>(x - level->cameraX), static_cast<int>(y - level->cameraY));
}

void Door::Enter() {
  game->SaveResults();
  int next = menu->levelChoice + 1;
  if (next >= rules::kLevelCount) {
    game->EndLevel(true);  // the last level is done: back to the menu
    return;
  }
  if (menu->levelReached < next) {
    menu->levelReached = next;
    WriteValue("Level Reached", menu->levelReached);
  }
  menu->levelChoice = next;
  // Starting the next level releases this door, its level and the player.
  menu->LaunchLevel();
}
