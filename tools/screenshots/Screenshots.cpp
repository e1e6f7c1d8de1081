// Renders what a player sees to BMP files, headless: the main menu, the level
// select, the options, and the first screen of every level after a short run.
//   ilsmark_screenshots <output folder>     (run from the run folder)
#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Input.h"
#include "base/Clock.h"
#include "frontend/Menu.h"
#include "game/FrameTimers.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"

namespace {
constexpr int kStepMs = 8;
constexpr int kRunSteps = 60;  // a moment of play, so the first screen is lit and settled

void Save(SDL_Renderer* renderer, const std::string& path) {
  SDL_Surface* shot = SDL_CreateRGBSurfaceWithFormat(0, 1280, 720, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, shot->pixels, shot->pitch);
  SDL_SaveBMP(shot, path.c_str());
  SDL_FreeSurface(shot);
  std::printf("wrote %s\n", path.c_str());
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ilsmark_screenshots <output folder>\n");
    return 2;
  }
  std::string out = argv[1];
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SDL_Init(SDL_INIT_VIDEO);
  TTF_Init();
  SDL_Window* window = SDL_CreateWindow("Ilsmark - Quorvane", 0, 0, 1280, 720, 0);
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  Clock::UseManual(1000);
  ResetFrameTimers();
  std::srand(1);

  TextRenderer text(window, renderer);
  Input input;
  int playing = 0;
  Game game(window, renderer, &input, nullptr, &text, &playing);
  Menu menu(window, renderer, &input, &text, &game, nullptr, &playing);
  game.menu = &menu;

  SDL_RenderClear(renderer);
  menu.MainMenu();
  Save(renderer, out + "/menu.bmp");
  menu.levelReached = 9;
  menu.levelChoice = 0;
  SDL_RenderClear(renderer);
  menu.LevelSelect();
  Save(renderer, out + "/level-select.bmp");
  SDL_RenderClear(renderer);
  menu.Options();
  Save(renderer, out + "/options.bmp");

  for (int level = 0; level < 10; ++level) {
    menu.levelChoice = level;
    menu.LaunchLevel();
    if (!game.level) continue;
    playing = 1;
    input.right = true;  // run a little, so the player is seen in motion
    for (int step = 0; step < kRunSteps && playing; ++step) {
      Clock::Advance(kStepMs);
      game.Update();
    }
    input.right = false;
    Save(renderer, out + "/level" + std::to_string(level) + ".bmp");
  }
  return 0;
}
