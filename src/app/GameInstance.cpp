#include "app/GameInstance.h"

#include <cstdlib>

#include "app/EventHolder.h"
#include "app/Input.h"
#include "audio/Audio.h"
#include "base/Clock.h"
#include "base/Rules.h"
#include "frontend/Menu.h"
#include "game/FrameTimers.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"

namespace {
SDL_Event KeyEvent(SDL_Keycode key, bool press) {
  SDL_Event event{};
  event.type = press ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = press ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  return event;
}
}  // namespace

GameInstance::GameInstance(SDL_Window* window, SDL_Renderer* renderer, bool withAudio)
    : window(window), renderer(renderer) {
  text = std::make_unique<TextRenderer>(window, renderer);
  input = std::make_unique<Input>();
  events = std::make_unique<EventHolder>();
  events->input = input.get();
  if (withAudio) {
    audio = std::make_unique<Audio>();
    if (audio->failed) audio.reset();  // the game runs silent
  }
  game = std::make_unique<Game>(window, renderer, input.get(), audio.get(), text.get(), &playing);
  menu = std::make_unique<Menu>(window, renderer, input.get(), text.get(), game.get(), audio.get(),
                                &playing);
  game->menu = menu.get();
}

GameInstance::~GameInstance() {
  // Every sprite belongs to the renderer, which outlives these.
  menu.reset();
  game.reset();
  audio.reset();
  events.reset();
  input.reset();
  text.reset();
}

bool GameInstance::StartLevel(int level) {
  menu->levelChoice = level;
  RestartStepClock();
  menu->LaunchLevel();
  if (game->level) playing = 1;
  return game->level != nullptr;
}

bool GameInstance::StartLevel(int level, unsigned seed) {
  *input = Input{};
  std::srand(seed);
  ResetFrameTimers();
  return StartLevel(level);
}

void GameInstance::Step() {
  Clock::Advance(rules::kStepMs);
  game->Update();
}

void GameInstance::Press(SDL_Keycode key) { input->OnKeyDown(KeyEvent(key, true)); }

void GameInstance::Release(SDL_Keycode key) { input->OnKeyUp(KeyEvent(key, false)); }

void GameInstance::PollEvents() {
  while (SDL_PollEvent(&events->event)) {
    if (events->event.type == SDL_KEYDOWN) {
      input->OnKeyDown(events->event);
    } else if (events->event.type == SDL_KEYUP) {
      input->OnKeyUp(events->event);
    }
  }
}

void GameInstance::MenuFrame(int sleepMs) {
  SDL_RenderClear(renderer);
  menu->ShowScreen();
  if (sleepMs > 0) SDL_Delay(static_cast<Uint32>(sleepMs));
  SDL_RenderPresent(renderer);
}
