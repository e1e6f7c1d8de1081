// Renders what a player sees to BMP files, headless: the main menu, the level
// select, the options, and the first screen of every level after a short run.
//   ilsmark_screenshots <output folder>     (run from the run folder)
#include <SDL.h>

#include <cstdio>
#include <string>

#include "HeadlessGame.h"
#include "app/Input.h"
#include "base/Rules.h"
#include "frontend/Menu.h"
#include "game/Game.h"

namespace {
constexpr int kRunSteps = 60;  // a moment of play, so the first screen is lit and settled

void Save(const HeadlessGame& headless, const std::string& path) {
  if (headless.SaveBmp(path)) {
    std::printf("wrote %s\n", path.c_str());
  } else {
    std::fprintf(stderr, "could not write %s: %s\n", path.c_str(), SDL_GetError());
  }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ilsmark_screenshots <output folder>\n");
    return 2;
  }
  std::string out = argv[1];
  HeadlessGame headless;
  GameInstance& instance = *headless.instance;
  Menu& menu = *instance.menu;

  SDL_RenderClear(headless.renderer);
  menu.MainMenu();
  Save(headless, out + "/menu.bmp");
  menu.levelReached = 9;
  menu.levelChoice = 0;
  SDL_RenderClear(headless.renderer);
  menu.LevelSelect();
  Save(headless, out + "/level-select.bmp");
  SDL_RenderClear(headless.renderer);
  menu.Options();
  Save(headless, out + "/options.bmp");

  for (int level = 0; level < rules::kLevelCount; ++level) {
    menu.levelChoice = level;
    menu.LaunchLevel();
    if (!instance.game->level) continue;
    instance.playing = 1;
    instance.input->right = true;  // run a little, so the player is seen in motion
    for (int step = 0; step < kRunSteps && instance.playing; ++step) instance.Step();
    instance.input->right = false;
    Save(headless, out + "/level" + std::to_string(level) + ".bmp");
  }
  return 0;
}
