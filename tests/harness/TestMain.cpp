#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/Clock.h"
#include "harness/Harness.h"

namespace harness {
SDL_Window* gWindow = nullptr;
SDL_Renderer* gRenderer = nullptr;
}  // namespace harness

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  // As in the game: SDL would turn Ctrl+C and SIGTERM into a quit event that
  // no test reads, and a hung test binary could then only be killed.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO);
  TTF_Init();
  harness::gWindow = SDL_CreateWindow("Ilsmark - Quorvane", 250, 50, 1280, 720, SDL_WINDOW_SHOWN);
  harness::gRenderer = SDL_CreateRenderer(harness::gWindow, -1, SDL_RENDERER_SOFTWARE);
  if (!harness::gWindow || !harness::gRenderer) {
    std::fprintf(stderr, "test harness: no window or renderer: %s\n", SDL_GetError());
    return 1;
  }
  Clock::UseManual(0);
  int result = RUN_ALL_TESTS();
  SDL_DestroyRenderer(harness::gRenderer);
  SDL_DestroyWindow(harness::gWindow);
  return result;
}
