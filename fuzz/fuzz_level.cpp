// Fuzzes the level loader, the level's construction and half a second
// of play: the input is the level file; its bytes also script the keys.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "app/Input.h"
#include "base/Clock.h"
#include "frontend/Menu.h"
#include "game/FrameTimers.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"

namespace {
constexpr size_t kMaxLevelBytes = 8192;  // bigger grids only slow the search down
// Half a second of play: in equal time, 300 steps per input found less than
// this many more, shorter inputs (the physics moves in sub-pixel steps).
constexpr int kSteps = 64;  // 8 ms steps of play per input
const SDL_Keycode kKeys[] = {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN, SDLK_z, SDLK_x, SDLK_r};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxLevelBytes) return 0;
  fuzz::SetUp();
  // The long-lived objects are made once, as the shell makes them; every
  // start of a level ends the one before, as R and the door do in play.
  static TextRenderer text(fuzz::Window(), fuzz::Renderer());
  static Input input;
  static int playing = 0;
  static Game game(fuzz::Window(), fuzz::Renderer(), &input, nullptr, &text, &playing);
  static Menu menu(fuzz::Window(), fuzz::Renderer(), &input, &text, &game, nullptr, &playing);
  game.menu = &menu;
  input = Input{};
  playing = 0;

  fuzz::WriteFile("Resources/Data/Level0.txt", data, size);
  std::srand(static_cast<unsigned>(size));
  ResetFrameTimers();
  menu.levelChoice = 0;
  menu.LaunchLevel();
  if (!game.level) return 0;
  playing = 1;
  for (int step = 0; step < kSteps && playing; ++step) {
    uint8_t script = size ? data[(static_cast<size_t>(step) * 7) % size] : 0;
    SDL_Event event{};
    event.type = (script & 0x80) ? SDL_KEYUP : SDL_KEYDOWN;
    event.key.keysym.sym = kKeys[script % 7];
    if (event.type == SDL_KEYDOWN) {
      input.OnKeyDown(event);
    } else {
      input.OnKeyUp(event);
    }
    Clock::Advance(8);
    game.Update();
  }
  game.EndLevel(true);
  return 0;
}
