#pragma once

#include <SDL.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/GameInstance.h"
#include "app/Input.h"
#include "base/Clock.h"
#include "frontend/Menu.h"
#include "game/FrameTimers.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"
#include "harness/Harness.h"

namespace harness {

// A play session on the harness window: a private run folder, the game's
// objects as the shell builds them (no audio unless a test adds one), the
// manual clock and a fixed random seed.
struct GameSession {
  explicit GameSession(unsigned seed = 1)
      : instance(Window(), Renderer(), false),
        text(*instance.text),
        input(*instance.input),
        playing(instance.playing),
        game(*instance.game),
        menu(*instance.menu) {
    std::srand(seed);
    Clock::UseManual(100000);
    ResetFrameTimers();
  }

  // Writes a level file for level number n (lines joined with line feeds).
  void WriteLevel(int n, const std::string& grid) const {
    folder.Write("Resources/Data/Level" + std::to_string(n) + ".txt", grid);
  }
  // Starts level n as the level select does: restart the step clock,
  // measure, start, playing = 1.
  void Start(int n) { instance.StartLevel(n); }
  // Runs n steps of exactly 8 ms each (one Game::Update per step).
  void Steps(int n) {
    for (int i = 0; i < n && playing; ++i) instance.Step();
  }
  void Press(SDL_Keycode key) { instance.Press(key); }
  void Release(SDL_Keycode key) { instance.Release(key); }

  TempRunFolder folder;
  GameInstance instance;
  TextRenderer& text;
  Input& input;
  int& playing;
  Game& game;
  Menu& menu;
};

}  // namespace harness
