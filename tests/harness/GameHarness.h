#pragma once

#include <SDL.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/Input.h"
#include "base/Clock.h"
#include "frontend/Menu.h"
#include "game/FrameTimers.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"
#include "harness/Harness.h"

namespace harness {

// A play session on the harness window: a private run folder, the real
// TextRenderer, Input, Game and Menu wired as the shell wires them (no audio
// unless a test adds one), the manual clock and a fixed random seed.
struct GameSession {
  explicit GameSession(unsigned seed = 1)
      : text(Window(), Renderer()),
        game(Window(), Renderer(), &input, nullptr, &text, &playing),
        menu(Window(), Renderer(), &input, &text, &game, nullptr, &playing) {
    std::srand(seed);
    Clock::UseManual(100000);
    ResetFrameTimers();
    game.menu = &menu;
  }

  // Writes a level file for level number n (lines joined with line feeds).
  void WriteLevel(int n, const std::string& grid) const {
    folder.Write("Resources/Data/Level" + std::to_string(n) + ".txt", grid);
  }
  // Starts level n as the level select does: restart the step clock,
  // measure, start, playing = 1.
  void Start(int n) {
    menu.levelChoice = n;
    RestartStepClock();
    menu.LaunchLevel();
    if (game.level) playing = 1;
  }
  // Runs n steps of exactly 8 ms each (one Game::Update per step).
  void Steps(int n) {
    for (int i = 0; i < n && playing; ++i) {
      Clock::Advance(8);
      game.Update();
    }
  }
  void Press(SDL_Keycode key) { input.OnKeyDown(KeyDown(key)); }
  void Release(SDL_Keycode key) { input.OnKeyUp(KeyUp(key)); }

  TempRunFolder folder;
  TextRenderer text;
  Input input;
  int playing = 0;
  Game game;
  Menu menu;
};

}  // namespace harness
