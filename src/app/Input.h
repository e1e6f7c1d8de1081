#pragma once

#include <SDL.h>

// The keyboard record: eight pressed flags that readers test and clear,
// then eight held latches so that one physical press sets its flag once,
// however many auto-repeat key-downs follow. Keys are told apart by keycode.
struct Input {
  bool escape = false;
  bool up = false;
  bool down = false;
  bool left = false;
  bool right = false;
  bool keyX = false;
  bool keyZ = false;
  bool keyR = false;
  bool escapeHeld = false;
  bool upHeld = false;
  bool downHeld = false;
  bool leftHeld = false;
  bool rightHeld = false;
  bool keyXHeld = false;
  bool keyZHeld = false;
  bool keyRHeld = false;

  // A key-down: sets the key's flag and latch unless the latch is already set.
  void OnKeyDown(const SDL_Event& event);
  // A key-up: clears the key's flag and latch.
  void OnKeyUp(const SDL_Event& event);
};
