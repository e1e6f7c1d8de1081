#include "app/Shell.h"

#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/Input.h"
#include "frontend/GameData.h"
#include "frontend/Menu.h"
#include "game/Game.h"

namespace {
const char* const kWindowTitle = "Ilsmark - Quorvane";
constexpr int kWindowLeft = 250;  // screen pixels; the window is not centred
constexpr int kWindowTop = 50;
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr int kMenuFrameDelay = 16;  // milliseconds of sleep per menu frame

// A start-up failure is shown on the console and waits for the player to see it.
void ReportStartupFailure(const char* format) {
  std::printf(format, SDL_GetError());
  std::printf("Press any key to continue\n");
  std::fflush(stdout);
  std::getchar();
}
}  // namespace

Shell::Shell() {
  // --- Libraries. Their results are not tested: failures show up as the
  // window, renderer, text or audio failures below.
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  // SDL would turn Ctrl+C and SIGTERM into a quit event, which the loop
  // ignores; left alone, they end the program as they end any other.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO);
  TTF_Init();

  // --- Window and renderer.
  window = SDL_CreateWindow(kWindowTitle, kWindowLeft, kWindowTop, kWindowWidth, kWindowHeight,
                            SDL_WINDOW_SHOWN);
  if (!window) ReportStartupFailure("Window initialisation failed: %s\n");
  renderer = SDL_CreateRenderer(window, -1, 0);
  if (!renderer) ReportStartupFailure("Renderer initialisation failed: %s\n");

  // --- The save folder: a write cut short in an earlier run may have left
  // its temporary file there.
  RemoveLeftoverTemporaries();

  // --- The long-lived objects, in the order the others rely on.
  instance = std::make_unique<GameInstance>(window, renderer, true);
}

Shell::~Shell() {
  // Every sprite belongs to the renderer, so the objects go before it.
  instance.reset();
  if (renderer) SDL_DestroyRenderer(renderer);
  renderer = nullptr;
  if (window) SDL_DestroyWindow(window);
  window = nullptr;
}

void Shell::Run() {
  while (RunIteration()) {
  }
}

bool Shell::RunIteration() {
  if (!window || !renderer) return false;

  // --- Events: only keys matter; the close button is dropped on purpose.
  instance->PollEvents();

  // --- Play: the game paces, clears and presents by itself.
  if (instance->playing) {
    instance->game->Update();
    return true;
  }

  // --- Menu: the exit tests come before anything is drawn.
  if (instance->input->escape || instance->menu->quit) return false;
  instance->MenuFrame(kMenuFrameDelay);
  return true;
}
