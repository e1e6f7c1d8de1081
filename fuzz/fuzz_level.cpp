// Fuzzes the level loader, the level's construction and a few hundred steps
// of play: the input is the level file; its last bytes also script the keys.
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
constexpr int kSteps = 300;              // 8 ms steps of play per input
const SDL_Keycode kKeys[] = {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN, SDLK_z, SDLK_x, SDLK_r};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxLevelBytes) return 0;
  fuzz::SetUp();
  fuzz::WriteFile("Resources/Data/Level0.txt", data, size);
  std::srand(static_cast<unsigned>(size));
  ResetFrameTimers();

  TextRenderer text(fuzz::Window(), fuzz::Renderer());
  Input input;
  int playing = 0;
  Game game(fuzz::Window(), fuzz::Renderer(), &input, nullptr, &text, &playing);
  Menu menu(fuzz::Window(), fuzz::Renderer(), &input, &text, &game, nullptr, &playing);
  game.menu = &menu;
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
  return 0;
}
