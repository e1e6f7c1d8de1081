#include "HeadlessGame.h"

#include <SDL_ttf.h>

#include <cstdlib>

#include "base/Clock.h"
#include "game/FrameTimers.h"

namespace {
constexpr int kWidth = 1280;         // pixels, the game's window
constexpr int kHeight = 720;         // pixels
constexpr int kClockStartMs = 1000;  // manual clock reading at start-up
}  // namespace

HeadlessGame::HeadlessGame() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SDL_Init(SDL_INIT_VIDEO);
  TTF_Init();
  window = SDL_CreateWindow("Ilsmark - Quorvane", 0, 0, kWidth, kHeight, 0);
  renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  Clock::UseManual(kClockStartMs);
  ResetFrameTimers();
  std::srand(1);
  instance = std::make_unique<GameInstance>(window, renderer, false);
}

HeadlessGame::~HeadlessGame() {
  instance.reset();
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
}

bool HeadlessGame::SaveBmp(const std::string& path) const {
  SDL_Surface* shot =
      SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!shot) return false;
  SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, shot->pixels, shot->pitch);
  const bool saved = SDL_SaveBMP(shot, path.c_str()) == 0;
  SDL_FreeSurface(shot);
  return saved;
}
